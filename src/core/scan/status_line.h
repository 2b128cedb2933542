#pragma once
// One line of the server's "status" listing, cut into its fields.
#include <string>
#include <string_view>

#include "../runtime/text.h"

namespace vorstel {

// The fields of the status line being handled, shared by the scan and the patrol. Fields
// that a parse did not reach keep the previous line's values.
struct PlayerLine {
    std::string ClientNumber, Score, Ping, Name, LastMsg, IP, Rate;
    std::string Dump;  // the lowercased client variables, filled by the scan
};

enum class LineKind {
    Player,
    Zombie,      // ping "ZMBI": parsed up to the ping only
    NotAPlayer,  // too short for the columns a player line has
};

// Cuts a line by its columns: client number first and rate last, the port and everything
// after it dropped, then score, ping, address, lastmsg; the name is what remains, inner
// blanks included. "loopback" anywhere in the line makes the address 127.0.0.1; an address
// in brackets (IPv6) is taken without them.
LineKind ParseStatusLine(std::string_view line, PlayerLine& player);

}  // namespace vorstel
