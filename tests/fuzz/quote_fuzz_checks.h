#pragma once
// Checks shared by the quote engine's fuzz entry points: a broken promise stops the run.

#include "quote/DerivedValues.h"
#include "quote/QuoteBook.h"
#include "quote/ServiceText.h"
#include "text/CNumber.h"

#include <cstdlib>
#include <string_view>

namespace marlune::fuzz {

inline void Require(bool condition) {
    if (!condition)
        std::abort();
}

// Decoded text must stay well-formed UTF-8 however the input was cut.
inline bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

inline void RequireUtf8Record(const QuoteRecord& q) {
    for (const std::string* text :
         {&q.code, &q.name, &q.price, &q.low, &q.high, &q.open, &q.previousClose, &q.volume, &q.amount,
          &q.changeRate, &q.change, &q.spare, &q.amplitude, &q.plRate, &q.plAmount, &q.dateTime}) {
        Require(IsUtf8(*text));
        Require(text->find('\0') == std::string::npos); // NUL bytes never reach a cell
    }
    Require(q.spare.empty());
}

// What a watch-list row shows: no figure reads "-0.00".
inline void RequireNoMinusZero(const QuoteRecord& q) {
    for (const std::string* figure :
         {&q.price, &q.low, &q.high, &q.open, &q.previousClose, &q.volume, &q.amount, &q.changeRate,
          &q.change, &q.amplitude, &q.plRate, &q.plAmount})
        Require(WithoutNegativeZero(*figure) == *figure);
}

// "inf" and "nan" never reach a cell, whatever number a reply held.
inline void RequireFiniteFigures(const QuoteRecord& q) {
    for (const std::string* figure :
         {&q.price, &q.low, &q.high, &q.open, &q.previousClose, &q.volume, &q.amount, &q.changeRate,
          &q.change, &q.amplitude, &q.plRate, &q.plAmount}) {
        Require(figure->find("inf") == std::string::npos && figure->find("nan") == std::string::npos);
        Require(figure->size() <= 48); // bounded figures print short
    }
}

// The Sina, Tencent and East Money parsers build records only for codes of the watch list.
inline void RequireRequestedRecords(const QuoteBook& book) {
    const RequestedCodes requested(book.watchList);
    for (const QuoteRecord& quote : book.quoteList)
        Require(requested.Contains(quote.market, quote.code));
}

// A watch list with holdings and alerts, as the parsers meet it in use.
inline QuoteBook SampleBook() {
    QuoteBook book;
    WatchList list(4);
    list[0].code = "000001";
    list[0].market = 1;
    list[0].alertFlag = 1;
    list[0].lowerLimit = 2.0f;
    list[0].upperLimit = 3.0f;
    list[0].quantity = 5;
    list[0].cost = 1.0f;
    list[1].code = "399001";
    list[1].market = 2;
    list[2].code = "600000";
    list[2].market = 1;
    list[2].quantity = 100;
    list[2].alertFlag = 1;
    list[2].lowerLimit = 7.0f;
    list[3].code = "000002";
    list[3].market = 2;
    list[3].quantity = 300;
    book.setWatchList(list);
    return book;
}

// What every parse must leave behind.
inline void RequireSoundBook(QuoteBook& book) {
    Require(book.alerts.size() == book.watchList.size());
    for (const QuoteRecord& quote : book.quoteList) {
        RequireUtf8Record(quote);
        Require(quote.code.size() <= 8); // six digits, or a US ticker with its class ("BRK.B")
    }
    for (std::size_t row = 0; row < book.watchList.size(); ++row) {
        RequireUtf8Record(book.watchList[row].quote);
        RequireNoMinusZero(book.watchList[row].quote);
        RequireFiniteFigures(book.watchList[row].quote);
    }
    Require(WithoutNegativeZero(book.totalPlAmount) == book.totalPlAmount);
    Require(WithoutNegativeZero(book.totalPlRate) == book.totalPlRate);
    Require(IsUtf8(book.updateTime));
    Require(IsUtf8(book.totalPlAmount) && IsUtf8(book.totalPlRate));
    CollectAllAlerts(book);
    Require(IsUtf8(book.takeAlertText()));
}

} // namespace marlune::fuzz
