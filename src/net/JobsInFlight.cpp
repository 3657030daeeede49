#include "net/JobsInFlight.h"

namespace marlune {

const std::string& JobsInFlight::QuotesKey() {
    static const std::string key = "quotes";
    return key;
}

std::string JobsInFlight::KeyOf(int jobKind, const std::string& replyFile, const std::string& url) {
    if (jobKind == kJobQuoteText || jobKind == kJobGoogleFile)
        return QuotesKey();
    return replyFile.empty() ? "url:" + url : "file:" + replyFile;
}

void JobsInFlight::EndOnFinalReport(const FetchReport& report) {
    if (report.status == kFetchFinished || report.status == kFetchFailed)
        End(KeyOf(report));
}

} // namespace marlune
