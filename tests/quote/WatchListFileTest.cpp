#include "quote/WatchListFile.h"
#include "QuoteTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

namespace marlune {
namespace {

using test::FirstRunListBytes;
using test::TempDir;

TEST(WatchListFile, FirstRunFileReadsBackAsTheTwoIndices) {
    TempDir dir;
    ASSERT_TRUE(WriteFileAtomically(dir.file("list.ini"), FirstRunListBytes()));
    WatchList list = LoadWatchList(dir.file("list.ini"));
    ASSERT_EQ(list.size(), 2u);

    EXPECT_EQ(list[0].recordKey, "dac000001");
    EXPECT_EQ(list[0].code, "000001");
    EXPECT_EQ(list[0].name, "上证指数");
    EXPECT_EQ(list[0].rowIndex, 0);
    EXPECT_EQ(list[0].market, 1);
    EXPECT_EQ(list[0].alertFlag, 1);
    EXPECT_FLOAT_EQ(list[0].upperLimit, 3.0f);
    EXPECT_FLOAT_EQ(list[0].lowerLimit, 2.0f);
    EXPECT_EQ(list[0].quantity, 5);
    EXPECT_FLOAT_EQ(list[0].cost, 1.0f);
    EXPECT_TRUE(list[0].quote.price.empty());

    EXPECT_EQ(list[1].name, "深证成指");
    EXPECT_EQ(list[1].rowIndex, 1);
    EXPECT_EQ(list[1].market, 2);
    EXPECT_EQ(list[1].alertFlag, 2); // counts as off
    EXPECT_EQ(list[1].upperLimit, 0.0f);
    EXPECT_EQ(list[1].lowerLimit, 0.0f);
    EXPECT_EQ(list[1].quantity, 0);
    EXPECT_EQ(list[1].cost, 0.0f);

    // Written back, the numbers take their fixed formats; limits stay in place.
    EXPECT_EQ(WatchListFileBytes(list).value(),
              Utf8ToGbk("dac000001|000001|上证指数|1|1|3.00|2.00|5|1.00\r\n"
                        "dac399001|399001|深证成指|2|2|0.00|0.00|0|0.00\r\n"));
}

TEST(WatchListFile, LineRulesKeepRowIndexOfKeptLines) {
    std::string bytes = "[list]\n"
                        "#comment|a|b|1|0|0|0|0|0\n"
                        "abcd\n"
                        "k1|600000|one|1|0|0|0|0|0\r\n"
                        "k2|600001|too|few\n" // kept, then skipped for fewer than 9 fields
                        "k3|600002|three|3|0|0|0|0|0|extra|fields\n"
                        "k4|000002|four|0|1|12.5|9.5|300|8.25"; // no line end at the end
    std::vector<std::string> lines = SplitListLines(bytes);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "k1|600000|one|1|0|0|0|0|0"); // CR LF removed

    // Lengths are the file's bytes: two GBK characters are 4 bytes, not 6 as in UTF-8.
    EXPECT_EQ(SplitListLines(Utf8ToGbk("中文\r\n中文a\n")), std::vector<std::string>{"中文a"});

    // Market 3 is the Beijing exchange; market 0 is none the program knows: that line gives no
    // entry, and it still counts among the kept lines for the ticker's row index.
    WatchList list = WatchListFromLines(lines, MarketReading::Number);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].rowIndex, 0);
    EXPECT_EQ(list[1].code, "600002");
    EXPECT_EQ(list[1].rowIndex, 2);
    EXPECT_EQ(list[1].market, 3);

    // The my-stocks page: index = entries before it.
    WatchList page = WatchListFromLines(lines, MarketReading::FirstDigit);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0].market, 1);
    EXPECT_EQ(page[1].market, 3);
    EXPECT_EQ(page[1].rowIndex, 1);
}

