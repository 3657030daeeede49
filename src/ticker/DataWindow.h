#pragma once
// The data window: a small modeless window that shows one page of the vendor's web site (the
// mini quote page of the data button and of a click on a chart cell), and the ticker window's
// handle on it, which keeps at most one open.

#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>

namespace marlune {

class WebPane;

class DataWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 500;
    // The browser inside, leaving a thin margin at the sides and the bottom.
    static constexpr QRect kBrowserRect{2, 0, 476, 498};

    // Created hidden, deleted when closed. ticker is the ticker window; the data window goes
    // with it.
    explicit DataWindow(QWidget* ticker);

    // Where the window goes in work area: centred by the work area's right and bottom edges,
    // the way the program's dialogs have always centred themselves.
    static QPoint CentredPosition(const QRect& workArea);

    // Shows the page at url; a page that cannot be loaded is replaced by the failure page.
    void Navigate(const QString& url);
    // The page last asked for.
    QString url() const;
    WebPane* pane() const { return m_pane; }

protected:
    // Esc does not close the data window; everything else as usual.
    void keyPressEvent(QKeyEvent* event) override;

private:
    WebPane* m_pane = nullptr;
};

// The ticker window's data-window pointer: opening a page replaces any open data window, and
// the pointer clears itself when the window goes, however it goes.
class DataWindowOwner {
public:
    explicit DataWindowOwner(QWidget* ticker) : m_ticker(ticker) {}
    ~DataWindowOwner() { Close(); }
    DataWindowOwner(const DataWindowOwner&) = delete;
    DataWindowOwner& operator=(const DataWindowOwner&) = delete;

    // Destroys an open data window and shows url in a new one. Without a browser engine the
    // page opens in the default browser instead and no window is made (returns nullptr).
    DataWindow* Open(const QString& url);
    // Destroys the open data window, if any.
    void Close();
    DataWindow* window() const { return m_window; }

private:
    QWidget* m_ticker;
    QPointer<DataWindow> m_window;
};

} // namespace marlune
