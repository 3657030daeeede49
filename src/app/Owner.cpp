#include "app/Owner.h"

#include "ticker/TickerMenu.h"
#include "ticker/TickerWindow.h"

#include <QApplication>
#include <QIcon>

namespace marlune {

Owner::Owner(QObject* parent) : QObject(parent) {}

// The ticker window goes first: its teardown joins the download workers.
Owner::~Owner() = default;

void Owner::Start() {
    m_ticker = std::make_unique<TickerWindow>(this);
    m_ticker->setWindowIcon(QApplication::windowIcon());
    m_ticker->show();
    m_windowState = kWindowShown;
}

void Owner::OnTickerCommand(int command) {
    switch (command) {
    case kCmdShowAlert:
        // The balloon comes with the tray icon; until then the text is only dropped, so
        // that it does not grow for ever.
        if (m_ticker)
            m_ticker->ClearAlertText();
        break;
    case kCmdExit:
        emit exitRequested();
        break;
    default:
        break;
    }
}

void Owner::OnMenuCommand(int id) {
    switch (id) {
    case kMenuRefresh:
        if (m_ticker)
            m_ticker->TickerCommand(kCmdRefresh);
        break;
    case kMenuExit:
        emit exitRequested();
        break;
    default:
        break;
    }
}

} // namespace marlune
