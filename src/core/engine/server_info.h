#pragma once
// What the public status query tells: game type, map and map list; and which map comes next.
#include <string>
#include <string_view>
#include <vector>

#include "../runtime/text.h"

namespace vorstel {


struct ServerInfo {
    std::string GameType;  // hyphens turned into blanks
    std::string MapName;
    std::string MapList;
};

// Input: the lower-cased reply to "getstatus". Every backslash-separated field is tested as a
// key, values included; a later match wins, and a key in the last field has no value.
ServerInfo ParseStatusQuery(std::string_view lowered);

// The entry after the current map in the blank-separated list, wrapping to the first; the
// map itself when there is no list; empty when the map is not in the list.
std::string NextMapAfter(const std::string& mapName, const std::string& mapList);

// The value of a console variable reply: the field after the third double quote, or nothing
// when the reply has fewer than four fields.
bool VariableValue(std::string_view reply, std::string& value);

}  // namespace vorstel
