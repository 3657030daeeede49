#pragma once
// Shared helpers of the quote engine tests.

#include "quote/QuoteBook.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include <cstdlib>
#include <filesystem>
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
        std::string pattern = (std::filesystem::temp_directory_path() / "marlune-quote-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
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

} // namespace marlune::test
