#pragma once
// The owner of the ticker window: creates it, keeps the shared window state and carries
// out the commands the window passes on. For now the refresh and exit commands of the
// popup menu and the close button work; the tray icon, hot key, settings dialog and the
// other menu entries extend this class.

#include "ticker/TickerOwner.h"

#include <QObject>

#include <cstdint>
#include <memory>

namespace marlune {

class TickerWindow;

class Owner final : public QObject, public TickerOwner {
    Q_OBJECT
public:
    explicit Owner(QObject* parent = nullptr);
    ~Owner() override;

    // Creates the ticker window and shows it.
    void Start();
    TickerWindow* Ticker() const { return m_ticker.get(); }

    // TickerOwner
    int GetWindowState() const override { return m_windowState; }
    void SetWindowState(int state) override { m_windowState = state; }
    void SetLastHideTime(std::int64_t seconds) override { m_lastHideTime = seconds; }
    void OnTickerCommand(int command) override;
    void OnMenuCommand(int id) override;
    void BringSettingsToFront() override {}

    std::int64_t LastHideTime() const { return m_lastHideTime; }

signals:
    // The program is to end (menu "退出" or the close button).
    void exitRequested();

private:
    std::unique_ptr<TickerWindow> m_ticker;
    int m_windowState = kWindowHidden;
    std::int64_t m_lastHideTime = 0;
};

} // namespace marlune
