// SPDX-License-Identifier: MIT
#pragma once
// The rows of the Points window: one per point of the run, with Sample,
// Area, Minerals, Combinations, Lines and Bytes. Sorting by a column orders
// the numbers by value, however large, and the texts alphabetically; points
// equal in that column keep the order of the run.

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "combine/PointsOverview.h"

namespace vestrane {

/// Why a point stands out in red.
inline constexpr const char* kNotGenerable = "more than 2147483647 combinations, which can not be generated";

class PointsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { Sample, Area, Minerals, Combinations, Lines, Bytes, ColumnCount };

  explicit PointsModel(QObject* parent = nullptr);

  /// Shows @p overview, sorted as the rows were sorted before.
  void setOverview(PointsOverview overview);
  const PointsOverview& overview() const { return overview_; }
  /// The point shown in @p row.
  const PointOverview& pointAt(int row) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  /// Column -1 restores the order of the run.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

 private:
  void applyOrder();

  PointsOverview overview_;
  std::vector<QString> sampleTexts_;
  std::vector<QString> areaTexts_;
  std::vector<QString> mineralTexts_;
  std::vector<int> order_;  ///< the point shown in each row
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace vestrane
