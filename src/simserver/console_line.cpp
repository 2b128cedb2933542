#include "console_line.h"

namespace vorstel::sim {

std::vector<Word> TokenizeConsoleLine(std::string_view line) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && IsConsoleBlank(line[i])) ++i;
        if (i >= line.size()) break;
        Word w;
        if (line[i] == '"') {
            ++i;
            while (i < line.size() && line[i] != '"') w.text += line[i++];
            if (i < line.size()) ++i;
        } else {
            while (i < line.size() && !IsConsoleBlank(line[i]) && line[i] != '"') w.text += line[i++];
        }
        w.end = i;
        words.push_back(std::move(w));
    }
    return words;
}

std::string JoinWords(const std::vector<Word>& words, std::size_t first) {
    std::string out;
    for (std::size_t i = first; i < words.size(); ++i) {
        if (i > first) out += ' ';
        out += words[i].text;
    }
    return out;
}

namespace {
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

std::string ToLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

std::string StripColours(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '^' && i + 1 < name.size()) {
            ++i;
            continue;
        }
        out += name[i];
    }
    return out;
}

}  // namespace vorstel::sim
