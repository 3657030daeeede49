// Fuzz entry point: the Google reply file (GBK, one key per line), flattened and parsed; and
// the same bytes decoded and handed to the parser as a flattened text.
#include "quote/DerivedValues.h"
#include "quote/QuoteParsers.h"
#include "quote_fuzz_checks.h"
#include "text/Gbk.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlune;
    std::string_view file(reinterpret_cast<const char*>(data), size);
    std::string flattened = FlattenGoogleReply(file);
    fuzz::Require(fuzz::IsUtf8(flattened));
    // Each byte decodes to at most three (U+FFFD); each line adds at most one ";" or "|".
    fuzz::Require(flattened.size() <= 4 * size + 1);

    QuoteBook book = fuzz::SampleBook();
    ParseGoogleReply(book, flattened);
    fuzz::RequireSoundBook(book);
    ParseGoogleReply(book, GbkToUtf8(file));
    fuzz::RequireSoundBook(book);
    return 0;
}
