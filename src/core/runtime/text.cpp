#include "text.h"

#include <array>

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
    // A table made once at compile time: every dump, kilobytes long, is lowered byte by byte.
    static constexpr auto kLower = [] {
        std::array<char, 256> table{};
        for (int c = 0; c < 256; ++c) table[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return table;
    }();
    std::string out(text);
    for (char& c : out) c = kLower[static_cast<unsigned char>(c)];
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

std::string StripColourCodes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '^' && i + 1 < text.size()) {
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string StripTrailingColourCodes(std::string_view text) {
    // Codes pair up from the start, so a "^" that is itself a code's character is no code.
    std::size_t keep = 0, i = 0;
    while (i < text.size()) {
        if (text[i] == '^' && i + 1 < text.size()) {
            i += 2;
        } else {
            keep = ++i;
        }
    }
    return std::string(text.substr(0, keep));
}

}  // namespace vorstel
