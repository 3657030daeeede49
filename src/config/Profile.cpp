#include "config/Profile.h"

#include "config/IniText.h"
#include "config/SettingsFileLock.h"
#include "config/SettingsKeys.h"
#include "text/CNumber.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include "platform/os/FileSystem.h"

namespace marlune {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kUtf8BomSize = 3;

std::string ToFileEncoding(std::string_view utf8, IniEncoding encoding) {
    return encoding == IniEncoding::Gbk ? Utf8ToGbk(utf8) : std::string(utf8);
}

// A C reader stops at the first NUL byte.
std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

std::string_view WithoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The longest prefix of GBK bytes of at most maxBytes that does not end inside a
// double-byte character.
std::string_view CutGbk(std::string_view gbk, std::size_t maxBytes) {
    std::size_t pos = 0;
    while (pos < gbk.size()) {
        unsigned char c = static_cast<unsigned char>(gbk[pos]);
        std::size_t length = (c >= 0x81 && c <= 0xFE && pos + 1 < gbk.size()) ? 2 : 1;
        if (pos + length > maxBytes)
            break;
        pos += length;
    }
    return gbk.substr(0, pos);
}

std::string DecodeValue(std::string_view raw, IniEncoding encoding) {
    std::string_view value = WithoutQuotes(UpToNul(raw));
    if (encoding == IniEncoding::Gbk)
        return GbkToUtf8(CutGbk(value, kProfileValueMaxBytes));
    // Each UTF-8 character takes at least one GBK byte: look no further than needed.
    return CutToGbkBytes(value.substr(0, kProfileValueMaxBytes * 4), kProfileValueMaxBytes);
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool IsWritableName(std::string_view name) {
    return !TrimBlanks(name).empty() && !HasLineBreakOrNul(name);
}

// The line end to add after a last line that has none: a lone CR at its end only
// needs its LF.
std::string_view MissingLineEnd(std::string_view bytes, std::size_t lineEnd) {
    return (lineEnd > 0 && bytes[lineEnd - 1] == '\r') ? std::string_view("\n") : kLineEnd;
}

// The first-run value of a base.ini key, for a settings file that is there but refused.
std::string FirstRunValue(std::string_view section, std::string_view key) {
    for (const IniKey& known : baseini::kAllKeys) {
        if (IniNamesEqual(known.section, section, IniEncoding::Utf8) &&
            IniNamesEqual(known.name, key, IniEncoding::Utf8))
            return known.firstRunValue;
    }
    return {};
}

} // namespace

std::string ProfileRead(const std::string& path, std::string_view section, std::string_view key) {
    FileRead file = ReadRegularFile(path);
    if (file.status == FileReadStatus::TooLarge || file.status == FileReadStatus::NotRegular)
        return FirstRunValue(section, key);
    if (!file.ok())
        return {};
    const std::string& bytes = file.bytes;
    IniEncoding encoding = DetectIniEncoding(bytes);
    IniKeyLocation location =
        LocateIniKey(bytes, ToFileEncoding(section, encoding), ToFileEncoding(key, encoding));
    if (!location.keyFound)
        return {};
    return DecodeValue(location.keyLine.value, encoding);
}

bool ProfileReadFlag(const std::string& path, std::string_view section, std::string_view key,
                     bool whenMissing) {
    const std::string value = ProfileRead(path, section, key);
    return value.empty() ? whenMissing : AtoI(value) != 0;
}

int ProfileReadInt(const std::string& path, std::string_view section, std::string_view key) {
    return AtoI(ProfileRead(path, section, key));
}

namespace {

bool IsWritableEntry(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsWritableName(section) || !IsWritableName(key) || HasLineBreakOrNul(value))
        return false;
    if (key.find('=') != std::string_view::npos || section.find(']') != std::string_view::npos)
        return false;
    const std::string_view trimmedKey = TrimBlanks(key);
    return trimmedKey.front() != '[' && trimmedKey.front() != ';' && trimmedKey.front() != '#';
}

// The key's new value put into the file's bytes, as one write of it would.
void ApplyEntry(std::string& bytes, IniEncoding encoding, std::string_view section, std::string_view key,
                std::string_view value) {
    std::string fileSection = ToFileEncoding(TrimBlanks(section), encoding);
    std::string fileKey = ToFileEncoding(TrimBlanks(key), encoding);
    std::string fileValue = ToFileEncoding(value, encoding);
    IniKeyLocation location = LocateIniKey(bytes, fileSection, fileKey);

    if (location.keyFound) {
        // The key keeps the spelling it has in the file.
        const IniLine& line = location.keyLine;
        std::string replacement(line.name);
        replacement.append("=").append(fileValue);
        bytes.replace(line.begin, line.contentEnd - line.begin, replacement);
    } else if (location.sectionFound) {
        std::string insertion;
        if (location.insertNeedsLineEnd)
            insertion.append(MissingLineEnd(bytes, location.insertAt));
        insertion.append(fileKey).append("=").append(fileValue).append(kLineEnd);
        bytes.insert(location.insertAt, insertion);
    } else {
        std::size_t textStart = encoding == IniEncoding::Utf8 ? kUtf8BomSize : 0;
        if (bytes.size() > textStart && bytes.back() != '\n')
            bytes.append(MissingLineEnd(bytes, bytes.size()));
        bytes.append("[").append(fileSection).append("]").append(kLineEnd);
        bytes.append(fileKey).append("=").append(fileValue).append(kLineEnd);
    }
}

} // namespace

bool ProfileWrite(const std::string& path, std::string_view section, std::string_view key,
                  std::string_view value) {
    return ProfileWriteAll(path, {{section, key, std::string(value)}});
}

bool ProfileWriteAll(const std::string& path, const std::vector<ProfileEntry>& entries) {
    if (entries.empty())
        return true;
    for (const ProfileEntry& entry : entries) {
        if (!IsWritableEntry(entry.section, entry.key, entry.value))
            return false;
    }
    // Another program's save of the file waits until this one has written, and the other
    // way round: neither writes back bytes read before the other's save.
    const SettingsFileLock lock(path);
    // Never replace a file that could not be read whole: what it held would be lost.
    FileRead existing = ReadRegularFile(path);
    if (!existing.ok() && existing.status != FileReadStatus::Missing)
        return false;
    std::string bytes = std::move(existing.bytes);
    const IniEncoding encoding = DetectIniEncoding(bytes);
    for (const ProfileEntry& entry : entries)
        ApplyEntry(bytes, encoding, entry.section, entry.key, entry.value);
    return ReplaceSettingsFile(path, bytes) == ReplaceResult::Replaced;
}

bool ProfileWriteInt(const std::string& path, std::string_view section, std::string_view key, int value) {
    return ProfileWrite(path, section, key, Format("%d", value));
}

bool FileExists(const std::string& path) {
    if (path.empty())
        return false;
    const os::PathKind kind = os::StatPath(path).kind;
    return kind != os::PathKind::Missing && kind != os::PathKind::Unreadable;
}

} // namespace marlune
