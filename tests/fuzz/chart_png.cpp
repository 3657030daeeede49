// The chart loader over arbitrary bytes: it must fail cleanly or give a buffer of
// exactly width x height pixels.
#include "net/ChartImage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto image = marlune::DecodeChartImage(std::string_view(reinterpret_cast<const char*>(data), size));
    if (image) {
        if (image->width <= 0 || image->height <= 0 || image->width > marlune::kMaxChartSide ||
            image->height > marlune::kMaxChartSide ||
            image->pixels.size() != static_cast<std::size_t>(image->width) * image->height * 4)
            std::abort();
    }
    return 0;
}
