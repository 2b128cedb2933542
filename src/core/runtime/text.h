#pragma once
// Text helpers over bytes, as the server's replies are taken apart.
#include <string>
#include <string_view>
#include <vector>

namespace vorstel {

// Splits at every occurrence of the separator, keeping empty fields.
std::vector<std::string> Split(std::string_view text, std::string_view separator);
// ASCII letters only: the server's 8-bit characters above them stay as they are.
std::string ToLower(std::string_view text);
// Leading and trailing blanks (spaces only) removed.
std::string TrimSpaces(std::string_view text);
// Every occurrence, left to right, in one pass: a value holding the placeholder stays as is.
std::string ReplaceAll(std::string_view text, std::string_view placeholder, std::string_view value);

// Without the colour codes ("^" and the character after it) that some servers put after, or
// inside, a variable's value. A lone "^" at the end stays.
std::string StripColourCodes(std::string_view text);
// Only the colour codes that end the text.
std::string StripTrailingColourCodes(std::string_view text);

}  // namespace vorstel
