#include "status_line.h"

namespace vorstel {

namespace {

std::string FirstWord(const std::string& s) { return s.substr(0, s.find(' ')); }

std::string LastWord(const std::string& s) {
    const auto at = s.rfind(' ');
    return at == std::string::npos ? s : s.substr(at + 1);
}

// Removal that refuses to cut more than the text holds: such a line has too few columns.
bool DropFront(std::string& s, std::size_t n) {
    if (n > s.size()) return false;
    s.erase(0, n);
    return true;
}

bool DropBack(std::string& s, std::size_t n) {
    if (n > s.size()) return false;
    s.erase(s.size() - n);
    return true;
}

}  // namespace

LineKind ParseStatusLine(std::string_view line, PlayerLine& p) {
    std::string l = TrimSpaces(line);
    if (l.empty()) return LineKind::NotAPlayer;
    const std::string client = FirstWord(l);
    const std::string rate = LastWord(l);
    if (!DropFront(l, client.size()) || !DropBack(l, rate.size())) return LineKind::NotAPlayer;

    // The port and every column after it go: each ":<text after the last colon>" is removed.
    const auto colon = l.rfind(':');
    const std::string port = colon == std::string::npos ? l : l.substr(colon + 1);
    const std::string cut = ":" + port;
    std::string kept;
    std::size_t from = 0;
    for (auto at = l.find(cut); at != std::string::npos; at = l.find(cut, from)) {
        kept.append(l, from, at - from);
        from = at + cut.size();
    }
    kept.append(l, from);
    l = TrimSpaces(kept);

    const std::string score = FirstWord(l);
    l.erase(0, score.size());
    l = TrimSpaces(l);
    const std::string ping = FirstWord(l);
    if (ping.empty()) return LineKind::NotAPlayer;
    if (ping == "ZMBI") {
        p.ClientNumber = client;
        p.Rate = rate;
        p.Score = score;
        p.Ping = ping;
        return LineKind::Zombie;
    }

    const std::string ip = l.find("loopback") != std::string::npos ? "127.0.0.1" : LastWord(l);
    if (!DropFront(l, ping.size()) || !DropBack(l, ip.size() + 1)) return LineKind::NotAPlayer;
    l = TrimSpaces(l);
    const std::string lastMsg = LastWord(l);
    if (!DropBack(l, lastMsg.size() + 1)) return LineKind::NotAPlayer;
    // A whole player line: only now does it replace the previous one's fields.
    p.ClientNumber = client;
    p.Rate = rate;
    p.Score = score;
    p.Ping = ping;
    // An IPv6 client is listed as "[2001:db8::7]:12203"; its address is what the brackets hold.
    p.IP = ip.size() > 2 && ip.front() == '[' && ip.back() == ']' ? ip.substr(1, ip.size() - 2) : ip;
    p.LastMsg = lastMsg;
    p.Name = TrimSpaces(l);
    return LineKind::Player;
}

}  // namespace vorstel
