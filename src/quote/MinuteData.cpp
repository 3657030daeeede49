#include "quote/MinuteData.h"

#include "text/Fields.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace marlune {

namespace {

// Bounds no real quote reaches; beyond them a number is damage, and keeping it would
// flatten every other row on the chart's scale.
constexpr double kMaxPrice = 1e7;
constexpr double kMaxVolume = 1e14;
constexpr double kMaxAmount = 1e17;
constexpr std::size_t kMaxRows = 4 * kMinuteSlots;

// A plain decimal number: digits with an optional fraction, nothing before or after.
// "-", blanks, signs, exponents, "inf" and "nan" are not numbers here.
std::optional<double> PlainNumber(std::string_view text) {
    if (text.empty() || text.size() > 32)
        return std::nullopt;
    for (char c : text) {
        if ((c < '0' || c > '9') && c != '.')
            return std::nullopt;
    }
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<MinutePoint> ParseRow(std::string_view row) {
    const std::vector<std::string> fields = SplitFields(row, " ");
    if (fields.size() != 4 || fields[0].size() != 4)
        return std::nullopt;
    int time = 0;
    for (char c : fields[0]) {
        if (c < '0' || c > '9')
            return std::nullopt;
        time = time * 10 + (c - '0');
    }
    if (MinuteSlot(time) < 0)
        return std::nullopt;
    const auto price = PlainNumber(fields[1]);
    const auto volume = PlainNumber(fields[2]);
    const auto amount = PlainNumber(fields[3]);
    if (!price || !volume || !amount || *price <= 0 || *price > kMaxPrice || *volume > kMaxVolume ||
        *amount > kMaxAmount)
        return std::nullopt;
    return MinutePoint{time, *price, *volume, *amount};
}

// A minute reply nests five levels deep. A document nested much deeper is no minute reply,
// and building it would take a hundred times its bytes and a noticeable while on the GUI
// thread: it is refused before it is parsed.
constexpr int kMaxReplyDepth = 32;

bool NestsDeeperThan(std::string_view json, int limit) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : json) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit)
                return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

} // namespace

int MinuteSlot(int hhmm) {
    const int hour = hhmm / 100;
    const int minute = hhmm % 100;
    if (hhmm < 0 || minute > 59)
        return -1;
    const int ofDay = hour * 60 + minute;
    if (ofDay >= 9 * 60 + 30 && ofDay <= 11 * 60 + 30)
        return ofDay - (9 * 60 + 30);
    if (ofDay >= 13 * 60 && ofDay <= 15 * 60)
        return kLunchSlot + ofDay - 13 * 60;
    return -1;
}

std::optional<MinuteDay> ParseMinuteReply(std::string_view json, std::string_view symbol) {
    if (json.size() > kMaxMinuteReplyBytes || symbol.empty() || NestsDeeperThan(json, kMaxReplyDepth))
        return std::nullopt;
    // No exceptions: a damaged reply parses to a discarded value.
    const nlohmann::json root = nlohmann::json::parse(json.begin(), json.end(), nullptr, false);
    if (!root.is_object())
        return std::nullopt;
    const auto data = root.find("data");
    if (data == root.end() || !data->is_object())
        return std::nullopt;
    const auto stock = data->find(std::string(symbol));
    if (stock == data->end() || !stock->is_object())
        return std::nullopt;
    const auto day = stock->find("data");
    if (day == stock->end() || !day->is_object())
        return std::nullopt;
    const auto rows = day->find("data");
    if (rows == day->end() || !rows->is_array())
        return std::nullopt;

    MinuteDay result;
    if (const auto date = day->find("date");
        date != day->end() && date->is_string() && date->get_ref<const std::string&>().size() <= 16)
        result.date = date->get<std::string>();
    for (const nlohmann::json& row : *rows) {
        if (result.points.size() >= kMaxRows)
            break;
        if (!row.is_string())
            continue;
        const std::optional<MinutePoint> point = ParseRow(row.get_ref<const std::string&>());
        if (!point)
            continue;
        result.points.push_back(*point);
    }
    // Rows out of order are put in order; of two rows for one minute the first stands.
    std::stable_sort(result.points.begin(), result.points.end(),
                     [](const MinutePoint& a, const MinutePoint& b) { return a.time < b.time; });
    result.points.erase(
        std::unique(result.points.begin(), result.points.end(),
                    [](const MinutePoint& a, const MinutePoint& b) { return a.time == b.time; }),
        result.points.end());
    return result;
}

} // namespace marlune
