#include "sim/QuoteReplies.h"

#include "sim/Noise.h"
#include "text/BeijingTime.h"
#include "text/CNumber.h"

#include <cmath>
#include <cstdlib>

namespace marlune::sim {

namespace {

// Prices move in steps of 0.01 (stocks and indices alike); the services write them with
// their own decimals: Tencent, East Money and the minute service two, Sina three, and four
// for the Shanghai indices (the digits past the second are zeros here).
std::string Price(double value) {
    return FixedText(value, 2);
}

int SinaPriceDecimals(const SimQuote& quote) {
    return quote.stock->IsIndex() && quote.stock->market == 1 ? 4 : 3;
}

std::string SinaPrice(const SimQuote& quote, double value) {
    return FixedText(value, SinaPriceDecimals(quote));
}

std::string Whole(double value) {
    return FixedText(value, 0);
}

// The amount every service's figure is made of, in yuan, rounded to whole hundreds: its
// figure in 10,000 yuan then has two decimals at most, so that Tencent's four-decimal field
// and the yuan of Sina and East Money print the same "%.2f".
double AmountYuan(const SimQuote& quote) {
    return std::round(quote.amount / 100) * 100;
}

// The change rounded to the tick, so that it reads like the prices it comes from.
double TickChange(const SimQuote& quote) {
    return std::round(quote.Change() / 0.01) * 0.01;
}

// A JSON number as East Money writes one: the shortest form of the value at its precision,
// with ".0" when it is whole ("292.7", "290.0", "1386209937.0").
std::string EastMoneyNumber(double value, int decimals) {
    std::string text = FixedText(value, decimals);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') {
            text.pop_back();
        }
        if (text.back() == '.') {
            text += '0';
        }
    }
    return text;
}

// Google's prices, with thousands separators: "3,154.03".
std::string GroupedText(double value, int decimals) {
    std::string text = FixedText(value, decimals);
    const std::size_t digitsStart = text[0] == '-' ? 1 : 0;
    std::size_t point = text.find('.');
    for (std::size_t at = point == std::string::npos ? text.size() : point; at > digitsStart + 3; at -= 3)
        text.insert(at - 3, ",");
    return text;
}

// Google's short form of big counts: 950, 12.35K, 12.35M, 1.23B.
std::string ShortCount(double value) {
    if (value >= 1e9) {
        return FixedText(value / 1e9, 2) + "B";
    }
    if (value >= 1e6) {
        return FixedText(value / 1e6, 2) + "M";
    }
    if (value >= 1e4) {
        return FixedText(value / 1e3, 2) + "K";
    }
    return Whole(value);
}

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// "10:35AM GMT+8", as Google showed the time of the last trade.
std::string GoogleClock(const SessionTime& time) {
    const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
    return Format("%d:%02d%s GMT+8", hour12, time.minute, time.hour < 12 ? "AM" : "PM");
}

// "Dec 8, 10:35AM GMT+8".
std::string GoogleTradeTime(const SessionTime& time) {
    return Format("%s %d, ", kMonths[(time.month + 11) % 12], time.day) + GoogleClock(time);
}

void AddGoogleLine(std::string& out, const char* key, const std::string& value) {
    out += Format(",\"%s\" : \"", key);
    out += value;
    out += "\"\n";
}

