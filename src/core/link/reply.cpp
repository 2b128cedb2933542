#include "reply.h"

namespace vorstel {

std::string CleanReply(std::string_view text) {
    if (text.size() >= kReplyHeaderLength) text.remove_prefix(kReplyHeaderLength);
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    // Whole runs between the "print"s and line feeds go across at once: a dump is kilobytes.
    const auto widen = [&out](std::string_view run) {
        for (auto nl = run.find('\n'); nl != std::string_view::npos; nl = run.find('\n')) {
            out.append(run.substr(0, nl));
            out += "\r\n";
            run.remove_prefix(nl + 1);
        }
        out.append(run);
    };
    for (auto at = text.find("print"); at != std::string_view::npos; at = text.find("print")) {
        widen(text.substr(0, at));
        text.remove_prefix(at + 5);
    }
    widen(text);
    return out;
}

std::string RequestDatagram(std::string_view oobPrefix, std::string_view password, std::string_view command,
                            Framing framing) {
    std::string d;
    d.reserve(oobPrefix.size() + 7 + password.size() + command.size());
    d += oobPrefix;
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
