#include "cli/QuoteFetcher.h"

#include "platform/os/FileSystem.h"
#include "platform/os/Process.h"
#include "quote/QuoteDispatch.h"
#include "quote/QuoteParsers.h"
#include "text/FileBytes.h"

#include <cstdio>

namespace marlune {

namespace {

RefreshOutcome OutcomeOfReply(QuoteBook& book, int source, std::string_view reply) {
    const QuoteReplyResult result = DispatchQuoteReply(book, source, reply);
    if (result.failed)
        return RefreshOutcome::NoQuotes;
    return result.applied ? RefreshOutcome::Parsed : RefreshOutcome::Ignored;
}

} // namespace

QuoteFetcher::QuoteFetcher(std::string programFolder) : m_programFolder(std::move(programFolder)) {}

RefreshOutcome QuoteFetcher::RefreshFromFile(QuoteBook& book, int source, const std::string& path) {
    std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return RefreshOutcome::NoReplyFile;
    std::string reply = std::move(*bytes);
    const QuoteService& service = QuoteServiceOf(source);
    if (service.readReplyFile != nullptr) {
        // Reading a reply file deletes it: read a private copy.
        std::string copy = m_programFolder + "data/cli-reply-" + std::to_string(os::ProcessId()) + ".dat";
        if (!WriteFileAtomically(copy, reply))
            return RefreshOutcome::NoReplyFile;
        reply = service.readReplyFile(copy);
        os::RemoveFile(copy);
    }
    return OutcomeOfReply(book, source, reply);
}

} // namespace marlune
