#include "net/ChartImage.h"
#include "net/ChartRequest.h"
#include "net/ServiceEndpoints.h"

#include "LargestAllocation.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

using namespace marlune;

namespace {

struct PngSpec {
    int width = 0;
    int height = 0;
    int colorType = PNG_COLOR_TYPE_GRAY;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;        // tRNS of a palette image
    const png_color_16* transparent = nullptr; // tRNS of a grey or RGB image
    std::vector<std::vector<png_byte>> rows;   // packed as PNG stores them (16-bit: big endian)
};

void AppendToString(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}
void FlushNothing(png_structp) {}

// Encodes an image with libpng, the way any chart service would.
std::string EncodePng(const PngSpec& spec) {
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rowPointers;
    for (const auto& row : spec.rows)
        rowPointers.push_back(const_cast<png_bytep>(row.data()));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng could not write the test image";
        return {};
    }
    png_set_write_fn(png, &bytes, AppendToString, FlushNothing);
    png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!spec.palette.empty())
        png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
    if (!spec.paletteAlpha.empty())
        png_set_tRNS(png, info, spec.paletteAlpha.data(), static_cast<int>(spec.paletteAlpha.size()),
                     nullptr);
    if (spec.transparent)
        png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16p>(spec.transparent));
    png_write_info(png, info);
    png_write_image(png, rowPointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// Pixel (x, y) of a decoded image as {blue, green, red, fourth}.
std::array<int, 4> PixelAt(const ChartImage& image, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 4;
    return {image.pixels[at], image.pixels[at + 1], image.pixels[at + 2], image.pixels[at + 3]};
}

using Pixel = std::array<int, 4>;

// Rewrites the IHDR size fields of a PNG and fixes the chunk's CRC.
std::string WithClaimedSize(std::string png, std::uint32_t width, std::uint32_t height) {
    auto put32 = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = static_cast<char>(value >> (24 - 8 * i));
    };
    put32(16, width); // signature (8) + length (4) + "IHDR" (4)
    put32(20, height);
    const auto* chunk = reinterpret_cast<const Bytef*>(png.data() + 12);
    put32(29, static_cast<std::uint32_t>(crc32(0, chunk, 17))); // "IHDR" + 13 data bytes
    return png;
}

PngSpec Spec(int width, int height, int colorType, int bitDepth) {
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = colorType;
    spec.bitDepth = bitDepth;
    return spec;
}

PngSpec GreyRamp(int bitDepth) {
    // One row with the values 0, 1, 2, ... up to the largest sample of the depth.
    PngSpec spec;
    spec.bitDepth = bitDepth;
    spec.width = bitDepth == 16 ? 2 : (1 << bitDepth) > 16 ? 16 : (1 << bitDepth);
    spec.height = 1;
    std::vector<png_byte> row((spec.width * bitDepth + 7) / 8, 0);
    if (bitDepth == 16) {
        row = {0xAB, 0xCD, 0x12, 0x34};
    } else {
        for (int x = 0; x < spec.width; ++x) {
            const int bit = x * bitDepth;
            row[bit / 8] |= static_cast<png_byte>(x << (8 - bitDepth - bit % 8));
        }
    }
    spec.rows = {row};
    return spec;
}

} // namespace

TEST(ChartImage, GreyOfEveryDepthBecomesEqualBlueGreenRed) {
    // Low-bit grey is scaled up to 8 bits: 1 bit 1 -> 255, 2 bits 1 -> 85, 4 bits 8 -> 0x88.
    const std::vector<std::pair<int, std::vector<int>>> expected = {
        {1, {0, 255}},
        {2, {0, 85, 170, 255}},
        {4, {0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}},
        {8, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {16, {0xAB, 0x12}}};
    for (const auto& [depth, greys] : expected) {
        SCOPED_TRACE(depth);
        const auto image = DecodeChartImage(EncodePng(GreyRamp(depth)));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->height, 1);
        ASSERT_GE(image->width, static_cast<int>(greys.size()));
        EXPECT_EQ(image->pixels.size(), static_cast<std::size_t>(image->width) * 4);
        for (std::size_t x = 0; x < greys.size(); ++x) {
            const int g = greys[x];
            EXPECT_EQ(PixelAt(*image, static_cast<int>(x), 0), (Pixel{g, g, g, 0})) << "x=" << x;
        }
    }
}

