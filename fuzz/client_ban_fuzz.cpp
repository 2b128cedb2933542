// The companion mod's "clientban" variable as the patrol reads it, and the address prefix of
// a ban row (whose address the operator may have typed, or a file may hold, or the operator's
// widening made).
//
// Input: the "clientban" reply datagram, NUL, a ban row's address.
#include "fuzz_support.h"
#include "link/reply.h"
#include "penalties/operator_actions.h"
#include "penalties/patrol.h"

using namespace vorstel;

namespace {

// Four groups of one to three digits, as the listing shows a player's address.
bool DottedQuad(const std::string& s) {
    int groups = 0, digits = 0;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            if (++digits > 3) return false;
        } else if (c == '.' && digits > 0) {
            ++groups;
            digits = 0;
        } else {
            return false;
        }
    }
    return digits > 0 && groups == 3;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), 2);
    const std::string reply = CleanReply(parts[0]);
    if (const auto request = ParseClientBan(reply)) {
        // Both pieces come from the value before its closing quote, cut at the '@'s; only a
        // reason that was not given is made up.
        for (const std::string* piece : {&request->clientNumber, &request->reason}) {
            FUZZ_CHECK(piece->find('"') == std::string::npos && piece->find('@') == std::string::npos);
            FUZZ_CHECK(reply.find(*piece) != std::string::npos || *piece == "Admin.Ban");
        }
        FUZZ_CHECK(reply.size() > 16);
    }
    const std::string address = parts.size() > 1 ? parts[1] : std::string();
    const std::string prefix = BanPrefix(address);
    FUZZ_CHECK(prefix.size() <= address.size());
    if (address.find("xxx") == std::string::npos && address.find("..") == std::string::npos)
        FUZZ_CHECK(prefix == address);
    // "Ban Subrank" and "Ban Provider" widen a ban on a player's address: the widened row still
    // catches that address.
    if (DottedQuad(address)) {
        for (int kept : {2, 3}) {
            const auto widened = WidenBan(address, kept);
            FUZZ_CHECK(widened.has_value());
            FUZZ_CHECK(address.rfind(BanPrefix(*widened), 0) == 0);
        }
    }
    return 0;
}
