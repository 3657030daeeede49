// The data window on the simulated vendor site: its mini quote page and its window.external links.
#include "support/TestSite.h"
#include "ticker/BrowserLauncher.h"
#include "ticker/DataWindow.h"
#include "ticker/WebPane.h"

#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <QTest>

#include <vector>

namespace marlune {
namespace {

#ifdef MARLUNE_HAVE_WEBENGINE

TEST(VendorPages, MiniQuotePageLinksOpenInTheDefaultBrowser) {
    sim::SimServer sim;
    ASSERT_GT(sim.Start(), 0);
    const QString site = QString::fromStdString(sim.BaseUrl());
    std::vector<QString> opened;
    ScopedBrowserOpener opener([&](const QUrl& url) { opened.push_back(url.toString()); });
    QWidget ticker;
    DataWindowOwner owner(&ticker);
    DataWindow* window = owner.Open(site + QStringLiteral("/stock/ministock.php?stockid=sh600000"));
    ASSERT_NE(window, nullptr);
    WebPane& pane = *window->pane();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane.downloadComplete() || pane.isShowingFailurePage(); },
                                test::kPageWaitMs));
    ASSERT_FALSE(pane.isShowingFailurePage());
    EXPECT_TRUE(test::Evaluate(pane, QStringLiteral("document.body.innerText"))
                    .toString()
                    .contains(QStringLiteral("600000")));

    ASSERT_TRUE(test::UserClick(pane, QStringLiteral("a[onclick*=\"ShowDlg\"]")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, test::kPageWaitMs));
    EXPECT_EQ(opened.front(), site + QStringLiteral("/stock/stock_info.php?stockid=sh600000"));
    // The link itself is not followed: the data window keeps its page.
    QTest::qWait(300);
    EXPECT_EQ(test::Evaluate(pane, QStringLiteral("location.pathname")).toString(),
              QStringLiteral("/stock/ministock.php"));
}

#endif

} // namespace
} // namespace marlune
