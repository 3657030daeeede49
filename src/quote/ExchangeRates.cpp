#include "quote/ExchangeRates.h"

#include "quote/ServiceText.h"
#include "text/CNumber.h"
#include "text/Gbk.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace marlune {
namespace {

constexpr std::string_view kStatementKey = "hq_str_fx_s";
constexpr double kLargestRate = 1e6;

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

bool IsLetters(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

std::optional<ExchangeRate> RateOf(std::string_view pair, std::string_view value) {
    // "hkdcny": three letters of the currency, then "cny".
    if (pair.size() != 6 || pair.substr(3) != "cny" || !IsLetters(pair) ||
        value.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::vector<std::string> fields = SplitHead(value, ",", 18);
    if (fields.size() < 2 || fields[1].empty() || !(fields[1].front() >= '0' && fields[1].front() <= '9'))
        return std::nullopt;
    const double rate = AtoF(fields[1]);
    if (!std::isfinite(rate) || rate <= 0.0 || rate > kLargestRate)
        return std::nullopt;
    ExchangeRate result;
    result.currency = Upper(pair.substr(0, 3));
    result.yuan = rate;
    result.time = fields[0];
    if (fields.size() >= 18 && fields[17].size() == 10)
        result.time = fields[17] + " " + fields[0];
    return result;
}

} // namespace

std::string SinaExchangeRateCodes(const std::vector<std::string>& currencies) {
    std::string codes;
    for (const std::string& currency : currencies) {
        if (currency == "CNY")
            continue;
        if (!codes.empty())
            codes += ',';
        codes += "fx_s" + Lower(currency) + "cny";
    }
    return codes;
}

std::vector<ExchangeRate> ParseSinaExchangeRates(std::string_view gbkReply) {
    const std::string text = GbkToUtf8(gbkReply);
    std::vector<ExchangeRate> rates;
    std::size_t at = text.find(kStatementKey);
    while (at != std::string::npos && rates.size() < 64) {
        const std::size_t pairStart = at + kStatementKey.size();
        const std::size_t open = text.find("=\"", pairStart);
        const std::size_t next = text.find(kStatementKey, pairStart);
        const std::size_t close = open == std::string::npos ? std::string::npos : text.find("\";", open + 2);
        // A statement whose value runs into the next one is damaged.
        if (close != std::string::npos && (next == std::string::npos || close < next)) {
            if (auto rate = RateOf(std::string_view(text).substr(pairStart, open - pairStart),
                                   std::string_view(text).substr(open + 2, close - open - 2)))
                rates.push_back(std::move(*rate));
        }
        at = next;
    }
    return rates;
}

std::string CurrencyName(const std::string& currency) {
    if (currency == "HKD")
        return "港元";
    if (currency == "USD")
        return "美元";
    return currency;
}

std::string TotalRatesText(const std::vector<ExchangeRate>& rates, const std::vector<std::string>& leftOut,
                           bool stale) {
    std::string text;
    for (const ExchangeRate& rate : rates) {
        if (!text.empty())
            text += '\n';
        text += "汇率：1 " + CurrencyName(rate.currency) + " = " + Format("%.4f", rate.yuan) + " 元（" +
                rate.time + "）";
    }
    if (stale && !rates.empty())
        text += "\n汇率未能更新，沿用以上汇率";
    if (!leftOut.empty()) {
        if (!text.empty())
            text += '\n';
        text += "未计入合计（无汇率）：";
        for (std::size_t i = 0; i < leftOut.size(); ++i)
            text += (i > 0 ? "、" : "") + CurrencyName(leftOut[i]);
    }
    return text;
}

bool ExchangeRateBook::IsDue(std::int64_t now) const {
    return !m_lastRequest || now - *m_lastRequest >= kRefreshSeconds || now < *m_lastRequest;
}

void ExchangeRateBook::OnRates(const std::vector<ExchangeRate>& rates) {
    if (rates.empty()) {
        OnRequestFailed();
        return;
    }
    m_stale = false;
    for (const ExchangeRate& rate : rates) {
        auto known = std::find_if(m_rates.begin(), m_rates.end(),
                                  [&rate](const ExchangeRate& r) { return r.currency == rate.currency; });
        if (known != m_rates.end())
            *known = rate;
        else
            m_rates.push_back(rate);
    }
}

std::optional<double> ExchangeRateBook::YuanPer(std::string_view currency) const {
    if (currency == "CNY")
        return 1.0;
    for (const ExchangeRate& rate : m_rates) {
        if (rate.currency == currency)
            return rate.yuan;
    }
    return std::nullopt;
}

} // namespace marlune
