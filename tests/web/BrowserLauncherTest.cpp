#include "ticker/BrowserLauncher.h"
#include "support/Printers.h"
#include "ticker/ExternalObject.h"
#include "ticker/FailurePage.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

namespace marlune {
namespace {

struct OpenedAddresses {
    std::vector<QString> addresses;
    ScopedBrowserOpener opener{
        [this](const QUrl& url) { addresses.push_back(url.toString(QUrl::FullyEncoded)); }};
};

TEST(BrowserLauncher, OpensOnlyWebAddresses) {
    OpenedAddresses opened;
    EXPECT_TRUE(OpenInBrowser(QStringLiteral("http://vendor.example/stock/ministock.php?stockid=sh600000")));
    EXPECT_TRUE(OpenInBrowser(QStringLiteral("  HTTPS://Vendor.example/a b  ")));
    ASSERT_EQ(opened.addresses.size(), 2u);
    EXPECT_EQ(opened.addresses[0],
              QStringLiteral("http://vendor.example/stock/ministock.php?stockid=sh600000"));
    EXPECT_EQ(opened.addresses[1], QStringLiteral("https://vendor.example/a%20b"));

    const QStringList refused{QString(),
                              QStringLiteral("   "),
                              QStringLiteral("vendor.example/page"),
                              QStringLiteral("/stock/ministock.php"),
                              QStringLiteral("http://"),
                              QStringLiteral("ftp://vendor.example/file"),
                              QStringLiteral("file:///etc/passwd"),
                              QStringLiteral("javascript:alert(1)"),
                              QStringLiteral("C:\\Windows\\system32\\calc.exe"),
                              QStringLiteral("/usr/bin/xterm"),
                              QStringLiteral("http://vendor.example/a\nb"),
                              QStringLiteral("http://vendor.example/\x7f")};
    for (const QString& text : refused)
        EXPECT_FALSE(OpenInBrowser(text)) << text.toStdString();
    EXPECT_EQ(opened.addresses.size(), 2u);
}

TEST(BrowserLauncher, RefusesAbsurdlyLongAddresses) {
    OpenedAddresses opened;
    const QString prefix = QStringLiteral("http://vendor.example/");
    const QString longest = prefix + QString(kMaxBrowserAddressLength - prefix.size(), QLatin1Char('a'));
    EXPECT_TRUE(OpenInBrowser(longest));
    EXPECT_FALSE(OpenInBrowser(longest + QLatin1Char('a')));
    EXPECT_FALSE(OpenInBrowser(prefix + QString(10'000'000, QLatin1Char('a'))));
    EXPECT_EQ(opened.addresses.size(), 1u);
}

TEST(BrowserLauncher, ScopedOpenersNestAndRestore) {
    std::vector<int> calls;
    ScopedBrowserOpener outer([&](const QUrl&) { calls.push_back(1); });
    {
        ScopedBrowserOpener inner([&](const QUrl&) { calls.push_back(2); });
        OpenInBrowser(QStringLiteral("http://a.example/"));
    }
    OpenInBrowser(QStringLiteral("http://a.example/"));
    EXPECT_EQ(calls, (std::vector<int>{2, 1}));
}

TEST(ExternalObject, ShowDlgOpensTheTextWhateverTheValue) {
    OpenedAddresses opened;
    ExternalObject external;
    external.ShowDlg(QStringLiteral("http://vendor.example/one"), 0);
    external.ShowDlg(QStringLiteral("http://vendor.example/two"), -123456);
    external.ShowDlg(QString(), 1);
    external.ShowDlg(QStringLiteral("not an address"), 1);
    EXPECT_EQ(opened.addresses, (std::vector<QString>{QStringLiteral("http://vendor.example/one"),
                                                      QStringLiteral("http://vendor.example/two")}));
}

TEST(FailurePage, IsTheTwoPiecesJoinedAsTheyStand) {
    const std::string first =
        "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=gb2312\"><style "
        "type=\"text/css\">body {font-size: 12px}</style></head><body scroll=\"no\" "
        "style=\"overflow:hidden;border-style:none; text-align:center;margin:0px auto; background:#";
    const std::string second =
        "\" oncontextmenu=\"return false;\"><div style=\"height:100%; width:100%; vertical-align:middle;\" "
        "aliagn=\"center\" "
        "valign=\"center\">\xe7\xbd\x91\xe7\xbb\x9c\xe8\xae\xbf\xe9\x97\xae\xe5\xa4\xb1\xe8\xb4"
        "\xa5.\xe8\xaf\xb7\xe6\xa3\x80\xe6\x9f\xa5\xe7\xbd\x91\xe7\xbb\x9c</div>";
    EXPECT_EQ(FailurePageHtml().toStdString(), first + second);
    EXPECT_TRUE(FailurePageHtml().contains(QString::fromUtf8(kFailurePageText)));
}

} // namespace
} // namespace marlune
