#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

using namespace marlune;

namespace {
// "上证指数" in GBK.
const std::string kShanghaiGbk = "\xC9\xCF\xD6\xA4\xD6\xB8\xCA\xFD";
} // namespace

TEST(Gbk, NamesRoundTrip) {
    EXPECT_EQ(GbkToUtf8(kShanghaiGbk), "上证指数");
    EXPECT_EQ(Utf8ToGbk("上证指数"), kShanghaiGbk);
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk("深证成指|浦发银行,ABC")), "深证成指|浦发银行,ABC");
    EXPECT_EQ(GbkLength("上证a"), 5u);
}

TEST(Gbk, InvalidBytesBecomeReplacementWithoutLoss) {
    // A lone lead byte at the end, a lead byte before an ASCII quote, a stray 0xFF.
    EXPECT_EQ(GbkToUtf8("a\xC9"), "a\xEF\xBF\xBD");
    EXPECT_EQ(GbkToUtf8("\xC9\"x"), "\xEF\xBF\xBD\"x");
    EXPECT_EQ(GbkToUtf8(std::string("\xFF\0b", 3)), std::string("\xEF\xBF\xBD\0b", 5));
    // Characters GBK cannot hold and broken UTF-8 become '?'.
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80z"), "a?z");
    EXPECT_EQ(Utf8ToGbk("a\xE4z"), "a?z");
    EXPECT_EQ(Utf8ToGbk("a\xE4\r\n"), "a?\r\n"); // a broken sequence keeps the line end after it
}

TEST(Gbk, CutNeverSplitsACharacter) {
    EXPECT_EQ(CutToGbkBytes("上证指数", 5), "上证");
    EXPECT_EQ(CutToGbkBytes("a上证", 2), "a");
    EXPECT_EQ(CutToGbkBytes("abc", 10), "abc");
}

TEST(Fields, SplitFieldsKeepsEmptyFields) {
    EXPECT_EQ(SplitFields("a||b|", "|"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(SplitFields("", "|"), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitFields("|a", "|"), (std::vector<std::string>{"", "a"}));
    EXPECT_TRUE(SplitFields("a|b", "").empty());
}

TEST(Fields, SplitIgnoresSeparatorInFirstPosition) {
    EXPECT_EQ(Split(",a,b", ","), (std::vector<std::string>{",a", "b"}));
    EXPECT_EQ(Split("a,,b", ","), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Split("", ","), (std::vector<std::string>{""}));
    EXPECT_TRUE(Split("a", "").empty());
    std::vector<std::string> fields = Split("x;y", ";");
    EXPECT_EQ(FieldAt(fields, 1), "y");
    EXPECT_EQ(FieldAt(fields, 7), "");
    EXPECT_EQ(Right("sh600000", 6), "600000");
    EXPECT_EQ(Right("abc", 6), "abc");
}

TEST(CNumber, ReadsLikeTheCLibrary) {
    EXPECT_EQ(AtoI("10"), 10);
    EXPECT_EQ(AtoI("  -7xyz"), -7);
    EXPECT_EQ(AtoI("abc"), 0);
    EXPECT_EQ(AtoI(""), 0);
    EXPECT_EQ(AtoI("99999999999"), 2147483647);
    EXPECT_EQ(AtoI("-99999999999"), -2147483647 - 1);
    EXPECT_DOUBLE_EQ(AtoF("12.50abc"), 12.5);
    EXPECT_DOUBLE_EQ(AtoF(" +.5"), 0.5);
    EXPECT_DOUBLE_EQ(AtoF("-3.0"), -3.0);
    EXPECT_DOUBLE_EQ(AtoF("1e2"), 100.0);
    EXPECT_DOUBLE_EQ(AtoF("1e"), 1.0);
    EXPECT_DOUBLE_EQ(AtoF("0x10"), 0.0);
    EXPECT_DOUBLE_EQ(AtoF("inf"), 0.0);
    EXPECT_DOUBLE_EQ(AtoF("-"), 0.0);
    EXPECT_DOUBLE_EQ(AtoF("."), 0.0);
}

TEST(CNumber, FormatsWithPrintfRounding) {
    EXPECT_EQ(Format("%.2f", 200.0), "200.00");
    EXPECT_EQ(Format("%.2f%%", -10.0), "-10.00%");
    EXPECT_EQ(Format("%.0f", 1234.5678), "1235");
    EXPECT_EQ(Format("%.3f", 12.3456), "12.346");
    EXPECT_EQ(Format("%d|%.2f", 5, 1.0), "5|1.00");
    EXPECT_EQ(Format("%s", std::string(500, 'x').c_str()).size(), 500u);
}

TEST(FileBytes, AtomicWriteReplacesWholeFile) {
    auto dir = std::filesystem::temp_directory_path() / "marlune_filebytes_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string path = (dir / "list.ini").string();
    ASSERT_TRUE(WriteFileAtomically(path, "first"));
    ASSERT_TRUE(WriteFileAtomically(path, "second\r\n"));
    EXPECT_EQ(ReadFileBytes(path).value_or(""), "second\r\n");
    // No temporary files left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
    // A folder that does not exist: nothing written, failure reported.
    EXPECT_FALSE(WriteFileAtomically((dir / "missing" / "x.ini").string(), "x"));
    EXPECT_FALSE(ReadFileBytes((dir / "none").string()).has_value());
    std::filesystem::remove_all(dir);
}
