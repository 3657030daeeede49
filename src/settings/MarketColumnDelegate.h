#pragma once
// The market cell of the my-stocks page's list: shows the market's name, with a small arrow
// where the row's code fits more than one market, and edits it with a drop-down of the
// markets the row may be given (WatchListModel::MarketChoices). The drop-down opens at once
// and a pick is taken as soon as it is made.

#include <QStyledItemDelegate>

namespace marlune {

class MarketColumnDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    void commitAndClose();
};

} // namespace marlune
