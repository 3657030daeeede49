#include "text/Gbk.h"

// GBK conversion is the one piece of text handling that differs by system: iconv where
// there is one, the system's code page 936 on Windows (the code page GBK files come from).
#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

#include <optional>

namespace marlune {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

#if !defined(_WIN32)

// One iconv descriptor per conversion call; iconv_t is not thread-safe, and
// conversions are short, so the cost of opening one is small against the work.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; returns false at an invalid or incomplete
    // sequence, leaving in/inLeft at the offending byte.
    bool run(const char*& in, std::size_t& inLeft, std::string& out) {
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t rc = iconv(m_cd, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG)
                    continue;
                iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // reset shift state
                return false;
            }
        }
        return true;
    }

private:
    iconv_t m_cd;
};
#else
constexpr UINT kGbkCodePage = 936;

// UTF-16 to UTF-8; the text came from a valid conversion, so it is well-formed.
void AppendUtf8(const wchar_t* wide, int length, std::string& out) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(bytes));
    ::WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data() + at, bytes, nullptr, nullptr);
}

// Converts the bytes whole when every one of them is valid; false leaves `out` as it was.
bool DecodeAll(UINT codePage, const char* in, std::size_t size, std::wstring& wide) {
    if (size == 0) {
        wide.clear();
        return true;
    }
    const int length =
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in, static_cast<int>(size), nullptr, 0);
    if (length <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(length));
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in, static_cast<int>(size), wide.data(), length);
    return true;
}

// Encodes UTF-16 to GBK; false when a character has no GBK form (no best-fit guesses:
// a look-alike character would change the text).
bool EncodeAll(const std::wstring& wide, std::string& out) {
    if (wide.empty())
        return true;
    BOOL usedDefault = FALSE;
    const int length =
        ::WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                              nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(length));
    ::WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                          out.data() + at, length, nullptr, &usedDefault);
    return true;
}
#endif

// Length of the UTF-8 sequence that starts with this byte, 0 when it cannot start one.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Length of the well-formed UTF-8 sequence at `in`, or 1 for a broken one, so that a broken
// sequence never swallows the bytes after it (a line end, a separator).
std::size_t WholeSequenceLength(const char* in, std::size_t left) {
    std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(*in));
    if (length == 0 || length > left)
        return 1;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(in[i]) & 0xC0) != 0x80)
            return 1;
    }
    return length;
}

} // namespace

#if defined(_WIN32)
std::string GbkToUtf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    std::wstring wide;
    if (DecodeAll(kGbkCodePage, gbk.data(), gbk.size(), wide)) {
        AppendUtf8(wide.data(), static_cast<int>(wide.size()), out);
        return out;
    }
    // Some bytes are not GBK: one character at a time, so that each bad byte alone
    // becomes U+FFFD. A lead byte followed by an invalid trail byte loses only the lead
    // byte, so an ASCII trail (a quote, a comma) survives.
    std::size_t i = 0;
    while (i < gbk.size()) {
        const unsigned char c = static_cast<unsigned char>(gbk[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        if (i + 1 < gbk.size() && DecodeAll(kGbkCodePage, gbk.data() + i, 2, wide) && wide.size() == 1) {
            AppendUtf8(wide.data(), 1, out);
            i += 2;
        } else if (DecodeAll(kGbkCodePage, gbk.data() + i, 1, wide) && wide.size() == 1) {
            AppendUtf8(wide.data(), 1, out);
            ++i;
        } else {
            out.append(kReplacement);
            ++i;
        }
    }
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::wstring wide;
    if (DecodeAll(CP_UTF8, utf8.data(), utf8.size(), wide) && EncodeAll(wide, out))
        return out;
    out.clear();
    // Character by character: each one GBK cannot hold (or each bad byte) becomes '?'.
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t length = WholeSequenceLength(utf8.data() + pos, utf8.size() - pos);
        const unsigned char lead = static_cast<unsigned char>(utf8[pos]);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
        } else if (!DecodeAll(CP_UTF8, utf8.data() + pos, length, wide) || !EncodeAll(wide, out)) {
            out.push_back('?');
        }
        pos += length;
    }
    return out;
}

#else
namespace {

// Converts one stretch that holds GBK characters; each bad byte becomes U+FFFD.
void AppendGbkStretch(Converter& converter, std::string_view stretch, std::string& out) {
    const char* in = stretch.data();
    std::size_t left = stretch.size();
    while (!converter.run(in, left, out)) {
        // Skip one byte of the bad sequence. A lead byte followed by an invalid trail
        // byte loses only the lead byte, so an ASCII trail (a quote, a comma) survives.
        out.append(kReplacement);
        ++in;
        --left;
    }
}

} // namespace

std::string GbkToUtf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    // A quote reply is ASCII but for the names, and iconv costs the same for every byte, so
    // only the stretches that hold GBK characters go through it. A stretch runs from a byte
    // of 0x80 or more up to the next byte below 0x40: no GBK trail byte is below 0x40, so
    // iconv, given the whole text, would also be between two characters there, and the
    // result is the same byte for byte.
    std::optional<Converter> converter;
    std::size_t at = 0;
    while (at < gbk.size()) {
        std::size_t wide = at;
        while (wide < gbk.size() && static_cast<unsigned char>(gbk[wide]) < 0x80)
            ++wide;
        out.append(gbk.substr(at, wide - at));
        if (wide == gbk.size())
            break;
        std::size_t end = wide + 1;
        while (end < gbk.size() && static_cast<unsigned char>(gbk[end]) >= 0x40)
            ++end;
        if (!converter)
            converter.emplace("UTF-8", "GBK");
        if (converter->valid()) {
            AppendGbkStretch(*converter, gbk.substr(wide, end - wide), out);
        } else {
            for (unsigned char c : gbk.substr(wide, end - wide)) {
                if (c < 0x80)
                    out.push_back(static_cast<char>(c));
                else
                    out.append(kReplacement);
            }
        }
        at = end;
    }
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    Converter converter("GBK", "UTF-8");
    const char* in = utf8.data();
    std::size_t left = utf8.size();
    if (!converter.valid()) {
        for (unsigned char c : utf8)
            out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        return out;
    }
    while (!converter.run(in, left, out)) {
        // Skip the whole character that GBK cannot hold (or one bad byte).
        std::size_t length = WholeSequenceLength(in, left);
        out.push_back('?');
        in += length;
        left -= length;
    }
    return out;
}

#endif

bool IsUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]); };
        const unsigned char lead = at(0);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;  // the range of the second byte, narrowed where the
        unsigned char high = 0xBF; // lead byte alone would allow overlong forms or surrogates
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (i + length > bytes.size() || at(1) < low || at(1) > high)
            return false;
        for (std::size_t k = 2; k < length; ++k) {
            if ((at(k) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

bool FitsGbk(std::string_view utf8) {
    return GbkToUtf8(Utf8ToGbk(utf8)) == utf8;
}

std::size_t GbkLength(std::string_view utf8) {
    return Utf8ToGbk(utf8).size();
}

std::string CutToGbkBytes(std::string_view utf8, std::size_t maxBytes) {
    std::size_t used = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t length = WholeSequenceLength(utf8.data() + pos, utf8.size() - pos);
        std::size_t bytes = Utf8ToGbk(utf8.substr(pos, length)).size();
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        pos += length;
    }
    return std::string(utf8.substr(0, pos));
}

} // namespace marlune
