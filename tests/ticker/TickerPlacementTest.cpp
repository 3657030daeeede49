// Where the ticker window goes and when it docks, on the offscreen screen: a window made
// narrow enough for it by hiding columns.
#include "config/DisplaySettings.h"
#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "ticker/EdgeDocking.h"
#include "ticker/QuoteGrid.h"
#include "ticker/TickerOwner.h"
#include "ticker/TickerWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace marlune {
namespace {

class TickerPlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolder(m_dir.path().toStdString() + "/");
        ASSERT_TRUE(CreateFirstRunFiles());
        // Six columns fewer: the window fits on the offscreen screen.
        DisplaySettings narrow;
        narrow.showCode = false;
        narrow.showPrice = false;
        narrow.showChange = false;
        narrow.showChangeRate = false;
        narrow.showPlAmount = false;
        narrow.showPlRate = false;
        ASSERT_TRUE(WriteDisplaySettings(XmlSettingsPath(), narrow));
        m_screen = QGuiApplication::primaryScreen()->availableGeometry();
    }
    void TearDown() override {
        m_window.reset();
        SetProgramFolder("");
    }
    void SetSys(const char* key, int value) {
        ProfileWrite(BaseIniPath(), "sys", key, std::to_string(value));
    }
    TickerWindow& Make() {
        TickerWindow::JobsAndClocks jobsAndClocks;
        jobsAndClocks.startJob = [](const QuoteFetchJob&) {};
        m_window = std::make_unique<TickerWindow>(nullptr, jobsAndClocks);
        m_window->show();
        return *m_window;
    }
    // Lets the window's moves be reported and settle.
    static void Settle() { QTest::qWait(150); }
    int Right() const { return m_screen.x() + m_screen.width(); }

    QTemporaryDir m_dir;
    std::unique_ptr<TickerWindow> m_window;
    QRect m_screen;
};

TEST_F(TickerPlacementTest, AWindowTheProgramPutsAtAnEdgeNeverDocksThere) {
    // Stored on a wider screen: fitted flush right at start, and left there.
    SetSys("LastX", 5000);
    SetSys("LastY", 200);
    TickerWindow& w = Make();
    ASSERT_LT(w.WindowWidth(), m_screen.width());
    Settle();
    EXPECT_EQ(w.LogicalGeometry().right() + 1, Right());
    EXPECT_EQ(w.Docking().State(), kNotDocked);
    w.Docking().OnHideCheckTimer();
    EXPECT_EQ(w.LogicalGeometry().right() + 1, Right());

    // Stored below the screen with the top reaching y = 0 after the fit: not docked either.
    m_window.reset();
    SetSys("LastX", 100);
    SetSys("LastY", -400);
    TickerWindow& top = Make();
    Settle();
    EXPECT_EQ(top.LogicalGeometry().y(), m_screen.y());
    EXPECT_EQ(top.Docking().State(), kNotDocked);

    // A move the program did not make (the user, through the window manager) docks.
    top.move(Right() - top.WindowWidth() - 4, 300);
    Settle();
    EXPECT_EQ(top.Docking().State(), kDockedRight);
    EXPECT_EQ(top.LogicalGeometry().topLeft(), QPoint(Right() - top.WindowWidth(), 300));
}

TEST_F(TickerPlacementTest, ApplyingSettingsLeavesAWindowThatIsAllOnTheScreen) {
    TickerWindow& w = Make();
    Settle();
    const int width = w.WindowWidth();
    const int height = w.WindowHeight();
    const QPoint places[] = {{m_screen.x(), 300},
                             {Right() - width, 300},
                             {200, m_screen.y()},
                             {200, m_screen.y() + m_screen.height() - height}};
    for (const QPoint& place : places) {
        w.move(place);
        Settle();
        const QPoint before = w.LogicalGeometry().topLeft();
        w.applySettings();
        w.rePlace();
        Settle();
        EXPECT_EQ(w.LogicalGeometry().topLeft(), before) << place.x() << "," << place.y();
    }
    // Slid out of sight at the right edge it is partly off the screen: re-placing brings it
    // back into the lower right corner, free of the edge.
    w.move(Right() - width - 3, 250);
    Settle();
    ASSERT_EQ(w.Docking().State(), kDockedRight);
    w.Docking().OnHideCheckTimer();
    ASSERT_EQ(w.Docking().State(), kHiddenRight);
    w.rePlace();
    Settle();
    EXPECT_EQ(w.LogicalGeometry().topLeft(),
              QPoint(Right() - width - 20, m_screen.y() + m_screen.height() - height - 20));
    EXPECT_EQ(w.Docking().State(), kNotDocked);
}

TEST_F(TickerPlacementTest, DraggingOnTheGridMovesTheWindow) {
    TickerWindow& w = Make();
    Settle();
    const QPoint start = w.LogicalGeometry().topLeft();
    QuoteGrid* grid = w.Grid();
    const QPoint press(30, 30);
    QTest::mousePress(grid, Qt::LeftButton, {}, press);
    const QPoint to = press + QPoint(40, 25);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(grid->mapToGlobal(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &move);
    QTest::mouseRelease(grid, Qt::LeftButton, {}, to);
    Settle();
    EXPECT_EQ(w.LogicalGeometry().topLeft(), start + QPoint(40, 25));
    EXPECT_EQ(ProfileReadInt(BaseIniPath(), "sys", "LastX"), start.x() + 40);
}

} // namespace
} // namespace marlune
