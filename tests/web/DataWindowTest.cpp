#include "ticker/DataWindow.h"
#include "support/TestSite.h"
#include "ticker/BrowserLauncher.h"
#include "ticker/FailurePage.h"
#include "ticker/WebPane.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>

#include <memory>
#include <vector>

namespace marlune {
namespace {

std::vector<DataWindow*> OpenDataWindows() {
    std::vector<DataWindow*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<DataWindow*>(widget))
            windows.push_back(window);
    }
    return windows;
}

TEST(DataWindow, CentresByTheWorkAreasRightAndBottomEdges) {
    EXPECT_EQ(DataWindow::CentredPosition(QRect(0, 0, 800, 800)), QPoint(160, 150));
    // A task bar on the left moves the window only through the right edge.
    EXPECT_EQ(DataWindow::CentredPosition(QRect(60, 0, 1860, 1080)), QPoint(720, 290));
}

TEST(DataWindow, EscapeDoesNotCloseItButItsCaptionDoes) {
    QWidget ticker;
    QPointer<DataWindow> window = new DataWindow(&ticker);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Marlune数据 - Orvento"));
    EXPECT_EQ(window->size(), QSize(480, 500));
    EXPECT_EQ(window->pane()->geometry(), QRect(2, 0, 476, 498));
    window->show();
    QTest::keyClick(window, Qt::Key_Escape);
    QTest::keyClick(window->pane(), Qt::Key_Escape);
    QApplication::processEvents();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    window->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
}

#ifdef MARLUNE_HAVE_WEBENGINE

TEST(DataWindowOwner, SecondOpenReplacesTheFirstWindow) {
    test::TestSite site;
    QWidget ticker;
    DataWindowOwner owner(&ticker);
    QPointer<DataWindow> first = owner.Open(site.url("/page"));
    ASSERT_FALSE(first.isNull());
    QPointer<DataWindow> second = owner.Open(site.url("/missing"));
    ASSERT_FALSE(second.isNull());
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(OpenDataWindows(), std::vector<DataWindow*>{second.data()});
    EXPECT_EQ(owner.window(), second.data());
    EXPECT_EQ(second->url(), site.url("/missing"));
    EXPECT_TRUE(second->isVisible());

    // The second page fails: the failure page, no message box.
    ASSERT_TRUE(QTest::qWaitFor([&] { return second->pane()->isShowingFailurePage(); }, test::kPageWaitMs));
    EXPECT_EQ(test::Evaluate(*second->pane(), QStringLiteral("document.body.innerText")).toString(),
              QString::fromUtf8(kFailurePageText));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // Esc inside the page leaves the window open.
    for (QWidget* child : second->pane()->findChildren<QWidget*>())
        QTest::keyClick(child, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(second.isNull());
}

TEST(DataWindowOwner, PointerClearsHoweverTheWindowGoes) {
    test::TestSite site;
    auto ticker = std::make_unique<QWidget>();
    DataWindowOwner owner(ticker.get());

    QPointer<DataWindow> window = owner.Open(site.url("/page"));
    window->close(); // from its caption
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
    EXPECT_EQ(owner.window(), nullptr);

    window = owner.Open(site.url("/page"));
    owner.Close(); // the ticker window's Esc
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(owner.window(), nullptr);

    window = owner.Open(site.url("/page"));
    ticker.reset(); // with the ticker window
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(owner.window(), nullptr);
    EXPECT_TRUE(OpenDataWindows().empty());
}

#else

TEST(DataWindowOwner, WithoutAnEngineOpensThePageInTheDefaultBrowser) {
    std::vector<QString> opened;
    ScopedBrowserOpener opener([&](const QUrl& url) { opened.push_back(url.toString()); });
    QWidget ticker;
    DataWindowOwner owner(&ticker);
    EXPECT_EQ(owner.Open(QStringLiteral("http://vendor.example/stock/ministock.php")), nullptr);
    EXPECT_TRUE(OpenDataWindows().empty());
    WebPane pane;
    pane.Navigate(QStringLiteral("http://vendor.example/stock/ministock.php?stockid=sz000001"));
    EXPECT_FALSE(pane.hasBrowser());
    EXPECT_EQ(opened, (std::vector<QString>{
                          QStringLiteral("http://vendor.example/stock/ministock.php"),
                          QStringLiteral("http://vendor.example/stock/ministock.php?stockid=sz000001")}));
}

#endif

} // namespace
} // namespace marlune
