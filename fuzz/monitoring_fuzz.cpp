// Monitoring from the operator's "Start" to his "Stop" against a server that answers every
// request with bytes from the input: the claim on the server, the warm-up (version, cheats,
// the two mods, the status query and the next map), scans, patrols and map refreshes, then the
// release. The replies meet the engine as they come, and so do the settings: intervals,
// thresholds, ping limits and templates as a settings file may hold them.
//
// Input: a settings line (as the file holds it; applied up to its first CR), then
// NUL-separated reply datagrams; the n-th request gets the n-th reply, round and round (none
// when there are none).
#include "config/settings.h"
#include "fuzz_support.h"

using namespace vorstel;

namespace {

constexpr std::size_t kMaxReplies = 24;
// Monitoring goes on for 90 s, long enough for the warm-up, a scan, patrols every 20 s and the
// second scan a minute later; settings that make the engine talk faster are cut short after
// as many requests as that takes.
constexpr std::int64_t kMonitoredMs = 90 * 1000;
constexpr std::size_t kMaxRequests = 48;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzedWatchdog fuzzed(fuzz::Bytes(data, size), kMaxReplies);
    auto& reactor = fuzzed.reactor;
    auto& w = fuzzed.w;
    w.form.txtMin.setText("1");
    w.form.MinPolt.setText("20");
    ApplySettings(w.form, fuzzed.head.substr(0, fuzzed.head.find('\r')));

    w.form.Command1.click();
    reactor.runUntil([&] { return fuzzed.server.requests() >= kMaxRequests; }, kMonitoredMs);
    // "Stop" can be clicked between cycles. A cycle may last many minutes (a long listing whose
    // every player is a cheater that no kick removes): closing the window stops it midway, and
    // reaches the same handler.
    reactor.runUntil([&] { return w.form.Command13.enabled(); }, 2 * 60 * 1000);
    if (w.form.Command13.enabled())
        w.form.Command13.click();
    else
        w.monitoring.Command13_Click();
    // The release goes out whatever the server says, and then nothing is left running.
    const auto idle = [&] { return !w.Timer3->isActive() && !w.engine.inCycle() && !w.link.busy(); };
    FUZZ_CHECK(reactor.runUntil(idle, 60 * 1000));
    reactor.advance(5000);
    FUZZ_CHECK(idle());
    return 0;
}
