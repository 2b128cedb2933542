// The public status reply as the engine reads it (cleaned, lowercased), the next map taken
// from its map list, and a console variable's reply ("cheats", the claim on the server).
//
// Input: the "getstatus" reply datagram, NUL, a variable's reply datagram, NUL, a map name,
// NUL, a map list (the last two tried directly too, as any server can send them).
#include <algorithm>

#include "engine/server_info.h"
#include "fuzz_support.h"
#include "link/reply.h"
#include "runtime/text.h"

using namespace vorstel;

namespace {

void CheckNextMap(const std::string& map, const std::string& list) {
    const std::string next = NextMapAfter(map, list);
    if (list.empty()) {
        FUZZ_CHECK(next == map);
        return;
    }
    // One entry of the blank-separated list, or nothing when the map is not in it.
    FUZZ_CHECK(next.find(' ') == std::string::npos);
    if (!next.empty()) FUZZ_CHECK(list.find(next) != std::string::npos);
    if (map.empty() || list.find(map) == std::string::npos) FUZZ_CHECK(next.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), 4);
    auto part = [&](std::size_t i) { return i < parts.size() ? parts[i] : std::string(); };

    const std::string lowered = ToLower(CleanReply(part(0)));
    const ServerInfo info = ParseStatusQuery(lowered);
    FUZZ_CHECK(info.GameType.find('-') == std::string::npos);
    for (const std::string* field : {&info.GameType, &info.MapName, &info.MapList})
        FUZZ_CHECK(field->find('\\') == std::string::npos && field->size() <= lowered.size());
    CheckNextMap(info.MapName, info.MapList);
    CheckNextMap(part(2), part(3));

    std::string value = "(untouched)";
    const std::string reply = CleanReply(part(1));
    if (VariableValue(reply, value)) {
        FUZZ_CHECK(value.find('"') == std::string::npos);
        FUZZ_CHECK(std::count(reply.begin(), reply.end(), '"') >= 3);
    } else {
        FUZZ_CHECK(value == "(untouched)");
    }
    return 0;
}
