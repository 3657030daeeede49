#include "sim/ChartDrawing.h"

#include "sim/TradingClock.h"
#include "text/CNumber.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <png.h>

namespace marlune::sim {

namespace {

enum Colour : std::uint8_t {
    kWhite,
    kGrid,
    kFrame,
    kBlack,
    kRed,
    kGreen,
    kCloseLine,
    kAverage,
    kColourCount
};

constexpr std::array<std::array<std::uint8_t, 3>, kColourCount> kPalette = {{
    {255, 255, 255}, // background
    {225, 225, 225}, // grid
    {150, 150, 150}, // frame
    {40, 40, 40},    // text
    {220, 20, 20},   // above the previous close
    {0, 150, 60},    // below the previous close
    {70, 90, 200},   // previous close
    {235, 150, 0},   // average price
}};

// A 5 x 7 pixel font for the scale labels: each glyph is seven rows of five bits.
struct Glyph {
    char c;
    std::array<std::uint8_t, 7> rows;
};
constexpr Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {'%', {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}},
};
constexpr int kGlyphAdvance = 6;

class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height), m_pixels(width * height, kWhite) {}

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const std::uint8_t* Row(int y) const { return m_pixels.data() + y * m_width; }

    void Set(int x, int y, Colour colour) {
        if (x >= 0 && y >= 0 && x < m_width && y < m_height) {
            m_pixels[y * m_width + x] = colour;
        }
    }

    // A line from (x0, y0) to (x1, y1); dashed lines leave gaps of three pixels.
    void Line(int x0, int y0, int x1, int y1, Colour colour, bool dashed = false) {
        const int dx = std::abs(x1 - x0);
        const int dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1;
        const int sy = y0 < y1 ? 1 : -1;
        int error = dx + dy;
        for (int step = 0;; ++step) {
            if (!dashed || step % 6 < 3) {
                Set(x0, y0, colour);
            }
            if (x0 == x1 && y0 == y1) {
                break;
            }
            const int doubled = 2 * error;
            if (doubled >= dy) {
                error += dy;
                x0 += sx;
            }
            if (doubled <= dx) {
                error += dx;
                y0 += sy;
            }
        }
    }

    void FillRect(int x, int y, int width, int height, Colour colour) {
        for (int row = y; row < y + height; ++row) {
            for (int column = x; column < x + width; ++column) {
                Set(column, row, colour);
            }
        }
    }

    void Text(int x, int y, const std::string& text, Colour colour) {
        for (char c : text) {
            for (const Glyph& glyph : kGlyphs) {
                if (glyph.c != c) {
                    continue;
                }
                for (int row = 0; row < 7; ++row) {
                    for (int column = 0; column < 5; ++column) {
                        if (glyph.rows[row] & (0x10 >> column)) {
                            Set(x + column, y + row, colour);
                        }
                    }
                }
            }
            x += kGlyphAdvance;
        }
    }

    static int TextWidth(const std::string& text) {
        return static_cast<int>(text.size()) * kGlyphAdvance - 1;
    }

private:
    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_pixels;
};

void AppendToString(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void NoFlush(png_structp) {}

std::string EncodePalettePng(const Canvas& canvas) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return {};
    }
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows(canvas.Height());
    for (int y = 0; y < canvas.Height(); ++y) {
        rows[y] = const_cast<png_bytep>(canvas.Row(y));
    }
    std::array<png_color, kColourCount> palette{};
    for (int i = 0; i < kColourCount; ++i) {
        palette[i] = png_color{kPalette[i][0], kPalette[i][1], kPalette[i][2]};
    }
    // libpng reports errors by a long jump back here; nothing below owns resources
    // other than the two structures destroyed on both paths.
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendToString, NoFlush);
    png_set_IHDR(png, info, canvas.Width(), canvas.Height(), 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, palette.data(), kColourCount);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// The plot areas inside the image.
constexpr int kLeft = 46;
constexpr int kRight = kChartWidth - 47;
constexpr int kPriceTop = 16;
constexpr int kPriceBottom = 186;
constexpr int kVolumeTop = 194;
constexpr int kVolumeBottom = 268;
constexpr int kTimeLabelTop = 274;

int MinuteX(double minute) {
    return kLeft + static_cast<int>(std::lround(minute * (kRight - kLeft) / kSessionMinutes));
}

} // namespace

