#include "reply.h"

namespace vorstel {

std::string CleanReply(std::string_view text) {
    if (text.size() >= kReplyHeaderLength) text.remove_prefix(kReplyHeaderLength);
    std::string withoutPrint;
    withoutPrint.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 5, "print") == 0) {
            i += 5;
        } else {
            withoutPrint += text[i++];
        }
    }
    std::string out;
    out.reserve(withoutPrint.size() + withoutPrint.size() / 16);
    for (char c : withoutPrint) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string RequestDatagram(std::string_view oobPrefix, std::string_view password, std::string_view command,
                            Framing framing) {
    std::string d(oobPrefix);
    if (command == "getstatus") {
        d += " getstatus";
    } else {
        d += framing == Framing::RawLine ? "rcon " : " rcon ";
        d += password;
        d += ' ';
        d += command;
    }
    return d;
}

bool IsHeaderOnly(std::string_view datagram) {
    return datagram.size() == kReplyHeaderLength && datagram == std::string_view("\xFF\xFF\xFF\xFF\x01print\n", 11);
}

}  // namespace vorstel