TEST(ChartImage, ColourImagesComeOutBlueGreenRedWithAlphaWhereTheyHaveOne) {
    PngSpec rgb = Spec(2, 2, PNG_COLOR_TYPE_RGB, 8);
    rgb.rows = {{10, 20, 30, 40, 50, 60}, {70, 80, 90, 255, 0, 1}};
    auto image = DecodeChartImage(EncodePng(rgb));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(PixelAt(*image, 0, 0), (Pixel{30, 20, 10, 0}));
    EXPECT_EQ(PixelAt(*image, 1, 0), (Pixel{60, 50, 40, 0}));
    EXPECT_EQ(PixelAt(*image, 0, 1), (Pixel{90, 80, 70, 0}));
    EXPECT_EQ(PixelAt(*image, 1, 1), (Pixel{1, 0, 255, 0}));

    PngSpec rgb16 = Spec(1, 1, PNG_COLOR_TYPE_RGB, 16);
    rgb16.rows = {{0x11, 0xFF, 0x22, 0x00, 0x33, 0x80}};
    image = DecodeChartImage(EncodePng(rgb16));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelAt(*image, 0, 0), (Pixel{0x33, 0x22, 0x11, 0}));

    PngSpec greyAlpha = Spec(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8);
    greyAlpha.rows = {{100, 7, 200, 255}};
    image = DecodeChartImage(EncodePng(greyAlpha));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelAt(*image, 0, 0), (Pixel{100, 100, 100, 7}));
    EXPECT_EQ(PixelAt(*image, 1, 0), (Pixel{200, 200, 200, 255}));

    PngSpec rgba = Spec(1, 2, PNG_COLOR_TYPE_RGBA, 8);
    rgba.rows = {{1, 2, 3, 4}, {250, 251, 252, 0}};
    image = DecodeChartImage(EncodePng(rgba));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelAt(*image, 0, 0), (Pixel{3, 2, 1, 4}));
    EXPECT_EQ(PixelAt(*image, 0, 1), (Pixel{252, 251, 250, 0}));

    PngSpec rgba16 = Spec(1, 1, PNG_COLOR_TYPE_RGBA, 16);
    rgba16.rows = {{0xA0, 0, 0xB0, 0, 0xC0, 0, 0xD0, 0}};
    image = DecodeChartImage(EncodePng(rgba16));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelAt(*image, 0, 0), (Pixel{0xC0, 0xB0, 0xA0, 0xD0}));
}

TEST(ChartImage, PaletteImagesAreExpandedWithTheirTransparency) {
    PngSpec spec = Spec(4, 1, PNG_COLOR_TYPE_PALETTE, 2);
    spec.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 8, 7}};
    spec.rows = {{0b00011011}}; // indexes 0, 1, 2, 3
    auto image = DecodeChartImage(EncodePng(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelAt(*image, 0, 0), (Pixel{0, 0, 255, 0}));
    EXPECT_EQ(PixelAt(*image, 1, 0), (Pixel{0, 255, 0, 0}));
    EXPECT_EQ(PixelAt(*image, 2, 0), (Pixel{255, 0, 0, 0}));
    EXPECT_EQ(PixelAt(*image, 3, 0), (Pixel{7, 8, 9, 0}));

    // With a transparency chunk every entry gets its alpha; entries beyond it are opaque.
    spec.paletteAlpha = {0, 128};
    image = DecodeChartImage(EncodePng(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelAt(*image, 0, 0), (Pixel{0, 0, 255, 0}));
    EXPECT_EQ(PixelAt(*image, 1, 0), (Pixel{0, 255, 0, 128}));
    EXPECT_EQ(PixelAt(*image, 3, 0), (Pixel{7, 8, 9, 255}));

    // A grey image with a transparent grey value.
    PngSpec grey = Spec(2, 1, PNG_COLOR_TYPE_GRAY, 8);
    png_color_16 transparent{};
    transparent.gray = 50;
    grey.transparent = &transparent;
    grey.rows = {{50, 60}};
    image = DecodeChartImage(EncodePng(grey));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelAt(*image, 0, 0), (Pixel{50, 50, 50, 0}));
    EXPECT_EQ(PixelAt(*image, 1, 0), (Pixel{60, 60, 60, 255}));
}

