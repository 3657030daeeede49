#include "quote/WatchExtras.h"

#include "quote/AlertRules.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/FileBytes.h"

#include <cmath>
#include <map>
#include <set>

namespace marlune {
namespace {

constexpr std::size_t kExtrasFields = 4;
// Beyond this a change rate means nothing for a stock (and a typo should not arm nothing).
constexpr double kRateMax = 1000.0;

std::string StockKey(const std::string& code, int market) {
    return code + Format("|%d", market);
}

// A stored rate: 0 (off) for anything that is not a usable per cent.
double StoredRate(std::string_view text) {
    const double rate = AtoF(text);
    return std::isfinite(rate) && rate > 0.0 && rate <= kRateMax ? std::round(rate * 100.0) / 100.0 : 0.0;
}

bool IsMarketNumber(const std::string& text) {
    return !text.empty() && text.size() < 4 && text.find_first_not_of("0123456789") == std::string::npos;
}

bool HasExtras(const StockEntry& entry) {
    return entry.riseRate > 0.0 || entry.fallRate > 0.0;
}

} // namespace

void WatchExtrasFile::ApplyTo(WatchList& list) {
    FileRead file = ReadRegularFile(m_path);
    m_unreadLines.clear();
    std::map<std::string, std::pair<double, double>> rates;
    ForEachLine(file.ok() ? file.bytes : std::string(), [&](std::string_view line) {
        std::vector<std::string> fields = SplitFields(line, "|");
        if (fields.size() != kExtrasFields || fields[0].empty() || !IsMarketNumber(fields[1])) {
            if (!line.empty())
                m_unreadLines.emplace_back(line);
            return;
        }
        rates.emplace(StockKey(fields[0], AtoI(fields[1])),
                      std::make_pair(StoredRate(fields[2]), StoredRate(fields[3])));
    });
    for (StockEntry& entry : list) {
        auto found = rates.find(StockKey(entry.code, entry.market));
        entry.riseRate = found != rates.end() ? found->second.first : 0.0;
        entry.fallRate = found != rates.end() ? found->second.second : 0.0;
    }
}

std::string WatchExtrasFile::FileBytes(const WatchList& list, const std::vector<std::string>& unreadLines) {
    std::string bytes;
    std::set<std::string> written;
    for (const StockEntry& entry : list) {
        if (!HasExtras(entry) || entry.code.empty() || entry.code.find_first_of("|\r\n") != std::string::npos)
            continue;
        const std::string key = StockKey(entry.code, entry.market);
        if (!written.insert(key).second)
            continue;
        bytes += key + "|" + RateText(entry.riseRate) + "|" + RateText(entry.fallRate) + "\r\n";
    }
    for (const std::string& line : unreadLines)
        bytes += line + "\r\n";
    return bytes;
}

bool WatchExtrasFile::Write(const WatchList& list) {
    return WriteFileAtomically(m_path, FileBytes(list, m_unreadLines));
}

} // namespace marlune
