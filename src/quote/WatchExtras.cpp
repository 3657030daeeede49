#include "quote/WatchExtras.h"

#include "quote/AlertRules.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/FileBytes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace marlune {
namespace {

constexpr std::size_t kRateFields = 4;
constexpr std::size_t kAliasFields = 3;
// Beyond this a change rate means nothing for a stock (and a typo should not arm nothing).
constexpr double kRateMax = 1000.0;

std::string StockKey(const std::string& code, int market) {
    return code + Format("|%d", market);
}

bool IsMarketNumber(const std::string& text) {
    return !text.empty() && text.size() < 4 && text.find_first_not_of("0123456789") == std::string::npos;
}

bool HasRates(const StockEntry& entry) {
    return entry.riseRate > 0.0 || entry.fallRate > 0.0;
}

} // namespace

double StoredAlertRate(std::string_view text) {
    const double rate = AtoF(text);
    return std::isfinite(rate) && rate > 0.0 && rate <= kRateMax ? std::round(rate * 100.0) / 100.0 : 0.0;
}

void WatchExtrasFile::ApplyTo(WatchList& list) {
    FileRead file = ReadRegularFile(m_path);
    m_unreadLines.clear();
    std::map<std::string, std::pair<double, double>> rates;
    std::map<std::string, std::string> aliases;
    ForEachLine(file.ok() ? file.bytes : std::string(), [&](std::string_view line) {
        std::vector<std::string> fields = SplitFields(line, "|");
        const bool known = (fields.size() == kRateFields || fields.size() == kAliasFields) &&
                           !fields[0].empty() && IsMarketNumber(fields[1]);
        if (!known) {
            if (!line.empty())
                m_unreadLines.emplace_back(line);
            return;
        }
        const std::string key = StockKey(fields[0], AtoI(fields[1]));
        if (fields.size() == kRateFields)
            rates.emplace(key, std::make_pair(StoredAlertRate(fields[2]), StoredAlertRate(fields[3])));
        else
            aliases.emplace(key, StorableAlias(fields[2]));
    });
    for (StockEntry& entry : list) {
        const std::string key = StockKey(entry.code, entry.market);
        auto found = rates.find(key);
        entry.riseRate = found != rates.end() ? found->second.first : 0.0;
        entry.fallRate = found != rates.end() ? found->second.second : 0.0;
        auto alias = aliases.find(key);
        entry.alias = alias != aliases.end() ? alias->second : std::string();
    }
}

std::string WatchExtrasFile::FileBytes(const WatchList& list, const std::vector<std::string>& unreadLines) {
    std::string bytes;
    std::set<std::string> written;
    for (const StockEntry& entry : list) {
        if (entry.code.empty() || entry.code.find_first_of("|\r\n") != std::string::npos)
            continue;
        const std::string key = StockKey(entry.code, entry.market);
        if (!written.insert(key).second)
            continue;
        if (HasRates(entry))
            bytes += key + "|" + RateText(entry.riseRate) + "|" + RateText(entry.fallRate) + "\r\n";
        const std::string alias = StorableAlias(entry.alias);
        if (!alias.empty())
            bytes += key + "|" + alias + "\r\n";
    }
    for (const std::string& line : unreadLines)
        bytes += line + "\r\n";
    return bytes;
}

std::string WatchExtrasFile::StorableAlias(std::string alias) {
    std::replace_if(
        alias.begin(), alias.end(),
        [](char c) { return c == '|' || c == ',' || c == '\r' || c == '\n' || c == '\t'; }, ' ');
    const std::size_t first = alias.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return alias.substr(first, alias.find_last_not_of(' ') - first + 1);
}

bool WatchExtrasFile::Write(const WatchList& list) {
    return WriteFileAtomically(m_path, FileBytes(list, m_unreadLines));
}

} // namespace marlune