TEST(ChartImage, InterlacedImageDecodesLikeAPlainOne) {
    PngSpec spec = Spec(9, 7, PNG_COLOR_TYPE_RGB, 8);
    for (int y = 0; y < spec.height; ++y) {
        std::vector<png_byte> row;
        for (int x = 0; x < spec.width; ++x) {
            row.push_back(static_cast<png_byte>(x * 20));
            row.push_back(static_cast<png_byte>(y * 30));
            row.push_back(static_cast<png_byte>(x + y));
        }
        spec.rows.push_back(row);
    }
    const auto plain = DecodeChartImage(EncodePng(spec));
    spec.interlaced = true;
    const auto interlaced = DecodeChartImage(EncodePng(spec));
    ASSERT_TRUE(plain);
    ASSERT_TRUE(interlaced);
    EXPECT_EQ(plain->pixels, interlaced->pixels);
    EXPECT_EQ(PixelAt(*interlaced, 8, 6), (Pixel{14, 180, 160, 0}));
}

TEST(ChartImage, DamagedOrForeignBytesFailCleanly) {
    PngSpec spec = Spec(16, 16, PNG_COLOR_TYPE_RGB, 8);
    spec.rows.assign(16, std::vector<png_byte>(48, 0x5A));
    for (int y = 0; y < 16; ++y)
        spec.rows[y][y] = static_cast<png_byte>(y * 13); // keep it from compressing to nothing
    const std::string good = EncodePng(spec);
    ASSERT_TRUE(DecodeChartImage(good));

    EXPECT_FALSE(DecodeChartImage(""));
    EXPECT_FALSE(DecodeChartImage(good.substr(0, 7)));
    EXPECT_FALSE(DecodeChartImage("GIF89a\x01\x00\x01\x00 not a png at all"));
    EXPECT_FALSE(DecodeChartImage("<html>404 Not Found</html>"));
    // Every truncation of a good file fails: a half-written chart is not a chart.
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(DecodeChartImage(good.substr(0, cut))) << "cut at " << cut;
    // A flipped bit inside the image data breaks its checksum.
    std::string damaged = good;
    damaged[damaged.size() / 2] ^= 0x10;
    EXPECT_FALSE(DecodeChartImage(damaged));
}

TEST(ChartImage, AbsurdSizesAreRefusedBeforeAllocating) {
    PngSpec wide = Spec(kMaxChartSide + 1, 1, PNG_COLOR_TYPE_GRAY, 1);
    wide.rows = {std::vector<png_byte>((kMaxChartSide + 8) / 8, 0)};
    EXPECT_FALSE(DecodeChartImage(EncodePng(wide)));

    PngSpec tiny = Spec(1, 1, PNG_COLOR_TYPE_RGBA, 8);
    tiny.rows = {{1, 2, 3, 4}};
    const std::string png = EncodePng(tiny);
    ASSERT_TRUE(DecodeChartImage(WithClaimedSize(png, 1, 1)));
    // Within the side limit but far more pixels than a file of this size can hold.
    EXPECT_FALSE(DecodeChartImage(WithClaimedSize(png, kMaxChartSide, kMaxChartSide)));
    EXPECT_FALSE(DecodeChartImage(WithClaimedSize(png, 0x7FFFFFFF, 1)));
    EXPECT_FALSE(DecodeChartImage(WithClaimedSize(png, 0, 1)));
}

