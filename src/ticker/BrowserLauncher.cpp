#include "ticker/BrowserLauncher.h"

#include <QDesktopServices>

#include <utility>

namespace marlune {
namespace {

void OpenWithDesktop(const QUrl& address) {
    QDesktopServices::openUrl(address);
}

BrowserOpener& CurrentOpener() {
    static BrowserOpener opener = OpenWithDesktop;
    return opener;
}

bool HasControlCharacter(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

} // namespace

QUrl BrowserAddress(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > kMaxBrowserAddressLength || HasControlCharacter(trimmed))
        return {};
    QUrl address(trimmed, QUrl::TolerantMode);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        address.host().isEmpty())
        return {};
    return address;
}

bool OpenInBrowser(const QString& text) {
    const QUrl address = BrowserAddress(text);
    if (address.isEmpty())
        return false;
    if (CurrentOpener())
        CurrentOpener()(address);
    return true;
}

ScopedBrowserOpener::ScopedBrowserOpener(BrowserOpener opener)
    : m_previous(std::exchange(CurrentOpener(), std::move(opener))) {}

ScopedBrowserOpener::~ScopedBrowserOpener() {
    CurrentOpener() = std::move(m_previous);
}

} // namespace marlune
