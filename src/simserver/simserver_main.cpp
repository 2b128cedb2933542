// vorstel-simserver: the simulated game server on a real UDP port, for demos and integration
// tests. Prints every command it receives; SIGINT or SIGTERM ends it cleanly.
#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QSocketNotifier>
#include <QUdpSocket>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "qt_reactor.h"
#include "scenario.h"
#include "sim_server.h"

namespace {

using vorstel::sim::Faults;
using vorstel::sim::Variants;

const char kUsage[] =
    "usage: vorstel-simserver [--host ADDR] [--port PORT] [--password PASSWORD] [--scenario FILE]\n"
    "                         [--variant NAME ...] [--drop P] [--delay MS] [--duplicate P]\n"
    "                         [--garbage P] [--seed N] [--help]\n"
    "\n"
    "Answers the game's remote console on ADDR:PORT (default 127.0.0.1:12203, password myWord)\n"
    "with the scenario FILE (default: the built-in demo). --port 0 takes a free port; the first\n"
    "line printed names the address bound. Variants: colour-codes, silent-unknown, small-buffer,\n"
    "say-echo, kick-echo, raw-cut, rate-500ms, rate-bucket; openmohaa plays the open-source\n"
    "engine (all of its differences at once), ipv6-clients lists every odd slot as an IPv6\n"
    "client. Faults: --drop, --duplicate and\n"
    "--garbage take a probability per reply datagram, --delay delays every reply.\n";

struct Options {
    std::string host = "127.0.0.1";
    int port = 12203;
    std::string password = "myWord";
    std::string scenarioFile;
    Variants variants;
    Faults faults;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "vorstel-simserver: %s\n", message.c_str());
    return 2;
}

bool ParseNumber(const std::string& text, double min, double max, double& out) {
    try {
        std::size_t used = 0;
        out = std::stod(text, &used);
        return used == text.size() && out >= min && out <= max;
    } catch (const std::exception&) {
        return false;
    }
}

// Returns an error message, empty when the arguments are fine.
std::string ParseOptions(int argc, char** argv, Options& o, bool& help) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return {};
        }
        if (i + 1 >= argc) return "missing value after " + arg;
        const std::string value = argv[++i];
        double n = 0;
        if (arg == "--host") {
            o.host = value == "localhost" ? "127.0.0.1" : value;
        } else if (arg == "--port") {
            if (!ParseNumber(value, 0, 65535, n) || n != static_cast<int>(n)) return "bad port " + value;
            o.port = static_cast<int>(n);
        } else if (arg == "--password") {
            o.password = value;
        } else if (arg == "--scenario") {
            o.scenarioFile = value;
        } else if (arg == "--variant") {
            if (!vorstel::sim::ApplyVariantName(value, o.variants)) return "unknown variant " + value;
        } else if (arg == "--drop" || arg == "--duplicate" || arg == "--garbage") {
            if (!ParseNumber(value, 0, 1, n)) return arg + " needs a probability from 0 to 1";
            (arg == "--drop" ? o.faults.dropProbability
                             : arg == "--duplicate" ? o.faults.duplicateProbability : o.faults.garbageProbability) = n;
        } else if (arg == "--delay") {
            if (!ParseNumber(value, 0, 600000, n)) return "--delay needs milliseconds";
            o.faults.delayMs = static_cast<int>(n);
        } else if (arg == "--seed") {
            if (!ParseNumber(value, 0, 1e18, n)) return "--seed needs a whole number";
            o.faults.seed = static_cast<std::uint64_t>(n);
        } else {
            return "unknown option " + arg;
        }
    }
    return {};
}

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string ClockTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000));
    return text;
}

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    bool help = false;
    if (std::string error = ParseOptions(argc, argv, options, help); !error.empty()) {
        std::fprintf(stderr, "vorstel-simserver: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    vorstel::sim::Scenario scenario = vorstel::sim::DemoScenario();
    if (!options.scenarioFile.empty()) {
        vorstel::sim::ScenarioResult loaded = vorstel::sim::LoadScenarioFile(options.scenarioFile);
        if (!loaded) return Fail(loaded.error);
        scenario = std::move(*loaded.scenario);
    }
    const QHostAddress address(QString::fromStdString(options.host));
    if (address.isNull()) return Fail("bad host address " + options.host);

    QCoreApplication app(argc, argv);
    vorstel::QtReactor reactor;
    QUdpSocket socket;
    if (!socket.bind(address, static_cast<quint16>(options.port))) {
        return Fail("cannot bind " + options.host + ":" + std::to_string(options.port) + ": " +
                    socket.errorString().toStdString());
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return Fail("cannot set up signal handling");
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char byte;
        [[maybe_unused]] auto n = ::read(signalPipe[0], &byte, 1);
        app.quit();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    vorstel::sim::SimServer server(reactor, std::move(scenario), options.password);
    server.keepRecord = false;
    server.setVariants(options.variants);
    server.setFaults(options.faults);
    server.transmit = [&socket](const std::string& data, const vorstel::Peer& to) {
        socket.writeDatagram(QByteArray(data.data(), static_cast<qsizetype>(data.size())),
                             QHostAddress(QString::fromStdString(to.host)), static_cast<quint16>(to.port));
    };
    server.onCommand = [](const vorstel::sim::ReceivedCommand& c) {
        std::printf("%s %s:%d %s%s\n", ClockTime().c_str(), c.from.host.c_str(), c.from.port, Printable(c.line).c_str(),
                    c.refused ? "  [refused: bad password]" : "");
        std::fflush(stdout);
    };
    QObject::connect(&socket, &QUdpSocket::readyRead, &app, [&] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram d = socket.receiveDatagram();
            const QByteArray bytes = d.data();
            QHostAddress sender = d.senderAddress();
            bool v4 = false;
            const quint32 ipv4 = sender.toIPv4Address(&v4);
            if (v4) sender = QHostAddress(ipv4);  // plain dotted form, also for v4-mapped senders
            server.receive(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                           vorstel::Peer{sender.toString().toStdString(), d.senderPort()});
        }
    });

    std::printf("listening on %s:%u\n", socket.localAddress().toString().toStdString().c_str(),
                static_cast<unsigned>(socket.localPort()));
    std::fflush(stdout);
    const int status = app.exec();
    std::printf("stopped\n");
    std::fflush(stdout);
    return status;
}
