#include "player.h"

#include "console_line.h"

namespace vorstel::sim {

void Player::setVar(std::string_view key, std::string_view value) {
    for (auto& [k, v] : vars) {
        if (EqualsNoCase(k, key)) {
            v = value;
            return;
        }
    }
    vars.emplace_back(key, value);
}

const std::string* Player::var(std::string_view key) const {
    for (const auto& [k, v] : vars) {
        if (EqualsNoCase(k, key)) return &v;
    }
    return nullptr;
}

}  // namespace vorstel::sim
