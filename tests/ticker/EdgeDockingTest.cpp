// The docking state machine driven without a window: every transition of its table.
#include "ticker/EdgeDocking.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

namespace marlune {
namespace {

constexpr int kW = 851;
constexpr int kH = 170; // four rows
constexpr int kR = 1920;
constexpr int kB = 1080;

// A window that moves where it is told and reports the move back, as the window
// system does (synchronously here; the state machine must not care).
class FakeWindow final : public DockingHost {
public:
    explicit FakeWindow(std::vector<DockRect> screens = {{0, 0, kR, kB}}) : docking(*this) {
        docking.SetWindowSize(kW, kH);
        docking.SetScreens(std::move(screens));
    }

    // The user (or the window system) puts the window at (x, y).
    void UserMove(int x, int y) {
        x_ = x;
        y_ = y;
        docking.OnMove(Rect());
    }
    DockRect Rect() const { return {x_, y_, x_ + kW, y_ + kH}; }

    void MoveWindowTo(int x, int y) override {
        moves.emplace_back(x, y);
        x_ = x;
        y_ = y;
        docking.OnMove(Rect());
    }
    void StartTimer(int id, int ms) override { timers[id] = ms; }
    void KillTimer(int id) override { timers.erase(id); }
    bool CursorInsideWindow() const override { return cursorInside; }
    void SetOwnerWindowState(int state) override { ownerState = state; }
    void StorePosition(int x, int y) override { stored.emplace_back(x, y); }
    void HideDetailPopup() override { ++popupHides; }
    void RepaintWindow() override { ++repaints; }

    bool TimerRunning(int id) const { return timers.count(id) != 0; }
    // Fires a running one-shot timer as the window would: killed first, then the action.
    void Fire(int id) {
        ASSERT_TRUE(TimerRunning(id)) << "timer " << id;
        timers.erase(id);
        docking.OnTimer(id);
    }
    void RunTimerToEnd(int id) {
        for (int guard = 0; guard < 100 && TimerRunning(id); ++guard)
            Fire(id);
    }

