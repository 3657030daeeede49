#include "ticker/ChartPopupController.h"

#include "config/ProgramFolder.h"
#include "net/ChartRequest.h"
#include "net/ServiceEndpoints.h"
#include "quote/QuoteBook.h"
#include "quote/QuoteTable.h"
#include "ticker/BrowserLauncher.h"
#include "ticker/QuoteDetailPopup.h"
#include "ticker/QuoteGrid.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QScreen>
#include <QUrl>

namespace marlune {

namespace {

// The chart file the chart downloads write for a row: an entry of an unknown market takes the
// prefix of the entry before it, as its download does.
std::string DownloadedChartPath(const QuoteBook& book, std::size_t row) {
    const WatchList& watchList = book.watchList;
    std::string prefix;
    for (std::size_t i = 0; i <= row && i < watchList.size(); ++i) {
        const std::string own = MarketPrefix(watchList[i].market);
        if (!own.empty())
            prefix = own;
    }
    return ChartFilePath(DataFolder(), prefix, watchList[row].code);
}

} // namespace

ChartPopupController::ChartPopupController(QuoteGrid* grid, QuoteDetailPopup* popup, QObject* parent)
    : QObject(parent), m_grid(grid), m_popup(popup),
      m_openUrl([](const QString& url) { OpenInBrowser(url); }) {
    connect(grid, &QuoteGrid::mouseMoved, this, &ChartPopupController::onMouseMoved);
    connect(grid, &QuoteGrid::clicked, this, &ChartPopupController::onClicked);
    connect(grid, &QuoteGrid::mouseReleased, this, &ChartPopupController::onMouseReleased);
    connect(grid, &QuoteGrid::mouseLeft, this, &ChartPopupController::hidePopup);
}

int ChartPopupController::entryCount() const {
    return m_book != nullptr ? static_cast<int>(m_book->watchList.size()) : 0;
}

const StockEntry* ChartPopupController::entryForRow(int row) const {
    if (row < 1 || row > entryCount())
        return nullptr;
    return &m_book->watchList[static_cast<std::size_t>(row - 1)];
}

void ChartPopupController::hidePopup() {
    m_popup->hide();
    m_tracker.Forget();
}

void ChartPopupController::refreshPopup() {
    if (!m_popup->isVisible())
        return;
    const int row = m_tracker.lastRow();
    const int rows = std::min(entryCount(), m_grid->rows() - 2);
    if (row < 1 || row > rows) {
        hidePopup();
        return;
    }
    const std::size_t index = static_cast<std::size_t>(row - 1);
    const StockEntry& entry = m_book->watchList[index];
    m_popup->Fill(PopupSummaryText(entry), PopupDetailText(entry.quote), DownloadedChartPath(*m_book, index),
                  entry.quote.delayed);
}

void ChartPopupController::onMouseMoved(int row, int col) {
    // Rows beyond the grid's shape (a watch list that grew before the grid was rebuilt) count
    // as outside.
    const int rows = std::min(entryCount(), m_grid->rows() - 2);
    const HoverAction action = m_tracker.MouseMove(row, col, rows, m_popup->isVisible());
    if (action == HoverAction::HideForLink)
        m_grid->setCursor(Qt::PointingHandCursor);
    else
        m_grid->unsetCursor();

    switch (action) {
    case HoverAction::Hide:
    case HoverAction::HideForLink:
        m_popup->hide();
        return;
    case HoverAction::Nothing:
        return;
    case HoverAction::ShowNewRow: {
        const std::size_t index = static_cast<std::size_t>(row - 1);
        const StockEntry& entry = m_book->watchList[index];
        m_popup->Fill(PopupSummaryText(entry), PopupDetailText(entry.quote),
                      DownloadedChartPath(*m_book, index), entry.quote.delayed);
        break;
    }
    case HoverAction::Replace:
        break;
    }
    const QPoint cursor = QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(cursor);
    if (screen == nullptr)
        screen = m_grid->screen();
    m_popup->showAt(
        PlaceDetailPopup(cursor, m_popup->size(), screen->availableGeometry(), screen->geometry()));
}

QString ChartPopupController::vendorUrl(const std::string& path) const {
    // The service table's vendor site at every click: it may have been pointed elsewhere.
    return QString::fromStdString(ServiceBaseUrl(Service::kVendorSite) + path);
}

void ChartPopupController::onClicked(int row, int col) {
    const StockEntry* entry = entryForRow(row);
    if (entry == nullptr)
        return;
    if (col == kColCode || col == kColName) {
        m_openUrl(vendorUrl(StockInfoPath(*entry)));
    } else if (col == kColChart) {
        const QString url = vendorUrl(MiniStockPath(*entry));
        if (isSignalConnected(QMetaMethod::fromSignal(&ChartPopupController::dataWindowRequested)))
            emit dataWindowRequested(url);
        else
            m_openUrl(url);
    }
}

void ChartPopupController::onMouseReleased(int, int col, Qt::MouseButton button) {
    if (button != Qt::RightButton || IsLinkColumn(col))
        return;
    hidePopup();
    emit menuRequested(QCursor::pos());
}

} // namespace marlune
