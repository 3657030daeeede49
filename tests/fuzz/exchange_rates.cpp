// Fuzz entry point: Sina's exchange-rate statements (GBK). Every rate given is above 0.
#include "quote/ExchangeRates.h"
#include "quote_fuzz_checks.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlune;
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    ExchangeRateBook book;
    const std::vector<ExchangeRate> rates = ParseSinaExchangeRates(reply);
    book.OnRates(rates);
    for (const ExchangeRate& rate : rates) {
        fuzz::Require(rate.yuan > 0.0 && rate.currency.size() == 3);
        fuzz::Require(fuzz::IsUtf8(rate.time));
        fuzz::Require(book.YuanPer(rate.currency).value_or(0.0) > 0.0);
    }
    return 0;
}
