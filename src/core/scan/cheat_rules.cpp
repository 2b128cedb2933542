#include "cheat_rules.h"

#include <algorithm>
#include <functional>
#include <iterator>

#include "../engine/server_info.h"
#include "status_line.h"

namespace vorstel {

namespace {
// A rule's text as a template argument: each text gets its own search, set up once.
template <std::size_t N>
struct Text {
    consteval Text(const char (&text)[N]) { std::copy_n(text, N - 1, chars); }
    char chars[N - 1];
};

// Horspool's search skips ahead by up to the text's length. `find` stops at every first letter
// and compares from there, and most of a dump's lines begin with the rules' "r" or "c"; under a
// fuzzer every such comparison is also recorded.
template <Text text>
bool Has(std::string_view dump) {
    static const std::boyer_moore_horspool_searcher searcher(std::begin(text.chars), std::end(text.chars));
    return std::search(dump.begin(), dump.end(), searcher) != dump.end();
}
bool LineHas(std::string_view line, std::string_view text) { return line.find(text) != std::string_view::npos; }
}  // namespace

const std::array<CheatRule, 8>& CheatRules() {
    static const std::array<CheatRule, 8> rules = {{
        {0, DetectionKind::NoFog, [](std::string_view d) { return Has<"r_farplane_nofog     : 1">(d); }},
        {6, DetectionKind::Chameleon, [](std::string_view d) { return Has<"cg_f0rc3m0d31        : 1">(d); }},
        {0, DetectionKind::Clearview,
         [](std::string_view d) { return Has<"r_farplane           : ">(d) && !Has<"r_farplane           : 0">(d); }},
        {1, DetectionKind::WhiteWalls, [](std::string_view d) { return Has<"r_lightmap           : 1">(d); }},
        {3, DetectionKind::ThirdPerson, [](std::string_view d) { return Has<"cg_3rd_person        : 1">(d); }},
        {2, DetectionKind::Wallhack, [](std::string_view d) { return Has<"r_novis              : 1">(d); }},
        {6, DetectionKind::ModifiedBinaries,
         [](std::string_view d) {
             return Has<"r_farplane           : hacked">(d) || Has<"r_novis              : hacked">(d) ||
                    Has<"cg_3rd_person        : hacked">(d) || Has<"r_lightmap           : hacked">(d) ||
                    Has<"r_farplane_nofog     : hacked">(d);
         }},
        {4, DetectionKind::OgcAimbot,
         [](std::string_view d) {
             return Has<"dm_playermodel       : tiedie">(d) || Has<"dm_playergermanmodel : german_oakleave">(d);
         }},
    }};
    return rules;
}

std::vector<std::string> DumpLines(std::string_view dump) { return Split(dump, "\r\n"); }

void ReadSkinCells(std::string_view dump, std::string& allied, std::string& axis) {
    for (const auto& line : DumpLines(dump)) {
        const bool isAllied = LineHas(line, "dm_playermodel");
        const bool isAxis = LineHas(line, "dm_playergermanmodel");
        if (!isAllied && !isAxis) continue;
        const auto fields = Split(line, ":");
        if (fields.size() < 2) continue;
        if (isAllied) allied = TrimSpaces(fields[1]);
        if (isAxis) axis = TrimSpaces(fields[1]);
    }
}

bool IsMacClient(std::string_view dump) {
    for (const auto& line : DumpLines(dump))
        if (LineHas(line, "version") && LineHas(line, "macos-ppc")) return true;
    return false;
}

bool DumpEndsALineWith(std::string_view dump, std::string_view entry) {
    // From line end to line end: a dump is kilobytes of blanks, and a search for " entry\r\n"
    // would compare the whole entry at every blank.
    const std::size_t tail = entry.size() + 1;
    for (auto end = dump.find("\r\n"); end != std::string_view::npos; end = dump.find("\r\n", end + 2))
        if (end >= tail && dump[end - tail] == ' ' && dump.substr(end - entry.size(), entry.size()) == entry)
            return true;
    return false;
}

}  // namespace vorstel
