// Wall time of one request over real UDP on 127.0.0.1 with Qt's event loop, minus the
// 700 ms reply window it must last: the link's overhead on a real machine.
#include <benchmark/benchmark.h>

#include <QTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <filesystem>

#include "main_window.h"
#include "qt_reactor.h"
#include "sim_server.h"
#include "null_platform.h"
#include "watchdog.h"

namespace {

using namespace vorstel;

void BM_RequestOverUdp(benchmark::State& state) {
    QtReactor reactor;
    bench::Surroundings around("vorstel-udp-bench");
    Watchdog w(around.on(reactor), around.dir);

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
}
BENCHMARK(BM_RequestOverUdp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// The simulated server over real UDP, in this process, on the same event loop.
class UdpSimServer {
public:
    UdpSimServer(Reactor& reactor, int players, const sim::Variants& variants = {})
        : server_(reactor, sim::Scenario{}, "myWord") {
        server_.setVariants(variants);
        server_.setCvar("sv_maxclients", "64");
        for (int i = 0; i < players; ++i) {
            sim::Player p;
            p.name = "Player " + std::to_string(i);
            p.address = "10.0." + std::to_string(i / 200) + "." + std::to_string(i % 200 + 1) + ":12203";
            p.rate = 25000;  // no connection warning: the scan is dumps only
            p.vars = {{"name", p.name}, {"rate", "25000"}, {"dm_playermodel", "allied_airborne"}, {"r_farplane", "0"}};
            server_.addPlayer(p);
        }
        socket_.bind(QHostAddress::LocalHost, 0);
        server_.transmit = [this](const std::string& data, const Peer& to) {
            socket_.writeDatagram(data.data(), static_cast<qint64>(data.size()), QHostAddress(QString::fromStdString(to.host)),
                                  static_cast<quint16>(to.port));
        };
        QObject::connect(&socket_, &QUdpSocket::readyRead, [this] {
            while (socket_.hasPendingDatagrams()) {
                const auto d = socket_.receiveDatagram();
                server_.receive(d.data().toStdString(), Peer{d.senderAddress().toString().toStdString(), d.senderPort()});
            }
        });
    }
    int port() const { return socket_.localPort(); }
    const sim::SimServer& sim() const { return server_; }

private:
    sim::SimServer server_;
    QUdpSocket socket_;
};

// The scan frame's work: the listing, then every player.
Task<void> ScanOnce(Watchdog& wd) {
    co_await wd.link.WaitForLink();
    wd.engine.StatusText = co_await wd.link.SendRconCommand("status");
    if (!wd.engine.StatusText.empty()) co_await wd.scan.Work();
}

// One whole scan over real UDP against the floor the protocol sets: every request lasts its
// full reply window, so (1 + players) x 700 ms for a server where nothing is found.
void BM_ScanOverUdp(benchmark::State& state) {
    const int players = static_cast<int>(state.range(0));
    QtReactor reactor;
    bench::Surroundings around("vorstel-scan-bench");
    UdpSimServer server(reactor, players);
    Watchdog w(around.on(reactor), around.dir);
    w.form.txtPORT.setText(std::to_string(server.port()));
    // The window shows the scan as it goes; a 1 ms timer finds the longest time the event
    // loop was kept from running.
    MainWindow window(w);
    window.show();
    {
        // Let the window open and paint once before anything is timed.
        QEventLoop settle;
        QTimer::singleShot(300, &settle, &QEventLoop::quit);
        settle.exec();
    }
    QElapsedTimer sinceTick;
    double longestStallMs = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longestStallMs = std::max(longestStallMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6 - 1);
        sinceTick.restart();
    });
    const double floorMs = (1 + players) * RconLink::kReplyWindowMs;
    double ratio = 0;
    for (auto _ : state) {
        sinceTick.start();
        probe.start();
        QEventLoop loop;
        QElapsedTimer clock;
        clock.start();
        w.scope.spawn([](Watchdog& wd, QEventLoop& l) -> Task<void> {
            co_await ScanOnce(wd);
            l.quit();
        }(w, loop));
        loop.exec();
        probe.stop();
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        ratio = ms / floorMs;
        state.SetIterationTime(ms / 1000.0);
        if (w.form.Players.rowCount() != static_cast<std::size_t>(players)) state.SkipWithError("players missing");
    }
    state.counters["wall_over_floor"] = ratio;
    state.counters["longest_stall_ms"] = longestStallMs;
}
BENCHMARK(BM_ScanOverUdp)->Arg(8)->Arg(32)->Arg(64)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// The same scan against the open-source engine, whose bucket (10 requests, one more a second,
// the rest dropped) binds once the warm-up's requests have filled it. Its floor is the
// bucket's own schedule: each request at the later of its reply window's end and the first
// moment the server takes it, replayed from the times the server received the warm-up.
void BM_ScanOverUdpOpenMoHAA(benchmark::State& state) {
    const int players = static_cast<int>(state.range(0));
    QtReactor reactor;
    bench::Surroundings around("vorstel-scan-bench-openmohaa");
    sim::Variants variants;
    sim::ApplyVariantName("openmohaa", variants);
    UdpSimServer server(reactor, players, variants);
    Watchdog w(around.on(reactor), around.dir);
    w.form.txtPORT.setText(std::to_string(server.port()));
    w.link.UseFraming(Framing::RawLine);
    w.link.SetPacing(true);
    constexpr int kWarmUpRequests = 13;
    double ratio = 0, floorMs = 0;
    for (auto _ : state) {
        QEventLoop loop;
        QElapsedTimer clock;
        std::int64_t startMs = 0;
        std::size_t warmUpRecords = 0;
        w.scope.spawn([](Watchdog& wd, const UdpSimServer& s, QEventLoop& l, QElapsedTimer& c, std::int64_t& start,
                         std::size_t& records, Reactor& r) -> Task<void> {
            for (int i = 0; i < kWarmUpRequests; ++i) {
                co_await wd.link.WaitForLink();
                co_await wd.link.SendRconCommand("cheats");
            }
            records = s.sim().received().size();
            c.start();
            start = r.nowMs();
            co_await ScanOnce(wd);
            l.quit();
        }(w, server, loop, clock, startMs, warmUpRecords, reactor));
        loop.exec();
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;

        const auto& received = server.sim().received();
        RequestBucket bucket;
        for (std::size_t i = 0; i < warmUpRecords; ++i) bucket.Sent(received[i].atMs);
        std::int64_t at = startMs, last = startMs;
        for (std::size_t i = warmUpRecords; i < received.size(); ++i) {
            at = bucket.EarliestSend(i == warmUpRecords ? startMs : last + RconLink::kReplyWindowMs, 0);
            bucket.Sent(at);
            last = at;
        }
        floorMs = static_cast<double>(last + RconLink::kReplyWindowMs - startMs);
        ratio = ms / floorMs;
        state.SetIterationTime(ms / 1000.0);
        if (w.form.Players.rowCount() != static_cast<std::size_t>(players)) state.SkipWithError("players missing");
        if (server.sim().droppedRequests() != 0) state.SkipWithError("requests dropped by the bucket");
    }
    state.counters["floor_s"] = floorMs / 1000;
    state.counters["wall_over_floor"] = ratio;
    state.counters["dropped"] = static_cast<double>(server.sim().droppedRequests());
}
BENCHMARK(BM_ScanOverUdpOpenMoHAA)->Arg(32)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
