// The data window on the simulated vendor site: its quote pages and their window.external links.
#include "support/TestSite.h"
#include "ticker/BrowserLauncher.h"
#include "ticker/DataWindow.h"
#include "ticker/FailurePage.h"
#include "ticker/WebPane.h"

#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>

#include <vector>

namespace marlune {
namespace {

#ifdef MARLUNE_HAVE_WEBENGINE

using test::Evaluate;
using test::kPageWaitMs;

class VendorPages : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(m_sim.Start(), 0); }

    QString siteUrl(const char* path) const {
        return QString::fromStdString(m_sim.BaseUrl()) + QLatin1String(path);
    }

    // Opens the page in a data window and waits until it has loaded or failed.
    DataWindow* open(const QString& url, int loadTimeoutMs = WebPane::kDefaultLoadTimeoutMs) {
        DataWindow* window = m_owner.Open(url);
        if (window == nullptr)
            return nullptr;
        window->pane()->setLoadTimeout(loadTimeoutMs);
        WebPane* pane = window->pane();
        if (!QTest::qWaitFor([&] { return pane->downloadComplete() || pane->isShowingFailurePage(); },
                             kPageWaitMs))
            return nullptr;
        return window;
    }

    sim::SimServer m_sim;
    QWidget m_ticker;
    DataWindowOwner m_owner{&m_ticker};
};

TEST_F(VendorPages, MiniQuotePageLinksOpenInTheDefaultBrowser) {
    std::vector<QString> opened;
    ScopedBrowserOpener opener([&](const QUrl& url) { opened.push_back(url.toString()); });
    DataWindow* window = open(siteUrl("/stock/ministock.php?stockid=sh600000"));
    ASSERT_NE(window, nullptr);
    WebPane& pane = *window->pane();
    ASSERT_FALSE(pane.isShowingFailurePage());
    EXPECT_TRUE(Evaluate(pane, QStringLiteral("document.body.innerText"))
                    .toString()
                    .contains(QStringLiteral("600000")));

    const int links =
        Evaluate(pane, QStringLiteral("document.querySelectorAll('a[onclick*=\"ShowDlg\"]').length")).toInt();
    ASSERT_GT(links, 0);
    Evaluate(pane, QStringLiteral("document.querySelector('a[onclick*=\"ShowDlg\"]').click(); 0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, kPageWaitMs));
    EXPECT_EQ(opened.front(), siteUrl("/stock/stock_info.php?stockid=sh600000"));
    // The link itself is not followed: the data window keeps its page.
    QTest::qWait(300);
    EXPECT_EQ(Evaluate(pane, QStringLiteral("location.pathname")).toString(),
              QStringLiteral("/stock/ministock.php"));
}

TEST_F(VendorPages, ServerErrorAndSilenceShowTheFailurePage) {
    sim::Fault serverError;
    serverError.status = 500;
    m_sim.SetFault("/stock/ministock.php", serverError);
    DataWindow* window = open(siteUrl("/stock/ministock.php"));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Evaluate(*window->pane(), QStringLiteral("document.body.innerText")).toString(),
              QString::fromUtf8(kFailurePageText));

    sim::Fault silence;
    silence.hang = true;
    m_sim.SetFault("/stock/ministock.php", silence);
    window = open(siteUrl("/stock/ministock.php?stockid=sz000001"), 500);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Evaluate(*window->pane(), QStringLiteral("document.body.innerText")).toString(),
              QString::fromUtf8(kFailurePageText));
}

#endif

} // namespace
} // namespace marlune
