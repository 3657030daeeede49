// Web panes on the real browser engine, against pages served on loopback.
#include "ticker/WebPane.h"
#include "support/TestSite.h"
#include "ticker/BrowserLauncher.h"
#include "ticker/FailurePage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <vector>

namespace marlune {
namespace {

using test::Evaluate;
using test::kPageWaitMs;
using test::TestSite;

TEST(WebPane, TakesThePlaceOfItsPlaceholderWithoutStartingTheEngine) {
    QWidget ticker;
    auto* placeholder = new QLabel(QStringLiteral("BROWSER"), &ticker);
    placeholder->setObjectName(QStringLiteral("browserPane"));
    placeholder->setGeometry(12, 34, 0, 0);
    QPointer<QLabel> watch(placeholder);

    WebPane* pane = WebPane::CreateInPlaceOf(placeholder);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(pane->parentWidget(), &ticker);
    EXPECT_EQ(pane->objectName(), QStringLiteral("browserPane"));
    EXPECT_EQ(pane->geometry(), QRect(12, 34, 0, 0));
    EXPECT_FALSE(pane->hasBrowser());
    EXPECT_EQ(pane->contextMenuPolicy(), Qt::NoContextMenu);
}

#ifdef MARLUNE_HAVE_WEBENGINE

class WebPaneOnEngine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WebPane::IsEngineAvailable());
        pane.resize(476, 498);
        pane.setShowsFailurePage(true);
        pane.show();
    }

    // Navigates and waits until the page has loaded or the failure page stands in its place.
    void load(const QString& url) {
        QSignalSpy finished(&pane, &WebPane::loadFinished);
        QSignalSpy failed(&pane, &WebPane::failurePageShown);
        pane.Navigate(url);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return failed.count() > 0 || pane.downloadComplete(); }, kPageWaitMs))
            << url.toStdString();
    }

    QString bodyText() { return Evaluate(pane, QStringLiteral("document.body.innerText")).toString(); }

    void expectFailurePage() {
        EXPECT_TRUE(pane.isShowingFailurePage());
        EXPECT_FALSE(pane.downloadComplete());
        EXPECT_EQ(bodyText(), QString::fromUtf8(kFailurePageText));
        // The page neither scrolls nor offers its own context menu.
        EXPECT_EQ(Evaluate(pane, QStringLiteral("getComputedStyle(document.body).overflow")).toString(),
                  QStringLiteral("hidden"));
        EXPECT_EQ(Evaluate(pane, QStringLiteral("document.body.getAttribute('oncontextmenu')")).toString(),
                  QStringLiteral("return false;"));
        EXPECT_EQ(Evaluate(pane, QStringLiteral("getComputedStyle(document.body).textAlign")).toString(),
                  QStringLiteral("center"));
    }

    TestSite site;
    WebPane pane;
};

TEST_F(WebPaneOnEngine, ShowsAPageThatLoads) {
    QSignalSpy finished(&pane, &WebPane::loadFinished);
    load(site.url("/page"));
    EXPECT_TRUE(pane.hasBrowser());
    EXPECT_FALSE(pane.isShowingFailurePage());
    EXPECT_EQ(pane.url(), site.url("/page"));
    EXPECT_EQ(bodyText(), QStringLiteral("quote page"));
    ASSERT_EQ(finished.count(), 1);
    EXPECT_TRUE(finished.at(0).at(0).toBool());
}

TEST_F(WebPaneOnEngine, RefusedConnectionShowsTheFailurePageOnce) {
    QSignalSpy failed(&pane, &WebPane::failurePageShown);
    load(QStringLiteral("http://127.0.0.1:%1/stock/ministock.php").arg(test::ClosedPort()));
    expectFailurePage();
    // The failure page itself must not count as another failure.
    QTest::qWait(1000);
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(bodyText(), QString::fromUtf8(kFailurePageText));
}

TEST_F(WebPaneOnEngine, HttpErrorShowsTheFailurePage) {
    load(site.url("/missing"));
    expectFailurePage();
}

TEST_F(WebPaneOnEngine, InvalidAddressShowsTheFailurePage) {
    load(QStringLiteral("no address at all"));
    expectFailurePage();
    load(QStringLiteral("http://"));
    expectFailurePage();
}

