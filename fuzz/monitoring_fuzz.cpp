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
#include "runtime/virtual_reactor.h"
#include "fuzz_support.h"
#include "scan_setup.h"

using namespace vorstel;

namespace {

constexpr std::size_t kMaxReplies = 24;
constexpr std::int64_t kMonitoredMs = 3 * 60 * 1000;

const fuzz::RunDirectory& Run() {
    static const fuzz::RunDirectory run = [] {
        fuzz::RunDirectory dir("monitoring");
        fuzz::WriteSkinLists(dir.path());
        return dir;
    }();
    return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), 1 + kMaxReplies);
    const std::string settings = parts[0].substr(0, parts[0].find('\r'));
    const std::vector<std::string> replies(parts.begin() + 1, parts.end());

    VirtualReactor reactor;
    fuzz::FuzzedServer server(reactor, replies);
    fuzz::NoDesktop desktop;
    fuzz::YesDialogs dialogs;
    FixedCalendar calendar;
    calendar.current = {2026, 12, 5, 21, 7, 0};
    Watchdog w({reactor, desktop, dialogs, calendar}, Run().path());
    w.scope.setErrorHandler([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "a task ended with an exception: %s\n", e.what());
        } catch (...) {
            std::fprintf(stderr, "a task ended with an exception\n");
        }
        std::abort();
    });
    w.Startup();
    fuzz::PrepareMonitoring(w, calendar);
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
