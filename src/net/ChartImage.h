#pragma once
// Decoding the intraday chart images (PNG) into 32-bit pixel buffers for the detail popup.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune {

// Charts larger than this on either side are refused before anything is allocated.
constexpr int kMaxChartSide = 8192;

// A chart file is a few kilobytes; one larger than this is not a chart. Chart downloads
// stop at this size and the loader refuses larger files without reading them.
constexpr std::uint32_t kMaxChartFileBytes = 4u * 1024u * 1024u;

// What libpng itself may allocate while decoding one chart (chunk data, row buffers,
// the inflate window), all together; the pixel buffer is counted apart, by the size
// limits above. Ancillary chunks may hold at most kMaxPngChunkBytes each.
constexpr std::size_t kMaxPngWorkingBytes = 8u * 1024u * 1024u;
constexpr std::size_t kMaxPngChunkBytes = 1024u * 1024u;

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
