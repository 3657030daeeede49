// The chart popup rules and their wiring to the grid: hover decisions, placement at the
// screen edges, the texts given to the popup, the pages clicks open and the right-click menu.
#include "ticker/ChartPopupController.h"

#include "config/ProgramFolder.h"
#include "net/ServiceEndpoints.h"
#include "quote/QuoteBook.h"
#include "ticker/GridRefill.h"
#include "ticker/IntradayChartView.h"
#include "ticker/MinuteChartSource.h"
#include "ticker/QuoteDetailPopup.h"
#include "ticker/QuoteGrid.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

using namespace marlune;

namespace {

StockEntry Entry(const std::string& code, const std::string& name, int market) {
    StockEntry e;
    e.code = code;
    e.name = name;
    e.market = market;
    e.quote.price = "10.00";
    e.quote.change = "+0.10";
    return e;
}

void Send(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton) {
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent event(type, QPointF(pos), QPointF(w.mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

// The centre of a grid cell of the quote grid (rows 20 pixels high).
QPoint Cell(const QuoteGrid& grid, int row, int col) {
    return grid.cellRect(row, col).center();
}

} // namespace

TEST(ChartPopupRules, DecidesWhatAHoverDoes) {
    PopupHoverTracker t;
    const int n = 3;
    EXPECT_EQ(t.MouseMove(0, 3, n, false), HoverAction::Hide); // header
    EXPECT_EQ(t.MouseMove(4, 3, n, false), HoverAction::Hide); // total row
    EXPECT_EQ(t.MouseMove(-1, -1, n, false), HoverAction::Hide);
    for (int col : {0, 1, 7})
        EXPECT_EQ(t.MouseMove(1, col, n, false), HoverAction::HideForLink);

    EXPECT_EQ(t.MouseMove(1, 2, n, false), HoverAction::ShowNewRow);
    EXPECT_EQ(t.MouseMove(1, 2, n, true), HoverAction::Nothing);
    EXPECT_EQ(t.MouseMove(1, 5, n, true), HoverAction::Replace); // same stock: no reload
    EXPECT_EQ(t.lastCol(), 5);
    EXPECT_EQ(t.MouseMove(2, 5, n, true), HoverAction::ShowNewRow);
    EXPECT_EQ(t.lastRow(), 2);
    // Hidden meanwhile (the mouse left the window): the same cell loads again.
    EXPECT_EQ(t.MouseMove(2, 5, n, false), HoverAction::ShowNewRow);
    // A link column forgets the cell, so coming back reloads.
    EXPECT_EQ(t.MouseMove(2, 1, n, true), HoverAction::HideForLink);
    EXPECT_EQ(t.lastRow(), -1);
    EXPECT_EQ(t.MouseMove(2, 5, n, true), HoverAction::ShowNewRow);
}

TEST(ChartPopupRules, PlacesThePopupAwayFromTheScreenEdges) {
    const QSize size(430, 400);
    const QRect screen(0, 0, 1280, 1024);
    const QRect work(0, 0, 1280, 984); // task bar at the bottom
    // Room everywhere: at the cursor, 30 pixels below.
    EXPECT_EQ(PlaceDetailPopup({100, 100}, size, work, screen), QPoint(100, 130));
    // Exactly fitting at the right edge stays; one pixel more goes 450 to the left.
    EXPECT_EQ(PlaceDetailPopup({850, 100}, size, work, screen), QPoint(850, 130));
    EXPECT_EQ(PlaceDetailPopup({851, 100}, size, work, screen), QPoint(401, 130));
    // The bottom test uses the screen, not the work area.
    EXPECT_EQ(PlaceDetailPopup({100, 624}, size, work, screen), QPoint(100, 654));
    EXPECT_EQ(PlaceDetailPopup({100, 625}, size, work, screen), QPoint(100, 195));
    // Lower right corner: 450 to the left and 430 up.
    EXPECT_EQ(PlaceDetailPopup({1270, 1000}, size, work, screen), QPoint(820, 570));
    // A screen too small for the rule keeps the popup's corner on it, but never under the cursor.
    const QRect small(0, 0, 640, 480);
    EXPECT_EQ(PlaceDetailPopup({300, 40}, size, small, small), QPoint(0, 70));
    EXPECT_EQ(PlaceDetailPopup({300, 300}, size, small, small), QPoint(0, -130));
    EXPECT_EQ(PlaceDetailPopup({300, 450}, size, small, small), QPoint(0, 20));
    // Work areas that do not start at 0 (a second screen, a task bar on the left).
    EXPECT_EQ(PlaceDetailPopup({1300, 100}, size, QRect(1280, 0, 1280, 1024), QRect(1280, 0, 1280, 1024)),
              QPoint(1300, 130));
}

TEST(ChartPopupRules, BuildsTheTextsAndPagesOfAnEntry) {
    StockEntry e = Entry("600000", "浦发银行", 1);
    e.alertFlag = 1;
    e.upperLimit = 12.5f;
    e.lowerLimit = 8.0f;
    e.quantity = 300;
    e.cost = 9.876f;
    EXPECT_EQ(PopupSummaryText(e), "600000,浦发银行,1,1,12.50,8.00,300,9.88");
    QuoteRecord q;
    q.price = "1";
    q.low = "2";
    q.high = "3";
    q.open = "4";
    q.previousClose = "5";
    q.volume = "6";
    q.amount = "7";
    q.changeRate = "8";
    q.change = "9";
    q.amplitude = "11";
    q.plRate = "12";
    q.plAmount = "13";
    q.dateTime = "14";
    EXPECT_EQ(PopupDetailText(q), "1,2,3,4,5,6,7,8,9,,11,12,13,14");
    EXPECT_EQ(PopupDetailText(QuoteRecord{}), ",,,,,,,,,,,,,");
    // The popup reads them back by meaning.
    const auto values = ParseDetailValues(PopupSummaryText(e), PopupDetailText(q));
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->values[11], "11");
    EXPECT_EQ(values->values[14], "14");

    EXPECT_EQ(StockInfoPath(e), "/stock/stock_info.php?stockid=sh600000");
    EXPECT_EQ(MiniStockPath(Entry("000002", "万科A", 2)), "/stock/ministock.php?stockid=sz000002");
    EXPECT_EQ(StockInfoPath(Entry("123456", "x", 0)), "/stock/stock_info.php?stockid=sz123456");
}

class ChartPopupControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        SetProgramFolder(m_home.path().toStdString());
        ASSERT_TRUE(PointAllServicesAt("http://vendor.test"));
        WatchList list;
        list.push_back(Entry("600000", "浦发银行", 1));
        list.push_back(Entry("000002", "万科A", 2));
        list.push_back(Entry("000003", "unknown market", 0)); // takes the prefix before it
        m_book.setWatchList(std::move(list));
        SetUpQuoteGrid(m_grid, 3,
                       GridColors{Qt::red, Qt::green, Qt::blue, Qt::black, Qt::white, QColor(), true, true});
        m_grid.resize(841, QuoteGridHeight(3));
        m_controller.setBook(&m_book);
        m_controller.setBrowser([this](const QString& url) { m_browser << url; });
        // Rows without a chart file ask for minute data: keep those requests here.
        m_popup.minuteSource().setStartJob([this](const QuoteFetchJob& job) {
            m_minuteJobs << QString::fromStdString(job.url);
            return true;
        });
    }
    void TearDown() override {
        RestoreDefaultServices();
        SetProgramFolder("");
    }

