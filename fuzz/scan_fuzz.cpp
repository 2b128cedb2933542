// A whole "status" listing as the scan and then the patrol walk it, against a server that
// answers every request with bytes from the input: dumps, "say" echoes, the clientban value.
// Every cheat box and both private checks are on, so each dump runs through every rule and
// every detection is answered with its penalties and escalation.
//
// Input: the listing (already cleaned, as the engine keeps it), then NUL-separated reply
// datagrams; the n-th request gets the n-th reply, round and round (none when there are none).
#include "fuzz_support.h"
#include "runtime/text.h"
#include "scan/status_line.h"

using namespace vorstel;

namespace {

// The listing's header, up to 8 player lines and its end. Players are checked one after the
// other, so more of them find nothing new and only make each execution longer.
constexpr std::size_t kMaxPieces = 3 + 8 + 2;
constexpr std::size_t kMaxReplies = 16;

std::string Limited(std::string_view listing) {
    std::size_t at = 0;
    for (std::size_t pieces = 1; pieces < kMaxPieces; ++pieces) {
        const auto end = listing.find("\r\n", at);
        if (end == std::string_view::npos) return std::string(listing);
        at = end + 2;
    }
    return std::string(listing.substr(0, at));
}

// One scan of the listing (none when it is empty), then two patrols of it: the second one
// takes up the high pings that the first one counted.
Task<void> ScanAndPatrol(Watchdog& w, std::string listing, bool& finished) {
    w.engine.StatusText = listing;
    if (!w.engine.StatusText.empty()) co_await w.scan.Work();
    co_await RunPatrol(w);
    w.engine.StatusText = std::move(listing);
    co_await RunPatrol(w);
    finished = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzedWatchdog fuzzed(fuzz::Bytes(data, size), kMaxReplies);
    Watchdog& w = fuzzed.w;
    const std::string listing = Limited(fuzzed.head);

    bool done = false;
    w.scope.spawn(ScanAndPatrol(w, listing, done));
    FUZZ_CHECK(fuzzed.reactor.runUntil([&] { return done; }));

    const auto pieces = Split(listing, "\r\n");
    std::size_t players = 0;
    PlayerLine scratch;
    for (std::size_t i = 3; i + 3 <= pieces.size(); ++i)
        if (ParseStatusLine(pieces[i], scratch) == LineKind::Player) ++players;
    FUZZ_CHECK(w.form.Players.rowCount() <= players);
    for (const auto& row : w.form.Players.rows()) {
        FUZZ_CHECK(row.cellCount() == 7);
        FUZZ_CHECK(!row.cell(0).empty() && !row.cell(1).empty());
    }
    for (const auto& row : w.form.Bans.rows()) FUZZ_CHECK(row.cellCount() == kBanFields);
    return 0;
}
