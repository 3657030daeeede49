#pragma once
// The editable drop-down of the my-stocks page, whose list of suggestions opens below it as
// the user types. A combo box's own drop-down holds the mouse while open: the click that
// closes it does nothing else, so the first click on 添加 or on the stock list would be lost.
// This list is a window of its own that takes neither the mouse nor the keyboard away: a click
// elsewhere closes it and does what it does, typing goes on in the box, and the arrow keys,
// Enter and Esc in the box move through it, take its entry and close it.

#include <QComboBox>

class QListView;
class QModelIndex;

namespace marlune {

class SuggestionComboBox final : public QComboBox {
    Q_OBJECT
public:
    explicit SuggestionComboBox(QWidget* parent = nullptr);

    // Opens the list below the box (above it where the screen ends), with nothing
    // highlighted; nothing when there are no entries.
    void showPopup() override;
    void hidePopup() override;

    bool IsListShown() const;
    // The entry highlighted in the open list; -1 when none is or the list is closed.
    int HighlightedRow() const;
    QListView* List() const { return m_list; }

signals:
    // Enter in the box, with the entry highlighted in the list (-1 for none).
    void enterPressed(int highlightedRow);

protected:
    // Keys reach the box (the focus widget, which hands them to its line edit) or, sent to
    // it directly, the line edit: both go through handleKey.
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeList();
    void moveHighlight(int step);
    void pick(const QModelIndex& index);
    bool handleKey(QKeyEvent& event);

    QListView* m_list = nullptr;
};

} // namespace marlune
