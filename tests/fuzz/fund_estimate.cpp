// Fuzz entry point: the fund estimate reply (UTF-8 "jsonpgz({...});"), read for the fund it
// names and for another. A record is only ever the requested fund's, with texts that read.
#include "quote/FundEstimate.h"
#include "quote_fuzz_checks.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlune;
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    for (std::string_view code : {"161725", "000001"}) {
        if (std::optional<QuoteRecord> record = ParseFundEstimate(reply, code)) {
            fuzz::Require(record->code == code);
            fuzz::Require(record->market == kMarketFund);
            fuzz::Require(!record->price.empty() && record->price != "-");
            fuzz::RequireUtf8Record(*record);
            fuzz::RequireNoMinusZero(*record);
        }
    }
    return 0;
}