    QTemporaryDir m_home;
    QuoteBook m_book;
    QuoteGrid m_grid;
    QuoteDetailPopup m_popup;
    ChartPopupController m_controller{&m_grid, &m_popup};
    QStringList m_browser;
    QStringList m_minuteJobs;
};

TEST_F(ChartPopupControllerTest, HoverShowsTheRowsDetailsAndChart) {
    QDir(m_home.path()).mkpath("data");
    QImage chart(200, 100, QImage::Format_RGB32);
    chart.fill(Qt::darkCyan);
    ASSERT_TRUE(chart.save(m_home.filePath("data/sz000003.dat"), "PNG"));

    Send(m_grid, QEvent::MouseMove, Cell(m_grid, 1, 3));
    ASSERT_TRUE(m_popup.isVisible());
    EXPECT_EQ(m_popup.grid().text(0, 1), "600000");
    EXPECT_FALSE(m_popup.hasChart());
    EXPECT_EQ(m_popup.size(), QSize(430, 400));
    // Without its chart image the popup draws the chart from the stock's minute data.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_popup.drawnChart().isHidden(); }, 5000));
    EXPECT_EQ(m_minuteJobs, QStringList{"http://vendor.test/appstock/app/minute/query?code=sh600000"});

    Send(m_grid, QEvent::MouseMove, Cell(m_grid, 3, 4));
    EXPECT_EQ(m_popup.grid().text(0, 1), "000003");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_popup.hasChart(); },
                                5000)); // data/sz000003.dat, the file its download writes
    EXPECT_TRUE(m_popup.drawnChart().isHidden());
    EXPECT_EQ(m_minuteJobs.size(), 1);

    // Code, name and chart columns hide it and show the hand.
    Send(m_grid, QEvent::MouseMove, Cell(m_grid, 2, 7));
    EXPECT_FALSE(m_popup.isVisible());
    EXPECT_EQ(m_grid.cursor().shape(), Qt::PointingHandCursor);
    Send(m_grid, QEvent::MouseMove, Cell(m_grid, 2, 8));
    EXPECT_TRUE(m_popup.isVisible());
    EXPECT_EQ(m_grid.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(m_popup.grid().text(0, 1), "000002");

    // The header and leaving the grid hide it.
    Send(m_grid, QEvent::MouseMove, Cell(m_grid, 0, 8));
    EXPECT_FALSE(m_popup.isVisible());
    Send(m_grid, QEvent::MouseMove, Cell(m_grid, 1, 8));
    EXPECT_TRUE(m_popup.isVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&m_grid, &leave);
    EXPECT_FALSE(m_popup.isVisible());
}

