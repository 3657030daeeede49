#include "settings/WatchListModel.h"

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
    emit dataChanged(index(row, kCodeColumn), index(row, kNameColumn));
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

QVariant WatchListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || !isRow(index.row()))
        return {};
    const StockEntry& row = m_rows[index.row()];
    switch (index.column()) {
    case kCodeColumn:
        return QString::fromStdString(row.code);
    case kNameColumn:
        return QString::fromStdString(row.name);
    default:
        return {};
    }
}

QVariant WatchListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kCodeColumn:
        return QStringLiteral("代码");
    case kNameColumn:
        return QStringLiteral("简称");
    default:
        return {};
    }
}

} // namespace marlune
