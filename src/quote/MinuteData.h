#pragma once
// One stock's trading day minute by minute, as the Tencent minute service sends it.
//
// The reply is UTF-8 JSON:
//   {"code":0,"data":{"sh600519":{"data":{"data":["0930 1187.00 294 34897800.00", ...],
//                                         "date":"20260630"}}}}
// Each row is "HHMM price volume amount": the exchange time, the last price of that
// minute, the volume since the open in hands (lots of 100 shares) and the amount since
// the open in yuan. Rows run 0930-1130 and 1300-1500 for the day named by "date".

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune {

struct MinutePoint {
    int time = 0;      // HHMM, exchange time
    double price = 0;  // last price of the minute
    double volume = 0; // hands since the open
    double amount = 0; // yuan since the open
};

struct MinuteDay {
    std::string date;                // "YYYYMMDD" as the service names it
    std::vector<MinutePoint> points; // in time order, only sound rows
};

// Slots of the trading day on the time axis: 09:30 is slot 0, 11:30 and 13:00 share slot
// 120 (the lunch break takes no room), 15:00 is slot 240.
constexpr int kMinuteSlots = 241;
constexpr int kLunchSlot = 120;

// The slot of an HHMM time, or -1 outside 09:30-11:30 and 13:00-15:00.
int MinuteSlot(int hhmm);

// Reads the reply for one symbol ("sh600519"). Nothing when the reply is not JSON, has no
// entry for that symbol (a reply about another stock never stands in for it) or its rows
// are not a list, and when it nests more than 32 levels deep (built, such a document would
// take far more memory than its bytes). A row that is damaged (not four fields, a field that is not a plain
// number, a time outside the sessions, a price not above 0, a number beyond any real
// quote) is skipped; the other rows stand. Rows out of order are put in time order, and
// of two rows for the same minute the first is kept.
std::optional<MinuteDay> ParseMinuteReply(std::string_view json, std::string_view symbol);

// Replies beyond this size are refused unread: a whole day is about 10 KB.
constexpr std::size_t kMaxMinuteReplyBytes = 1024 * 1024;

} // namespace marlune
