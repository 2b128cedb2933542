#pragma once
// What a player's lowercased client variables reveal: the two skins he wears, whether he is
// a Mac client (exempt from the cheat rules), and which cheat rules fire.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vorstel {

enum class DetectionKind {
    PublicInPrivateSlot,
    PrivateInPublicSlot,
    ReservedSkin,
    SuspiciousSkin,
    NoFog,
    Chameleon,
    Clearview,
    WhiteWalls,
    ThirdPerson,
    Wallhack,
    ModifiedBinaries,
    OgcAimbot,
};

// The eight variable rules in the order they are tested, each with the cheat box that
// switches it on. The texts carry the dump's padding: names are 20 characters wide.
struct CheatRule {
    int cheatBox;
    DetectionKind kind;
    bool (*fires)(std::string_view dump);
};
const std::array<CheatRule, 8>& CheatRules();

// "Allied skin" and "Axis Skin": the text between the first and second colon of the last
// line naming each model, trimmed. A line without a colon leaves the cell as it was.
void ReadSkinCells(std::string_view dump, std::string& allied, std::string& axis);

// One line mentioning both "version" and "macos-ppc".
bool IsMacClient(std::string_view dump);

// True when some line of the dump ends with a blank and exactly `entry` (trimmed, lowered).
bool DumpEndsALineWith(std::string_view dump, std::string_view entry);

std::vector<std::string> DumpLines(std::string_view dump);

}  // namespace vorstel
