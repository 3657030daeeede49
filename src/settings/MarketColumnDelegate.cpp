#include "settings/MarketColumnDelegate.h"

#include "quote/Markets.h"
#include "settings/WatchListModel.h"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>

#include <algorithm>

namespace marlune {
namespace {

int ArrowWidth(const QStyleOptionViewItem& option) {
    return option.fontMetrics.height() * 2 / 3;
}

bool IsChoosable(const QModelIndex& index) {
    return (index.flags() & Qt::ItemIsEditable) != 0;
}

} // namespace

void MarketColumnDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    if (!IsChoosable(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The text keeps clear of the arrow that says the market may be changed.
    QStyleOptionViewItem textOption = option;
    const int arrow = ArrowWidth(option);
    textOption.rect.setRight(option.rect.right() - arrow - 2);
    // The row's background and selection over the whole cell, then the text beside the arrow.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);
    QStyledItemDelegate::paint(painter, textOption, index);
    QStyleOption arrowOption;
    arrowOption.initFrom(widget);
    arrowOption.rect = QRect(option.rect.right() - arrow - 1, option.rect.top(), arrow, option.rect.height());
    arrowOption.palette = option.palette;
    if (option.state & QStyle::State_Selected)
        arrowOption.palette.setColor(QPalette::ButtonText, option.palette.color(QPalette::HighlightedText));
    style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrowOption, painter, widget);
}

QSize MarketColumnDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += ArrowWidth(option) + 4;
    // Wide enough for the drop-down that edits the cell, with the longest market name in it.
    int widest = 0;
    for (const MarketInfo& market : MarketTable())
        widest = std::max(widest, option.fontMetrics.horizontalAdvance(QString::fromUtf8(market.name)));
    const QWidget* widget = option.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    QStyleOptionComboBox box;
    box.rect = option.rect;
    box.fontMetrics = option.fontMetrics;
    const QSize editor = style->sizeFromContents(QStyle::CT_ComboBox, &box,
                                                 QSize(widest, option.fontMetrics.height()), widget);
    size.setWidth(std::max(size.width(), editor.width()));
    return size;
}

QWidget* MarketColumnDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                            const QModelIndex& index) const {
    const auto* model = qobject_cast<const WatchListModel*>(index.model());
    if (model == nullptr)
        return nullptr;
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("marketEditor"));
    for (int number : model->MarketChoices(index.row())) {
        if (const MarketInfo* market = MarketOf(number))
            box->addItem(QString::fromUtf8(market->name), number);
    }
    // A pick is the user's answer: taken, and the drop-down goes.
    connect(box, &QComboBox::activated, this, &MarketColumnDelegate::commitAndClose);
    // One click on the cell opens the list of markets, not a closed box.
    QTimer::singleShot(0, box, [box] {
        if (box->isVisible())
            box->showPopup();
    });
    return box;
}

void MarketColumnDelegate::commitAndClose() {
    if (auto* box = qobject_cast<QWidget*>(sender())) {
        emit commitData(box);
        emit closeEditor(box);
    }
}

void MarketColumnDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = qobject_cast<QComboBox*>(editor);
    if (box != nullptr)
        box->setCurrentIndex(box->findData(index.data(Qt::EditRole)));
}

void MarketColumnDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                        const QModelIndex& index) const {
    auto* box = qobject_cast<QComboBox*>(editor);
    if (box != nullptr && box->currentIndex() >= 0)
        model->setData(index, box->currentData(), Qt::EditRole);
}

} // namespace marlune
