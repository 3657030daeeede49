#include "ticker/EdgeDocking.h"

#include <algorithm>
#include <utility>

namespace marlune {

namespace {

long long Overlap(const DockRect& a, const DockRect& b) {
    const long long w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const long long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

bool SpansOverlap(int lowA, int highA, int lowB, int highB) {
    return lowA < highB && lowB < highA;
}

} // namespace

void EdgeDocking::SetWindowSize(int width, int height) {
    m_width = width;
    m_height = height;
}

void EdgeDocking::SetScreens(std::vector<DockRect> workAreas) {
    m_screens = std::move(workAreas);
}

void EdgeDocking::SetDockPosition(int x, int y) {
    m_dockX = x;
    m_dockY = y;
}

EdgeDocking::Edges EdgeDocking::edgesAt(const DockRect& rc) const {
    const DockRect* on = nullptr;
    long long most = 0;
    for (const DockRect& screen : m_screens) {
        const long long overlap = Overlap(rc, screen);
        if (overlap > most) {
            most = overlap;
            on = &screen;
        }
    }
    Edges edges;
    if (on == nullptr)
        return edges;
    bool screenToTheRight = false;
    bool screenAbove = false;
    for (const DockRect& other : m_screens) {
        if (&other == on)
            continue;
        if (other.left >= on->right && SpansOverlap(other.top, other.bottom, on->top, on->bottom))
            screenToTheRight = true;
        if (other.bottom <= on->top && SpansOverlap(other.left, other.right, on->left, on->right))
            screenAbove = true;
    }
    if (!screenToTheRight)
        edges.right = on->right;
    if (!screenAbove)
        edges.top = on->top;
    return edges;
}

bool EdgeDocking::atRightEdge(const DockRect& rc) const {
    const std::optional<int> right = edgesAt(rc).right;
    return right && rc.right + kSnapDistance >= *right && rc.left < *right;
}

bool EdgeDocking::atTopEdge(const DockRect& rc) const {
    const std::optional<int> top = edgesAt(rc).top;
    return top && rc.top <= *top + kSnapDistance && rc.bottom > *top;
}

bool EdgeDocking::clearOfEdges(const DockRect& rc) const {
    return !atRightEdge(rc) && !atTopEdge(rc);
}

void EdgeDocking::storeFreePosition(const DockRect& rc) {
    m_host.StorePosition(rc.left, rc.top);
    m_dockX = rc.left;
    m_dockY = rc.top;
}

void EdgeDocking::OnMove(const DockRect& rc) {
    // Transparent windows never dock; a free position is only remembered.
    if (m_transparent) {
        if (clearOfEdges(rc))
            storeFreePosition(rc);
        return;
    }
    bool skipSnaps = false;
    if (m_hideFlag == kShownByMouse) {
        if (clearOfEdges(rc)) {
            // Dragged away from the edge after it was shown by the mouse: its new place is
            // where it is shown from now on, also after it is hidden and shown again.
            m_dockState = kNotDocked;
            m_hideFlag = kHideNone;
            storeFreePosition(rc);
            skipSnaps = true;
        } else if (rc.left == m_dockX && rc.top == m_dockY) {
            skipSnaps = true;
        }
    }
    if (!skipSnaps) {
        if (atRightEdge(rc) && m_hideFlag != kHiddenByProgram && !m_programMove) {
            // Right edge; a window dragged into the top-right corner docks below the top.
            const Edges edges = edgesAt(rc);
            m_edgeRight = *edges.right;
            const bool inTopCorner = edges.top && rc.top <= *edges.top + kSnapDistance;
            m_dockX = m_edgeRight - m_width;
            m_dockY = inTopCorner ? *edges.top + kSnapDistance + 1 : rc.top;
            m_dockState = kDockedRight;
            // The snap below causes a move of its own, which must not snap again.
            m_programMove = true;
            m_host.MoveWindowTo(m_dockX, m_dockY);
            m_host.StartTimer(kTimerHideCheck, kHideCheckMs);
            return;
        }
        if (atTopEdge(rc)) {
            if (m_hideFlag != kHiddenByProgram && !m_programMove) {
                m_edgeTop = *edgesAt(rc).top;
                m_dockX = rc.left;
                m_dockY = m_edgeTop;
                m_dockState = kDockedTop;
                m_programMove = true;
                m_host.MoveWindowTo(rc.left, m_edgeTop);
                m_host.StartTimer(kTimerHideCheck, kHideCheckMs);
                return;
            }
        } else if (!atRightEdge(rc)) {
            m_dockState = kNotDocked;
            m_hideFlag = kHideNone;
            storeFreePosition(rc);
        }
    }
    m_programMove = false;
}

void EdgeDocking::OnPlacedByProgram(const DockRect& rc) {
    if (clearOfEdges(rc)) {
        if (m_dockState != kNotDocked) {
            // Taken away from the edge it was docked at: a slide under way must not bring
            // it back there.
            m_host.KillTimer(kTimerSlideRight);
            m_host.KillTimer(kTimerSlideUp);
        }
        m_dockState = kNotDocked;
        m_hideFlag = kHideNone;
        storeFreePosition(rc);
    }
    m_programMove = false;
}

void EdgeDocking::OnTimer(int id) {
    switch (id) {
    case kTimerHideCheck:
        OnHideCheckTimer();
        break;
    case kTimerSlideRight:
        OnSlideRightTimer();
        break;
    case kTimerSlideUp:
        OnSlideUpTimer();
        break;
    default:
        break;
    }
}

void EdgeDocking::OnHideCheckTimer() {
    if (m_transparent || !m_autoHide)
        return;
    if (m_host.CursorInsideWindow()) {
        m_host.StartTimer(kTimerHideCheck, kHideCheckMs);
        return;
    }
    if (m_dockState == kDockedRight) {
        m_dockState = kHiddenRight;
        m_hideFlag = kHiddenByProgram;
        m_host.MoveWindowTo(m_dockX + m_width - kRightRemainder, m_dockY);
        m_host.SetOwnerWindowState(kWindowStateDockedAtEdge);
    } else if (m_dockState == kDockedTop) {
        m_dockState = kHiddenTop;
        m_hideFlag = kHiddenByProgram;
        m_host.MoveWindowTo(m_dockX, m_edgeTop + kTopRemainder - m_height);
        m_host.SetOwnerWindowState(kWindowStateDockedAtEdge);
    }
    m_tracking = false;
}

void EdgeDocking::OnMouseMove() {
    m_host.HideDetailPopup();
    m_host.KillTimer(kTimerSlideRight);
    m_host.KillTimer(kTimerSlideUp);
    if (m_tracking)
        return;
    m_tracking = true;
    m_host.KillTimer(kTimerHideCheck);
    if (m_dockState == kHiddenRight) {
        m_hideFlag = kShownByMouse;
        m_dockState = kDockedRight;
        m_host.MoveWindowTo(m_dockX, m_dockY);
        m_host.SetOwnerWindowState(kWindowStateShown);
    } else if (m_dockState == kHiddenTop) {
        m_dockState = kDockedTop;
        m_hideFlag = kShownByMouse;
        m_host.MoveWindowTo(m_dockX, m_edgeTop);
        m_host.SetOwnerWindowState(kWindowStateShown);
    }
}

void EdgeDocking::OnMouseLeave(const DockRect& rc) {
    m_host.HideDetailPopup();
    if (m_host.CursorInsideWindow()) {
        // The mouse went onto a child control: check again a second later.
        m_host.StartTimer(kTimerHideCheck, kHideCheckMs);
        m_tracking = false;
        return;
    }
    if (m_transparent) {
        m_host.RepaintWindow();
    } else if (!m_autoHide) {
        // Docked, but kept in sight.
    } else if (m_dockState == kDockedRight) {
        m_hideFlag = kHiddenByProgram;
        m_dockState = kHiddenRight;
        m_slideX = rc.left;
        m_host.StartTimer(kTimerSlideRight, kSlideTickMs);
        m_host.SetOwnerWindowState(kWindowStateDockedAtEdge);
    } else if (m_dockState == kDockedTop) {
        m_dockState = kHiddenTop;
        m_hideFlag = kHiddenByProgram;
        m_slideY = m_edgeTop;
        m_host.StartTimer(kTimerSlideUp, kSlideTickMs);
        m_host.SetOwnerWindowState(kWindowStateDockedAtEdge);
    }
    m_tracking = false;
}

void EdgeDocking::OnSlideRightTimer() {
    const int limit = m_edgeRight - kRightRemainder;
    if (m_slideX + kSlideStepRight >= limit) {
        m_host.MoveWindowTo(limit, m_dockY);
        return;
    }
    m_slideX += kSlideStepRight;
    m_host.MoveWindowTo(m_slideX, m_dockY);
    m_host.StartTimer(kTimerSlideRight, kSlideTickMs);
}

void EdgeDocking::OnSlideUpTimer() {
    const int next = m_slideY - kSlideStepUp;
    if (next + m_height <= m_edgeTop + kTopRemainder) {
        m_host.MoveWindowTo(m_dockX, m_edgeTop + kTopRemainder - m_height);
        return;
    }
    m_slideY = next;
    m_host.MoveWindowTo(m_dockX, m_slideY);
    m_host.StartTimer(kTimerSlideUp, kSlideTickMs);
}

void EdgeDocking::OnDragStart() {
    // What follows is the user's move, whatever move of the program came before.
    m_programMove = false;
    m_host.KillTimer(kTimerHideCheck);
    m_host.KillTimer(kTimerSlideRight);
    m_host.KillTimer(kTimerSlideUp);
}

void EdgeDocking::Undock() {
    OnDragStart();
    m_dockState = kNotDocked;
    m_hideFlag = kHideNone;
    m_programMove = false;
}

} // namespace marlune