TEST(WatchListFile, NewMarketsAreReadAndWrittenAndUnknownMarketsKeepTheirLines) {
    const std::string bytes = Utf8ToGbk("k1|600000|浦发银行|1|0|0.00|0.00|0|0.00\r\n"
                                        "k2|000001|平安银行|2|1|12.50|9.50|300|8.25\r\n"
                                        "k3|920118|太湖远大|3|0|0.00|0.00|0|0.00\r\n"
                                        "k4|00700|腾讯控股|4|0|0.00|0.00|100|400.00\r\n"
                                        "k5|BRK.B|伯克希尔|5|0|0.00|0.00|0|0.00\r\n"
                                        "k6|161725|招商中证白酒|6|0|0.00|0.00|1000|1.10\r\n"
                                        "k7|X|未来市场|7|0|0|0|0|0\r\n"
                                        "k0|000002|万科|0|0|0|0|0|0\r\n"
                                        "k8|600004|x|-1|0|0|0|0|0\r\n");
    for (MarketReading reading : {MarketReading::Number, MarketReading::FirstDigit}) {
        ListFile file = ParseListFile(bytes, reading);
        ASSERT_EQ(file.entries.size(), 6u);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(file.entries[static_cast<std::size_t>(i)].market, i + 1);
        EXPECT_EQ(file.entries[4].code, "BRK.B");
        EXPECT_EQ(file.entries[5].quantity, 1000);
        ASSERT_EQ(file.unreadLines.size(), 3u);
        // Written back byte for byte: markets 1 and 2 as ever, 3-6 alike, 7, 0 and -1 as they were.
        EXPECT_EQ(WatchListFileBytes(file.entries, file.unreadLines).value(),
                  Utf8ToGbk("k1|600000|浦发银行|1|0|0.00|0.00|0|0.00\r\n"
                            "k2|000001|平安银行|2|1|12.50|9.50|300|8.25\r\n"
                            "k3|920118|太湖远大|3|0|0.00|0.00|0|0.00\r\n"
                            "k4|00700|腾讯控股|4|0|0.00|0.00|100|400.00\r\n"
                            "k5|BRK.B|伯克希尔|5|0|0.00|0.00|0|0.00\r\n"
                            "k6|161725|招商中证白酒|6|0|0.00|0.00|1000|1.10\r\n"
                            "k7|X|未来市场|7|0|0|0|0|0\r\n"
                            "k0|000002|万科|0|0|0|0|0|0\r\n"
                            "k8|600004|x|-1|0|0|0|0|0\r\n"));
    }
}

TEST(WatchListFile, ReadingHasNoCountLimitAndReadsNumbersLeniently) {
    std::string bytes;
    for (int i = 0; i < 25; ++i)
        bytes += "k|" + std::to_string(600000 + i) + "|n|1x|on|abc|-|7.5y| 2.5\r\n";
    WatchList list = WatchListFromLines(SplitListLines(bytes), MarketReading::Number);
    ASSERT_EQ(list.size(), 25u);
    EXPECT_EQ(list[24].code, "600024");
    EXPECT_EQ(list[24].market, 1);
    EXPECT_EQ(list[24].alertFlag, 0);
    EXPECT_EQ(list[24].upperLimit, 0.0f);
    EXPECT_EQ(list[24].quantity, 7);
    EXPECT_FLOAT_EQ(list[24].cost, 2.5f);

    // Beyond what a float holds: the largest float, which reads back as itself (not "inf").
    WatchList huge = WatchListFromLines({"k|600000|n|1|1|1e39|-1e39|0|0"}, MarketReading::Number);
    ASSERT_EQ(huge.size(), 1u);
    EXPECT_EQ(huge[0].upperLimit, std::numeric_limits<float>::max());
    EXPECT_EQ(huge[0].lowerLimit, -std::numeric_limits<float>::max());
    std::string saved = WatchListFileBytes(huge).value();
    EXPECT_EQ(WatchListFileBytes(WatchListFromLines(SplitListLines(saved), MarketReading::Number)), saved);
}

