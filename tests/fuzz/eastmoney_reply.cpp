// Fuzz entry point: the East Money quote reply, JSON bytes as the service sends them.
#include "quote/EastMoneyQuotes.h"
#include "quote_fuzz_checks.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlune;
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    QuoteBook book = fuzz::SampleBook();
    ParseEastMoneyReply(book, reply);
    fuzz::RequireSoundBook(book);
    fuzz::RequireRequestedRecords(book);
    ParseEastMoneyReply(book, reply);
    fuzz::RequireSoundBook(book);
    fuzz::RequireRequestedRecords(book);
    return 0;
}