std::string GoogleObject(const SimQuote& quote) {
    const StockInfo& stock = *quote.stock;
    const bool isIndex = stock.IsIndex();
    const double change = TickChange(quote);
    const std::uint64_t key = StockKey(stock);
    std::string out = "{\n";
    out += Format("\"id\": \"%llu\"\n", static_cast<unsigned long long>(Mix(key) % 9000000 + 600000));
    AddGoogleLine(out, "t", stock.code);
    AddGoogleLine(out, "e", stock.market == 1 ? "SHA" : "SHE");
    AddGoogleLine(out, "l", GroupedText(quote.price, 2));
    AddGoogleLine(out, "l_cur", (isIndex ? "" : "CN￥") + GroupedText(quote.price, 2));
    AddGoogleLine(out, "lt", GoogleTradeTime(quote.time));
    AddGoogleLine(out, "lt_dts", quote.time.Date() + "T" + quote.time.Time() + "Z");
    // Written without a blank after the colon, as Google did: not a string line for readers.
    out += ",\"ltt\":\"" + GoogleClock(quote.time) + "\"\n";
    AddGoogleLine(out, "c", (change > 0.0005 ? "+" : "") + FixedText(change, 2));
    AddGoogleLine(out, "cp", FixedText(quote.ChangeRate(), 2));
    AddGoogleLine(out, "ccol", change > 0.0005 ? "chg" : change < -0.0005 ? "chr" : "chb");
    AddGoogleLine(out, "pcls_fix", FixedText(quote.previousClose, 2));
    AddGoogleLine(out, "eo", "");
    AddGoogleLine(out, "op", GroupedText(quote.open, 2));
    AddGoogleLine(out, "hi", GroupedText(quote.high, 2));
    AddGoogleLine(out, "lo", GroupedText(quote.low, 2));
    AddGoogleLine(out, "vo", ShortCount(quote.volume));
    AddGoogleLine(out, "avvo", "");
    AddGoogleLine(out, "hi52", GroupedText(stock.baseClose * 1.35, 2));
    AddGoogleLine(out, "lo52", GroupedText(stock.baseClose * 0.7, 2));
    if (isIndex) {
        for (const char* empty : {"mc", "pe", "fwpe", "beta", "eps", "shares"}) {
            AddGoogleLine(out, empty, "");
        }
    } else {
        const double shares = std::pow(10.0, 9 + 1.5 * UnitFrom(Mix(key * 3 + 1)));
        const double earningsRatio = 8 + 52 * UnitFrom(Mix(key * 3 + 2));
        AddGoogleLine(out, "mc", ShortCount(shares * quote.previousClose));
        AddGoogleLine(out, "pe", FixedText(earningsRatio, 2));
        AddGoogleLine(out, "fwpe", "");
        AddGoogleLine(out, "beta", FixedText(0.6 + 0.8 * UnitFrom(Mix(key * 3 + 3)), 2));
        AddGoogleLine(out, "eps", FixedText(quote.previousClose / earningsRatio, 2));
        AddGoogleLine(out, "shares", ShortCount(shares));
    }
    AddGoogleLine(out, "name", stock.name);
    AddGoogleLine(out, "type", isIndex ? "Index" : "Company");
    out += "}\n";
    return out;
}

} // namespace

std::string FixedText(double value, int decimals) {
    return WithoutNegativeZero(Format("%.*f", decimals, value));
}

std::string SinaStatement(std::string_view requestedCode, const SimQuote* quote) {
    std::string name;
    for (char c : requestedCode) {
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            name += c;
        }
    }
    std::string out = "var hq_str_" + name + "=\"";
    if (quote != nullptr) {
        const SimQuote& q = *quote;
        const bool index = q.stock->IsIndex();
        const bool shanghai = q.stock->market == 1;
        out += q.stock->name;
        for (double price : {q.open, q.previousClose, q.price, q.high, q.low}) {
            out += "," + SinaPrice(q, price);
        }
        // An index has no order book: Sina writes zeros there, "0" for Shanghai, "0.000"
        // for Shenzhen.
        const std::string noPrice = shanghai ? "0" : "0.000";
        out += "," + (index ? noPrice : SinaPrice(q, q.book.bidPrice[0]));
        out += "," + (index ? noPrice : SinaPrice(q, q.book.askPrice[0]));
        // Sina counts the volume of a Shanghai index in lots of 100 shares, of everything
        // else (the Shenzhen indices too) in shares; the amount of a Shanghai index in whole
        // yuan, of everything else with three decimals.
        out += "," + Whole(index && shanghai ? std::floor(q.volume / 100) : q.volume);
        out += "," + FixedText(AmountYuan(q), index && shanghai ? 0 : 3);
        for (int level = 0; level < 5; ++level) {
            out += "," + (index ? std::string("0") : Whole(q.book.bidVolume[level])) + "," +
                   (index ? noPrice : SinaPrice(q, q.book.bidPrice[level]));
        }
        for (int level = 0; level < 5; ++level) {
            out += "," + (index ? std::string("0") : Whole(q.book.askVolume[level])) + "," +
                   (index ? noPrice : SinaPrice(q, q.book.askPrice[level]));
        }
        // Shanghai statements end with one more, empty field.
        out += "," + q.time.Date() + "," + q.time.Time() + (shanghai ? ",00," : ",00");
    }
    out += "\";\n";
    return out;
}

