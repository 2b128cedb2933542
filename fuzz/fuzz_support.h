#pragma once
// What every fuzz target shares: a check that stops the run with the failed condition, and the
// input cut into parts at NUL bytes (the targets that read several texts take them this way,
// so a seed stays readable). The two targets that drive the whole watchdog share the server
// that replays the input, the watchdog's surroundings and its settings.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "penalties/patrol.h"
#include "penalties/penalty_tables.h"
#include "support.h"
#include "watchdog.h"

namespace vorstel::fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::vorstel::fuzz::Fail(#condition, __FILE__, __LINE__))

// AddressSanitizer's defaults, cheaper for many small allocations: five frames of each
// allocation's and release's stack, and a quarantine of freed memory that still outlasts any
// one execution many times over. ASAN_OPTIONS overrides them (malloc_context_size=30 for whole
// stacks when replaying a crash).
extern "C" const char* __asan_default_options() { return "malloc_context_size=5:quarantine_size_mb=16"; }

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// At most `limit` parts; the last one keeps any further NUL bytes.
inline std::vector<std::string> Parts(std::string_view input, std::size_t limit) {
    std::vector<std::string> parts;
    while (parts.size() + 1 < limit) {
        const auto at = input.find('\0');
        if (at == std::string_view::npos) break;
        parts.emplace_back(input.substr(0, at));
        input.remove_prefix(at + 1);
    }
    parts.emplace_back(input);
    return parts;
}

// Every question answered with Yes, every message box with OK: a server that seems monitored
// already is claimed all the same.
class YesDialogs : public Dialogs {
    Task<MessageAnswer> Show(MessageBox box) override {
        co_return box.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
};

// The server at the watchdog's default address: the n-th request gets the n-th reply, round
// and round, none when there are none. Whatever the replies, the link never sends a request
// before the previous one's reply window has closed.
class FuzzedServer {
public:
    FuzzedServer(VirtualReactor& reactor, std::vector<std::string> replies) : replies_(std::move(replies)) {
        endpoint_ = reactor.network().bind(Peer{"127.0.0.1", 12203}, [this, &reactor](const std::string&, const Peer& from) {
            if (requests_ > 0) FUZZ_CHECK(reactor.nowMs() - lastMs_ >= RconLink::kReplyWindowMs);
            lastMs_ = reactor.nowMs();
            if (!replies_.empty()) endpoint_->sendTo(replies_[requests_ % replies_.size()], from);
            ++requests_;
        });
    }
    std::size_t requests() const { return requests_; }

private:
    std::vector<std::string> replies_;
    std::size_t requests_ = 0;
    std::int64_t lastMs_ = 0;
    std::unique_ptr<VirtualNetwork::Endpoint> endpoint_;
};

// The working directory of the whole run, empty; removed when the process ends.
inline const std::filesystem::path& RunDirectory() {
    static const test::TempDir run;
    return run.path();
}

// A watchdog on virtual time against a FuzzedServer, started in the run's working directory.
// Every cheat box and both private checks are on, names are passed to the companion mod, a
// warning, a timed ban and the default kicks are the penalties, warnings escalate too, the
// high-ping kick comes after a second patrol, and two ban rows wait for the patrol. A task that
// ends with an exception is a failure. No traffic log and no detection log: nobody reads them
// here, and writing them cost more than the exchange itself.
//
// Input: a first part (`head`), then at most `maxReplies` reply datagrams, NUL-separated.
struct FuzzedWatchdog {
    FuzzedWatchdog(std::string_view input, std::size_t maxReplies) : FuzzedWatchdog(Parts(input, 1 + maxReplies)) {}

    std::string head;
    VirtualReactor reactor;
    FuzzedServer server;
    test::RecordingDesktop desktop;
    YesDialogs dialogs;
    FixedCalendar calendar;
    Watchdog w;

private:
    explicit FuzzedWatchdog(std::vector<std::string> parts)
        : head(std::move(parts[0])),
          server(reactor, {std::make_move_iterator(parts.begin() + 1), std::make_move_iterator(parts.end())}),
          w({reactor, desktop, dialogs, calendar}, RunDirectory()) {
        calendar.current = {2026, 12, 5, 21, 7, 0};
        w.traffic = TrafficLog({});
        w.detections = DetectionLog({}, calendar);
        w.scope.setErrorHandler([](std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "a task ended with an exception: %s\n", e.what());
            }
            std::abort();
        });
        w.Startup();
        // The skin lists as if read from their files at start-up. A scan's re-read finds no file
        // in the empty run directory and keeps them: two failed opens instead of two files read.
        w.SuspiciousSkins = {"tiedie", " allied_glow ", "German_Shiny", ""};
        w.SuspiciousSkinCount = static_cast<int>(w.SuspiciousSkins.size());
        w.ReservedSkins = {"allied_vip"};
        w.ReservedSkinCount = static_cast<int>(w.ReservedSkins.size());
        auto& f = w.form;
        f.Logea.setValue(0);
        for (auto& box : f.Cheats) box.setValue(1);
        f.txtTAG.setText("[TAG]");
        f.txtPRP.setText("secret");
        f.Check1.setValue(1);
        f.Check5.setValue(1);
        f.Check3.setValue(1);
        w.engine.SpearheadServer = true;
        f.Penalty(PenaltyRow::Wallhack).Warning->setValue(true);
        f.Penalty(PenaltyRow::NoFog).Ban->setValue(true);
        f.Penalty(PenaltyRow::NoFog).Days->setText("3");
        f.AcWarns.setText("2");
        f.Check2.setValue(1);
        f.Text5.setText("100");
        f.Text6.setText("2");
        AddBan(f.Bans, calendar, "10.0.xxx.xxx", "Old Cheat", "Cheat: Wallhack", std::nullopt);
        AddBan(f.Bans, calendar, "81.34..", "Wolf", "Admin.Ban", 7);
    }
};

}  // namespace vorstel::fuzz
