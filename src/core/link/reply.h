#pragma once
#include <string>
#include <string_view>

namespace vorstel {

// Length of the server's reply header ("\xFF\xFF\xFF\xFF\x01print\n").
inline constexpr std::size_t kReplyHeaderLength = 11;

// A datagram as the rest of the program sees it: header dropped (when there are at least
// 11 bytes), every "print" removed, every line feed widened to CR LF.
std::string CleanReply(std::string_view datagram);

// The request datagram for a console command, or the public status query for "getstatus".
std::string RequestDatagram(std::string_view oobPrefix, std::string_view password, std::string_view command);

}  // namespace vorstel
