#pragma once
// Reading the lines of an INI file the way the Windows profile functions see them,
// on the file's own bytes, so that a change can splice one line in and leave every
// other byte of the file as it was.

#include <cstddef>
#include <string>
#include <string_view>

namespace marlune {

// How the names and values of an INI file are encoded. Files are GBK unless they
// start with a UTF-8 byte order mark (an editor may have saved them so).
enum class IniEncoding { Gbk, Utf8 };

// One line of the file. Offsets index the whole file's bytes.
struct IniLine {
    enum class Kind { Blank, Comment, Section, Entry, Other };
    Kind kind = Kind::Blank;
    std::size_t begin = 0;      // first byte of the line
    std::size_t contentEnd = 0; // end of the line without its line end
    std::size_t end = 0;        // after the line end ("\n" or "\r\n"), or the end of the file
    std::string_view name;      // section name (between the brackets) or key, blanks dropped
    std::string_view value;     // an entry's value, blanks dropped
};

// Walks the lines of a file from the start; the bytes must outlive it.
class IniLineReader {
public:
    explicit IniLineReader(std::string_view bytes);

    IniEncoding encoding() const { return m_encoding; }

    // Fills the next line; false at the end of the file.
    bool next(IniLine& line);

private:
    std::string_view m_bytes;
    IniEncoding m_encoding = IniEncoding::Gbk;
    std::size_t m_pos = 0;
};

// Where a key stands in a file, or where it would go.
struct IniKeyLocation {
    IniEncoding encoding = IniEncoding::Gbk;
    bool sectionFound = false;
    bool keyFound = false;
    IniLine keyLine;                 // when keyFound
    std::size_t insertAt = 0;        // when the section is found but not the key: after the
                                     // section's last entry (or its header)
    bool insertNeedsLineEnd = false; // the line before insertAt has no line end
};

// Finds the key in the first section of that name. Names are given in the file's
// encoding (see IniLineReader::encoding) and compared without regard to the case of
// ASCII letters, as the profile functions compare them.
IniKeyLocation LocateIniKey(std::string_view bytes, std::string_view section, std::string_view key);

// The encoding of a file's names and values, from its first bytes.
IniEncoding DetectIniEncoding(std::string_view bytes);

// True when the two names are equal apart from the case of ASCII letters; the bytes
// of double-byte characters are compared exactly.
bool IniNamesEqual(std::string_view a, std::string_view b, IniEncoding encoding);

// Blanks (space, tab, CR, vertical tab, form feed) dropped at both ends.
std::string_view TrimBlanks(std::string_view text);

} // namespace marlune
