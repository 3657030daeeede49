#pragma once
// Decoding the intraday chart images (PNG) into 32-bit pixel buffers for the detail popup.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune {

// Charts larger than this on either side are refused before anything is allocated.
constexpr int kMaxChartSide = 8192;

// A decoded chart: width x height pixels of 4 bytes each, rows from top to bottom,
// bytes in the order blue, green, red, fourth byte. The fourth byte is the alpha of
// images that carry one (grey + alpha, RGBA, or a transparency chunk) and 0 otherwise.
struct ChartImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Decodes PNG bytes: grey, RGB, grey + alpha and RGBA images of any bit depth, palette
// and low-bit images expanded, 16-bit samples reduced to their high byte. Nothing when
// the bytes are not a complete, valid PNG or the image is larger than kMaxChartSide.
std::optional<ChartImage> DecodeChartImage(std::string_view pngBytes);

// Reads and decodes a chart file. Nothing when the file is missing, unreadable,
// partly written or not a PNG (the popup then shows no chart).
std::optional<ChartImage> LoadChartImage(const std::string& path);

} // namespace marlune
