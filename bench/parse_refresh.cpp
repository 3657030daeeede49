// One refresh of the quote engine: a recorded 20-stock Sina reply (GBK, 33 fields per
// statement) parsed into a full watch list with holdings and alerts, derived values included.
// ParseOneRefresh does the same for the reply of each service that answers today, made by the
// simulated market for the same 20 stocks at the same moment: the client's CPU per refresh
// without the transfer.
//
//   bench_parse_refresh --benchmark_filter=ParseOneRefresh
#include "quote/DerivedValues.h"
#include "quote/QuoteParsers.h"
#include "quote/QuoteService.h"
#include "sim/Market.h"
#include "sim/StockTable.h"
#include "text/CNumber.h"
#include "text/FileBytes.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace marlune;

std::string RecordedReply() {
    std::optional<std::string> reply = ReadFileBytes(MARLUNE_TEST_DATA_DIR "/quote/sina_20.txt");
    if (!reply || reply->empty())
        std::abort();
    return *reply;
}

// A watch list of the 20 stocks in the reply, every other one held, some with alerts.
QuoteBook BookForReply(const std::string& reply) {
    // The parser builds records only for codes of the watch list: the probe asks for every
    // statement's code.
    WatchList codes;
    for (std::size_t at = reply.find("hq_str_"); at != std::string::npos;
         at = reply.find("hq_str_", at + 1)) {
        StockEntry entry;
        entry.market = reply.compare(at + 7, 2, "sh") == 0 ? kMarketShanghai : kMarketShenzhen;
        entry.code = reply.substr(at + 9, 6);
        codes.push_back(entry);
    }
    QuoteBook probe;
    probe.setWatchList(codes);
    ParseSinaReply(probe, reply);
    if (probe.quoteList.size() != 20)
        std::abort();
    WatchList list;
    for (std::size_t i = 0; i < probe.quoteList.size(); ++i) {
        const QuoteRecord& quote = probe.quoteList[i];
        StockEntry entry;
        entry.code = quote.code;
        entry.market = quote.market;
        entry.name = quote.name;
        if (i % 2 == 0) {
            entry.quantity = 100 * static_cast<int>(i + 1);
            entry.cost = static_cast<float>(AtoF(quote.previousClose) * 0.97);
        }
        if (i % 3 == 0) {
            entry.alertFlag = 1;
            entry.lowerLimit = static_cast<float>(AtoF(quote.low) * 0.9);
            entry.upperLimit = static_cast<float>(AtoF(quote.high) * 1.1);
        }
        list.push_back(entry);
    }
    QuoteBook book;
    book.setWatchList(list);
    return book;
}

void ParseSinaReply20(benchmark::State& state) {
    const std::string reply = RecordedReply();
    QuoteBook book = BookForReply(reply);
    for (auto _ : state) {
        ParseSinaReply(book, reply);
        CollectAllAlerts(book);
        benchmark::DoNotOptimize(book.totalPlAmount.data());
    }
    if (book.watchList[19].quote.price.empty())
        state.SkipWithError("the reply did not reach the watch list");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(ParseSinaReply20);

void ComputeDerivedValues20(benchmark::State& state) {
    const std::string reply = RecordedReply();
    QuoteBook book = BookForReply(reply);
    ParseSinaReply(book, reply);
    for (auto _ : state) {
        ComputeDerivedValues(book);
        benchmark::DoNotOptimize(book.totalPlRate.data());
    }
}
BENCHMARK(ComputeDerivedValues20);

// The two main indices and eighteen shares of the market's table, each held, some with
// alerts, and the request codes of every service for them.
struct TwentyStocks {
    WatchList list;
    std::vector<std::string> sina, tencent, eastMoney;
};

TwentyStocks MarketTwenty() {
    std::vector<const sim::StockInfo*> stocks{sim::FindStock(1, "000001"), sim::FindStock(2, "399001")};
    for (const sim::StockInfo& stock : sim::AllStocks()) {
        if (!stock.IsIndex() && stocks.size() < 20)
            stocks.push_back(&stock);
    }
    TwentyStocks twenty;
    for (const sim::StockInfo* stock : stocks) {
        StockEntry entry;
        entry.code = stock->code;
        entry.market = stock->market;
        entry.name = stock->name;
        entry.quantity = 1000;
        entry.cost = static_cast<float>(stock->baseClose);
        entry.alertFlag = 1;
        entry.lowerLimit = static_cast<float>(stock->baseClose * 0.5);
        entry.upperLimit = static_cast<float>(stock->baseClose * 2);
        twenty.list.push_back(entry);
        const bool shanghai = stock->market == kMarketShanghai;
        twenty.sina.push_back(std::string(shanghai ? "sh" : "sz") + stock->code);
        twenty.tencent.push_back(twenty.sina.back());
        twenty.eastMoney.push_back(std::string(shanghai ? "1." : "0.") + stock->code);
    }
    return twenty;
}

void ParseOneRefresh(benchmark::State& state) {
    const int source = static_cast<int>(state.range(0));
    const sim::Market market(20261208, [] { return std::int64_t{1776997278}; }); // a Friday, 10:21 Beijing
    const TwentyStocks twenty = MarketTwenty();
    const std::string reply = source == kSourceTencent     ? market.TencentReply(twenty.tencent)
                              : source == kSourceEastMoney ? market.EastMoneyReply(twenty.eastMoney)
                                                           : market.SinaReply(twenty.sina);
    const QuoteService& service = QuoteServiceOf(source);
    QuoteBook book;
    book.setWatchList(twenty.list);
    for (auto _ : state) {
        service.parse(book, reply);
        CollectAllAlerts(book);
        benchmark::DoNotOptimize(book.totalPlAmount.data());
    }
    if (book.quoteList.size() != 20 || book.watchList[19].quote.price.empty())
        state.SkipWithError("the reply did not reach the watch list");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
    state.SetLabel(service.englishName);
}
BENCHMARK(ParseOneRefresh)->Arg(kSourceSina)->Arg(kSourceTencent)->Arg(kSourceEastMoney);

} // namespace
