// One line of the "status" listing, cut into its columns.
#include "fuzz_support.h"
#include "scan/status_line.h"

using namespace vorstel;

namespace {

bool HasBlank(const std::string& s) { return s.find(' ') != std::string::npos; }
bool Trimmed(const std::string& s) { return s.empty() || (s.front() != ' ' && s.back() != ' '); }

PlayerLine Previous() {
    PlayerLine p;
    p.ClientNumber = "prev-num";
    p.Score = "prev-score";
    p.Ping = "prev-ping";
    p.Name = "prev name";
    p.LastMsg = "prev-lastmsg";
    p.IP = "prev-ip";
    p.Rate = "prev-rate";
    p.Dump = "prev dump";
    return p;
}

bool Same(const PlayerLine& a, const PlayerLine& b) {
    return a.ClientNumber == b.ClientNumber && a.Score == b.Score && a.Ping == b.Ping && a.Name == b.Name &&
           a.LastMsg == b.LastMsg && a.IP == b.IP && a.Rate == b.Rate && a.Dump == b.Dump;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line = fuzz::Bytes(data, size);
    PlayerLine p = Previous();
    const PlayerLine before = p;
    switch (ParseStatusLine(line, p)) {
        case LineKind::Player:
            // The scan keys its dump request and the kick on these: never empty, never blank.
            FUZZ_CHECK(!p.ClientNumber.empty() && !HasBlank(p.ClientNumber));
            FUZZ_CHECK(!p.Ping.empty() && !HasBlank(p.Ping));
            FUZZ_CHECK(!p.Rate.empty() && !HasBlank(p.Rate));
            FUZZ_CHECK(!HasBlank(p.Score) && !HasBlank(p.LastMsg) && !HasBlank(p.IP));
            FUZZ_CHECK(Trimmed(p.Name));
            FUZZ_CHECK(p.Dump == before.Dump);
            break;
        case LineKind::Zombie:
            FUZZ_CHECK(p.Ping == "ZMBI");
            FUZZ_CHECK(!p.ClientNumber.empty());
            // Parsed up to the ping only.
            FUZZ_CHECK(p.Name == before.Name && p.IP == before.IP && p.LastMsg == before.LastMsg);
            break;
        case LineKind::NotAPlayer:
            FUZZ_CHECK(Same(p, before));
            break;
    }
    return 0;
}
