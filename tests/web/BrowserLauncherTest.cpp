#include "ticker/BrowserLauncher.h"
#include "support/Printers.h"
#include "ticker/FailurePage.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

namespace marlune {
namespace {

TEST(BrowserLauncher, OpensOnlyWebAddressesOfSaneLength) {
    std::vector<QString> opened;
    ScopedBrowserOpener opener([&](const QUrl& url) { opened.push_back(url.toString(QUrl::FullyEncoded)); });
    const QString prefix = QStringLiteral("http://vendor.example/");
    const QString longest = prefix + QString(kMaxBrowserAddressLength - prefix.size(), QLatin1Char('a'));
    EXPECT_TRUE(OpenInBrowser(QStringLiteral("http://vendor.example/stock/ministock.php?stockid=sh600000")));
    EXPECT_TRUE(OpenInBrowser(QStringLiteral("  HTTPS://Vendor.example/a b  ")));
    EXPECT_TRUE(OpenInBrowser(longest));
    EXPECT_EQ(opened, (std::vector<QString>{
                          QStringLiteral("http://vendor.example/stock/ministock.php?stockid=sh600000"),
                          QStringLiteral("https://vendor.example/a%20b"), longest}));

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
                              longest + QLatin1Char('a'),
                              prefix + QString(10'000'000, QLatin1Char('a'))};
    for (const QString& text : refused)
        EXPECT_FALSE(OpenInBrowser(text)) << text.left(80).toStdString();
    EXPECT_EQ(opened.size(), 3u);
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
