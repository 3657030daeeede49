// Web panes on the real browser engine, against pages served on loopback.
#include "ticker/WebPane.h"
#include "support/TestSite.h"
#include "ticker/BrowserLauncher.h"
#include "ticker/FailurePage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <vector>

namespace marlune {
namespace {

using test::Evaluate;
using test::kPageWaitMs;

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
        pane.Navigate(url);
        ASSERT_TRUE(QTest::qWaitFor([&] { return pane.isShowingFailurePage() || pane.downloadComplete(); },
                                    kPageWaitMs))
            << url.toStdString();
    }

    QString bodyText() { return Evaluate(pane, QStringLiteral("document.body.innerText")).toString(); }

    // Collects what pages hand to the default browser.
    std::vector<QString> opened;
    ScopedBrowserOpener opener{[this](const QUrl& url) { opened.push_back(url.toString()); }};
    test::TestSite site;
    WebPane pane;
};

TEST_F(WebPaneOnEngine, EveryNavigationErrorShowsTheFailurePageOnce) {
    QSignalSpy failures(&pane, &WebPane::failurePageShown);
    const QStringList failing{
        QStringLiteral("http://127.0.0.1:%1/stock/ministock.php").arg(test::ClosedPort()),
        site.url("/missing"), QStringLiteral("no address at all"), QStringLiteral("http://"),
        site.url("/hang")};
    for (const QString& url : failing) {
        if (url == site.url("/hang"))
            pane.setLoadTimeout(1000); // a page that never comes
        load(url);
        EXPECT_TRUE(pane.isShowingFailurePage()) << url.toStdString();
        EXPECT_FALSE(pane.downloadComplete());
        EXPECT_EQ(bodyText(), QString::fromUtf8(kFailurePageText)) << url.toStdString();
    }
    // Neither scrolling nor the page's own context menu.
    EXPECT_EQ(Evaluate(pane, QStringLiteral("getComputedStyle(document.body).overflow")).toString(),
              QStringLiteral("hidden"));
    EXPECT_EQ(Evaluate(pane, QStringLiteral("document.body.getAttribute('oncontextmenu')")).toString(),
              QStringLiteral("return false;"));
    // The failure page itself never counts as another failure.
    QTest::qWait(1000);
    EXPECT_EQ(failures.count(), failing.size());
    EXPECT_TRUE(opened.empty());

    // A page that loads after a failure shows normally.
    pane.setLoadTimeout(WebPane::kDefaultLoadTimeoutMs);
    QSignalSpy finished(&pane, &WebPane::loadFinished);
    load(site.url("/page"));
    EXPECT_FALSE(pane.isShowingFailurePage());
    EXPECT_EQ(bodyText(), QStringLiteral("quote page"));
    ASSERT_EQ(finished.count(), 1);
    EXPECT_TRUE(finished.at(0).at(0).toBool());
}

TEST_F(WebPaneOnEngine, ExternalShowDlgOpensTheBrowserOnlyInAnswerToAClick) {
    // Called while the document is still loading, as early as a page can, and in a flood
    // after it: without the user's click nothing opens.
    site.setPageScript("window.external.ShowDlg('http://vendor.example/early', 7);");
    load(site.url("/page-script"));
    Evaluate(pane, QStringLiteral("for (var i = 0; i < 500; ++i) window.external.ShowDlg("
                                  "'http://vendor.example/flood', 1); 0"));
    // Were any of them let through, they would arrive before this round trip's answer.
    Evaluate(pane, QStringLiteral("0"));
    QTest::qWait(300);
    EXPECT_TRUE(opened.empty());

    // The same object on every read, which pages cannot replace.
    EXPECT_TRUE(
        Evaluate(pane, QStringLiteral("var before = window.external; window.external = {};"
                                      "window.external === before && window.external === window.external"))
            .toBool());

    // Bad texts are dropped quietly; the value never matters.
    const QVariant survived = Evaluate(pane, QStringLiteral(R"(
        var e = window.external;
        e.ShowDlg();
        e.ShowDlg('');
        e.ShowDlg(null, 1);
        e.ShowDlg('javascript:alert(1)', 1);
        e.ShowDlg('file:///etc/passwd', 1);
        e.ShowDlg('http://vendor.example/' + 'x'.repeat(20000000), 1);
        e.ShowDlg({ toString: function () { throw new Error('no text'); } }, 1);
        'survived';)"));
    EXPECT_EQ(survived.toString(), QStringLiteral("survived"));

    // The user clicks: the page's answer opens one window, however many it asks for.
    Evaluate(pane, QStringLiteral(R"(
        document.body.style.height = '400px';
        document.body.onclick = function () {
            window.external.ShowDlg('javascript:alert(1)', 1);
            window.external.ShowDlg('https://vendor.example/clicked', 'not a number');
            for (var i = 0; i < 500; ++i) window.external.ShowDlg('http://vendor.example/more', 1);
            for (var j = 0; j < 20; ++j) window.open('http://vendor.example/window' + j, '_blank');
        }; 0)"));
    ASSERT_TRUE(test::UserClick(pane, QStringLiteral("body")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, kPageWaitMs));
    Evaluate(pane, QStringLiteral("0"));
    QTest::qWait(300);
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("https://vendor.example/clicked")});
}

TEST_F(WebPaneOnEngine, NewWindowsOpenInTheDefaultBrowserOnlyWhenClicked) {
    load(site.url("/page"));
    Evaluate(pane, QStringLiteral("for (var i = 0; i < 20; ++i) window.open('http://vendor.example/popup', "
                                  "'_blank'); 0"));
    QTest::qWait(300);
    EXPECT_TRUE(opened.empty());
    Evaluate(pane, QStringLiteral("document.body.innerHTML = '<a id=\"link\" target=\"_blank\" "
                                  "style=\"display:block;height:200px\" href=\"http://vendor.example/"
                                  "elsewhere\">quote page</a>'; 0"));
    ASSERT_TRUE(test::UserClick(pane, QStringLiteral("#link")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, kPageWaitMs));
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("http://vendor.example/elsewhere")});
    EXPECT_EQ(bodyText(), QStringLiteral("quote page"));
}

TEST_F(WebPaneOnEngine, RightClickShowsNoMenu) {
    load(site.url("/page"));
    for (QWidget* child : pane.findChildren<QWidget*>()) {
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
