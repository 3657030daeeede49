#pragma once
// The GBK ("ANSI" code page 936) edge of the program. Everything inside is UTF-8;
// files and service replies in GBK are converted here, at the edge.

#include <cstddef>
#include <string>
#include <string_view>

namespace marlune {

// Decodes GBK bytes to UTF-8. A byte or pair that is not valid GBK becomes U+FFFD;
// nothing is dropped and decoding never stops early. NUL bytes pass through.
std::string GbkToUtf8(std::string_view gbk);

// Encodes UTF-8 to GBK. A character GBK cannot hold, or an invalid UTF-8 sequence,
// becomes '?'.
std::string Utf8ToGbk(std::string_view utf8);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view bytes);

// True when the UTF-8 text can be written in GBK and read back as the same text.
bool FitsGbk(std::string_view utf8);

// Length of the text once encoded as GBK, in bytes.
std::size_t GbkLength(std::string_view utf8);

// The longest prefix of the UTF-8 text whose GBK form fits in maxBytes, never
// ending in the middle of a character.
std::string CutToGbkBytes(std::string_view utf8, std::size_t maxBytes);

} // namespace marlune