TEST_F(ChartPopupControllerTest, AnOpenPopupFollowsTheRefreshesOfItsRow) {
    const auto shows = [this](const QString& text) {
        const QuoteGrid& grid = m_popup.grid();
        for (int r = 0; r < grid.rows(); ++r)
            for (int c = 0; c < grid.cols(); ++c)
                if (grid.text(r, c) == text)
                    return true;
        return false;
    };
    m_book.watchList[1].quote.price = "7.10";
    Send(m_grid, QEvent::MouseMove, Cell(m_grid, 2, 8));
    ASSERT_TRUE(m_popup.isVisible());
    ASSERT_TRUE(shows("7.10"));
    const QPoint where = m_popup.pos();

    // New quotes: the popup shows them where it is.
    m_book.watchList[1].quote.price = "7.25";
    m_controller.refreshPopup();
    EXPECT_TRUE(m_popup.isVisible());
    EXPECT_TRUE(shows("7.25"));
    EXPECT_FALSE(shows("7.10"));
    EXPECT_EQ(m_popup.pos(), where);
    EXPECT_TRUE(m_popup.delayedNote().isHidden());
    // The row's quote in its service's delayed form, and back.
    m_book.watchList[1].quote.delayed = true;
    m_controller.refreshPopup();
    EXPECT_FALSE(m_popup.delayedNote().isHidden());
    m_book.watchList[1].quote.delayed = false;
    m_controller.refreshPopup();
    EXPECT_TRUE(m_popup.delayedNote().isHidden());

    // Its row gone from a shorter list: the popup goes too. A hidden popup stays hidden.
    m_book.watchList.resize(1);
    m_controller.refreshPopup();
    EXPECT_FALSE(m_popup.isVisible());
    m_controller.refreshPopup();
    EXPECT_FALSE(m_popup.isVisible());
}

