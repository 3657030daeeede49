#include "net/UpdateRules.h"
#include "net/ServiceEndpoints.h"

#include <gtest/gtest.h>

using namespace marlune;

TEST(UpdateRules, VersionIsComparedAsText) {
    EXPECT_FALSE(IsUpdateOffered("1:1.1.0.0:x"));
    EXPECT_TRUE(IsUpdateOffered("1:1.1.0.1:x"));
    EXPECT_TRUE(IsUpdateOffered("1:1.2:x"));
    EXPECT_FALSE(IsUpdateOffered("0:9.9.9.9:x"));
    EXPECT_TRUE(IsUpdateOffered("1:1.10.0.0:x")); // textual, on purpose
    EXPECT_FALSE(IsUpdateOffered("1:1.0.9.9:x"));
    EXPECT_FALSE(IsUpdateOffered("1:1.1.0.0"));
    EXPECT_TRUE(IsUpdateOffered("1:2"));
    // Only the first record counts, and field 0 must be exactly "1".
    EXPECT_FALSE(IsUpdateOffered("0:1.0:a;1:9.0:b"));
    EXPECT_TRUE(IsUpdateOffered("1:9.0:http://x/y.zip;0:0:z"));
    EXPECT_FALSE(IsUpdateOffered(" 1:9.0:x"));
    EXPECT_FALSE(IsUpdateOffered("1"));
    EXPECT_FALSE(IsUpdateOffered(""));
    // A non-ASCII version sorts above every digit, as its bytes do.
    EXPECT_TRUE(IsUpdateOffered("1:新版:x"));
    // A byte-order mark in front of the file does not hide the flag.
    EXPECT_TRUE(IsUpdateOffered("\xEF\xBB\xBF"
                                "1:1.2:x"));
    EXPECT_TRUE(IsUpdateOffered("1:1.1.0.0:x", "1.0"));
}

TEST(UpdateRules, NewStockTipInsideItsFrame) {
    EXPECT_EQ(ExtractNewStockTip("newstk=\"今日新股：中国平安\""), "今日新股：中国平安");
    EXPECT_EQ(ExtractNewStockTip("newstk=\"abc\""), "abc"); // 12 characters
    EXPECT_FALSE(ExtractNewStockTip("newstk=\"ab\""));      // 11 characters
    EXPECT_FALSE(ExtractNewStockTip("newstk=\"今日新股"));  // no closing quote
    EXPECT_FALSE(ExtractNewStockTip("newstk=\"今日新股\"\n"));
    EXPECT_FALSE(ExtractNewStockTip("newstock=\"今日新股\""));
    EXPECT_FALSE(ExtractNewStockTip(""));
    // Lengths are those of the system code page: one Chinese character is two there.
    EXPECT_FALSE(ExtractNewStockTip("newstk=\"新\""));
    EXPECT_EQ(ExtractNewStockTip("newstk=\"新股\""), "新股");
    // Quotes inside the tip are part of it; broken UTF-8 becomes U+FFFD.
    EXPECT_EQ(ExtractNewStockTip("newstk=\"a\"b\xFF\""), "a\"b\xEF\xBF\xBD");
    EXPECT_EQ(ExtractNewStockTip("\xEF\xBB\xBFnewstk=\"tip\""), "tip");
}

TEST(UpdateRules, CleanUtf8KeepsGoodTextAndReplacesTheRest) {
    EXPECT_EQ(CleanUtf8Reply("abc 新股 \xF0\x9F\x98\x80"), "abc 新股 \xF0\x9F\x98\x80");
    EXPECT_EQ(CleanUtf8Reply("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");                 // overlong '/'
    EXPECT_EQ(CleanUtf8Reply("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"); // surrogate
    EXPECT_EQ(CleanUtf8Reply("a\xE6\x96"), "a\xEF\xBF\xBD\xEF\xBF\xBD");               // cut short
    EXPECT_EQ(CleanUtf8Reply(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(UpdateRules, FilesComeFromTheVendorSite) {
    ASSERT_TRUE(PointAllServicesAt("http://127.0.0.1:7000"));
    EXPECT_EQ(UpdateFileUrl(), "http://127.0.0.1:7000/update.html");
    EXPECT_EQ(NewStockFileUrl(), "http://127.0.0.1:7000/stock/newstock.php");
    RestoreDefaultServices();
}

TEST(UpdateRules, ThreeRetriesThenSilence) {
    RetryBudget budget;
    EXPECT_TRUE(budget.takeRetry());
    EXPECT_TRUE(budget.takeRetry());
    EXPECT_TRUE(budget.takeRetry());
    EXPECT_FALSE(budget.takeRetry());
    EXPECT_FALSE(budget.takeRetry());
    EXPECT_EQ(budget.used(), 3);
}

TEST(UpdateRules, StateAndInstallSteps) {
    UpdateCheckState check;
    EXPECT_EQ(check.install(true), InstallAction::Nothing);
    EXPECT_FALSE(check.applyVersionFile("1:1.1.0.0:x", true));
    EXPECT_EQ(check.state(), UpdateState::NoUpdate);

    EXPECT_TRUE(check.applyVersionFile("1:1.2.0.0:x", false));
    EXPECT_EQ(check.state(), UpdateState::UpdaterMissing);
    // The first install command only marks the updater as ready; nothing fetches it.
    EXPECT_EQ(check.install(true), InstallAction::Nothing);
    EXPECT_EQ(check.state(), UpdateState::UpdaterReady);
    EXPECT_EQ(check.install(true), InstallAction::ExitAndRunUpdater);
    EXPECT_EQ(check.install(false), InstallAction::AskUser);

    UpdateCheckState ready;
    ready.applyVersionFile("1:1.2.0.0:x", true);
    EXPECT_EQ(ready.state(), UpdateState::UpdaterReady);
    EXPECT_EQ(ready.install(false), InstallAction::AskUser);
    EXPECT_TRUE(ready.retries().takeRetry());
}