std::string DrawIntradayChart(const ChartInput& input) {
    Canvas canvas(kChartWidth, kChartHeight);
    const double previousClose = input.previousClose > 0 ? input.previousClose : 1;

    // Scale: symmetric around the previous close, wide enough for the day's range.
    double spread = previousClose * 0.01;
    for (const MinuteBar& bar : input.bars) {
        spread = std::max({spread, bar.high - previousClose, previousClose - bar.low});
    }
    spread *= 1.08;
    auto priceY = [&](double price) {
        const double share = (previousClose + spread - price) / (2 * spread);
        return kPriceTop + static_cast<int>(std::lround(share * (kPriceBottom - kPriceTop)));
    };

    // Grid, frame and scale labels.
    for (int step = -2; step <= 2; ++step) {
        const double price = previousClose + spread * step / 2;
        const int y = priceY(price);
        if (step != 0) {
            canvas.Line(kLeft, y, kRight, y, kGrid);
        }
        const Colour colour = step > 0 ? kRed : step < 0 ? kGreen : kBlack;
        const std::string priceText = Format(price >= 1000 ? "%.1f" : "%.2f", price); // fits the margin
        canvas.Text(kLeft - 3 - Canvas::TextWidth(priceText), y - 3, priceText, colour);
        const double rate = spread * step / 2 * 100 / previousClose;
        const std::string rateText = Format(step > 0 ? "+%.2f%%" : "%.2f%%", rate);
        canvas.Text(kRight + 4, y - 3, step == 0 ? "0.00%" : rateText, colour);
    }
    for (int minute = 60; minute < kSessionMinutes; minute += 60) {
        const int x = MinuteX(minute);
        const Colour colour = minute == kSessionMinutes / 2 ? kFrame : kGrid;
        canvas.Line(x, kPriceTop, x, kPriceBottom, colour);
        canvas.Line(x, kVolumeTop, x, kVolumeBottom, colour);
    }
    for (auto [top, bottom] : {std::pair{kPriceTop, kPriceBottom}, std::pair{kVolumeTop, kVolumeBottom}}) {
        canvas.Line(kLeft, top, kRight, top, kFrame);
        canvas.Line(kLeft, bottom, kRight, bottom, kFrame);
        canvas.Line(kLeft, top, kLeft, bottom, kFrame);
        canvas.Line(kRight, top, kRight, bottom, kFrame);
    }
    canvas.Line(kLeft, priceY(previousClose), kRight, priceY(previousClose), kCloseLine, true);
    const char* const times[] = {"09:30", "10:30", "11:30/13:00", "14:00", "15:00"};
    for (int i = 0; i < 5; ++i) {
        const int x = MinuteX(i * 60);
        const int width = Canvas::TextWidth(times[i]);
        const int left = i == 0 ? x : i == 4 ? x - width : x - width / 2;
        canvas.Text(left, kTimeLabelTop, times[i], kBlack);
    }

    // Volume bars, red when the minute closed at or above the minute before.
    double maxVolume = 1;
    for (const MinuteBar& bar : input.bars) {
        maxVolume = std::max(maxVolume, bar.volume);
    }
    double lastClose = previousClose;
    for (std::size_t minute = 0; minute < input.bars.size(); ++minute) {
        const MinuteBar& bar = input.bars[minute];
        const int height =
            static_cast<int>(std::lround(bar.volume / maxVolume * (kVolumeBottom - kVolumeTop - 2)));
        const int x = MinuteX(minute + 0.5);
        canvas.Line(x, kVolumeBottom - 1, x, kVolumeBottom - 1 - height,
                    bar.close >= lastClose ? kRed : kGreen);
        lastClose = bar.close;
    }

    // Average price (shares only: an index has no price per share), then the price line.
    if (!input.isIndex && !input.bars.empty()) {
        double volume = 0;
        double amount = 0;
        int lastX = -1;
        int lastY = 0;
        for (std::size_t minute = 0; minute < input.bars.size(); ++minute) {
            volume += input.bars[minute].volume;
            amount += input.bars[minute].amount;
            if (volume <= 0) {
                continue;
            }
            const int x = MinuteX(minute + 1.0);
            const int y = std::clamp(priceY(amount / volume), kPriceTop, kPriceBottom);
            if (lastX >= 0) {
                canvas.Line(lastX, lastY, x, y, kAverage);
            }
            lastX = x;
            lastY = y;
        }
    }
    if (!input.bars.empty()) {
        int lastX = MinuteX(0);
        double lastPrice = input.bars.front().open;
        for (std::size_t minute = 0; minute < input.bars.size(); ++minute) {
            const double price = input.bars[minute].close;
            const int x = MinuteX(minute + 1.0);
            const Colour colour = (price + lastPrice) / 2 >= previousClose ? kRed : kGreen;
            canvas.Line(lastX, priceY(lastPrice), x, priceY(price), colour);
            lastX = x;
            lastPrice = price;
        }
    }

    // Header: code, latest price and change.
    if (!input.bars.empty()) {
        const double price = input.bars.back().close;
        double change = price - previousClose;
        if (std::fabs(change) < 0.005) {
            change = 0; // no "-0.00"
        }
        const Colour colour = change > 0 ? kRed : change < 0 ? kGreen : kBlack;
        canvas.Text(kLeft, 4, input.code, kBlack);
        canvas.Text(kLeft + 48, 4,
                    Format("%.2f  %+.2f  %+.2f%%", price, change, change * 100 / previousClose), colour);
    }
    return EncodePalettePng(canvas);
}

} // namespace marlune::sim