TEST(WatchListFile, MissingFileGivesEmptyList) {
    TempDir dir;
    std::vector<std::string> lines = {"left over"};
    EXPECT_FALSE(ReadListLines(dir.file("absent.ini"), lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(LoadWatchList(dir.file("absent.ini")).empty());
    EXPECT_TRUE(LoadWatchListForEditing(dir.file("absent.ini")).empty());
}

TEST(WatchListFile, NamesSurviveTheGbkRoundTrip) {
    // 億 ends in the byte of "|" and 乢 in that of "_" when encoded as GBK; Ａ is full width.
    WatchList list;
    for (const char* name : {"億通科技", "乢乢", "万  科Ａ", "浦发银行"}) {
        StockEntry entry = test::Entry("600000", 1, 100, 9.87f);
        entry.recordKey = "5E0C5B7B2C1F2E1B9A0F6C3D2E1A4B5C";
        entry.name = name;
        entry.alertFlag = 1;
        entry.lowerLimit = 9.6f;
        entry.upperLimit = 11.05f;
        list.push_back(entry);
    }
    TempDir dir;
    ASSERT_EQ(SaveWatchList(dir.file("list.ini"), list), ListSaveResult::Saved);

    std::string bytes = ReadFileBytes(dir.file("list.ini")).value();
    std::string firstLine =
        Utf8ToGbk("5E0C5B7B2C1F2E1B9A0F6C3D2E1A4B5C|600000|億通科技|1|1|11.05|9.60|100|9.87\r\n");
    EXPECT_EQ(bytes.substr(0, firstLine.size()), firstLine);
    EXPECT_EQ(bytes.find("億"), std::string::npos); // GBK on disk, not UTF-8

    for (WatchList loaded :
         {LoadWatchList(dir.file("list.ini")), LoadWatchListForEditing(dir.file("list.ini"))}) {
        ASSERT_EQ(loaded.size(), list.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(loaded[i].name, list[i].name);
            EXPECT_EQ(FormatListLine(loaded[i]), FormatListLine(list[i]));
        }
    }
}

TEST(WatchListFile, SeparatorsInsideTextsCannotBreakTheLine) {
    StockEntry entry = test::Entry("600000", 1);
    entry.recordKey = "key";
    entry.name = "A|B\nC";
    EXPECT_EQ(FormatListLine(entry), "key|600000|A B C|1|0|0.00|0.00|0|0.00");
    WatchList reloaded =
        WatchListFromLines(SplitListLines(WatchListFileBytes({entry}).value()), MarketReading::Number);
    ASSERT_EQ(reloaded.size(), 1u);
    EXPECT_EQ(reloaded[0].name, "A B C");
    EXPECT_EQ(reloaded[0].market, 1);
}

// Linux editors save UTF-8: a name of an odd number of UTF-8 bytes read as GBK would
// swallow the "|" after it and lose the stock.
TEST(WatchListFile, Utf8FilesAreReadAsUtf8WithOrWithoutTheMark) {
    const std::string utf8 = "k0|601857|中石油|1|0|0|0|0|0\r\n"
                             "k1|600000|浦发银行|1|0|0|0|0|0\r\n"
                             "k2|000002|万|2|0|0|0|0|0\r\n";
    for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8}) {
        EXPECT_TRUE(IsUtf8ListFile(bytes));
        WatchList list = WatchListFromLines(SplitListLines(bytes), MarketReading::Number);
        ASSERT_EQ(list.size(), 3u);
        EXPECT_EQ(list[0].recordKey, "k0"); // not the mark read as GBK
        EXPECT_EQ(list[0].name, "中石油");
        EXPECT_EQ(list[1].name, "浦发银行");
        EXPECT_EQ(list[2].code, "000002");
        EXPECT_EQ(list[2].name, "万");
        EXPECT_EQ(list[2].rowIndex, 2);
    }
    // GBK stays GBK, and a file of ASCII only reads the same either way.
    EXPECT_FALSE(IsUtf8ListFile(Utf8ToGbk(utf8)));
    EXPECT_EQ(WatchListFromLines(SplitListLines(Utf8ToGbk(utf8)), MarketReading::Number).size(), 3u);
    EXPECT_FALSE(IsUtf8ListFile("k|600000|pf|1|0|0|0|0|0\r\n"));
    // The mark, then a line that is no UTF-8: that line is read as GBK.
    EXPECT_EQ(SplitListLines("\xEF\xBB\xBFk|600000|\xC9\xCF|1|0|0|0|0|0\n"),
              std::vector<std::string>{"k|600000|上|1|0|0|0|0|0"});
    // Saved, it is GBK again.
    ListFile file = ParseListFile(utf8, MarketReading::FirstDigit);
    EXPECT_EQ(WatchListFileBytes(file.entries, file.unreadLines).value(),
              Utf8ToGbk("k0|601857|中石油|1|0|0.00|0.00|0|0.00\r\n"
                        "k1|600000|浦发银行|1|0|0.00|0.00|0|0.00\r\n"
                        "k2|000002|万|2|0|0.00|0.00|0|0.00\r\n"));
}

