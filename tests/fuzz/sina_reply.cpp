// Fuzz entry point: the Sina quote reply, bytes as the service sends them.
#include "quote/DerivedValues.h"
#include "quote/QuoteParsers.h"
#include "quote_fuzz_checks.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlune;
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    QuoteBook book = fuzz::SampleBook();
    ParseSinaReply(book, reply);
    fuzz::RequireSoundBook(book);
    fuzz::RequireRequestedRecords(book);
    // A second refresh on the same state, as the ticker does every few seconds.
    ParseSinaReply(book, reply);
    fuzz::RequireSoundBook(book);
    fuzz::RequireRequestedRecords(book);
    return 0;
}
