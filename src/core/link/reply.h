#pragma once
#include <string>
#include <string_view>

namespace vorstel {

// Length of the server's reply header ("\xFF\xFF\xFF\xFF\x01print\n").
inline constexpr std::size_t kReplyHeaderLength = 11;

// A datagram as the rest of the program sees it: header dropped (when there are at least
// 11 bytes), every "print" removed, every line feed widened to CR LF.
std::string CleanReply(std::string_view datagram);

// Where a console command's line starts: after a blank (the original game), or at the very
// start of the line, for servers that cut the command from the raw line by its offset.
enum class Framing { LeadingBlank, RawLine };

// The request datagram for a console command, or the public status query for "getstatus".
std::string RequestDatagram(std::string_view oobPrefix, std::string_view password, std::string_view command,
                            Framing framing = Framing::LeadingBlank);

// True for a reply datagram that is its header and nothing else: what a server that prints
// nothing sends, as against sending nothing at all.
bool IsHeaderOnly(std::string_view datagram);

}  // namespace vorstel
