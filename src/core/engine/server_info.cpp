#include "server_info.h"

#include <algorithm>

namespace vorstel {

ServerInfo ParseStatusQuery(std::string_view lowered) {
    ServerInfo info;
    const auto fields = Split(lowered, "\\");
    for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
        if (fields[i] == "g_gametypestring") {
            info.GameType = fields[i + 1];
            std::replace(info.GameType.begin(), info.GameType.end(), '-', ' ');
        } else if (fields[i] == "mapname") {
            info.MapName = fields[i + 1];
        } else if (fields[i] == "sv_maplist") {
            info.MapList = fields[i + 1];
        }
    }
    return info;
}

std::string NextMapAfter(const std::string& mapName, const std::string& mapList) {
    if (mapList.empty()) return mapName;
    if (mapName.empty() || mapList.find(mapName) == std::string::npos) return "";
    const std::string after = Split(mapList, mapName)[1];
    if (!after.empty()) {
        const auto entries = Split(after, " ");
        return entries.size() > 1 ? entries[1] : "";
    }
    return Split(mapList, " ")[0];
}

bool VariableValue(std::string_view reply, std::string& value) {
    const auto fields = Split(reply, "\"");
    if (fields.size() < 4) return false;
    value = fields[3];
    return true;
}

}  // namespace vorstel