TEST(WatchListFile, SavesKeepEveryLineThatGaveNoEntryAtItsPlace) {
    const std::string gbk = Utf8ToGbk("[自选]\r\n"
                                      "a|600000|浦发银行|1|0|0|0|0|0\r\n"
                                      "# 我的备注\r\n"
                                      "b|600001|broken|1\r\n"
                                      "c|600002|three|1|0|0|0|0|0\r\n"
                                      "x\r\n") +
                            "odd \x80\xFF bytes\r\n"; // no GBK at all: kept byte for byte
    ListFile file = ParseListFile(gbk, MarketReading::FirstDigit);
    ASSERT_EQ(file.entries.size(), 2u);
    ASSERT_EQ(file.unreadLines.size(), 5u);
    EXPECT_EQ(WatchListFileBytes(file.entries, file.unreadLines).value(),
              Utf8ToGbk("[自选]\r\n"
                        "a|600000|浦发银行|1|0|0.00|0.00|0|0.00\r\n"
                        "# 我的备注\r\n"
                        "b|600001|broken|1\r\n"
                        "c|600002|three|1|0|0.00|0.00|0|0.00\r\n"
                        "x\r\n") +
                  "odd \x80\xFF bytes\r\n");

    // The page deletes the first entry, adds one and moves it to the top: the unread lines
    // keep their places, and those that stood last stay last.
    file.entries.erase(file.entries.begin());
    ForgetEntry(file.unreadLines, 0);
    StockEntry added = test::Entry("000002", 2);
    added.recordKey = "d";
    added.name = "万科";
    file.entries.push_back(added);
    std::swap(file.entries[0], file.entries[1]);
    EXPECT_EQ(WatchListFileBytes(file.entries, file.unreadLines).value(),
              Utf8ToGbk("[自选]\r\n"
                        "# 我的备注\r\n"
                        "b|600001|broken|1\r\n"
                        "d|000002|万科|2|0|0.00|0.00|0|0.00\r\n"
                        "c|600002|three|1|0|0.00|0.00|0|0.00\r\n"
                        "x\r\n") +
                  "odd \x80\xFF bytes\r\n");

    // From a UTF-8 file an unread line is written in GBK when GBK holds it, else as it was.
    ListFile fromUtf8 =
        ParseListFile("# 备注\n# 😀\nk|600000|中石油|1|0|0|0|0|0\n", MarketReading::FirstDigit);
    EXPECT_EQ(WatchListFileBytes(fromUtf8.entries, fromUtf8.unreadLines).value(),
              Utf8ToGbk("# 备注\r\n") + "# 😀\r\n" + Utf8ToGbk("k|600000|中石油|1|0|0.00|0.00|0|0.00\r\n"));

    // A name GBK cannot hold is not turned into "?": the save is refused, the file stays.
    TempDir dir;
    const std::string path = dir.file("list.ini");
    ASSERT_TRUE(WriteFileAtomically(path, gbk));
    ListFile bad = ParseListFile(gbk, MarketReading::FirstDigit);
    bad.entries[0].name = "笑😀";
    EXPECT_FALSE(WatchListFileBytes(bad.entries, bad.unreadLines).has_value());
    EXPECT_EQ(SaveWatchList(path, bad.entries, bad.unreadLines), ListSaveResult::BadText);
    EXPECT_EQ(ReadFileBytes(path).value(), gbk);
}

} // namespace
} // namespace marlune
