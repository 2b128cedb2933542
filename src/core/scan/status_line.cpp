#include "status_line.h"

namespace vorstel {

namespace {

// The columns are cut as views into the line: a listing is parsed at every scan and patrol.
std::string_view Trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string_view FirstWord(std::string_view s) { return s.substr(0, s.find(' ')); }

std::string_view LastWord(std::string_view s) {
    const auto at = s.rfind(' ');
    return at == std::string_view::npos ? s : s.substr(at + 1);
}

// Removal that refuses to cut more than the text holds: such a line has too few columns.
bool DropFront(std::string_view& s, std::size_t n) {
    if (n > s.size()) return false;
    s.remove_prefix(n);
    return true;
}

bool DropBack(std::string_view& s, std::size_t n) {
    if (n > s.size()) return false;
    s.remove_suffix(n);
    return true;
}

}  // namespace

LineKind ParseStatusLine(std::string_view line, PlayerLine& p) {
    std::string_view l = Trimmed(line);
    if (l.empty()) return LineKind::NotAPlayer;
    const std::string_view client = FirstWord(l);
    const std::string_view rate = LastWord(l);
    if (!DropFront(l, client.size()) || !DropBack(l, rate.size())) return LineKind::NotAPlayer;

    // The port and every column after it go: each ":<text after the last colon>" is removed.
    const auto colon = l.rfind(':');
    const std::string_view port = colon == std::string_view::npos ? l : l.substr(colon + 1);
    std::string cut = ":";
    cut += port;
    std::string kept;
    std::size_t from = 0;
    for (auto at = l.find(cut); at != std::string_view::npos; at = l.find(cut, from)) {
        kept.append(l, from, at - from);
        from = at + cut.size();
    }
    kept.append(l, from);
    l = Trimmed(kept);

    const std::string_view score = FirstWord(l);
    l.remove_prefix(score.size());
    l = Trimmed(l);
    const std::string_view ping = FirstWord(l);
    if (ping.empty()) return LineKind::NotAPlayer;
    if (ping == "ZMBI") {
        p.ClientNumber = client;
        p.Rate = rate;
        p.Score = score;
        p.Ping = ping;
        return LineKind::Zombie;
    }

    const std::string_view ip = l.find("loopback") != std::string_view::npos ? "127.0.0.1" : LastWord(l);
    if (!DropFront(l, ping.size()) || !DropBack(l, ip.size() + 1)) return LineKind::NotAPlayer;
    l = Trimmed(l);
    const std::string_view lastMsg = LastWord(l);
    if (!DropBack(l, lastMsg.size() + 1)) return LineKind::NotAPlayer;
    // A whole player line: only now does it replace the previous one's fields.
    p.ClientNumber = client;
    p.Rate = rate;
    p.Score = score;
    p.Ping = ping;
    // An IPv6 client is listed as "[2001:db8::7]:12203"; its address is what the brackets hold.
    p.IP = ip.size() > 2 && ip.front() == '[' && ip.back() == ']' ? ip.substr(1, ip.size() - 2) : ip;
    p.LastMsg = lastMsg;
    p.Name = Trimmed(l);
    return LineKind::Player;
}

}  // namespace vorstel
