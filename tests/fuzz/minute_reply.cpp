// Fuzz entry point: the Tencent minute reply, bytes as the service sends them.
#include "quote/MinuteData.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlune;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    for (std::string_view symbol : {"sh600519", "sz000001"}) {
        const auto day = ParseMinuteReply(reply, symbol);
        if (!day)
            continue;
        // What a parse keeps is fit to draw: times of the sessions in strict order, prices
        // and counts that are finite and within a real quote's range.
        int before = -1;
        for (const MinutePoint& point : day->points) {
            if (MinuteSlot(point.time) < 0 || point.time <= before || !(point.price > 0) ||
                !(point.price < 1e8) || !(point.volume >= 0) || !(point.volume < 1e15) ||
                !(point.amount >= 0) || !(point.amount < 1e18))
                std::abort();
            before = point.time;
        }
        if (day->points.size() > 4 * kMinuteSlots || day->date.size() > 16)
            std::abort();
    }
    return 0;
}
