#pragma once
// Splitting texts at a separator, the two ways the program needs.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune {

// The pieces between occurrences of the separator, from start to end: n separators
// give n + 1 fields, empty fields kept, an empty text gives one empty field.
// An empty separator gives an empty list.
std::vector<std::string> SplitFields(std::string_view text, std::string_view separator);

// The quote parsers' splitter: as SplitFields, except that the first separator is
// searched from the second character on, so a separator in the first position does
// not split. An empty separator gives an empty list.
std::vector<std::string> Split(std::string_view text, std::string_view separator);

// Calls `line` for every line of the text, without its line end ("\n" or "\r\n"). A text
// that ends in a line end has no empty last line.
void ForEachLine(std::string_view text, const std::function<void(std::string_view)>& line);

// Field i of a split, or the empty text when the split has fewer fields.
const std::string& FieldAt(const std::vector<std::string>& fields, std::size_t i);

// The last n characters (bytes) of a text, or the whole text when it is shorter.
std::string Right(std::string_view text, std::size_t n);

} // namespace marlune
