#include "text/BeijingTime.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
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
    // Trail bytes in the ASCII range belong to their character, also after a bad byte and
    // between ASCII letters; the lead byte before a digit or a comma is bad on its own.
    EXPECT_EQ(GbkToUtf8("XD\x81\x40,\xC8\x41"
                        "B"),
              "XD丂,華B");
    EXPECT_EQ(GbkToUtf8("\xFF\x81\x40"
                        "z"),
              "\xEF\xBF\xBD丂z");
    EXPECT_EQ(GbkToUtf8("\xD6\x50"
                        "1\xC9,2"),
              "諴1\xEF\xBF\xBD,2");
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
    // Halves are rounded on the exact binary value, to even where it is exact: the same
    // texts on every system, whatever its C runtime does by itself.
    EXPECT_EQ(Format("%.2f", 0.125), "0.12");
    EXPECT_EQ(Format("%.2f", 0.375), "0.38");
    EXPECT_EQ(Format("%.2f", 2.675), "2.67"); // 2.67499999... in binary
    EXPECT_EQ(Format("%.2f", 1.005), "1.00");
    EXPECT_EQ(Format("%.0f", 2.5), "2");
    EXPECT_EQ(Format("%.0f", 3.5), "4");
    EXPECT_EQ(Format("%.2f%%", -0.125), "-0.12%");
    EXPECT_EQ(Format("%.2f", 1e20), "100000000000000000000.00");
    EXPECT_EQ(Format("%.3f", 123456789.0125), "123456789.013");
    EXPECT_EQ(Format("%lld|%5.1f|%-4d|", 9876543210LL, 3.25, 7), "9876543210|  3.2|7   |");
}

TEST(CNumber, MinusZeroLosesItsSign) {
    for (const char* zero : {"-0", "-0.00", "-0.000", "-0.00%"})
        EXPECT_EQ(WithoutNegativeZero(zero).find('-'), std::string::npos) << zero;
    for (const char* kept : {"-0.01", "-1", "-0.00x", "-", "-%", "--0", "0.00", "-10.00%"})
        EXPECT_EQ(WithoutNegativeZero(kept), kept);
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

TEST(Gbk, TellsUtf8AndWhatGbkHolds) {
    EXPECT_TRUE(IsUtf8("plain"));
    EXPECT_TRUE(IsUtf8("上证指数 😀"));
    EXPECT_FALSE(IsUtf8(kShanghaiGbk));
    EXPECT_FALSE(IsUtf8("\xC0\xAF"));         // overlong "/"
    EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));     // a surrogate
    EXPECT_FALSE(IsUtf8("\xE4\xB8"));         // cut short
    EXPECT_FALSE(IsUtf8("\xF4\x90\x80\x80")); // beyond U+10FFFF
    EXPECT_TRUE(FitsGbk("浦发银行?"));
    EXPECT_FALSE(FitsGbk("笑😀"));
}

namespace {

std::filesystem::path FreshFolder(const char* name) {
    auto dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void SetAge(const std::filesystem::path& path, int seconds) {
    std::error_code error;
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(seconds), error);
    // Windows' C runtime cannot date a folder; a folder is skipped for being one anyway.
    if (error && !std::filesystem::is_directory(path))
        ADD_FAILURE() << "cannot date " << path << ": " << error.message();
}

} // namespace

TEST(FileBytes, ReadsOnlyRegularFilesWithinTheLimit) {
    auto dir = FreshFolder("marlune_regular_test");
    const std::string file = (dir / "base.ini").string();
    ASSERT_TRUE(WriteFileAtomically(file, "12345"));
    FileRead read = ReadRegularFile(file, 5);
    EXPECT_EQ(read.status, FileReadStatus::Read);
    EXPECT_EQ(read.bytes, "12345");
    EXPECT_EQ(ReadRegularFile(file, 4).status, FileReadStatus::TooLarge);
    EXPECT_EQ(ProbeRegularFile(file, 4), FileReadStatus::TooLarge);
    EXPECT_EQ(ReadRegularFile((dir / "none").string()).status, FileReadStatus::Missing);
    EXPECT_EQ(ReadRegularFile(dir.string()).status, FileReadStatus::NotRegular);
    std::filesystem::remove_all(dir);
}

