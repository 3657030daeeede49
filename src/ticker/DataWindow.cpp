#include "ticker/DataWindow.h"

#include "ticker/BrowserLauncher.h"
#include "ticker/ScreenPlacement.h"
#include "ticker/WebPane.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace marlune {

DataWindow::DataWindow(QWidget* ticker) : QDialog(ticker) {
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed-size window with its caption and close button only.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Marlune数据 - Orvento"));
    setFixedSize(kWidth, kHeight);
    // On the ticker's monitor.
    if (const QScreen* screen = ScreenOfWindow(ticker))
        move(CentredOnScreen(size(), screen->geometry(), screen->availableGeometry()));

    m_pane = new WebPane(this);
    m_pane->setGeometry(kBrowserRect);
    m_pane->setShowsFailurePage(true);
}

QPoint DataWindow::CentredPosition(const QRect& workArea) {
    const int right = workArea.x() + workArea.width();
    const int bottom = workArea.y() + workArea.height();
    return {(right - kWidth) / 2, (bottom - kHeight) / 2};
}

void DataWindow::Navigate(const QString& url) {
    m_pane->Navigate(url);
}

QString DataWindow::url() const {
    return m_pane->url();
}

void DataWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

DataWindow* DataWindowOwner::Open(const QString& url) {
    Close();
    if (!WebPane::IsEngineAvailable()) {
        OpenInBrowser(url);
        return nullptr;
    }
    m_window = new DataWindow(m_ticker);
    m_window->Navigate(url);
    m_window->show();
    return m_window;
}

void DataWindowOwner::Close() {
    // Deleted at once, not later: the next window must not appear beside the old one.
    delete m_window.data();
}

} // namespace marlune
