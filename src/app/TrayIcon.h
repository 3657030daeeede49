#pragma once
// The program's icon in the notification area: added and deleted, its tip, its
// balloons, and the mouse messages it reports (a double click, a right click).
// SystemTrayIcon is the desktop's; tests use their own.

#include <QIcon>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QSystemTrayIcon;

namespace marlune {

// A balloon's text and title cut to what the notification area holds: 255 and 63
// bytes of their GBK form, never in the middle of a character.
struct BalloonText {
    std::string text;
    std::string title;
};
BalloonText CutBalloon(std::string_view text, std::string_view title);

class TrayIcon {
public:
    virtual ~TrayIcon() = default;

    // Whether the desktop has a notification area now.
    virtual bool IsAvailable() const = 0;
    // Puts the icon in the notification area with the tip (again, if it is there).
    virtual void Add(const QString& tip) = 0;
    virtual void Delete() = 0;
    virtual bool IsShown() const = 0;
    virtual void SetTip(const QString& tip) = 0;
    // An information balloon at the icon; text and title are cut as CutBalloon says.
    virtual void ShowBalloon(std::string_view text, std::string_view title, int timeoutMs) = 0;

    // Receives the mouse messages (kTrayLeftDoubleClick, kTrayRightButtonUp) with the
    // icon's identifier.
    void SetHandler(std::function<void(int iconId, int mouseMessage)> handler) {
        m_handler = std::move(handler);
    }

protected:
    void report(int iconId, int mouseMessage) const {
        if (m_handler)
            m_handler(iconId, mouseMessage);
    }

private:
    std::function<void(int, int)> m_handler;
};

// The desktop's notification area through QSystemTrayIcon. Where the desktop has none
// the icon is kept ready and appears once a notification area does.
class SystemTrayIcon final : public TrayIcon {
public:
    explicit SystemTrayIcon(const QIcon& icon);
    ~SystemTrayIcon() override;

    bool IsAvailable() const override;
    void Add(const QString& tip) override;
    void Delete() override;
    bool IsShown() const override;
    void SetTip(const QString& tip) override;
    void ShowBalloon(std::string_view text, std::string_view title, int timeoutMs) override;

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

} // namespace marlune