TEST_F(WebPaneOnEngine, PageThatNeverLoadsShowsTheFailurePageAfterTheTimeLimit) {
    pane.setLoadTimeout(500);
    load(site.url("/hang"));
    expectFailurePage();
}

TEST_F(WebPaneOnEngine, NextPageAfterAFailureShowsNormally) {
    load(site.url("/missing"));
    ASSERT_TRUE(pane.isShowingFailurePage());
    load(site.url("/page"));
    EXPECT_FALSE(pane.isShowingFailurePage());
    EXPECT_TRUE(pane.downloadComplete());
    EXPECT_EQ(bodyText(), QStringLiteral("quote page"));
}

TEST_F(WebPaneOnEngine, ExternalShowDlgReachesTheDefaultBrowserWithThePagesText) {
    std::vector<QString> opened;
    ScopedBrowserOpener opener([&](const QUrl& url) { opened.push_back(url.toString()); });
    // Called while the document is still loading, as the vendor's pages do from their links.
    site.setPageScript("window.external.ShowDlg('http://vendor.example/stock/quote.php?code=600000', 7);");
    load(site.url("/page-script"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, kPageWaitMs));
    EXPECT_EQ(opened,
              std::vector<QString>{QStringLiteral("http://vendor.example/stock/quote.php?code=600000")});

    // And later, from a loaded page, whatever the second argument.
    Evaluate(pane, QStringLiteral("window.external.ShowDlg('https://vendor.example/two', 'not a number')"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 2; }, kPageWaitMs));
    EXPECT_EQ(opened[1], QStringLiteral("https://vendor.example/two"));
}

TEST_F(WebPaneOnEngine, ExternalIsTheSameObjectOnEveryReadAndStaysPut) {
    load(site.url("/page"));
    EXPECT_TRUE(Evaluate(pane, QStringLiteral("window.external === window.external")).toBool());
    EXPECT_EQ(Evaluate(pane, QStringLiteral("typeof window.external.ShowDlg")).toString(),
              QStringLiteral("function"));
    EXPECT_TRUE(Evaluate(pane, QStringLiteral("var before = window.external; window.external = {};"
                                              "window.external === before"))
                    .toBool());
}

TEST_F(WebPaneOnEngine, ExternalShowDlgIgnoresBadTextsQuietly) {
    std::vector<QString> opened;
    ScopedBrowserOpener opener([&](const QUrl& url) { opened.push_back(url.toString()); });
    load(site.url("/page"));
    const QVariant survived = Evaluate(pane, QStringLiteral(R"(
        var e = window.external;
        e.ShowDlg();
        e.ShowDlg('');
        e.ShowDlg(null, 1);
        e.ShowDlg('javascript:alert(1)', 1);
        e.ShowDlg('file:///etc/passwd', 1);
        e.ShowDlg('not an address', 1);
        e.ShowDlg('http://vendor.example/' + 'x'.repeat(20000000), 1);
        e.ShowDlg({ toString: function () { throw new Error('no text'); } }, 1);
        e.ShowDlg('http://vendor.example/last', 0);
        'survived';)"));
    EXPECT_EQ(survived.toString(), QStringLiteral("survived"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, kPageWaitMs));
    QTest::qWait(300);
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("http://vendor.example/last")});
}

TEST_F(WebPaneOnEngine, NewWindowsOpenInTheDefaultBrowser) {
    std::vector<QString> opened;
    ScopedBrowserOpener opener([&](const QUrl& url) { opened.push_back(url.toString()); });
    load(site.url("/page"));
    Evaluate(pane, QStringLiteral("window.open('http://vendor.example/elsewhere', '_blank'); 0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, kPageWaitMs));
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("http://vendor.example/elsewhere")});
    EXPECT_EQ(bodyText(), QStringLiteral("quote page"));
}

TEST_F(WebPaneOnEngine, RightClickShowsNoMenu) {
    load(site.url("/page"));
    const QList<QWidget*> children = pane.findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QPoint centre = child->rect().center();
        QTest::mouseClick(child, Qt::RightButton, Qt::NoModifier, centre);
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre, child->mapToGlobal(centre));
        QApplication::sendEvent(child, &event);
    }
    QTest::qWait(500);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

#endif

} // namespace
} // namespace marlune
