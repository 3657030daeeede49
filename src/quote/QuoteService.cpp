#include "quote/QuoteService.h"

#include "quote/EastMoneyQuotes.h"
#include "quote/QuoteParsers.h"
#include "quote/TencentQuotes.h"
#include "text/CNumber.h"

namespace marlune {
namespace {

// Sina: "/rn=<now>&list=sh600000,sz000001". The time keeps caches from answering.
std::string SinaPath(const std::string& codeList, std::uint32_t now) {
    return Format("/rn=%u&list=", now) + codeList;
}

std::optional<std::string> SinaCodes(std::string_view target) {
    if (target.substr(0, 4) != "/rn=")
        return std::nullopt;
    const std::size_t list = target.find("list=");
    return std::string(list == std::string_view::npos ? std::string_view() : target.substr(list + 5));
}

// NetEase 163: "/?0600000;1000001".
std::string NeteasePath(const std::string& codeList, std::uint32_t) {
    return "/?" + codeList;
}

std::optional<std::string> NeteaseCodes(std::string_view target) {
    std::string_view path;
    std::string_view query;
    SplitRequestTarget(target, path, query);
    if (path != "/" || query.empty())
        return std::nullopt; // the bare "/" is the vendor's home page
    std::string codes(query.substr(0, query.find('&')));
    for (char& c : codes) {
        if (c == ',')
            c = ';'; // the service takes either separator
    }
    return codes;
}

// Google: "/finance/info?q=SHA:600000,SHE:000001&infotype=infoquoteall&oe=gb2312"; the
// suffix ends the code list.
std::string GooglePath(const std::string& codeList, std::uint32_t) {
    return "/finance/info?q=" + codeList;
}

std::optional<std::string> GoogleCodes(std::string_view target) {
    std::string_view path;
    std::string_view query;
    SplitRequestTarget(target, path, query);
    if (path != "/finance/info")
        return std::nullopt;
    return std::string(RequestQueryValue(query, "q").value_or(""));
}

const std::vector<QuoteService>& Table() {
    static const std::vector<QuoteService> table{
        {kSourceSina, "新浪", "Sina", true, Service::kSinaQuotes, "sh", "sz", ",", "", 0, SinaPath, "",
         nullptr, ParseSinaReply, ReadSinaRecords, SinaCodes},
        {kSourceNetEase, "163", "NetEase 163", false, Service::kNetEaseQuotes, "0", "1", ";", "", 0,
         NeteasePath, "", nullptr, ParseNeteaseReply, ReadNeteaseRecords, NeteaseCodes},
        {kSourceGoogle, "google", "Google", false, Service::kGoogle, "SHA:", "SHE:", ",",
         "&infotype=infoquoteall&oe=gb2312", 0, GooglePath, "data/gData.dat", ReadGoogleReply,
         ParseGoogleReply, ReadGoogleRecords, GoogleCodes},
        {kSourceTencent, "腾讯", "Tencent", true, Service::kTencentQuotes, "sh", "sz", ",", "",
         kTencentCodesPerRequest, TencentRequestPath, "", nullptr, ParseTencentReply, ReadTencentRecords,
         TencentCodesOfRequest},
        {kSourceEastMoney, "东方财富", "East Money", true, Service::kEastMoneyQuotes, "1.", "0.", ",", "", 0,
         EastMoneyRequestPath, "", nullptr, ParseEastMoneyReply, ReadEastMoneyRecords,
         EastMoneyCodesOfRequest},
    };
    return table;
}

} // namespace

const std::vector<QuoteService>& QuoteServices() {
    return Table();
}

const QuoteService& QuoteServiceOf(int source) {
    for (const QuoteService& service : Table()) {
        if (service.source == source)
            return service;
    }
    return Table().front(); // Sina
}

bool IsKnownQuoteSource(int source) {
    for (const QuoteService& service : Table()) {
        if (service.source == source)
            return true;
    }
    return false;
}

const QuoteService* QuoteServiceOfRequest(std::string_view target, std::string& codeList) {
    for (const QuoteService& service : Table()) {
        if (std::optional<std::string> codes = service.codeListOfRequest(target)) {
            codeList = std::move(*codes);
            return &service;
        }
    }
    return nullptr;
}

void SplitRequestTarget(std::string_view target, std::string_view& path, std::string_view& query) {
    const std::size_t mark = target.find('?');
    path = target.substr(0, mark);
    query = mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1);
}

std::optional<std::string_view> RequestQueryValue(std::string_view query, std::string_view name) {
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string_view::npos)
            end = query.size();
        const std::string_view pair = query.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) == name)
            return equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
        start = end + 1;
    }
    return std::nullopt;
}

} // namespace marlune