std::string NeteaseStatement(const SimQuote& quote) {
    const StockInfo& stock = *quote.stock;
    const std::string code = std::string(stock.market == 1 ? "0" : "1") + stock.code;
    std::string out = "var hq_" + code + "='" + code + ";" + stock.name;
    auto add = [&out](const std::string& field) { out += ";" + field; };
    add(FixedText(quote.previousClose, 2));
    add(FixedText(quote.open, 2));
    add(Whole(quote.amount));
    add(Whole(quote.volume));
    add(FixedText(quote.ChangeRate() / 100, 4));
    add(FixedText(TickChange(quote), 2));
    add(FixedText(quote.high, 2));
    add(FixedText(quote.low, 2));
    add(FixedText(quote.price, 2));
    for (int level = 0; level < 5; ++level) {
        add(FixedText(quote.book.bidPrice[level], 2));
        add(Whole(quote.book.bidVolume[level]));
    }
    for (int level = 0; level < 5; ++level) {
        add(FixedText(quote.book.askPrice[level], 2));
        add(Whole(quote.book.askVolume[level]));
    }
    add(stock.market == 1 ? "SH" : "SZ");
    add(Format("%04d/%02d/%02d %s", quote.time.year, quote.time.month, quote.time.day,
               quote.time.Time().c_str()));
    out += "';\n";
    return out;
}

std::string GoogleReplyText(const std::vector<SimQuote>& quotes) {
    std::string out = "// [\n";
    for (std::size_t i = 0; i < quotes.size(); ++i) {
        if (i > 0) {
            out += ",";
        }
        out += GoogleObject(quotes[i]);
    }
    out += "]\n";
    return out;
}

// The volume in lots of 100 shares exactly as the Sina parser makes it of the Sina statement
// (a Shanghai index's volume is sent in lots already, everything else in shares), so that
// every service shows the same text.
std::string Hands(const SimQuote& quote) {
    if (quote.stock->IsIndex() && quote.stock->market == 1) {
        return Whole(std::floor(quote.volume / 100));
    }
    return Format("%.0f", AtoF(Whole(quote.volume)) * 0.01);
}

std::string TencentStatement(const SimQuote& quote) {
    const StockInfo& stock = *quote.stock;
    const std::string key = std::string(stock.MarketPrefix()) + stock.code;
    // Volume and amount as the Sina reply's figures come out of the Sina parser, so that
    // both services show the same texts for the same moment.
    const std::string hands = Hands(quote);
    const double amount = AmountYuan(quote);
    // 88 fields, the last one empty, as the real statements have them.
    std::vector<std::string> fields(88);
    fields[0] = stock.market == 1 ? "1" : "51";
    fields[1] = stock.name;
    fields[2] = stock.code;
    fields[3] = Price(quote.price);
    fields[4] = Price(quote.previousClose);
    fields[5] = Price(quote.open);
    fields[6] = hands;
    fields[7] = Whole(std::floor(AtoF(hands) / 2));
    fields[8] = Whole(AtoF(hands) - std::floor(AtoF(hands) / 2));
    for (int level = 0; level < 5; ++level) {
        fields[9 + 2 * level] = Price(quote.book.bidPrice[level]);
        fields[10 + 2 * level] = Whole(quote.book.bidVolume[level] / 100);
        fields[19 + 2 * level] = Price(quote.book.askPrice[level]);
        fields[20 + 2 * level] = Whole(quote.book.askVolume[level] / 100);
    }
    const SessionTime& t = quote.time;
    fields[30] =
        Format("%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.secondOfMinute);
    fields[31] = FixedText(TickChange(quote), 2);
    fields[32] = FixedText(quote.ChangeRate(), 2);
    fields[33] = Price(quote.high);
    fields[34] = Price(quote.low);
    fields[35] = Price(quote.price) + "/" + hands + "/" + Whole(amount);
    fields[36] = hands;
    // The amount in 10,000 yuan: rounded to a whole number in field 37, exact in field 57.
    fields[37] = Whole(amount * 0.0001);
    fields[41] = fields[33];
    fields[42] = fields[34];
    fields[43] =
        FixedText(quote.previousClose > 0 ? (quote.high - quote.low) * 100 / quote.previousClose : 0, 2);
    fields[47] = Price(quote.limitUp);
    fields[48] = Price(quote.limitDown);
    fields[57] = Format("%.4f", amount * 0.0001);
    fields[58] = "0.0000";
    fields[59] = "0";
    fields[60] = " ";
    fields[61] = stock.IsIndex() ? "ZS" : "GP-A";
    fields[82] = "CNY";
    std::string out = "v_" + key + "=\"";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += "~";
        }
        out += fields[i];
    }
    out += "\";\n";
    return out;
}