TEST(FileBytes, ReplacesInFoldersOfAnyNameAndLeavesReadOnlyFilesAlone) {
    // A folder name outside ASCII (and outside any ANSI code page but one) must work.
    auto dir = FreshFolder("marlune_replace_test");
    const std::filesystem::path folder = dir / std::filesystem::u8path("行情 数据");
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "list.ini").u8string();
    ASSERT_TRUE(WriteFileAtomically(path, "first"));
    EXPECT_EQ(ReplaceSettingsFile(path, "second"), ReplaceResult::Replaced);
    FileRead read = ReadRegularFile(path);
    EXPECT_EQ(read.status, FileReadStatus::Read);
    EXPECT_EQ(read.bytes, "second");
    EXPECT_EQ(ProbeRegularFile(path), FileReadStatus::Read);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);

    // Marked read-only: never rewritten, and the mark stays.
    std::filesystem::permissions(folder / "list.ini",
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_TRUE(IsReadOnlyFile(path));
    EXPECT_EQ(ReplaceSettingsFile(path, "third"), ReplaceResult::ReadOnly);
    EXPECT_EQ(ReadFileBytes(path).value_or(""), "second");
    std::filesystem::permissions(folder / "list.ini", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_FALSE(IsReadOnlyFile(path));
    EXPECT_EQ(ReplaceSettingsFile(path, "third"), ReplaceResult::Replaced);
    EXPECT_EQ(ReadFileBytes(path).value_or(""), "third");
    // A folder in the file's place is no settings file.
    EXPECT_EQ(ReplaceSettingsFile(folder.u8string(), "x"), ReplaceResult::NotRegular);
    EXPECT_FALSE(IsReadOnlyFile((folder / "none.ini").u8string()));
    std::filesystem::remove_all(dir);
}

TEST(FileBytes, RemovesOnlyItsOwnStaleTemporaryFiles) {
    auto dir = FreshFolder("marlune_stale_test");
    EXPECT_TRUE(IsTemporaryNameOf("base.ini.tmp-a1B2c3", "base.ini"));
    EXPECT_FALSE(IsTemporaryNameOf("base.ini.backup", "base.ini")); // a user's own file
    EXPECT_FALSE(IsTemporaryNameOf("base.ini.tmp-a1B2c", "base.ini"));
    EXPECT_FALSE(IsTemporaryNameOf("base.ini.tmp-a1B2c-", "base.ini"));
    EXPECT_FALSE(IsTemporaryNameOf("list.ini.tmp-a1B2c3", "base.ini"));
    EXPECT_FALSE(IsTemporaryNameOf("base.ini~tmp-a1B2c3", "base.ini"));

    const std::string file = (dir / "base.ini").string();
    ASSERT_TRUE(WriteFileAtomically(file, "kept"));
    for (const char* name : {"base.ini.tmp-OLD123", "base.ini.tmp-new456", "base.ini.backup",
                             "other.ini.tmp-OLD789", "base.ini.tmp-Dir000"}) {
        if (std::string(name) == "base.ini.tmp-Dir000")
            std::filesystem::create_directory(dir / name);
        else
            std::ofstream(dir / name) << "x";
    }
    for (const char* old :
         {"base.ini.tmp-OLD123", "base.ini.backup", "other.ini.tmp-OLD789", "base.ini.tmp-Dir000"})
        SetAge(dir / old, 3600);
    SetAge(dir / "base.ini", 3600);
    const std::time_t started = std::time(nullptr) - 60;

    EXPECT_EQ(RemoveStaleTemporaryFiles(file, started), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "base.ini.tmp-OLD123"));
    for (const char* kept : {"base.ini", "base.ini.tmp-new456", "base.ini.backup", "other.ini.tmp-OLD789",
                             "base.ini.tmp-Dir000"})
        EXPECT_TRUE(std::filesystem::exists(dir / kept)) << kept;
    std::filesystem::remove_all(dir);
}

// Dates and times of quotes are written by hand; they must read as printf writes them.
TEST(BeijingTimeText, DateAndTimeReadAsPrintfWritesThem) {
    for (std::int64_t seconds :
         {std::int64_t{0}, std::int64_t{-1}, std::int64_t{1776997278}, std::int64_t{-62198755200},
          std::int64_t{253402300799}, std::int64_t{253402300800}, std::int64_t{-62167248000}}) {
        const BeijingTime time = BeijingTimeAt(seconds);
        const std::string date = Format("%04d-%02d-%02d", time.year, time.month, time.day);
        EXPECT_EQ(time.Date(), date) << seconds;
        EXPECT_EQ(time.DateTime(), date + Format(" %02d:%02d:%02d", time.hour, time.minute, time.second))
            << seconds;
    }
    EXPECT_EQ(BeijingTimeAt(1776997278).DateTime(), "2026-04-24 10:21:18");
    EXPECT_EQ(BeijingTimeAt(253402300800).Date(), "10000-01-01"); // past year 9999: printf's width
}
