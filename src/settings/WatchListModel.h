#pragma once
// The watch list as the my-stocks page edits it, as a table model: one row per stock, the
// code, the short name and the market as its columns. The page's list view shows the model,
// so what the view shows is always what the page writes to list.ini. Every change keeps the
// rows' row index equal to their position. The market of a row whose code fits more than
// one market ("600000": Shanghai, Shenzhen or a fund) can be chosen in its market cell.

#include "quote/StockEntry.h"

#include <QAbstractTableModel>

#include <vector>

namespace marlune {

class WatchListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int { kCodeColumn = 0, kNameColumn = 1, kMarketColumn = 2, kColumnCount = 3 };

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

    // The markets the row may be given: every market whose code rule its code fits and that
    // holds no other row of the same code, with its own market always among them; in table
    // order.
    std::vector<int> MarketChoices(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The market cell is editable where MarketChoices offers more than one market.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The market cell takes a market number of MarketChoices (Qt::EditRole) and says so by
    // marketChosen; anything else is refused.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void marketChosen(int row);

private:
    bool isRow(int row) const { return row >= 0 && row < static_cast<int>(m_rows.size()); }
    void renumber();

    WatchList m_rows;
};

} // namespace marlune
