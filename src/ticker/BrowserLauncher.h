#pragma once
// The one way the program opens an address in the user's default browser.

#include <QString>
#include <QUrl>

#include <functional>

namespace marlune {

// Longest text accepted as an address; anything longer is refused.
inline constexpr int kMaxBrowserAddressLength = 4096;

// The address a text names when it may be handed to the default browser: an absolute http or
// https URL with a host, without control characters, at most kMaxBrowserAddressLength long
// (surrounding blanks are dropped). Anything else gives an empty QUrl.
QUrl BrowserAddress(const QString& text);

// Opens text in the default browser. Texts that are not browser addresses are refused quietly
// (returns false); whether the desktop then manages to start a browser is not reported.
bool OpenInBrowser(const QString& text);

// Where accepted addresses go: QDesktopServices::openUrl unless replaced.
using BrowserOpener = std::function<void(const QUrl&)>;

// Sends accepted addresses to another opener while it lives (tests), then restores the one
// before it.
class ScopedBrowserOpener {
public:
    explicit ScopedBrowserOpener(BrowserOpener opener);
    ~ScopedBrowserOpener();
    ScopedBrowserOpener(const ScopedBrowserOpener&) = delete;
    ScopedBrowserOpener& operator=(const ScopedBrowserOpener&) = delete;

private:
    BrowserOpener m_previous;
};

} // namespace marlune