std::string TencentUnknownStatement() {
    return "v_pv_none_match=\"1\";\n";
}

std::string EastMoneyReplyText(const std::vector<SimQuote>& quotes,
                               const std::vector<std::string>& moreElements) {
    if (!moreElements.empty()) {
        // The other markets' elements (ForeignMarkets.h) after the A shares'.
        std::string out = EastMoneyReplyText(quotes);
        std::string elements;
        for (const std::string& element : moreElements)
            elements += (elements.empty() ? "" : ",") + element;
        if (quotes.empty())
            return out.substr(0, out.find("\"data\":null")) +
                   Format("\"data\":{\"total\":%zu,\"diff\":[", moreElements.size()) + elements + "]}}";
        return out.insert(out.size() - 3, "," + elements);
    }
    if (quotes.empty()) {
        return "{\"rc\":0,\"rt\":11,\"svr\":182481189,\"lt\":1,\"full\":1,\"dlmkts\":\"\",\"dsc\":\"0\","
               "\"data\":null}";
    }
    std::string out =
        Format("{\"rc\":0,\"rt\":11,\"svr\":182481189,\"lt\":1,\"full\":1,\"dlmkts\":\"\",\"dsc\":\"0\","
               "\"data\":{\"total\":%zu,\"diff\":[",
               quotes.size());
    for (std::size_t i = 0; i < quotes.size(); ++i) {
        const SimQuote& q = quotes[i];
        const StockInfo& stock = *q.stock;
        const SessionTime& t = q.time;
        const std::int64_t time =
            UnixSecondsOfBeijing(t.year, t.month, t.day, t.hour, t.minute, t.secondOfMinute);
        if (i > 0) {
            out += ",";
        }
        // Numbers as East Money writes them with fltt=2: prices with two decimals at most,
        // trailing zeros dropped; the amount in yuan, ".0" when whole.
        out += "{\"f2\":" + EastMoneyNumber(q.price, 2) + ",\"f3\":" + EastMoneyNumber(q.ChangeRate(), 2) +
               ",\"f4\":" + EastMoneyNumber(TickChange(q), 2) + ",\"f5\":" + Hands(q) +
               ",\"f6\":" + EastMoneyNumber(AmountYuan(q), 2) + ",\"f12\":\"" + stock.code +
               "\",\"f13\":" + (stock.market == 1 ? "1" : "0") + ",\"f14\":\"" + stock.name +
               "\",\"f15\":" + EastMoneyNumber(q.high, 2) + ",\"f16\":" + EastMoneyNumber(q.low, 2) +
               ",\"f17\":" + EastMoneyNumber(q.open, 2) + ",\"f18\":" + EastMoneyNumber(q.previousClose, 2) +
               Format(",\"f124\":%lld}", static_cast<long long>(time));
    }
    out += "]}}";
    return out;
}

} // namespace marlune::sim
