// The update check and the new-stock tip: the version file's outcome, UpdateTime, the
// retries, the tip's frame, stopping downloads, and the real download from the
// simulated market.
#include "app/UpdateChecker.h"
#include "config/FirstRun.h"
#include "config/ProgramFolder.h"
#include "config/XmlSettingsStore.h"
#include "net/ServiceEndpoints.h"
#include "sim/SimServer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace marlune {
namespace {

// Answers every download from a list of bodies (an empty optional: a failed download)
// and counts the requests per address.
class ScriptedFetcher {
public:
    void Answer(std::string path, std::vector<std::optional<std::string>> bodies) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bodies[path] = std::move(bodies);
    }
    int Requests(const std::string& path) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests[path];
    }
    BackgroundTextFetch::Fetcher Fetcher() {
        return [this](const std::string& url, std::function<bool()>) {
            std::lock_guard<std::mutex> lock(m_mutex);
            const std::string path = url.substr(url.find('/', url.find("//") + 2));
            const int index = m_requests[path]++;
            auto& bodies = m_bodies[path];
            TextFetchResult result;
            if (index < static_cast<int>(bodies.size()) && bodies[index]) {
                result.ok = true;
                result.body = *bodies[index];
            }
            return result;
        };
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::vector<std::optional<std::string>>> m_bodies;
    std::map<std::string, int> m_requests;
};

class UpdateCheckerTest : public ::testing::Test {
protected:
    UpdateCheckerTest() {
        SetProgramFolder(dir.path().toStdString());
        CreateFirstRunFiles();
        RestoreDefaultServices();
    }
    ~UpdateCheckerTest() override { SetProgramFolder(""); }

    UpdateChecker::Timings Fast() const { return {10, 10, 20}; }

    QTemporaryDir dir;
    ScriptedFetcher fetcher;
};

TEST_F(UpdateCheckerTest, OfferedVersionStoresUpdateTimeAndLooksForTheUpdater) {
    fetcher.Answer("/update.html", {std::string("1:1.10.0.0:http://x/y;0:9:z")});
    UpdateChecker checker(Fast(), fetcher.Fetcher());
    QSignalSpy checked(&checker, &UpdateChecker::updateChecked);
    checker.Start(true, false);
    ASSERT_TRUE(checked.wait(5000));
    EXPECT_TRUE(checked.at(0).at(0).toBool());
    EXPECT_EQ(checker.State().state(), UpdateState::UpdaterMissing);
    XmlSettingsStore store;
    store.SetPath(XmlSettingsPath());
    const long long stored = std::stoll(store.GetValue("UpdateTime"));
    EXPECT_NEAR(stored, static_cast<long long>(std::time(nullptr)), 5);

    // With the updater in the program folder it is ready.
    QFile updater(QString::fromStdString(UpdateChecker::UpdaterPath()));
    ASSERT_TRUE(updater.open(QIODevice::WriteOnly));
    updater.close();
    fetcher.Answer("/update.html", {std::nullopt, std::string("1:1.2:x")});
    checker.CheckForUpdate();
    ASSERT_TRUE(checked.wait(5000));
    EXPECT_EQ(checker.State().state(), UpdateState::UpdaterReady);
}

TEST_F(UpdateCheckerTest, WithoutTheSettingsFileAVersionFileIsNotRead) {
    QFile::remove(QString::fromStdString(XmlSettingsPath()));
    fetcher.Answer("/update.html", {std::string("1:9.0:x")});
    UpdateChecker checker(Fast(), fetcher.Fetcher());
    QSignalSpy checked(&checker, &UpdateChecker::updateChecked);
    checker.CheckForUpdate();
    QTest::qWait(300);
    EXPECT_EQ(checked.count(), 0);
    EXPECT_EQ(checker.State().state(), UpdateState::NoUpdate);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(XmlSettingsPath())));
}

TEST_F(UpdateCheckerTest, ThreeRetriesThenSilence) {
    UpdateChecker checker(Fast(), fetcher.Fetcher()); // every download fails
    QSignalSpy failed(&checker, &UpdateChecker::downloadFailed);
    checker.Start(true, true);
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 8, 5000);
    QTest::qWait(200);
    EXPECT_EQ(failed.count(), 8);
    EXPECT_EQ(fetcher.Requests("/update.html"), 4);
    EXPECT_EQ(fetcher.Requests("/stock/newstock.php"), 4);
    EXPECT_FALSE(failed.last().at(1).toBool()); // the last one retries no more
    EXPECT_FALSE(checker.IsTimerActive(kTimerUpdateCheck));
    EXPECT_FALSE(checker.IsTimerActive(kTimerNewStockTip));
    EXPECT_EQ(checker.State().retries().used(), 3);
    EXPECT_EQ(checker.NewStockRetriesUsed(), 3);
}

TEST_F(UpdateCheckerTest, NewStockTipOnlyInsideItsFrame) {
    fetcher.Answer("/stock/newstock.php",
                   {std::string("newstk=\"今日新股：中国电建\""), std::string("newstk=\"no closing"),
                    std::string("newstk=\"ab\""), std::string("\xEF\xBB\xBFnewstk=\"BOM tip\"")});
    UpdateChecker checker(Fast(), fetcher.Fetcher());
    QSignalSpy tips(&checker, &UpdateChecker::newStockTipArrived);
    for (int i = 0; i < 4; ++i) {
        checker.FetchNewStockTip();
        QTRY_COMPARE_WITH_TIMEOUT(fetcher.Requests("/stock/newstock.php"), i + 1, 2000);
        QTest::qWait(50);
    }
    ASSERT_EQ(tips.count(), 2);
    EXPECT_EQ(tips.at(0).at(0).toString(), QStringLiteral("今日新股：中国电建"));
    EXPECT_EQ(tips.at(1).at(0).toString(), QStringLiteral("BOM tip"));
}

TEST_F(UpdateCheckerTest, CancelStopsARunningDownloadPromptly) {
    std::atomic<bool> started{false};
    UpdateChecker checker(Fast(), [&](const std::string&, std::function<bool()> cancelled) {
        started = true;
        while (!cancelled())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return TextFetchResult{};
    });
    QSignalSpy failed(&checker, &UpdateChecker::downloadFailed);
    checker.CheckForUpdate();
    QTRY_VERIFY_WITH_TIMEOUT(started.load(), 2000);
    EXPECT_TRUE(checker.IsDownloading());
    checker.CancelAll();
    EXPECT_FALSE(checker.IsDownloading());
    QTest::qWait(50);
    EXPECT_EQ(failed.count(), 0); // a cancelled download reports nothing
    checker.Start(true, true);    // and nothing starts again
    EXPECT_FALSE(checker.IsTimerActive(kTimerUpdateCheck));
}

TEST_F(UpdateCheckerTest, RealDownloadsFromTheSimulatedMarket) {
    sim::SimServer server;
    ASSERT_GT(server.Start(0), 0);
    ASSERT_TRUE(PointAllServicesAt(server.BaseUrl()));
    UpdateChecker checker(Fast(), {});
    QSignalSpy checked(&checker, &UpdateChecker::updateChecked);
    QSignalSpy tips(&checker, &UpdateChecker::newStockTipArrived);
    checker.Start(true, true);
    ASSERT_TRUE(checked.wait(10000));
    QTRY_COMPARE_WITH_TIMEOUT(tips.count(), 1, 10000);
    EXPECT_FALSE(tips.at(0).at(0).toString().isEmpty());
    RestoreDefaultServices();
}

} // namespace
} // namespace marlune
