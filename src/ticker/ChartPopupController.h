#pragma once
// Connects the quote grid's mouse to the detail popup and to the stock pages: hovering a quote
// cell shows the stock's details and chart next to the cursor, clicking the code or name opens
// the stock's page in the default browser, clicking the chart column asks for the data window,
// and a right click on a quote cell asks for the popup menu.

#include "ticker/ChartPopupRules.h"

#include <QObject>
#include <QString>

#include <functional>
#include <string>

namespace marlune {

class QuoteGrid;
class QuoteDetailPopup;
struct QuoteBook;

class ChartPopupController final : public QObject {
    Q_OBJECT
public:
    // Gives the chart file of a watch-list row (the same file the chart downloads write).
    // Neither the grid nor the popup is owned.
    ChartPopupController(QuoteGrid* grid, QuoteDetailPopup* popup, QObject* parent = nullptr);

    // The quote state the grid shows; read at every mouse event, never changed.
    void setBook(const QuoteBook* book) { m_book = book; }
    // Replaces the default browser (OpenInBrowser), e.g. in tests.
    using OpenUrlFn = std::function<void(const QString& url)>;
    void setBrowser(OpenUrlFn openUrl) { m_openUrl = std::move(openUrl); }

    // Hides the popup and forgets its cell (the mouse left the grid or the window).
    void hidePopup();
    // New quotes are in the book: an open popup shows them for its row, where it is; a row
    // that is gone takes the popup with it.
    void refreshPopup();

signals:
    // The chart column was clicked: show this page of the vendor's web site in the data window.
    // When nothing is connected the page opens in the default browser. Clicks on the code and
    // name columns open the stock's page in the default browser.
    void dataWindowRequested(const QString& url);
    // A right click on a quote cell: open the popup menu at this screen position.
    void menuRequested(const QPoint& globalPos);

private:
    void onMouseMoved(int row, int col);
    void onClicked(int row, int col);
    void onMouseReleased(int row, int col, Qt::MouseButton button);
    const StockEntry* entryForRow(int row) const;
    int entryCount() const;
    QString vendorUrl(const std::string& path) const;

    QuoteGrid* m_grid;
    QuoteDetailPopup* m_popup;
    const QuoteBook* m_book = nullptr;
    OpenUrlFn m_openUrl;
    PopupHoverTracker m_tracker;
};

} // namespace marlune
