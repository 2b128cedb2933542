#pragma once
// How the game's console splits a command line into words, and the engine's
// case-insensitive name comparison.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorstel::sim {

struct Word {
    std::string text;
    std::size_t end = 0;  // offset just past the word (past its closing quote, if any)
};

// Blanks and control characters separate words; a double quote opens a word that runs to
// the closing quote or, when none follows, to the end of the line. A quote also ends an
// unquoted word.
std::vector<Word> TokenizeConsoleLine(std::string_view line);

// The words from `first` on, joined by single blanks (the engine's Cmd_Args).
std::string JoinWords(const std::vector<Word>& words, std::size_t first);

bool EqualsNoCase(std::string_view a, std::string_view b);
std::string ToLower(std::string_view text);
// A name without its colour codes (^ followed by any character).
std::string StripColours(std::string_view name);

inline bool IsConsoleBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace vorstel::sim
