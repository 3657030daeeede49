#include "quote/AlertMemory.h"

#include "quote/AlertRules.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/FileBytes.h"

#include <map>
#include <set>

namespace marlune {
namespace {

constexpr std::size_t kRecordFields = 5;
constexpr std::size_t kRateRecordFields = 4;
constexpr std::string_view kRateMark = "rate";

bool IsFired(int state) {
    return state == kAlertTriggered || state == kAlertAtLowerLimit || state == kAlertAtUpperLimit;
}

// What a record is known by: the stock and the limits its alert fired for.
std::string RecordKey(const StockEntry& entry) {
    std::string key = entry.code;
    key += '|';
    key += Format("%d|%.2f|%.2f", entry.market, static_cast<double>(entry.lowerLimit),
                  static_cast<double>(entry.upperLimit));
    return key;
}

// What a rate record is known by: the stock and the signed threshold it fired for.
std::string RateKey(const std::string& code, int market, int rateState, double threshold) {
    return code + Format("|%d|rate|", market) + (rateState == kRateRisen ? "+" : "-") + RateText(threshold);
}

std::string RateKey(const StockEntry& entry, int rateState) {
    return RateKey(entry.code, entry.market, rateState,
                   rateState == kRateRisen ? entry.riseRate : entry.fallRate);
}

} // namespace

void AlertMemory::Restore(QuoteBook& book) {
    FileRead file = ReadRegularFile(m_path);
    m_fileBytes = file.ok() ? file.bytes : std::string();
    m_unreadLines.clear();
    std::map<std::string, int> fired;
    std::set<std::string> firedRates;
    ForEachLine(m_fileBytes, [&](std::string_view line) {
        std::vector<std::string> fields = SplitFields(line, "|");
        if (fields.size() == kRateRecordFields && fields[2] == kRateMark && !fields[0].empty() &&
            fields[3].size() > 1 && (fields[3][0] == '+' || fields[3][0] == '-')) {
            const int rateState = fields[3][0] == '+' ? kRateRisen : kRateFallen;
            firedRates.insert(RateKey(fields[0], AtoI(fields[1]), rateState, AtoF(fields[3].substr(1))));
            return;
        }
        const int state = fields.size() == kRecordFields ? AtoI(fields[4]) : 0;
        if (!IsFired(state) || fields[0].empty()) {
            if (!line.empty())
                m_unreadLines.emplace_back(line);
            return;
        }
        StockEntry entry;
        entry.code = fields[0];
        entry.market = AtoI(fields[1]);
        entry.lowerLimit = static_cast<float>(AtoF(fields[2]));
        entry.upperLimit = static_cast<float>(AtoF(fields[3]));
        fired[RecordKey(entry)] = state;
    });
    if (book.alerts.size() != book.watchList.size())
        book.alerts.resize(book.watchList.size());
    for (std::size_t row = 0; row < book.watchList.size(); ++row) {
        const StockEntry& entry = book.watchList[row];
        if (entry.alertFlag != 1)
            continue;
        auto found = fired.find(RecordKey(entry));
        if (found != fired.end()) {
            book.alerts[row].state = found->second;
            book.alerts[row].message.clear();
        }
        for (int rateState : {kRateRisen, kRateFallen}) {
            const double threshold = rateState == kRateRisen ? entry.riseRate : entry.fallRate;
            if (threshold > 0.0 && firedRates.count(RateKey(entry, rateState)) != 0) {
                book.alerts[row].rateState = rateState;
                book.alerts[row].rateMessage.clear();
            }
        }
    }
}

std::string AlertMemory::FileBytes(const QuoteBook& book, const std::vector<std::string>& unreadLines) {
    std::string bytes;
    std::set<std::string> written;
    for (std::size_t row = 0; row < book.watchList.size() && row < book.alerts.size(); ++row) {
        const StockEntry& entry = book.watchList[row];
        const int state = book.alerts[row].state;
        const int rateState = book.alerts[row].rateState;
        // Codes come from the watch list: a separator or line break in one would break the
        // record apart, and such a code names no stock anyway.
        if (entry.alertFlag != 1 || entry.code.empty() ||
            entry.code.find_first_of("|\r\n") != std::string::npos)
            continue;
        if (IsFired(state)) {
            const std::string key = RecordKey(entry);
            if (written.insert(key).second)
                bytes += key + Format("|%d\r\n", state);
        }
        if (rateState != kRateInside) {
            const std::string key = RateKey(entry, rateState);
            if (written.insert(key).second)
                bytes += key + "\r\n";
        }
    }
    for (const std::string& line : unreadLines)
        bytes += line + "\r\n";
    return bytes;
}

bool AlertMemory::Remember(const QuoteBook& book) {
    std::string bytes = FileBytes(book, m_unreadLines);
    if (bytes == m_fileBytes)
        return true;
    if (!WriteFileAtomically(m_path, bytes))
        return false;
    m_fileBytes = std::move(bytes);
    return true;
}

} // namespace marlune
