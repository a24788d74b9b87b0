// SPDX-License-Identifier: MIT
#pragma once
// The analysis table as a Qt item model for the list view ListView1: one
// column per table column with its caption as heading, one row per analysis.
// Column 0 holds the row's check box and its row label; the other columns
// show the cells. Nothing is copied: the model reads the table on demand, so
// a table of hundreds of thousands of rows costs the view nothing.
//
// The model keeps the row and column counts the view knows while the engine
// changes the table; once it has, tableChanged() tells the view what
// changed: appended rows and columns as insertions (so the selection and
// column widths stay), anything else as a reset.

#include <QAbstractTableModel>
#include <functional>

#include "table/AnalysisTable.h"

namespace vestrane {

class TableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TableModel(const AnalysisTable& table, QObject* parent = nullptr);

  /// Called when the user sets a row's check box (mouse, keyboard or any
  /// other route through setData); the engine changes the checked flag.
  std::function<void(int row, bool checked)> onCheckToggled;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  /// The table's rows or columns have changed.
  void tableChanged();
  /// Checked flags changed anywhere in the table.
  void checksChanged();

 private:
  const AnalysisTable& table_;
  int rows_ = 0;
  int columns_ = 0;
};

}  // namespace vestrane
