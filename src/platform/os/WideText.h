#pragma once
// UTF-8 text and paths to and from the UTF-16 of the Windows API; Windows files only.
#if defined(_WIN32)

#include <windows.h>

#include <string>

namespace marlune::os {

inline std::wstring Wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

inline std::string Narrow(const wchar_t* wide, std::size_t size) {
    if (size == 0)
        return {};
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(size), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

inline std::string Narrow(const std::wstring& wide) {
    return Narrow(wide.data(), wide.size());
}

// The program writes paths with forward slashes on every system.
inline std::string WithSlashes(std::string path) {
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    return path;
}

} // namespace marlune::os

#endif
