#pragma once
// Docking the ticker window at the right or top edge of the desktop, and sliding it
// out of sight when the mouse leaves it. A plain state machine: the window feeds it
// its moves, mouse events and timer ticks, and it answers through DockingHost.

#include <optional>
#include <vector>

namespace marlune {

// Timer ids the docking uses on its window.
enum DockingTimer : int { kTimerHideCheck = 3, kTimerSlideRight = 8, kTimerSlideUp = 9 };

enum DockState : int {
    kNotDocked = 0,
    kDockedRight = 1, // at the right edge, shown
    kHiddenRight = 2, // at the right edge, slid in (2 pixels left visible)
    kDockedTop = 6,   // at the top edge, shown
    kHiddenTop = 7,   // at the top edge, slid in (3 pixels left visible)
};

enum HideFlag : int {
    kHideNone = 0,
    kHiddenByProgram = 1, // slid in by the program
    kShownByMouse = 2,    // shown again because the mouse came over it
};

// The owner's record of the window's visibility, as far as docking writes it.
enum DockingWindowState : int { kWindowStateShown = 1, kWindowStateDockedAtEdge = 4 };

// A window rectangle: right and bottom are one past the last pixel.
struct DockRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What the docking asks of its window.
class DockingHost {
public:
    virtual ~DockingHost() = default;
    // Moves the window's top-left corner. May call EdgeDocking::OnMove before it returns.
    virtual void MoveWindowTo(int x, int y) = 0;
    virtual void StartTimer(int id, int milliseconds) = 0; // (re)starts a one-shot timer
    virtual void KillTimer(int id) = 0;
    virtual bool CursorInsideWindow() const = 0;
    virtual void SetOwnerWindowState(int state) = 0;
    // Keeps a free (undocked) position as the window's stored position (LastX, LastY).
    virtual void StorePosition(int x, int y) = 0;
    virtual void HideDetailPopup() = 0;
    // Repaints the whole window (transparent mode shows or hides its header).
    virtual void RepaintWindow() = 0;
};

class EdgeDocking {
public:
    static constexpr int kSnapDistance = 10;
    static constexpr int kRightRemainder = 2;
    static constexpr int kTopRemainder = 3;
    static constexpr int kHideCheckMs = 1000;
    static constexpr int kSlideTickMs = 50;
    static constexpr int kSlideStepRight = 100;
    static constexpr int kSlideStepUp = 30;

    explicit EdgeDocking(DockingHost& host) : m_host(host) {}

    // Window size, the work areas of the screens and transparency; set before the first
    // event and again whenever they change. Only the outer edges of the desktop dock: the
    // right edge of a screen with no screen to its right, the top edge of a screen with
    // none above it, on the screen that holds most of the window.
    void SetWindowSize(int width, int height);
    void SetScreens(std::vector<DockRect> workAreas);
    void SetTransparent(bool transparent) { m_transparent = transparent; }
    // Without auto-hide a docked window stays where it is when the mouse leaves it.
    void SetAutoHide(bool autoHide) { m_autoHide = autoHide; }
    void SetDockPosition(int x, int y);

    // The user has moved the window (after the move took effect); rc is its new rectangle.
    // Near an outer edge of the desktop it docks there.
    void OnMove(const DockRect& rc);
    // The program has placed the window, e.g. fitted it on a screen at start or after its
    // size changed. It never docks for that; moved clear of the edges it is undocked.
    void OnPlacedByProgram(const DockRect& rc);
    // One-shot timer ticks.
    void OnTimer(int id);
    void OnHideCheckTimer();
    void OnSlideRightTimer();
    void OnSlideUpTimer();
    // The mouse moved over the window body.
    void OnMouseMove();
    // The mouse left the window; rc is the window's current rectangle.
    void OnMouseLeave(const DockRect& rc);
    // The user starts dragging the window.
    void OnDragStart();
    // Back to not docked, e.g. when the edge the window was slid behind has gone.
    void Undock();

    int State() const { return m_dockState; }
    int HideFlagValue() const { return m_hideFlag; }
    bool ProgramMoveInProgress() const { return m_programMove; }
    bool TrackingMouse() const { return m_tracking; }
    int DockX() const { return m_dockX; }
    int DockY() const { return m_dockY; }

private:
    // The outer edges of the screen a window rectangle is on; none where another screen
    // continues the desktop, or when the window is on no screen.
    struct Edges {
        std::optional<int> right;
        std::optional<int> top;
    };
    Edges edgesAt(const DockRect& rc) const;
    void storeFreePosition(const DockRect& rc);
    bool atRightEdge(const DockRect& rc) const;
    bool atTopEdge(const DockRect& rc) const;
    bool clearOfEdges(const DockRect& rc) const;

    DockingHost& m_host;
    int m_width = 0;
    int m_height = 0;
    std::vector<DockRect> m_screens;
    // The edge the window docked at: where it hides and where its slides end.
    int m_edgeRight = 0;
    int m_edgeTop = 0;
    bool m_transparent = false;
    bool m_autoHide = true;
    int m_dockState = kNotDocked;
    int m_hideFlag = kHideNone;
    bool m_programMove = false;
    bool m_tracking = false;
    int m_dockX = 0;
    int m_dockY = 0;
    int m_slideX = 0;
    int m_slideY = 0;
};

} // namespace marlune