    EdgeDocking docking;
    int x_ = 0;
    int y_ = 0;
    std::vector<std::pair<int, int>> moves;
    std::map<int, int> timers;
    bool cursorInside = false;
    int ownerState = 1;
    std::vector<std::pair<int, int>> stored;
    int popupHides = 0;
    int repaints = 0;
};

TEST(EdgeDocking, FreeMovesAreStoredAndNeverNearTheEdges) {
    FakeWindow w;
    w.UserMove(300, 200);
    EXPECT_EQ(w.docking.State(), kNotDocked);
    ASSERT_EQ(w.stored.size(), 1u);
    EXPECT_EQ(w.stored.back(), std::make_pair(300, 200));
    EXPECT_EQ(w.docking.DockX(), 300);
    EXPECT_EQ(w.docking.DockY(), 200);
    EXPECT_TRUE(w.moves.empty());
}

TEST(EdgeDocking, SnapsToTheRightEdgeAndJumpsOutWhenTheCursorIsAway) {
    FakeWindow w;
    // Right edge 9 pixels from the work area's right: snap (0 -> 1).
    w.UserMove(kR - kW - 9, 300);
    EXPECT_EQ(w.docking.State(), kDockedRight);
    ASSERT_EQ(w.moves.size(), 1u);
    EXPECT_EQ(w.moves[0], std::make_pair(kR - kW, 300));
    EXPECT_FALSE(w.docking.ProgramMoveInProgress()); // the nested move cleared it
    EXPECT_EQ(w.timers[kTimerHideCheck], 1000);
    EXPECT_TRUE(w.stored.empty());

    // Timer 3 with the cursor inside: check again later.
    w.cursorInside = true;
    w.Fire(kTimerHideCheck);
    EXPECT_EQ(w.docking.State(), kDockedRight);
    EXPECT_EQ(w.timers[kTimerHideCheck], 1000);

    // Cursor outside: 1 -> 2 with a jump, 2 pixels left visible.
    w.cursorInside = false;
    w.Fire(kTimerHideCheck);
    EXPECT_EQ(w.docking.State(), kHiddenRight);
    EXPECT_EQ(w.docking.HideFlagValue(), kHiddenByProgram);
    EXPECT_EQ(w.moves.back(), std::make_pair(kR - 2, 300));
    EXPECT_EQ(w.ownerState, kWindowStateDockedAtEdge);
    EXPECT_FALSE(w.TimerRunning(kTimerHideCheck));
    EXPECT_TRUE(w.stored.empty());
}

TEST(EdgeDocking, TopRightCornerDocksAtTheRightBelowTheTop) {
    FakeWindow w;
    w.UserMove(kR - kW + 5, 4);
    EXPECT_EQ(w.docking.State(), kDockedRight);
    EXPECT_EQ(w.moves.back(), std::make_pair(kR - kW, 11));
}

TEST(EdgeDocking, SnapsToTheTopAndJumpsUpWhenTheCursorIsAway) {
    FakeWindow w;
    w.UserMove(400, 10); // 0 -> 6
    EXPECT_EQ(w.docking.State(), kDockedTop);
    EXPECT_EQ(w.moves.back(), std::make_pair(400, 0));
    EXPECT_EQ(w.timers[kTimerHideCheck], 1000);
    w.Fire(kTimerHideCheck); // 6 -> 7, jump
    EXPECT_EQ(w.docking.State(), kHiddenTop);
    EXPECT_EQ(w.moves.back(), std::make_pair(400, 3 - kH));
    EXPECT_EQ(w.ownerState, kWindowStateDockedAtEdge);
    EXPECT_EQ(w.y_ + kH, 3); // 3 pixels stay visible
}

TEST(EdgeDocking, LeavingSlidesRightInHundredPixelStepsToTwoPixels) {
    FakeWindow w;
    w.UserMove(kR - kW - 5, 300);
    ASSERT_EQ(w.docking.State(), kDockedRight);
    w.docking.OnMouseMove();
    EXPECT_FALSE(w.TimerRunning(kTimerHideCheck)); // tracking the mouse now
    w.moves.clear();
    w.docking.OnMouseLeave(w.Rect()); // 1 -> 2 with a slide
    EXPECT_EQ(w.docking.State(), kHiddenRight);
    EXPECT_EQ(w.ownerState, kWindowStateDockedAtEdge);
    EXPECT_EQ(w.timers[kTimerSlideRight], 50);
    EXPECT_TRUE(w.moves.empty());
    w.RunTimerToEnd(kTimerSlideRight);
    ASSERT_FALSE(w.moves.empty());
    for (std::size_t i = 0; i + 1 < w.moves.size(); ++i) {
        EXPECT_EQ(w.moves[i].first, kR - kW + 100 * static_cast<int>(i + 1));
        EXPECT_EQ(w.moves[i].second, 300);
    }
    EXPECT_EQ(w.moves.back(), std::make_pair(kR - 2, 300));
    EXPECT_EQ(w.moves.size(), 9u); // 8 steps of 100 and the last move onto the limit
    EXPECT_TRUE(w.stored.empty());
}

TEST(EdgeDocking, LeavingSlidesUpInThirtyPixelStepsToThreePixels) {
    FakeWindow w;
    w.UserMove(400, 2);
    ASSERT_EQ(w.docking.State(), kDockedTop);
    w.docking.OnMouseMove();
    w.moves.clear();
    w.docking.OnMouseLeave(w.Rect()); // 6 -> 7 with a slide
    EXPECT_EQ(w.docking.State(), kHiddenTop);
    EXPECT_EQ(w.timers[kTimerSlideUp], 50);
    w.RunTimerToEnd(kTimerSlideUp);
    for (std::size_t i = 0; i + 1 < w.moves.size(); ++i)
        EXPECT_EQ(w.moves[i], std::make_pair(400, -30 * static_cast<int>(i + 1)));
    EXPECT_EQ(w.moves.back(), std::make_pair(400, 3 - kH));
}

TEST(EdgeDocking, MouseOverTheStripShowsTheWindowAgain) {
    FakeWindow w;
    w.UserMove(kR - kW, 300);
    w.Fire(kTimerHideCheck);
    ASSERT_EQ(w.docking.State(), kHiddenRight);
    w.docking.OnMouseMove(); // 2 -> 1
    EXPECT_EQ(w.docking.State(), kDockedRight);
    EXPECT_EQ(w.docking.HideFlagValue(), kShownByMouse);
    EXPECT_EQ(w.moves.back(), std::make_pair(kR - kW, 300));
    EXPECT_EQ(w.ownerState, kWindowStateShown);
    EXPECT_FALSE(w.docking.ProgramMoveInProgress());

    FakeWindow top;
    top.UserMove(200, 5);
    top.Fire(kTimerHideCheck);
    ASSERT_EQ(top.docking.State(), kHiddenTop);
    top.docking.OnMouseMove(); // 7 -> 6
    EXPECT_EQ(top.docking.State(), kDockedTop);
    EXPECT_EQ(top.docking.HideFlagValue(), kShownByMouse);
    EXPECT_EQ(top.moves.back(), std::make_pair(200, 0));
    EXPECT_EQ(top.ownerState, kWindowStateShown);
}

TEST(EdgeDocking, DraggedClearOfTheEdgesAfterShowingIsUndocked) {
    FakeWindow w;
    w.UserMove(kR - kW, 300);
    w.Fire(kTimerHideCheck);
    w.docking.OnMouseMove();
    ASSERT_EQ(w.docking.HideFlagValue(), kShownByMouse);
    // Dragged along the edge: stays docked (snaps again).
    w.UserMove(kR - kW - 3, 350);
    EXPECT_EQ(w.docking.State(), kDockedRight);
    EXPECT_EQ(w.moves.back(), std::make_pair(kR - kW, 350));
    // Dragged clear: 1 with hide flag 2 -> 0, and the place it was dropped is its place now
    // (hidden and shown again, it comes back there).
    w.stored.clear();
    w.UserMove(600, 350);
    EXPECT_EQ(w.docking.State(), kNotDocked);
    EXPECT_EQ(w.docking.HideFlagValue(), kHideNone);
    ASSERT_EQ(w.stored.size(), 1u);
    EXPECT_EQ(w.stored.back(), std::make_pair(600, 350));
    EXPECT_EQ(w.docking.DockX(), 600);
    w.UserMove(610, 350);
    EXPECT_EQ(w.stored.back(), std::make_pair(610, 350));

    FakeWindow top;
    top.UserMove(300, 3);
    top.Fire(kTimerHideCheck);
    top.docking.OnMouseMove();
    top.UserMove(300, 200); // 6 with hide flag 2 -> 0
    EXPECT_EQ(top.docking.State(), kNotDocked);
    ASSERT_FALSE(top.stored.empty());
    EXPECT_EQ(top.stored.back(), std::make_pair(300, 200));
}

TEST(EdgeDocking, WindowsOnOtherScreensBeyondTheEdgesDoNotDock) {
    FakeWindow right;
    right.UserMove(kR + 100, 300); // on a screen right of this one
    EXPECT_EQ(right.docking.State(), kNotDocked);
    EXPECT_TRUE(right.moves.empty());
    EXPECT_EQ(right.stored.back(), std::make_pair(kR + 100, 300));
    FakeWindow above;
    above.UserMove(300, -kH - 50); // on a screen above this one
    EXPECT_EQ(above.docking.State(), kNotDocked);
    EXPECT_EQ(above.stored.back(), std::make_pair(300, -kH - 50));
    // A window that reaches over the top edge still docks there.
    above.UserMove(300, -20);
    EXPECT_EQ(above.docking.State(), kDockedTop);
}

TEST(EdgeDocking, GoingOntoAChildControlDoesNotHideButLeavingLaterJumps) {
    FakeWindow w;
    w.UserMove(kR - kW, 300);
    w.docking.OnMouseMove();
    // The mouse "leaves" onto the grid: still inside the window rectangle.
    w.cursorInside = true;
    w.docking.OnMouseLeave(w.Rect());
    EXPECT_EQ(w.docking.State(), kDockedRight);
    EXPECT_FALSE(w.TimerRunning(kTimerSlideRight));
    EXPECT_EQ(w.timers[kTimerHideCheck], 1000);
    EXPECT_FALSE(w.docking.TrackingMouse());
    // A second later the cursor has left the window: hidden at once, no slide.
    w.cursorInside = false;
    w.Fire(kTimerHideCheck);
    EXPECT_EQ(w.docking.State(), kHiddenRight);
    EXPECT_EQ(w.moves.back(), std::make_pair(kR - 2, 300));
    EXPECT_FALSE(w.TimerRunning(kTimerSlideRight));
}

TEST(EdgeDocking, TransparentWindowsNeverDockAndOnlyStorePositions) {
    FakeWindow w;
    w.docking.SetTransparent(true);
    w.UserMove(kR - kW - 2, 300);
    EXPECT_EQ(w.docking.State(), kNotDocked);
    EXPECT_TRUE(w.moves.empty());
    EXPECT_TRUE(w.stored.empty()); // near the edge: not stored
    w.UserMove(400, 5);
    EXPECT_EQ(w.docking.State(), kNotDocked);
    EXPECT_TRUE(w.stored.empty());
    w.UserMove(400, 200);
    ASSERT_EQ(w.stored.size(), 1u);

    // Timer 3 stops at its next tick; leaving only repaints.
    FakeWindow docked;
    docked.UserMove(kR - kW, 300);
    docked.docking.SetTransparent(true);
    docked.Fire(kTimerHideCheck);
    EXPECT_EQ(docked.docking.State(), kDockedRight);
    EXPECT_FALSE(docked.TimerRunning(kTimerHideCheck));
    docked.docking.OnMouseLeave(docked.Rect());
    EXPECT_EQ(docked.repaints, 1);
    EXPECT_FALSE(docked.TimerRunning(kTimerSlideRight));
}

TEST(EdgeDocking, MouseMoveHidesThePopupAndStopsSlides) {
    FakeWindow w;
    w.UserMove(kR - kW, 300);
    w.docking.OnMouseMove();
    w.docking.OnMouseLeave(w.Rect());
    ASSERT_TRUE(w.TimerRunning(kTimerSlideRight));
    w.Fire(kTimerSlideRight); // one step
    w.docking.OnMouseMove();  // back over the window mid-slide
    EXPECT_FALSE(w.TimerRunning(kTimerSlideRight));
    EXPECT_GE(w.popupHides, 2);
    EXPECT_EQ(w.docking.State(), kDockedRight);
    EXPECT_EQ(w.moves.back(), std::make_pair(kR - kW, 300));

    w.docking.OnDragStart();
    EXPECT_FALSE(w.TimerRunning(kTimerHideCheck));
}

// Window systems that report moves later than the move call: the snap's own move
// arrives after the call returns and must not snap again.
TEST(EdgeDocking, DelayedMoveReportsSnapOnce) {
    class LateWindow final : public DockingHost {
    public:
        LateWindow() : docking(*this) {
            docking.SetWindowSize(kW, kH);
            docking.SetScreens({{0, 0, kR, kB}});
        }
        void MoveWindowTo(int x, int y) override { pending.emplace_back(x, y); }
        void StartTimer(int, int) override {}
        void KillTimer(int) override {}
        bool CursorInsideWindow() const override { return false; }
        void SetOwnerWindowState(int) override {}
        void StorePosition(int, int) override {}
        void HideDetailPopup() override {}
        void RepaintWindow() override {}
        EdgeDocking docking;
        std::vector<std::pair<int, int>> pending;
    } w;
    w.docking.OnMove({kR - kW - 4, 300, kR - 4, 300 + kH});
    ASSERT_EQ(w.pending.size(), 1u);
    EXPECT_TRUE(w.docking.ProgramMoveInProgress());
    const auto [x, y] = w.pending[0];
    w.docking.OnMove({x, y, x + kW, y + kH});
    EXPECT_EQ(w.pending.size(), 1u);
    EXPECT_FALSE(w.docking.ProgramMoveInProgress());
    EXPECT_EQ(w.docking.State(), kDockedRight);
}

// Two monitors side by side, the left one with a panel at its bottom: only the outer
// edges of the desktop dock, on the monitor the window is on.
TEST(EdgeDocking, TwoMonitorsDockAtTheOuterEdgesOfTheDesktopOnly) {
    const std::vector<DockRect> sideBySide = {{0, 0, kR, kB - 32}, {kR, 0, 2 * kR, kB}};
    FakeWindow inner(sideBySide);
    inner.UserMove(kR - kW - 3, 300); // at the boundary, on the left monitor
    EXPECT_EQ(inner.docking.State(), kNotDocked);
    EXPECT_TRUE(inner.moves.empty());
    EXPECT_EQ(inner.stored.back(), std::make_pair(kR - kW - 3, 300));
    inner.UserMove(kR + 4, 300); // at the boundary, on the right monitor
    EXPECT_EQ(inner.docking.State(), kNotDocked);

    FakeWindow outer(sideBySide);
    outer.UserMove(2 * kR - kW - 6, 300);
    ASSERT_EQ(outer.docking.State(), kDockedRight);
    EXPECT_EQ(outer.moves.back(), std::make_pair(2 * kR - kW, 300));
    outer.docking.OnMouseMove();
    outer.docking.OnMouseLeave(outer.Rect());
    outer.RunTimerToEnd(kTimerSlideRight);
    EXPECT_EQ(outer.moves.back(), std::make_pair(2 * kR - 2, 300)); // 2 pixels left on the right monitor
    // The strip under the mouse brings it back where it docked.
    outer.docking.OnMouseMove();
    EXPECT_EQ(outer.docking.State(), kDockedRight);
    EXPECT_EQ(outer.moves.back(), std::make_pair(2 * kR - kW, 300));

    // Both monitors have nothing above them: both top edges dock.
    FakeWindow top(sideBySide);
    top.UserMove(kR + 400, 7);
    ASSERT_EQ(top.docking.State(), kDockedTop);
    EXPECT_EQ(top.moves.back(), std::make_pair(kR + 400, 0));
    top.Fire(kTimerHideCheck);
    EXPECT_EQ(top.moves.back(), std::make_pair(kR + 400, 3 - kH));
}

TEST(EdgeDocking, AMonitorAboveMovesTheTopEdgeUpToIt) {
    // A second monitor stands on the first, starting at x = 500.
    const std::vector<DockRect> stacked = {{0, 0, kR, kB}, {500, -900, 500 + 1600, 0}};
    FakeWindow lower(stacked);
    lower.UserMove(700, 4); // below the upper monitor: not an outer edge
    EXPECT_EQ(lower.docking.State(), kNotDocked);
    EXPECT_TRUE(lower.moves.empty());
    // In the top-right corner of the lower monitor the right edge docks, but the
    // top-corner rule does not apply: nothing is at the top to dock at.
    lower.UserMove(kR - kW + 3, 4);
    EXPECT_EQ(lower.docking.State(), kDockedRight);
    EXPECT_EQ(lower.moves.back(), std::make_pair(kR - kW, 4));

    FakeWindow upper(stacked);
    upper.UserMove(800, -895);
    ASSERT_EQ(upper.docking.State(), kDockedTop);
    EXPECT_EQ(upper.moves.back(), std::make_pair(800, -900));
    upper.docking.OnMouseMove();
    upper.docking.OnMouseLeave(upper.Rect());
    upper.RunTimerToEnd(kTimerSlideUp);
    EXPECT_EQ(upper.moves.back(), std::make_pair(800, -900 + 3 - kH));
    // Its top-right corner docks at the right below its own top.
    FakeWindow corner(stacked);
    corner.UserMove(2100 - kW - 2, -898);
    EXPECT_EQ(corner.docking.State(), kDockedRight);
    EXPECT_EQ(corner.moves.back(), std::make_pair(2100 - kW, -889));
}

TEST(EdgeDocking, PlacementsByTheProgramNeverDock) {
    FakeWindow w;
    // Fitted flush right, or at the top, by the program: it stays and never hides.
    w.x_ = kR - kW;
    w.y_ = 0;
    w.docking.OnPlacedByProgram(w.Rect());
    EXPECT_EQ(w.docking.State(), kNotDocked);
    EXPECT_TRUE(w.moves.empty());
    EXPECT_FALSE(w.TimerRunning(kTimerHideCheck));
    w.docking.OnMouseMove();
    w.docking.OnMouseLeave(w.Rect());
    EXPECT_FALSE(w.TimerRunning(kTimerSlideRight));
    EXPECT_FALSE(w.TimerRunning(kTimerSlideUp));
    EXPECT_TRUE(w.stored.empty()); // at an edge: not a position to start from

    // A docked window placed at the edge again stays docked; placed clear of the edges
    // (re-placed, restored) it is free, and a slide under way stops.
    FakeWindow docked;
    docked.UserMove(kR - kW - 2, 300);
    ASSERT_EQ(docked.docking.State(), kDockedRight);
    docked.docking.OnPlacedByProgram(docked.Rect());
    EXPECT_EQ(docked.docking.State(), kDockedRight);
    docked.docking.OnMouseMove();
    docked.docking.OnMouseLeave(docked.Rect());
    ASSERT_TRUE(docked.TimerRunning(kTimerSlideRight));
    docked.x_ = 500;
    docked.docking.OnPlacedByProgram(docked.Rect());
    EXPECT_EQ(docked.docking.State(), kNotDocked);
    EXPECT_EQ(docked.docking.HideFlagValue(), kHideNone);
    EXPECT_FALSE(docked.TimerRunning(kTimerSlideRight));
    EXPECT_EQ(docked.stored.back(), std::make_pair(500, 300));
}

} // namespace
} // namespace marlune
