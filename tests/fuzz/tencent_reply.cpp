// Fuzz entry point: the Tencent quote reply, bytes as the service sends them (GBK).
#include "quote/TencentQuotes.h"
#include "quote_fuzz_checks.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlune;
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    QuoteBook book = fuzz::SampleBook();
    ParseTencentReply(book, reply);
    fuzz::RequireSoundBook(book);
    fuzz::RequireRequestedRecords(book);
    ParseTencentReply(book, reply);
    fuzz::RequireSoundBook(book);
    fuzz::RequireRequestedRecords(book);
    return 0;
}
