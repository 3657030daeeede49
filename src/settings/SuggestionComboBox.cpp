#include "settings/SuggestionComboBox.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace marlune {

SuggestionComboBox::SuggestionComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    lineEdit()->installEventFilter(this);

    // A window of its own (owned by the box) that the window manager leaves alone and that
    // never takes the keyboard: the box keeps it while the list is open.
    m_list = new QListView(this);
    m_list->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    m_list->setAttribute(Qt::WA_ShowWithoutActivating);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setObjectName(QStringLiteral("suggestionList"));
    m_list->setModel(model());
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    m_list->setMouseTracking(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_list, &QListView::entered, this,
            [this](const QModelIndex& index) { m_list->setCurrentIndex(index); });
    connect(m_list, &QListView::clicked, this, &SuggestionComboBox::pick);
}

bool SuggestionComboBox::IsListShown() const {
    return m_list->isVisible();
}

int SuggestionComboBox::HighlightedRow() const {
    return IsListShown() && m_list->currentIndex().isValid() ? m_list->currentIndex().row() : -1;
}

void SuggestionComboBox::showPopup() {
    if (count() == 0) {
        hidePopup();
        return;
    }
    m_list->setCurrentIndex({});
    m_list->clearSelection();
    placeList();
    if (!m_list->isVisible()) {
        // Any press elsewhere closes the list, and goes on to where it was aimed; the window
        // moving or losing the keyboard closes it too.
        qApp->installEventFilter(this);
        m_list->show();
    }
    m_list->raise();
}

void SuggestionComboBox::hidePopup() {
    if (!m_list->isVisible())
        return;
    qApp->removeEventFilter(this);
    m_list->hide();
}

void SuggestionComboBox::placeList() {
    const int rows = std::min(count(), std::max(maxVisibleItems(), 1));
    const int frame = 2 * m_list->frameWidth();
    // As wide as the box, wider where an entry needs it ("上证50ETF华夏 510050 基金"): no entry is
    // cut off, as the list cannot scroll sideways.
    const int scrollBar = count() > rows ? m_list->verticalScrollBar()->sizeHint().width() : 0;
    const int widest = m_list->sizeHintForColumn(modelColumn()) + frame + scrollBar;
    QSize size(std::max(width(), widest), rows * std::max(m_list->sizeHintForRow(0), 1) + frame);
    QPoint topLeft = mapToGlobal(QPoint(0, height()));
    if (const QScreen* shown = screen()) {
        const QRect area = shown->availableGeometry();
        if (topLeft.y() + size.height() > area.bottom() + 1)
            topLeft.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        size.setWidth(std::min(size.width(), area.width()));
        topLeft.setX(
            std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
    }
    m_list->setGeometry(QRect(topLeft, size));
}

void SuggestionComboBox::moveHighlight(int step) {
    if (!IsListShown())
        showPopup();
    if (!IsListShown())
        return;
    const int current = m_list->currentIndex().isValid() ? m_list->currentIndex().row() : -1;
    const int row = current < 0 ? (step > 0 ? 0 : count() - 1) : std::clamp(current + step, 0, count() - 1);
    m_list->setCurrentIndex(model()->index(row, modelColumn()));
}

void SuggestionComboBox::pick(const QModelIndex& index) {
    if (!index.isValid())
        return;
    // The picked entry stands in the box, for 添加 (or Enter) to add.
    setCurrentIndex(index.row());
    hidePopup();
    lineEdit()->setFocus();
}

bool SuggestionComboBox::handleKey(QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (event.key()) {
    case Qt::Key_Down:
        moveHighlight(1);
        return true;
    case Qt::Key_Up:
        moveHighlight(-1);
        return true;
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        if (!IsListShown())
            return false;
        moveHighlight(event.key() == Qt::Key_PageDown ? maxVisibleItems() : -maxVisibleItems());
        return true;
    case Qt::Key_Escape:
        if (!IsListShown())
            return false; // the dialog's: it cancels
        hidePopup();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit enterPressed(HighlightedRow());
        return true;
    default:
        return false;
    }
}

void SuggestionComboBox::keyPressEvent(QKeyEvent* event) {
    if (handleKey(*event))
        event->accept();
    else
        QComboBox::keyPressEvent(event);
}

void SuggestionComboBox::focusOutEvent(QFocusEvent* event) {
    hidePopup();
    QComboBox::focusOutEvent(event);
}

bool SuggestionComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit()) {
        if (event->type() == QEvent::KeyPress && handleKey(*static_cast<QKeyEvent*>(event)))
            return true;
        return QComboBox::eventFilter(watched, event);
    }
    if (!IsListShown())
        return QComboBox::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget != this && !isAncestorOf(widget) && !m_list->isAncestorOf(widget) &&
            widget != m_list)
            hidePopup(); // and the press goes on
        break;
    }
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
        if (watched == window())
            hidePopup();
        break;
    default:
        break;
    }
    return QComboBox::eventFilter(watched, event);
}

} // namespace marlune
