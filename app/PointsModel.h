// SPDX-License-Identifier: MIT
#pragma once
// The rows of the Points window: one per point of the run, with Sample,
// Area, Minerals, Combinations, Lines, Bytes and Missing (the required
// minerals the point lacks). Counts read with the locale's digit groups,
// sizes in SI units with the exact bytes in the tooltip. Sorting by a
// column orders the numbers by value, however large, and the texts
// alphabetically; points equal in that column keep the order of the run.

#include <QAbstractTableModel>
#include <QString>
#include <string>
#include <vector>

#include "combine/PointsOverview.h"

namespace vestrane {

/// Why a point stands out in red.
inline constexpr const char* kNotGenerable = "more than 2147483647 combinations, which can not be generated";

class PointsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { Sample, Area, Minerals, Combinations, Lines, Bytes, Missing, ColumnCount };

  explicit PointsModel(QObject* parent = nullptr);

  /// Shows @p overview, sorted as the rows were sorted before.
  void setOverview(PointsOverview overview);
  const PointsOverview& overview() const { return overview_; }
  /// The minerals every point should have; a point lacking any is marked.
  void setRequired(std::vector<std::string> required);
  const std::vector<std::string>& required() const { return required_; }
  /// The table's indices of the points shown that lack a required mineral.
  std::vector<int> pointsLacking() const;
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
  void fillMissing();

  PointsOverview overview_;
  std::vector<QString> sampleTexts_;
  std::vector<QString> areaTexts_;
  std::vector<QString> mineralTexts_;
  std::vector<QString> missingTexts_;  ///< empty where the point lacks nothing
  std::vector<std::string> required_;
  std::vector<int> order_;  ///< the point shown in each row
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace vestrane
