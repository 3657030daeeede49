#include "sim/ChartDrawing.h"
#include "sim/Market.h"
#include "sim/VendorSite.h"

#include <gtest/gtest.h>
#include <png.h>

using namespace marlune;
using namespace marlune::sim;

namespace {

constexpr std::int64_t kMorningOpen = 1796693400; // 2026-12-08 09:30:00 Beijing time

struct Decoded {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

Decoded DecodePng(const std::string& bytes) {
    Decoded decoded;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        return decoded;
    }
    image.format = PNG_FORMAT_RGB;
    decoded.rgb.resize(PNG_IMAGE_SIZE(image));
    decoded.ok = png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr) != 0;
    decoded.width = static_cast<int>(image.width);
    decoded.height = static_cast<int>(image.height);
    png_image_free(&image);
    return decoded;
}

int CountPixels(const Decoded& image, int r, int g, int b) {
    int count = 0;
    for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
        count += image.rgb[i] == r && image.rgb[i + 1] == g && image.rgb[i + 2] == b;
    }
    return count;
}

} // namespace

TEST(Chart, PngOfTheDaySoFarDecodes) {
    std::int64_t now = kMorningOpen + 3 * 3600;
    const Market market(20261208, [&now] { return now; });
    const auto png = market.ChartPng(1, "600000");
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(png->substr(1, 3), "PNG");
    const Decoded image = DecodePng(*png);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, kChartWidth);
    EXPECT_EQ(image.height, kChartHeight);
    // Price line and volume bars in red or green, the previous-close line, the average.
    EXPECT_GT(CountPixels(image, 220, 20, 20) + CountPixels(image, 0, 150, 60), 300);
    EXPECT_GT(CountPixels(image, 70, 90, 200), 50);
    EXPECT_GT(CountPixels(image, 235, 150, 0), 50);
    // Later in the day the chart has more to show; an index chart has no average line.
    now += 1800;
    const auto later = market.ChartPng(1, "600000");
    EXPECT_NE(*later, *png);
    const Decoded index = DecodePng(*market.ChartPng(1, "000001"));
    ASSERT_TRUE(index.ok);
    EXPECT_EQ(CountPixels(index, 235, 150, 0), 0);
    // Right at the open, and for an empty day, the chart still draws.
    now = kMorningOpen;
    EXPECT_TRUE(DecodePng(*market.ChartPng(2, "300750")).ok);
    EXPECT_TRUE(DecodePng(DrawIntradayChart(ChartInput{})).ok);
    EXPECT_FALSE(market.ChartPng(2, "600000").has_value());
    EXPECT_FALSE(market.ChartPng(1, "12345").has_value());
}

TEST(VendorSite, VersionAndNewStockFiles) {
    EXPECT_EQ(UpdateFileText("1.2.0.0", "http://127.0.0.1:9"),
              "1:1.2.0.0:http://127.0.0.1:9/download/MarluneSetup-1.2.0.0.exe;");
    EXPECT_EQ(UpdateFileText("", "http://x"), "0:1.1.0.0:;");
    for (std::int64_t day = 0; day < 8; ++day) {
        const std::string tip = NewStockFileText(kMorningOpen + day * 86400);
        EXPECT_EQ(tip.substr(0, 8), "newstk=\"");
        EXPECT_EQ(tip.back(), '"');
        EXPECT_GT(tip.size(), 11u);
        EXPECT_EQ(tip.find('"', 8), tip.size() - 1);
    }
    EXPECT_NE(NewStockFileText(kMorningOpen), NewStockFileText(kMorningOpen + 86400));
    EXPECT_EQ(ProxyTestText().find("认证失败"), std::string::npos);
}

TEST(VendorSite, MiniPageLinksThroughShowDlgAndEscapesWhatItEchoes) {
    const Market market(1, [] { return kMorningOpen + 600; });
    const SiteContext context{&market, kMorningOpen + 600, "http://127.0.0.1:8123"};
    const std::string page = MiniStockPage(context, FindStock(1, "600000"), "sh600000");
    EXPECT_NE(page.find("charset=gb2312"), std::string::npos);
    EXPECT_NE(page.find("浦发银行"), std::string::npos);
    EXPECT_NE(
        page.find(
            "window.external.ShowDlg('http://127.0.0.1:8123/stock/stock_info.php?stockid=sh600000', 0)"),
        std::string::npos);
    EXPECT_NE(page.find("/stock/chart/bf/0/600000.png"), std::string::npos);
    const std::string overview = MiniStockPage(context, nullptr, "");
    EXPECT_NE(overview.find("上证指数"), std::string::npos);
    EXPECT_NE(overview.find(
                  "window.external.ShowDlg('http://127.0.0.1:8123/stock/stock_info.php?stockid=sz399001'"),
              std::string::npos);
    const std::string unknown = StockInfoPage(context, nullptr, "<script>alert('x')</script>");
    EXPECT_EQ(unknown.find("<script>"), std::string::npos);
    EXPECT_NE(unknown.find("&lt;script&gt;"), std::string::npos);
    EXPECT_EQ(AdvicePage("<b>").find("<b>"), std::string::npos);
}
