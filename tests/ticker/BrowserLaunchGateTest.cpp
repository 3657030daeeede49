// Data window: a page opens the browser only in answer to the user's click, once per
// click and at most once a second.
#include "ticker/BrowserLaunchGate.h"
#include "ticker/BrowserLauncher.h"
#include "ticker/ExternalObject.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

namespace marlune {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class BrowserLaunchGateTest : public ::testing::Test {
protected:
    Clock::time_point now = Clock::time_point{} + 100h;
    BrowserLaunchGate gate{[this] { return now; }};
};

TEST_F(BrowserLaunchGateTest, OneLaunchPerClickAtMostOnceASecond) {
    EXPECT_FALSE(gate.TakeLaunch()) << "no click yet";
    gate.NoteUserClick();
    now += 200ms;
    EXPECT_TRUE(gate.TakeLaunch());
    EXPECT_FALSE(gate.TakeLaunch()) << "the click is used up";

    // Clicks in quick succession: the second launch waits its second.
    now += 300ms;
    gate.NoteUserClick();
    EXPECT_FALSE(gate.TakeLaunch());
    now += 700ms;
    gate.NoteUserClick();
    EXPECT_TRUE(gate.TakeLaunch());

    // A click long ago is no answer to it.
    now += 5s;
    gate.NoteUserClick();
    now += 1001ms;
    EXPECT_FALSE(gate.TakeLaunch());
}

TEST_F(BrowserLaunchGateTest, ClicksInAWidgetAndItsLaterChildrenCountAndPagesCallsDoNot) {
    std::vector<QString> opened;
    ScopedBrowserOpener opener{[&](const QUrl& url) { opened.push_back(url.toString()); }};
    auto pane = std::make_unique<QWidget>();
    pane->resize(200, 100);
    new UserClickWatcher(pane.get(), gate);
    ExternalObject external(gate, nullptr);

    // A page calling on its own, however often: nothing opens.
    for (int i = 0; i < 2000; ++i)
        external.ShowDlg(QStringLiteral("http://vendor.example/a"), 0);
    EXPECT_TRUE(opened.empty());

    // The engine's input widget comes later, two levels down.
    auto* view = new QWidget(pane.get());
    auto* input = new QWidget(view);
    input->resize(100, 50);
    pane->show();
    QTest::mouseClick(input, Qt::LeftButton);
    // A bad address does not use the click up; the page's flood after it opens one window.
    external.ShowDlg(QStringLiteral("javascript:alert(1)"), 0);
    for (int i = 0; i < 2000; ++i)
        external.ShowDlg(QStringLiteral("http://vendor.example/b"), 0);
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("http://vendor.example/b")});
    now += 2s;
    external.ShowDlg(QStringLiteral("http://vendor.example/c"), 0);
    EXPECT_EQ(opened.size(), 1u);
}

} // namespace
} // namespace marlune
