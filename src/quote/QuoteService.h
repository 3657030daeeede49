#pragma once
// One quote service as one unit: its DataSour number, its names, the outside service it
// asks, how it turns a watch list into a request, where its reply goes and which parser
// reads it. QuoteServices() lists them all; the request builder, the reply dispatch, the
// basic page, marlune-cli and the simulated market's router all go by that table, so a new
// source is one file pair (its request and parser) plus one row.

#include "quote/QuoteBook.h"
#include "quote/ServiceId.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune {

// Quote sources as base.ini's DataSour stores them. Any other value is served as Sina.
enum QuoteSource : int {
    kSourceSina = 1,
    kSourceNetEase = 2,
    kSourceGoogle = 3,
    kSourceTencent = 4,
    kSourceEastMoney = 5,
};

struct QuoteService {
    int source;              // the DataSour value
    const char* name;        // UTF-8, as the basic page and the status line show it
    const char* englishName; // for marlune-cli's help
    bool answersToday;       // false: kept for the settings of older versions
    Service endpoint;        // host and Referer (net/ServiceEndpoints.h)

    // The code list: each entry's code after the prefix of its market (an entry of
    // neither market keeps the prefix of the entry before it), joined by the separator.
    const char* shanghaiPrefix;
    const char* shenzhenPrefix;
    const char* separator;
    const char* codeListSuffix; // after the last code, also when the list is empty
    // Longer lists are asked for in several requests of at most this many codes whose
    // replies are joined; 0 = no limit.
    std::size_t maxCodesPerRequest;
    // The path and query for a code list (already safe for a URL) at a time in seconds.
    std::string (*requestPath)(const std::string& codeList, std::uint32_t now);

    // Empty: the reply is kept in memory. Otherwise the file under the program folder the
    // reply is written to, and the function that turns that file into reply text.
    const char* replyFile;
    std::string (*readReplyFile)(const std::string& path);

    // Rebuilds book.quoteList from a reply and ends with the derived values.
    void (*parse)(QuoteBook& book, std::string_view reply);
    // The same without the derived values: for a reply whose records join those of others
    // before the rows take them.
    void (*readRecords)(QuoteBook& book, std::string_view reply);

    // The other way round, for the simulated market: the code list (%-encoded as it came)
    // when a request target is this service's, else nothing.
    std::optional<std::string> (*codeListOfRequest)(std::string_view target);
};

// Every service, in DataSour order.
const std::vector<QuoteService>& QuoteServices();

// The service of a DataSour value; an unknown value is Sina.
const QuoteService& QuoteServiceOf(int source);

// True for the DataSour values of the table.
bool IsKnownQuoteSource(int source);

// The service whose request this target is (path and query), or nothing.
const QuoteService* QuoteServiceOfRequest(std::string_view target, std::string& codeList);

} // namespace marlune

namespace marlune {

// Helpers for the services' request functions.
//
// The target split at its first "?": path before, query after (empty without one).
void SplitRequestTarget(std::string_view target, std::string_view& path, std::string_view& query);
// The raw value of the first query parameter of that name; nothing when absent.
std::optional<std::string_view> RequestQueryValue(std::string_view query, std::string_view name);

} // namespace marlune
