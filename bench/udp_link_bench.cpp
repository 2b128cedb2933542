// Wall time of one request over real UDP on 127.0.0.1 with Qt's event loop, minus the
// 700 ms reply window it must last: the link's overhead on a real machine.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <filesystem>

#include "qt_reactor.h"
#include "null_platform.h"
#include "watchdog.h"

namespace {

using namespace vorstel;

void BM_RequestOverUdp(benchmark::State& state) {
    QtReactor reactor;
    bench::NullDesktop desktop;
    bench::NullDialogs dialogs;
    FixedCalendar calendar;
    const auto dir = std::filesystem::temp_directory_path() / "vorstel-udp-bench";
    std::filesystem::create_directories(dir);
    Watchdog w({reactor, desktop, dialogs, calendar}, dir);

    QUdpSocket server;
    server.bind(QHostAddress::LocalHost, 0);
    QObject::connect(&server, &QUdpSocket::readyRead, [&] {
        while (server.hasPendingDatagrams()) {
            auto d = server.receiveDatagram();
            server.writeDatagram(QByteArray("\xFF\xFF\xFF\xFF\x01print\n\"cheats\" is:\"0\" default:\"0\"\n"),
                                 d.senderAddress(), static_cast<quint16>(d.senderPort()));
        }
    });
    w.form.txtPORT.setText(std::to_string(server.localPort()));

    double worstMs = 0;
    for (auto _ : state) {
        QEventLoop loop;
        std::string result;
        QElapsedTimer clock;
        clock.start();
        w.scope.spawn([](RconLink& link, std::string& out, QEventLoop& l) -> Task<void> {
            out = co_await link.SendRconCommand("cheats");
            l.quit();
        }(w.link, result, loop));
        loop.exec();
        const double overheadMs = static_cast<double>(clock.nsecsElapsed()) / 1e6 - RconLink::kReplyWindowMs;
        worstMs = std::max(worstMs, overheadMs);
        state.SetIterationTime(overheadMs / 1000.0);
        if (result.empty()) state.SkipWithError("no reply");
    }
    state.counters["worst_overhead_ms"] = worstMs;
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RequestOverUdp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
