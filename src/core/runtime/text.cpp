#include "text.h"

#include <algorithm>

namespace vorstel {

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
    std::vector<std::string> fields;
    if (separator.empty()) return {std::string(text)};
    std::size_t start = 0;
    for (;;) {
        const auto at = text.find(separator, start);
        if (at == std::string_view::npos) break;
        fields.emplace_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    fields.emplace_back(text.substr(start));
    return fields;
}

std::string ToLower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : static_cast<char>(c);
    });
    return out;
}

std::string TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return "";
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string ReplaceAll(std::string_view text, std::string_view placeholder, std::string_view value) {
    if (placeholder.empty()) return std::string(text);
    std::string out;
    std::size_t at = 0;
    for (auto hit = text.find(placeholder); hit != std::string_view::npos; hit = text.find(placeholder, at)) {
        out.append(text.substr(at, hit - at));
        out.append(value);
        at = hit + placeholder.size();
    }
    out.append(text.substr(at));
    return out;
}

}  // namespace vorstel
