#pragma once
// Exchange rates of the currencies Hong Kong and US holdings are valued in, to yuan, from
// Sina's foreign-exchange statements (the quote host, with its Referer):
//   GET /rn=<now>&list=fx_shkdcny,fx_susdcny
//   var hq_str_fx_shkdcny="03:21:44,0.8646255739,0.8646255739,0.8657633869,15.5660370000,
//       0.8657633869,0.8658608388,0.8643042351,0.8646255739,港元兑人民币,-0.1314,-0.0011,
//       0.0016,此行情由新浪财经计算得出,0.0000,0.0000,,2026-07-04";
// GBK, fields separated by ",": 0 time, 1 bid (the rate used), 2 ask, 3 previous close,
// 5 open, 6 high, 7 low, 8 latest, 9 name, 10 change in percent, 11 change, 17 date.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune {

struct ExchangeRate {
    std::string currency; // "HKD", "USD"
    double yuan = 0.0;    // yuan per unit, above 0
    std::string time;     // "YYYY-MM-DD HH:MM:SS", or the time alone when no date came
};

// The Sina code list for the currencies that need a rate ("CNY" needs none).
std::string SinaExchangeRateCodes(const std::vector<std::string>& currencies);

// The rates of a reply, in reply order. A statement that is empty, too short, of a currency
// pair other than one to yuan, or whose rate does not read as a number above 0 (a rate of 0
// would value a holding at nothing) gives none.
std::vector<ExchangeRate> ParseSinaExchangeRates(std::string_view gbkReply);

// The currency's name as the total says it: "港元", "美元"; the code for others.
std::string CurrencyName(const std::string& currency);

// The total line's tooltip on the rates: "汇率：1 港元 = 0.9214 元（2026-12-09 10:21:00）",
// one line per rate, then "汇率未能更新，沿用以上汇率" when the last request for rates brought
// none, then "未计入合计（无汇率）：美元" when holdings were left out.
std::string TotalRatesText(const std::vector<ExchangeRate>& rates, const std::vector<std::string>& leftOut,
                           bool stale = false);

// The rates in use: asked for with the quotes at most once every kRefreshSeconds, kept
// until a newer reply has them.
class ExchangeRateBook {
public:
    static constexpr std::int64_t kRefreshSeconds = 600;

    // True when a refresh at `now` should ask for rates too.
    bool IsDue(std::int64_t now) const;
    // A request for rates went out.
    void OnRequested(std::int64_t now) { m_lastRequest = now; }
    // Takes the rates of a reply; those it lacks stay as they were.
    void OnRates(const std::vector<ExchangeRate>& rates);
    // The request for rates brought none (no reply, or none that reads): the rates in use
    // are older than they should be.
    void OnRequestFailed() { m_stale = !m_rates.empty(); }
    bool IsStale() const { return m_stale; }

    // Yuan per unit of the currency: 1 for "CNY", nothing when no rate is known.
    std::optional<double> YuanPer(std::string_view currency) const;
    const std::vector<ExchangeRate>& Rates() const { return m_rates; }

private:
    std::optional<std::int64_t> m_lastRequest;
    std::vector<ExchangeRate> m_rates;
    bool m_stale = false;
};

} // namespace marlune
