// Fuzz entry point: the NetEase 163 quote reply, bytes as the service sends them.
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
    ParseNeteaseReply(book, reply);
    fuzz::RequireSoundBook(book);
    return 0;
}
