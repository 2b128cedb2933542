// A player's "dumpuser" reply as the scan reads it: cleaned, lowercased, then the skin cells,
// the Mac exemption, the skin list entries and the eight variable rules.
//
// Input: a skin list entry, NUL, the reply datagram.
#include "fuzz_support.h"
#include "link/reply.h"
#include "runtime/text.h"
#include "scan/cheat_rules.h"

using namespace vorstel;

namespace {

bool Has(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

void CheckCell(const std::string& cell, const char* untouched) {
    if (cell == untouched) return;
    FUZZ_CHECK(!Has(cell, "\r\n") && !Has(cell, ":"));
    FUZZ_CHECK(cell.empty() || (cell.front() != ' ' && cell.back() != ' '));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), 2);
    const std::string entry = ToLower(TrimSpaces(parts[0]));
    const std::string dump = ToLower(CleanReply(parts.size() > 1 ? parts[1] : ""));

    std::string allied = "(untouched allied)", axis = "(untouched axis)";
    ReadSkinCells(dump, allied, axis);
    CheckCell(allied, "(untouched allied)");
    CheckCell(axis, "(untouched axis)");
    if (allied != "(untouched allied)") FUZZ_CHECK(Has(dump, "dm_playermodel"));
    if (axis != "(untouched axis)") FUZZ_CHECK(Has(dump, "dm_playergermanmodel"));

    if (IsMacClient(dump)) FUZZ_CHECK(Has(dump, "version") && Has(dump, "macos-ppc"));
    if (DumpEndsALineWith(dump, entry)) FUZZ_CHECK(Has(dump, " " + entry + "\r\n"));

    std::size_t fired = 0;
    for (const auto& rule : CheatRules()) {
        FUZZ_CHECK(rule.cheatBox >= 0 && rule.cheatBox < 7);
        if (rule.fires(dump)) ++fired;
    }
    // Every rule looks for a padded "name : value" text; a dump without " : " fires none.
    if (!Has(dump, " : ")) FUZZ_CHECK(fired == 0);
    std::size_t lines = 0;
    for (const auto& line : DumpLines(dump)) lines += line.size() + 2;
    FUZZ_CHECK(lines == dump.size() + 2);
    return 0;
}
