#pragma once
// The ticker window: the one visible working window. A frameless tool window with the
// quote grid, a strip of caption buttons and a status line; it loads its settings and
// the watch list, keeps the quotes fresh with one-shot timers, docks at the screen edges
// and takes commands from its owner.

#include "net/FetchManager.h"
#include "net/JobsInFlight.h"
#include "net/QuoteRequest.h"
#include "quote/AlertMemory.h"
#include "quote/QuoteBook.h"
#include "quote/SourceFallback.h"
#include "quote/TradingHours.h"
#include "ticker/ChromeRules.h"
#include "ticker/DataWindow.h"
#include "ticker/EdgeDocking.h"
#include "ticker/GridRefill.h"
#include "ticker/ReplyDispatch.h"
#include "ticker/TickerLayout.h"
#include "ticker/TickerSettings.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QLabel;
class QPainter;
class QTimer;

namespace marlune {

class ChartPopupController;
class FetchBridge;
class HoverButton;
class QuoteDetailPopup;
class QuoteGrid;
class TickerMenu;
class TickerOwner;

// Control ids of the caption buttons; a click is the command of the same number.
enum CaptionButtonId : int {
    kButtonClose = 1001,
    kButtonFresh = 1002,
    kButtonHide = 1062,
    kButtonSet = 1063,
    kButtonData = 1064,
    kButtonStrip = 1065,
    kButtonTool = 1075,
};

// The window's own timer, beside the refresh and docking timers: it looks whether a
// compositing manager started or stopped.
enum TickerTimer : int { kTimerCompositor = 20 };
constexpr int kCompositorCheckMs = 2000;

class TickerWindow final : public QWidget, private DockingHost {
    Q_OBJECT
public:
    // Where download jobs go and what time it is; tests replace both.
    struct Services {
        std::function<void(const QuoteFetchJob&)> startJob; // empty: the window's FetchManager
        QuoteRequester::Clock clock;                        // empty: the system clock
    };

    // Runs the start-up sequence: reads base.ini and the watch list of the program folder,
    // lays the window out (hidden; the owner shows it), requests quotes and starts the
    // refresh timers. The owner is not owned and may be null (then nothing is passed on).
    explicit TickerWindow(TickerOwner* owner, QWidget* parent = nullptr);
    TickerWindow(TickerOwner* owner, Services services, QWidget* parent = nullptr);
    ~TickerWindow() override;

    // Commands from the owner: 1125, 1127, 1128, 1129, 1131, 1135, 1137, 1139, 1140.
    void TickerCommand(int command);
    // A download job's report, on the GUI thread.
    void HandleFetchStatus(const FetchReport& report);

    // Requests the quotes now (dropped within 4 seconds of the previous request, and
    // while the previous quote job still runs).
    void RequestQuotes();
    // Starts the chart downloads of every watch-list entry whose previous one has ended.
    void RequestCharts();
    // Restarts the quote timer: mode 2 ten times the period, mode 3 stopped, else the period.
    void RestartRefreshTimer(int mode);
    // Opens the popup menu at a screen position.
    void ShowPopupMenu(const QPoint& globalPos);

    // Set by the owner while the settings dialog is open: the caption buttons then only
    // bring the settings dialog to the front, and the window cannot be dragged.
    void SetLocked(bool locked) { m_locked = locked; }
    bool IsLocked() const { return m_locked; }
    // The owner's copy of TopMost, used by re-placing (command 1137).
    void SetTopMost(int topMost) { m_settings.topMost = topMost; }

    // The collected alert text; the owner empties it once it has shown it.
    QString AlertText() const;
    void ClearAlertText();

    // State, for the owner and for tests.
    const TickerSettings& Settings() const { return m_settings; }
    const QuoteBook& Book() const { return m_book; }
    int WindowWidth() const { return m_width; }
    int WindowHeight() const { return m_height; }
    ScreenArea Area() const { return m_area; }
    QString StatusText() const;
    QuoteGrid* Grid() const { return m_grid; }
    QLabel* StatusLine() const { return m_status; }
    HoverButton* CaptionButton(int id) const;
    QuoteDetailPopup* DetailPopup() const { return m_popup; }
    TickerMenu* Menu() const { return m_menu; }
    // The window's position and size as the program places it; the part of it on the
    // screen is what the window system shows.
    QRect LogicalGeometry() const { return m_logical; }
    const EdgeDocking& Docking() const { return m_docking; }
    const SourceFallback& Fallback() const { return m_fallback; }
    EdgeDocking& Docking() { return m_docking; }
    bool IsTimerActive(int id) const;
    int TimerInterval(int id) const;
    std::int64_t LastRefreshTime() const { return m_lastRefreshTime; }
    int HeaderHover() const { return m_transparency.headerHover; }
    int OwnerWindowState() const;
    const JobsInFlight& RunningJobs() const { return m_jobsInFlight; }