TEST(ChartImage, LoadsAChartFileAndFailsWithoutOne) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("marlune-chart-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "sh600000.dat").string();
    EXPECT_FALSE(LoadChartImage(path));

    PngSpec spec = Spec(3, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8);
    spec.rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
    std::ofstream(path, std::ios::binary) << EncodePng(spec);
    const auto image = LoadChartImage(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(PixelAt(*image, 2, 1), (Pixel{11, 11, 11, 12}));

    std::ofstream(path, std::ios::binary | std::ios::trunc) << "partly written";
    EXPECT_FALSE(LoadChartImage(path));
    EXPECT_FALSE(LoadChartImage(folder.string())); // a folder is no chart
    std::filesystem::remove_all(folder);
}

TEST(ChartRequest, OneJobPerEntryWithItsUrlAndFile) {
    ASSERT_TRUE(PointAllServicesAt("http://127.0.0.1:8123/"));
    WatchList list(5);
    list[0].code = "000001";
    list[0].market = kMarketShanghai;
    list[1].code = "399001";
    list[1].market = kMarketShenzhen;
    list[2].code = "123456";
    list[2].market = 7; // unknown market: keeps the prefix of the entry before
    list[3].code = "../../etc/x";
    list[3].market = kMarketShanghai;
    list[4].code = "600000";
    list[4].market = kMarketShanghai;

    const std::vector<QuoteFetchJob> jobs = BuildChartJobs(list, "/home/u/data/");
    ASSERT_EQ(jobs.size(), 4u); // the entry whose code is no code gets no job
    EXPECT_EQ(jobs[0].url, "http://127.0.0.1:8123/stock/chart/bf/0/000001.png");
    EXPECT_EQ(jobs[0].replyFile, "/home/u/data/sh000001.dat");
    EXPECT_EQ(jobs[1].url, "http://127.0.0.1:8123/stock/chart/bf/1/399001.png");
    EXPECT_EQ(jobs[1].replyFile, "/home/u/data/sz399001.dat");
    EXPECT_EQ(jobs[2].url, "http://127.0.0.1:8123/stock/chart/bf/6/123456.png");
    EXPECT_EQ(jobs[2].replyFile, "/home/u/data/sz123456.dat");
    EXPECT_EQ(jobs[3].replyFile, "/home/u/data/sh600000.dat");
    for (const QuoteFetchJob& job : jobs) {
        EXPECT_EQ(job.jobKind, kJobSideDownload);
        EXPECT_EQ(job.threadPriority, kThreadPriorityIdle);
        EXPECT_EQ(job.headerBlock, ServiceHeaderBlock(Service::kHexunCharts));
        EXPECT_EQ(job.headerBlock.rfind("Accept: */*\r\nReferer: ", 0), 0u);
    }
    // A first entry of an unknown market has no prefix at all; the folder gets its '/'.
    WatchList odd(1);
    odd[0].code = "1";
    odd[0].market = 0;
    EXPECT_EQ(BuildChartJobs(odd, "/d").at(0).replyFile, "/d/1.dat");
    RestoreDefaultServices();
}

TEST(ChartImage, ChunksDeclaringMoreThanTheFileHoldsCostNoMemory) {
    if (!marlune::test::LargestAllocation::Available())
        GTEST_SKIP() << "a sanitizer's allocator is in charge";
    // 110 bytes: a header, then an sPLT chunk declaring 0x73737373 bytes.
    std::ifstream in(std::string(MARLUNE_TEST_DATA_DIR) + "/fuzz/chart_png/splt-huge-length.png",
                     std::ios::binary);
    const std::string splt{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(splt.size(), 110u);

    // The same lie further on: after the image data of a good chart, before its end.
    PngSpec spec = Spec(40, 30, PNG_COLOR_TYPE_RGB, 8);
    spec.rows.assign(30, std::vector<png_byte>(120, 0x33));
    const std::string good = EncodePng(spec);
    ASSERT_TRUE(DecodeChartImage(good));
    const std::string iend = good.substr(good.size() - 12);
    const std::string lateLie = good.substr(0, good.size() - 12) + std::string("\x40\x00\x00\x00zTXt", 8) +
                                std::string(20, 'z') + iend;

    const marlune::test::LargestAllocation largest;
    EXPECT_FALSE(DecodeChartImage(splt));
    EXPECT_FALSE(DecodeChartImage(lateLie));
    EXPECT_LT(largest.Bytes(), 1024u * 1024u) << "the decoder asked for " << largest.Bytes() << " bytes";
}
