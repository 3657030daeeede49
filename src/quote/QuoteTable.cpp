#include "quote/QuoteTable.h"

#include "text/CNumber.h"

namespace marlune {

const std::array<QuoteColumnInfo, kQuoteColumnCount>& QuoteColumns() {
    static const std::array<QuoteColumnInfo, kQuoteColumnCount> columns = {{
        {"代码", 45},
        {"简称", 60},
        {"最新价", 60},
        {"涨跌额", 60},
        {"涨跌率", 60},
        {"最高价", 60},
        {"最低价", 60},
        {"分时图", 40},
        {"今开盘", 60},
        {"昨收盘", 60},
        {"振幅", 40},
        {"成交量", 60},
        {"成交额", 60},
        {"盈亏额", 60},
        {"盈亏率", 40},
    }};
    return columns;
}

std::array<std::string, kQuoteColumnCount> QuoteRowTexts(const StockEntry& entry) {
    const QuoteRecord& q = entry.quote;
    return {
        entry.code,   ShownName(entry), q.price,     q.change,
        q.changeRate, q.high,           q.low,       q.price.empty() ? std::string() : std::string("分时图"),
        q.open,       q.previousClose,  q.amplitude, q.volume,
        q.amount,     q.plAmount,       q.plRate};
}

CellColor QuoteCellColor(const StockEntry& entry, int column) {
    switch (column) {
    case kColCode:
    case kColName:
    case kColChart:
        return CellColor::Name;
    case kColPrice:
    case kColChange:
    case kColChangeRate:
        // The texts are rounded as shown: "0.00", "-0.00" and "+0.000" are all flat.
        if (AtoF(entry.quote.change) == 0.0)
            return CellColor::Flat;
        return entry.quote.change[0] == '+' ? CellColor::Up : CellColor::Down;
    case kColPlAmount:
    case kColPlRate: {
        // The amount is printed without a plus sign, so a gain is told by its value; a row
        // without a holding shows 0.00.
        const double amount = AtoF(entry.quote.plAmount);
        if (amount == 0.0)
            return CellColor::Flat;
        return amount > 0.0 ? CellColor::Up : CellColor::Down;
    }
    default:
        return CellColor::Default;
    }
}

std::string TotalLineText(const std::string& totalPlAmount, const std::string& totalPlRate,
                          const std::string& updateTime) {
    return "总盈亏:" + totalPlAmount + "  " + totalPlRate + "  " + updateTime;
}

std::string TotalLineMark(const QuoteBook& book) {
    std::string mark;
    if (!book.totalLeavesOut.empty()) {
        mark = "（未含";
        for (std::size_t i = 0; i < book.totalLeavesOut.size(); ++i)
            mark += (i > 0 ? "、" : "") + CurrencyName(book.totalLeavesOut[i]);
        mark += "）";
    } else if (book.exchangeRatesStale && !book.exchangeRates.empty()) {
        mark = "*";
    }
    return mark;
}

std::string TotalLineTextOf(const QuoteBook& book, bool showUpdateTime) {
    return TotalLineText(book.totalPlAmount, book.totalPlRate + TotalLineMark(book),
                         showUpdateTime ? book.updateTime : std::string());
}

} // namespace marlune
