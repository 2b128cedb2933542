#include "numbers.h"

#include <limits>

namespace vorstel {

std::optional<std::int64_t> ParseWholeNumber(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    constexpr std::int64_t kCap = std::int64_t{1} << 40;  // far beyond any 32-bit value
    std::int64_t whole = 0;
    int digits = 0;
    while (!s.empty() && s.front() >= '0' && s.front() <= '9') {
        if (whole < kCap) whole = whole * 10 + (s.front() - '0');
        ++digits;
        s.remove_prefix(1);
    }
    int firstFraction = -1;
    bool restNonZero = false;
    if (!s.empty() && s.front() == '.') {
        s.remove_prefix(1);
        while (!s.empty() && s.front() >= '0' && s.front() <= '9') {
            if (firstFraction < 0) firstFraction = s.front() - '0';
            else if (s.front() != '0') restNonZero = true;
            ++digits;
            s.remove_prefix(1);
        }
    }
    if (digits == 0 || !s.empty()) return std::nullopt;
    const bool roundUp = firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1));
    if (roundUp) ++whole;
    return negative ? -whole : whole;
}

template <typename T>
static std::optional<T> InRange(std::optional<std::int64_t> v) {
    if (!v || *v < std::numeric_limits<T>::min() || *v > std::numeric_limits<T>::max()) return std::nullopt;
    return static_cast<T>(*v);
}

std::optional<std::int32_t> ToLong(std::string_view text) { return InRange<std::int32_t>(ParseWholeNumber(text)); }
std::optional<std::int16_t> ToInteger(std::string_view text) { return InRange<std::int16_t>(ParseWholeNumber(text)); }

}  // namespace vorstel
