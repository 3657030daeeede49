// One refresh of the quote engine: a recorded 20-stock Sina reply (GBK, 33 fields per
// statement) parsed into a full watch list with holdings and alerts, derived values included.
#include "quote/DerivedValues.h"
#include "quote/QuoteParsers.h"
#include "text/CNumber.h"
#include "text/FileBytes.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <optional>
#include <string>

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
    QuoteBook probe;
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

} // namespace
