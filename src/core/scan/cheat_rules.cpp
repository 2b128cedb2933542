#include "cheat_rules.h"

#include "../engine/server_info.h"
#include "status_line.h"

namespace vorstel {

namespace {
bool Has(std::string_view dump, std::string_view text) { return dump.find(text) != std::string_view::npos; }
}  // namespace

const std::array<CheatRule, 8>& CheatRules() {
    static const std::array<CheatRule, 8> rules = {{
        {0, DetectionKind::NoFog, [](std::string_view d) { return Has(d, "r_farplane_nofog     : 1"); }},
        {6, DetectionKind::Chameleon, [](std::string_view d) { return Has(d, "cg_f0rc3m0d31        : 1"); }},
        {0, DetectionKind::Clearview,
         [](std::string_view d) { return Has(d, "r_farplane           : ") && !Has(d, "r_farplane           : 0"); }},
        {1, DetectionKind::WhiteWalls, [](std::string_view d) { return Has(d, "r_lightmap           : 1"); }},
        {3, DetectionKind::ThirdPerson, [](std::string_view d) { return Has(d, "cg_3rd_person        : 1"); }},
        {2, DetectionKind::Wallhack, [](std::string_view d) { return Has(d, "r_novis              : 1"); }},
        {6, DetectionKind::ModifiedBinaries,
         [](std::string_view d) {
             return Has(d, "r_farplane           : hacked") || Has(d, "r_novis              : hacked") ||
                    Has(d, "cg_3rd_person        : hacked") || Has(d, "r_lightmap           : hacked") ||
                    Has(d, "r_farplane_nofog     : hacked");
         }},
        {4, DetectionKind::OgcAimbot,
         [](std::string_view d) {
             return Has(d, "dm_playermodel       : tiedie") || Has(d, "dm_playergermanmodel : german_oakleave");
         }},
    }};
    return rules;
}

std::vector<std::string> DumpLines(std::string_view dump) { return Split(dump, "\r\n"); }

void ReadSkinCells(std::string_view dump, std::string& allied, std::string& axis) {
    for (const auto& line : DumpLines(dump)) {
        const bool isAllied = Has(line, "dm_playermodel");
        const bool isAxis = Has(line, "dm_playergermanmodel");
        if (!isAllied && !isAxis) continue;
        const auto fields = Split(line, ":");
        if (fields.size() < 2) continue;
        if (isAllied) allied = TrimSpaces(fields[1]);
        if (isAxis) axis = TrimSpaces(fields[1]);
    }
}

bool IsMacClient(std::string_view dump) {
    for (const auto& line : DumpLines(dump))
        if (Has(line, "version") && Has(line, "macos-ppc")) return true;
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
