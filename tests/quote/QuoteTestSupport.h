#pragma once
// Shared helpers of the quote engine tests.

#include "quote/QuoteBook.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace marlune::test {

// A recorded reply or file from tests/data/quote.
inline std::string QuoteData(const std::string& name) {
    return ReadFileBytes(std::string(MARLUNE_TEST_DATA_DIR) + "/quote/" + name).value_or(std::string());
}

// A folder of its own for one test, removed with everything in it.
class TempDir {
public:
    TempDir() {
        // A name no other test run holds: create_directory fails for one that exists.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const auto candidate =
                std::filesystem::temp_directory_path() / ("marlune-quote-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error))
                m_path = candidate;
        }
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline StockEntry Entry(const std::string& code, int market, int quantity = 0, float cost = 0.0f) {
    StockEntry entry;
    entry.code = code;
    entry.market = market;
    entry.quantity = quantity;
    entry.cost = cost;
    return entry;
}

inline QuoteBook BookOf(std::initializer_list<StockEntry> entries) {
    QuoteBook book;
    book.setWatchList(WatchList(entries));
    return book;
}

// The list file written at first run, as its bytes stand on disk.
inline std::string FirstRunListBytes() {
    return Utf8ToGbk("dac000001|000001|上证指数|1|1|3.0|2.00|5|1.00\r\n"
                     "dac399001|399001|深证成指|2|2|0|0|0|0.0\r\n");
}

} // namespace marlune::test
