// SPDX-License-Identifier: MIT
#include "app/TableModel.h"

#include "platform/qt/QtServices.h"

namespace vestrane {

TableModel::TableModel(const AnalysisTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), rows_(table.rowCount()), columns_(table.columnCount()) {}

int TableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant TableModel::data(const QModelIndex& index, int role) const {
  const int row = index.row();
  const int column = index.column();
  if (!index.isValid() || row >= table_.rowCount() || column >= table_.columnCount()) return {};
  if (column == ColSelect) {
    if (role == Qt::DisplayRole) return QString::fromStdString(table_.rowLabel(row));
    if (role == Qt::CheckStateRole) return table_.isChecked(row) ? Qt::Checked : Qt::Unchecked;
    return {};
  }
  if (role == Qt::DisplayRole) return bytesToText(table_.cell(row, column));
  return {};
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() != ColSelect || role != Qt::CheckStateRole) return false;
  const int row = index.row();
  if (row >= table_.rowCount()) return false;
  const bool checked = value.toInt() == Qt::Checked;
  if (onCheckToggled) onCheckToggled(row, checked);
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return QString::number(section);
  if (section < 0 || section >= table_.columnCount()) return {};
  return bytesToText(table_.caption(section));
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (index.column() == ColSelect) f |= Qt::ItemIsUserCheckable;
  return f;
}

void TableModel::tableChanged() {
  const int rows = table_.rowCount();
  const int columns = table_.columnCount();
  if (rows < rows_ || columns < columns_) {
    beginResetModel();
    rows_ = rows;
    columns_ = columns;
    endResetModel();
    return;
  }
  if (columns > columns_) {
    beginInsertColumns(QModelIndex(), columns_, columns - 1);
    columns_ = columns;
    endInsertColumns();
  }
  if (rows > rows_) {
    beginInsertRows(QModelIndex(), rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  }
  // The reader may have renamed fixed columns.
  if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

void TableModel::checksChanged() {
  if (rows_ == 0) return;
  emit dataChanged(index(0, ColSelect), index(rows_ - 1, ColSelect), {Qt::CheckStateRole});
}

}  // namespace vestrane
