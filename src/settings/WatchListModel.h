#pragma once
// The watch list as the my-stocks page edits it, as a table model: one row per stock, the
// code and the short name as its two columns. The page's list view shows the model, so
// what the view shows is always what the page writes to list.ini. Every change keeps the
// rows' row index equal to their position.

#include "quote/StockEntry.h"

#include <QAbstractTableModel>

namespace marlune {

class WatchListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int { kCodeColumn = 0, kNameColumn = 1, kColumnCount = 2 };

    explicit WatchListModel(QObject* parent = nullptr);

    const WatchList& Rows() const { return m_rows; }
    void SetRows(WatchList rows);
    void Append(StockEntry row);
    // Replaces the stock at `row` (its row index is kept right).
    void Replace(int row, StockEntry entry);
    void Remove(int row);
    // Exchanges the stock at `row` with the one below it; views keep their current and
    // selected rows on the stocks, which move.
    void SwapWithNext(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool isRow(int row) const { return row >= 0 && row < static_cast<int>(m_rows.size()); }
    void renumber();

    WatchList m_rows;
};

} // namespace marlune
