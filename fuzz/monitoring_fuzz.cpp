// Monitoring from the operator's "Start" to his "Stop" against a server that answers every
// request with bytes from the input: the claim on the server, the warm-up (version, cheats,
// the two mods, the status query and the next map), scans, patrols and map refreshes for
// three minutes, then the release. The replies meet the engine as they come, and so do the
// settings: intervals, thresholds, ping limits and templates as a settings file may hold them.
//
// Input: a settings line (as the file holds it; applied up to its first CR), then
// NUL-separated reply datagrams; the n-th request gets the n-th reply, round and round (none
// when there are none).
#include "config/settings.h"
#include "fuzz_support.h"

using namespace vorstel;

namespace {

constexpr std::size_t kMaxReplies = 24;
constexpr std::int64_t kMonitoredMs = 3 * 60 * 1000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), 1 + kMaxReplies);
    const std::string settings = parts[0].substr(0, parts[0].find('\r'));
    const std::vector<std::string> replies(parts.begin() + 1, parts.end());

    fuzz::FuzzedWatchdog fuzzed("monitoring", replies);
    auto& reactor = fuzzed.reactor;
    auto& w = fuzzed.w;
    fuzz::PrepareMonitoring(w, fuzzed.calendar);
    ApplySettings(w.form, settings);
    // The settings may turn the detection log on: each input starts it afresh.
    w.detections.Empty();

    w.form.Command1.click();
    reactor.advance(kMonitoredMs);
    // "Stop" can be clicked between cycles.
    reactor.runUntil([&] { return w.form.Command13.enabled(); }, 10 * 60 * 1000);
    w.form.Command13.click();
    // The release goes out whatever the server says, and then nothing is left running.
    FUZZ_CHECK(reactor.runUntil([&] { return !w.Timer3->isActive() && !w.engine.inCycle() && !w.link.busy(); },
                                60 * 1000));
    return 0;
}
