// CPU cost of the link's own work, in virtual time (no waiting).
#include <benchmark/benchmark.h>

#include "link/reply.h"
#include "runtime/virtual_reactor.h"
#include "null_platform.h"
#include "watchdog.h"

namespace {

using namespace vorstel;

std::string Listing(int players) {
    std::string s = "\xFF\xFF\xFF\xFF\x01print\nmap: dm/mohdm6\nnum score ping name            lastmsg address               qport rate\n"
                    "--- ----- ---- --------------- ------- --------------------- ----- -----\n";
    for (int i = 0; i < players; ++i) {
        char line[128];
        std::snprintf(line, sizeof line, "%3i %5i %4i %-16s%7i %-22s%5i %5i\n", i, i * 3, 40 + i, "Sprinter", 0,
                      "10.0.0.5:12203", 1234, 5000);
        s += line;
    }
    return s + "\n";
}

void BM_CleanReply(benchmark::State& state) {
    const std::string datagram = Listing(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(CleanReply(datagram));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * datagram.size()));
}
BENCHMARK(BM_CleanReply)->Arg(8)->Arg(64);

// One whole request with its reply, the virtual clock jumping over the window.
void BM_RequestInVirtualTime(benchmark::State& state) {
    VirtualReactor reactor;
    bench::Surroundings around("vorstel-bench");
    Watchdog w(around.on(reactor), around.dir);
    const std::string reply = Listing(32);
    std::unique_ptr<VirtualNetwork::Endpoint> server;
    server = reactor.network().bind({"127.0.0.1", 12203},
                                    [&](const std::string&, const Peer& from) { server->sendTo(reply, from); });
    for (auto _ : state) {
        std::string result;
        w.scope.spawn([](RconLink& link, std::string& out) -> Task<void> {
            out = co_await link.SendRconCommand("status");
        }(w.link, result));
        reactor.advance(RconLink::kReplyWindowMs);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_RequestInVirtualTime);

}  // namespace
