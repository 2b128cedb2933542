// The small parsers of what the server sends and the operator types. The first byte picks one
// (its value modulo 5: the seeds start with "A" to "E"), the rest is its input:
//   A  one line of the "status" listing
//   B  a number typed into a text box or read from the settings file
//   C  a skin list entry, NUL, a player's "dumpuser" reply (any datagram: it keeps its NULs)
//   D  the "getstatus" reply, NUL, a variable's reply, NUL, a map name, NUL, a map list
//   E  the "clientban" reply, NUL, a ban row's address
// Every datagram is cleaned as the link cleans it, and the cleaning is checked too.
#include <algorithm>
#include <charconv>
#include <limits>

#include "engine/server_info.h"
#include "fuzz_support.h"
#include "link/reply.h"
#include "penalties/operator_actions.h"
#include "penalties/patrol.h"
#include "runtime/numbers.h"
#include "runtime/text.h"
#include "scan/cheat_rules.h"
#include "scan/status_line.h"

using namespace vorstel;

namespace {

bool Has(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }
bool Trimmed(const std::string& s) { return s.empty() || (s.front() != ' ' && s.back() != ' '); }

// Every line feed comes out as CR LF: a lone LF never reaches the parsers. Only "print" goes
// and only a CR before each LF comes.
std::string Clean(std::string_view datagram) {
    std::string clean = CleanReply(datagram);
    for (std::size_t i = 0; i < clean.size(); ++i)
        if (clean[i] == '\n') FUZZ_CHECK(i > 0 && clean[i - 1] == '\r');
    const std::string_view body = datagram.size() >= kReplyHeaderLength ? datagram.substr(kReplyHeaderLength) : datagram;
    const auto feeds = static_cast<std::size_t>(std::count(body.begin(), body.end(), '\n'));
    FUZZ_CHECK(static_cast<std::size_t>(std::count(clean.begin(), clean.end(), '\n')) == feeds);
    FUZZ_CHECK(clean.size() <= body.size() + feeds && (body.size() + feeds - clean.size()) % 5 == 0);
    return clean;
}

void Listing(std::string_view line) {
    const auto fields = {&PlayerLine::ClientNumber, &PlayerLine::Score, &PlayerLine::Ping, &PlayerLine::Name,
                         &PlayerLine::LastMsg,      &PlayerLine::IP,    &PlayerLine::Rate, &PlayerLine::Dump};
    PlayerLine p;
    int n = 0;
    for (auto f : fields) p.*f = "prev-" + std::to_string(n++);
    const PlayerLine before = p;
    const auto kept = [&](std::string PlayerLine::*f) { return p.*f == before.*f; };
    switch (ParseStatusLine(line, p)) {
        case LineKind::Player:
            // The scan keys its dump request and the kick on these: never empty, never blank.
            for (const std::string* s : {&p.ClientNumber, &p.Ping, &p.Rate}) FUZZ_CHECK(!s->empty());
            for (const std::string* s : {&p.ClientNumber, &p.Ping, &p.Rate, &p.Score, &p.LastMsg, &p.IP})
                FUZZ_CHECK(!Has(*s, " "));
            FUZZ_CHECK(Trimmed(p.Name) && kept(&PlayerLine::Dump));
            break;
        case LineKind::Zombie:
            // Parsed up to the ping only.
            FUZZ_CHECK(p.Ping == "ZMBI" && !p.ClientNumber.empty());
            FUZZ_CHECK(kept(&PlayerLine::Name) && kept(&PlayerLine::IP) && kept(&PlayerLine::LastMsg));
            break;
        case LineKind::NotAPlayer:
            FUZZ_CHECK(std::all_of(fields.begin(), fields.end(), kept));
            break;
    }
}

void Number(std::string_view text) {
    const auto whole = ParseWholeNumber(text);
    const auto l = ToLong(text);
    const auto i = ToInteger(text);

    // The narrow readings agree with the wide one and refuse only what is out of their range.
    const auto fits = [&](auto lo, auto hi) { return whole && *whole >= lo && *whole <= hi; };
    FUZZ_CHECK(l.has_value() == fits(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    FUZZ_CHECK(i.has_value() == fits(std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
    if (l) FUZZ_CHECK(*l == *whole);
    if (i) FUZZ_CHECK(*i == *whole);

    // Plain digits, optionally signed, read as the integer they spell.
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
    if (!digits.empty() && digits.size() <= 12 && digits.find_first_not_of("0123456789") == std::string_view::npos) {
        long long expected = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), expected);
        FUZZ_CHECK(ec == std::errc() && end == text.data() + text.size());
        FUZZ_CHECK(whole && *whole == expected);
    }
    // A number written back as text reads as itself.
    if (whole && *whole > -(1LL << 40) && *whole < (1LL << 40)) FUZZ_CHECK(ParseWholeNumber(std::to_string(*whole)) == whole);
}

// A skin cell is set only from its model's line: trimmed, and within that line.
void CheckCell(const std::string& cell, const char* untouched, std::string_view dump, std::string_view model) {
    if (cell == untouched) return;
    FUZZ_CHECK(Has(dump, model) && !Has(cell, "\r\n") && !Has(cell, ":") && Trimmed(cell));
}

void Dump(std::string_view input) {
    const auto parts = fuzz::Parts(input, 2);
    const std::string entry = ToLower(TrimSpaces(parts[0]));
    const std::string dump = ToLower(Clean(parts.size() > 1 ? parts[1] : ""));

    std::string allied = "(untouched allied)", axis = "(untouched axis)";
    ReadSkinCells(dump, allied, axis);
    CheckCell(allied, "(untouched allied)", dump, "dm_playermodel");
    CheckCell(axis, "(untouched axis)", dump, "dm_playergermanmodel");

    if (IsMacClient(dump)) FUZZ_CHECK(Has(dump, "version") && Has(dump, "macos-ppc"));
    FUZZ_CHECK(DumpEndsALineWith(dump, entry) == Has(dump, " " + entry + "\r\n"));
    std::size_t fired = 0;
    for (const auto& rule : CheatRules()) fired += rule.fires(dump) ? 1 : 0;
    // Every rule looks for a padded "name : value" text; a dump without " : " fires none.
    if (!Has(dump, " : ")) FUZZ_CHECK(fired == 0);
    std::size_t lines = 0;
    for (const auto& line : DumpLines(dump)) lines += line.size() + 2;
    FUZZ_CHECK(lines == dump.size() + 2);
}

void CheckNextMap(const std::string& map, const std::string& list) {
    const std::string next = NextMapAfter(map, list);
    if (list.empty()) {
        FUZZ_CHECK(next == map);
        return;
    }
    // One entry of the blank-separated list, or nothing when the map is not in it.
    FUZZ_CHECK(!Has(next, " ") && (next.empty() || Has(list, next)));
    if (map.empty() || !Has(list, map)) FUZZ_CHECK(next.empty());
}

void StatusQuery(std::string_view input) {
    auto parts = fuzz::Parts(input, 4);
    parts.resize(4);
    const std::string lowered = ToLower(Clean(parts[0]));
    const auto info = ParseStatusQuery(lowered);
    FUZZ_CHECK(!Has(info.GameType, "-"));
    for (const std::string* field : {&info.GameType, &info.MapName, &info.MapList})
        FUZZ_CHECK(!Has(*field, "\\") && field->size() <= lowered.size());
    CheckNextMap(info.MapName, info.MapList);
    CheckNextMap(parts[2], parts[3]);

    std::string value = "(untouched)";
    const std::string reply = Clean(parts[1]);
    if (VariableValue(reply, value))
        FUZZ_CHECK(!Has(value, "\"") && std::count(reply.begin(), reply.end(), '"') >= 3);
    else
        FUZZ_CHECK(value == "(untouched)");
}

// Four groups of one to three digits, as the listing shows a player's address.
bool DottedQuad(const std::string& s) {
    const auto groups = Split(s, ".");
    return groups.size() == 4 && std::all_of(groups.begin(), groups.end(), [](const std::string& g) {
               return !g.empty() && g.size() <= 3 && g.find_first_not_of("0123456789") == std::string::npos;
           });
}

void ClientBan(std::string_view input) {
    const auto parts = fuzz::Parts(input, 2);
    const std::string reply = Clean(parts[0]);
    if (const auto request = ParseClientBan(reply)) {
        // Both pieces come from the value before its closing quote, cut at the '@'s; only a
        // reason that was not given is made up.
        for (const std::string* piece : {&request->clientNumber, &request->reason}) {
            FUZZ_CHECK(!Has(*piece, "\"") && !Has(*piece, "@"));
            FUZZ_CHECK(Has(reply, *piece) || *piece == "Admin.Ban");
        }
        FUZZ_CHECK(reply.size() > 16);
    }
    const std::string address = parts.size() > 1 ? parts[1] : std::string();
    const std::string prefix = BanPrefix(address);
    FUZZ_CHECK(prefix.size() <= address.size());
    if (!Has(address, "xxx") && !Has(address, "..")) FUZZ_CHECK(prefix == address);
    // "Ban Subrank" and "Ban Provider" widen a ban on a player's address: the widened row still
    // catches that address.
    if (DottedQuad(address)) {
        for (int kept : {2, 3}) {
            const auto widened = WidenBan(address, kept);
            FUZZ_CHECK(widened && address.rfind(BanPrefix(*widened), 0) == 0);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr void (*kParsers[])(std::string_view) = {Listing, Number, Dump, StatusQuery, ClientBan};
    if (size > 0) kParsers[data[0] % std::size(kParsers)](fuzz::Bytes(data + 1, size - 1));
    return 0;
}
