#include "config/IniText.h"

namespace marlune {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool IsGbkLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Position of the first ']' in the text. In GBK, ']' is also a valid second byte of
// a double-byte character, so those pairs are stepped over.
std::size_t FindClosingBracket(std::string_view text, IniEncoding encoding) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ']')
            return i;
        if (encoding == IniEncoding::Gbk && IsGbkLead(c) && i + 1 < text.size())
            ++i;
    }
    return std::string_view::npos;
}

void Classify(std::string_view content, IniEncoding encoding, IniLine& line) {
    std::string_view text = TrimBlanks(content);
    line.name = {};
    line.value = {};
    if (text.empty()) {
        line.kind = IniLine::Kind::Blank;
        return;
    }
    if (text.front() == ';' || text.front() == '#') {
        line.kind = IniLine::Kind::Comment;
        return;
    }
    if (text.front() == '[') {
        std::string_view inside = text.substr(1);
        std::size_t close = FindClosingBracket(inside, encoding);
        // A header without its closing bracket still opens a section: its name runs
        // to the end of the line.
        line.kind = IniLine::Kind::Section;
        line.name = TrimBlanks(inside.substr(0, close));
        return;
    }
    // '=' cannot be the second byte of a GBK character, so a plain search is safe.
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        line.kind = IniLine::Kind::Other;
        return;
    }
    line.kind = IniLine::Kind::Entry;
    line.name = TrimBlanks(text.substr(0, equals));
    line.value = TrimBlanks(text.substr(equals + 1));
}

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

IniEncoding DetectIniEncoding(std::string_view bytes) {
    return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom ? IniEncoding::Utf8 : IniEncoding::Gbk;
}

bool IniNamesEqual(std::string_view a, std::string_view b, IniEncoding encoding) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(a[i]);
        if (c >= 0x80) {
            if (a[i] != b[i])
                return false;
            // The second byte of a GBK pair may look like an ASCII letter: compare
            // it exactly too.
            if (encoding == IniEncoding::Gbk && IsGbkLead(c) && i + 1 < a.size()) {
                ++i;
                if (a[i] != b[i])
                    return false;
            }
        } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

IniLineReader::IniLineReader(std::string_view bytes) : m_bytes(bytes), m_encoding(DetectIniEncoding(bytes)) {
    if (m_encoding == IniEncoding::Utf8)
        m_pos = kUtf8Bom.size();
}

bool IniLineReader::next(IniLine& line) {
    if (m_pos >= m_bytes.size())
        return false;
    line.begin = m_pos;
    std::size_t newline = m_bytes.find('\n', m_pos);
    if (newline == std::string_view::npos) {
        line.contentEnd = m_bytes.size();
        line.end = m_bytes.size();
    } else {
        line.contentEnd = (newline > m_pos && m_bytes[newline - 1] == '\r') ? newline - 1 : newline;
        line.end = newline + 1;
    }
    m_pos = line.end;
    Classify(m_bytes.substr(line.begin, line.contentEnd - line.begin), m_encoding, line);
    return true;
}

IniKeyLocation LocateIniKey(std::string_view bytes, std::string_view section, std::string_view key) {
    IniLineReader reader(bytes);
    IniKeyLocation location;
    location.encoding = reader.encoding();
    section = TrimBlanks(section);
    key = TrimBlanks(key);

    IniLine line;
    bool inSection = false;
    while (reader.next(line)) {
        if (line.kind == IniLine::Kind::Section) {
            if (inSection)
                break; // only the first section of that name counts
            if (IniNamesEqual(line.name, section, location.encoding)) {
                inSection = true;
                location.sectionFound = true;
                location.insertAt = line.end;
                location.insertNeedsLineEnd = line.end == line.contentEnd;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (line.kind == IniLine::Kind::Entry && IniNamesEqual(line.name, key, location.encoding)) {
            location.keyFound = true;
            location.keyLine = line;
            return location;
        }
        // A new key goes after the section's last entry, not after the blank lines
        // and comments that may introduce the next section.
        if (line.kind == IniLine::Kind::Entry || line.kind == IniLine::Kind::Other) {
            location.insertAt = line.end;
            location.insertNeedsLineEnd = line.end == line.contentEnd;
        }
    }
    return location;
}

} // namespace marlune