    // Fires a one-shot timer's action now (tests drive the refresh cycle with it).
    void FireTimer(int id);

signals:
    // After every reply that reached the grid, with the alert text collected so far.
    void alertTextReady(const QString& text);
    // After the grid was refilled from a reply.
    void quotesRefilled();

protected:
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // DockingHost
    void MoveWindowTo(int x, int y) override;
    void StartTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    bool CursorInsideWindow() const override;
    void SetOwnerWindowState(int state) override;
    void StorePosition(int x, int y) override;
    void HideDetailPopup() override;
    void RepaintWindow() override;

    friend class TickerBody;
    void paintBackground(QPainter& painter);
    QRect visiblePart(const QRect& logical) const;
    void placeWindow(int x, int y);
    void placeWindow(const QPoint& topLeft);
    void placeWindow(ScreenPoint topLeft);
    // The position that puts the whole window on a screen (the one holding most of it).
    ScreenPoint fittedPosition(ScreenPoint topLeft) const;
    void watchScreens();
    void onScreensChanged();
    // A drag of the window by the user, on the body or on the grid.
    void startDrag(const QPoint& globalPress);
    void dragTo(const QPoint& globalPos);
    void endDrag();
    void onMoveSettled();
    void setStatus(const char* text);
    void setStatus(const std::string& text) { setStatus(text.c_str()); }
    void afterQuoteReply(int source, bool answered, bool noUsableRecords);
    void readSettings();
    void loadWatchList();
    void createChildren();
    void applyChromeTransparency();
    void layOut();
    void computeSize();
    void placeChildren();
    void applyWindowLevel();
    void setUpGrid();
    void startRefreshCycle();
    void onTimer(int id);
    void onCaptionButton(int id);
    void onMenuCommand(int id);
    // Parses a finished quote reply and shows it; false for a failed refresh (a reply that
    // held no quote of the watch list), which leaves the grid as it was.
    bool dispatchReply(const FetchReport& report, const std::string& reply);
    // The quotes of a reloaded watch list, at once or right after a running request.
    void requestQuotesForNewList();
    void settingsApplied();
    void replace();
    void restore();
    void setTransparent(bool transparent);
    void setHeaderHover(int hover);
    // The compositor started or stopped: the see-through parts are refilled for alpha or
    // for the mask.
    void onColorKeyModeChanged();
    void hideLikeHideButton();
    void openDataWindow(const QString& path);
    void startJob(const QuoteFetchJob& job);
    std::int64_t now() const;
    QColor colorOf(Rgb rgb) const;
    // What the transparent mode makes see-through is filled with this: ColorBK, or
    // transparent while the colour key is made with alpha.
    QColor backgroundFill() const;
    GridColors gridColors() const;
    QTimer* timer(int id);

    TickerOwner* m_owner;
    Services m_services;
    TickerSettings m_settings;
    QuoteBook m_book;
    AlertMemory m_alertMemory;
    ScreenArea m_area;
    std::string m_programFolder;
    int m_osGeneration = 0;
    int m_width = 0;
    int m_height = 0;
    int m_localWindowState = 0; // used when there is no owner
    bool m_locked = false;
    ChromeTransparency m_transparency;
    std::int64_t m_lastRefreshTime = 0;

    QPixmap m_strip;
    QPixmap m_checkMark;
    QWidget* m_body = nullptr;
    QRect m_logical;
    QPoint m_placedAt;
    QTimer* m_moveSettle = nullptr;
    QuoteGrid* m_grid = nullptr;
    QLabel* m_status = nullptr;
    std::map<int, HoverButton*> m_buttons;
    QuoteDetailPopup* m_popup = nullptr;
    ChartPopupController* m_popupController = nullptr;
    TickerMenu* m_menu = nullptr;
    DataWindowOwner m_dataWindows{this};
    std::map<int, QTimer*> m_timers;

    EdgeDocking m_docking{*this};
    QuoteRequester m_requester;
    // Which service to ask (another one while the selected one does not answer), and when.
    SourceFallback m_fallback;
    TradingHoursGate m_tradingHours;
    JobsInFlight m_jobsInFlight;
    // The bridge outlives the FetchManager, which releases it before joining its workers.
    std::unique_ptr<FetchBridge> m_bridge;
    std::unique_ptr<FetchManager> m_fetchManager;

    bool m_quotesForNewListWaiting = false;
    bool m_dragging = false;
    // False on a native Wayland window, which cannot place itself: the desktop moves it,
    // and it neither docks nor stores its position.
    bool m_placesItself = true;
    QPoint m_dragOffset;
};

} // namespace marlune
