#pragma once
// Numbers typed into text boxes: blanks around them allowed, a fraction rounded to the
// nearest whole number (halves to even), anything else or out of range refused.
#include <cstdint>
#include <optional>
#include <string_view>

namespace vorstel {

std::optional<std::int64_t> ParseWholeNumber(std::string_view text);
std::optional<std::int32_t> ToLong(std::string_view text);     // 32-bit signed
std::optional<std::int16_t> ToInteger(std::string_view text);  // 16-bit signed

}  // namespace vorstel