TEST_F(ChartPopupControllerTest, ClicksOpenTheStockPages) {
    Send(m_grid, QEvent::MouseButtonPress, Cell(m_grid, 1, 0), Qt::LeftButton);
    Send(m_grid, QEvent::MouseButtonRelease, Cell(m_grid, 1, 0), Qt::LeftButton);
    Send(m_grid, QEvent::MouseButtonPress, Cell(m_grid, 2, 1), Qt::LeftButton);
    Send(m_grid, QEvent::MouseButtonRelease, Cell(m_grid, 2, 1), Qt::LeftButton);
    // Without a data window the chart column opens the page in the browser too.
    Send(m_grid, QEvent::MouseButtonPress, Cell(m_grid, 1, 7), Qt::LeftButton);
    Send(m_grid, QEvent::MouseButtonRelease, Cell(m_grid, 1, 7), Qt::LeftButton);
    // Other columns, the header and the total row open nothing.
    for (auto [row, col] : {std::pair{1, 2}, std::pair{0, 0}, std::pair{4, 0}}) {
        Send(m_grid, QEvent::MouseButtonPress, Cell(m_grid, row, col), Qt::LeftButton);
        Send(m_grid, QEvent::MouseButtonRelease, Cell(m_grid, row, col), Qt::LeftButton);
    }
    EXPECT_EQ(m_browser, QStringList({"http://vendor.test/stock/stock_info.php?stockid=sh600000",
                                      "http://vendor.test/stock/stock_info.php?stockid=sz000002",
                                      "http://vendor.test/stock/ministock.php?stockid=sh600000"}));

    // With a data window connected the chart column goes there.
    QSignalSpy dataWindow(&m_controller, &ChartPopupController::dataWindowRequested);
    Send(m_grid, QEvent::MouseButtonPress, Cell(m_grid, 3, 7), Qt::LeftButton);
    Send(m_grid, QEvent::MouseButtonRelease, Cell(m_grid, 3, 7), Qt::LeftButton);
    ASSERT_EQ(dataWindow.size(), 1);
    EXPECT_EQ(dataWindow[0][0].toString(), "http://vendor.test/stock/ministock.php?stockid=sz000003");
    EXPECT_EQ(m_browser.size(), 3);
}

TEST_F(ChartPopupControllerTest, RightClickOnAQuoteCellAsksForTheMenu) {
    QSignalSpy menu(&m_controller, &ChartPopupController::menuRequested);
    Send(m_grid, QEvent::MouseMove, Cell(m_grid, 1, 3));
    ASSERT_TRUE(m_popup.isVisible());
    for (int col : {0, 1, 7}) {
        Send(m_grid, QEvent::MouseButtonPress, Cell(m_grid, 1, col), Qt::RightButton);
        Send(m_grid, QEvent::MouseButtonRelease, Cell(m_grid, 1, col), Qt::RightButton);
    }
    EXPECT_EQ(menu.size(), 0);
    Send(m_grid, QEvent::MouseMove, Cell(m_grid, 1, 3));
    Send(m_grid, QEvent::MouseButtonPress, Cell(m_grid, 1, 3), Qt::RightButton);
    Send(m_grid, QEvent::MouseButtonRelease, Cell(m_grid, 1, 3), Qt::RightButton);
    EXPECT_EQ(menu.size(), 1);
    EXPECT_FALSE(m_popup.isVisible());
    // Any row: the header too.
    Send(m_grid, QEvent::MouseButtonPress, Cell(m_grid, 0, 12), Qt::RightButton);
    Send(m_grid, QEvent::MouseButtonRelease, Cell(m_grid, 0, 12), Qt::RightButton);
    EXPECT_EQ(menu.size(), 2);
}
