#include "settings/WatchListModel.h"

#include "quote/Markets.h"

#include <algorithm>
#include <utility>

namespace marlune {

WatchListModel::WatchListModel(QObject* parent) : QAbstractTableModel(parent) {}

void WatchListModel::renumber() {
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i].rowIndex = static_cast<int>(i);
}

void WatchListModel::SetRows(WatchList rows) {
    beginResetModel();
    m_rows = std::move(rows);
    renumber();
    endResetModel();
}

void WatchListModel::Append(StockEntry row) {
    const int at = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), at, at);
    row.rowIndex = at;
    m_rows.push_back(std::move(row));
    endInsertRows();
}

void WatchListModel::Replace(int row, StockEntry entry) {
    if (!isRow(row))
        return;
    entry.rowIndex = row;
    m_rows[row] = std::move(entry);
    emit dataChanged(index(row, kCodeColumn), index(row, kMarketColumn));
}

void WatchListModel::Remove(int row) {
    if (!isRow(row))
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    renumber();
    endRemoveRows();
}

void WatchListModel::SwapWithNext(int row) {
    if (!isRow(row) || !isRow(row + 1))
        return;
    // Moving the lower row above the upper one is the same exchange.
    beginMoveRows(QModelIndex(), row + 1, row + 1, QModelIndex(), row);
    std::swap(m_rows[row], m_rows[row + 1]);
    m_rows[row].rowIndex = row;
    m_rows[row + 1].rowIndex = row + 1;
    endMoveRows();
}

int WatchListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int WatchListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

std::vector<int> WatchListModel::MarketChoices(int row) const {
    if (!isRow(row))
        return {};
    const StockEntry& entry = m_rows[row];
    std::vector<int> choices;
    for (const MarketInfo& market : MarketTable()) {
        const bool taken = std::any_of(m_rows.begin(), m_rows.end(), [&](const StockEntry& other) {
            return &other != &entry && other.market == market.number && other.code == entry.code;
        });
        if (market.number == entry.market || (market.isCode(entry.code) && !taken))
            choices.push_back(market.number);
    }
    return choices;
}

QVariant WatchListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !isRow(index.row()))
        return {};
    const StockEntry& row = m_rows[index.row()];
    if (role == Qt::EditRole && index.column() == kMarketColumn)
        return row.market;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case kCodeColumn:
        return QString::fromStdString(row.code);
    case kNameColumn:
        return QString::fromStdString(row.name);
    case kMarketColumn: {
        const MarketInfo* market = MarketOf(row.market);
        return market != nullptr ? QString::fromUtf8(market->name) : QString::number(row.market);
    }
    default:
        return {};
    }
}

Qt::ItemFlags WatchListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == kMarketColumn && MarketChoices(index.row()).size() > 1)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool WatchListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() != kMarketColumn || !isRow(index.row()))
        return false;
    bool isNumber = false;
    const int market = value.toInt(&isNumber);
    const std::vector<int> choices = MarketChoices(index.row());
    if (!isNumber || std::find(choices.begin(), choices.end(), market) == choices.end())
        return false;
    StockEntry& row = m_rows[index.row()];
    if (row.market == market)
        return true;
    row.market = market;
    emit dataChanged(index, index);
    emit marketChosen(index.row());
    return true;
}

QVariant WatchListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kCodeColumn:
        return QStringLiteral("代码");
    case kNameColumn:
        return QStringLiteral("简称");
    case kMarketColumn:
        return QStringLiteral("市场");
    default:
        return {};
    }
}

} // namespace marlune
