// SPDX-License-Identifier: MIT
#pragma once
// The Points window: every point "All at once" would write, in the order it
// writes them, with its minerals, combinations, lines and the exact size of
// its file, and the totals of the run below. Points with more combinations
// than can be generated stand out in red. Double-clicking a point asks the
// main window to select the point's first checked row.

#include <QWidget>

#include "combine/PointsOverview.h"

class QLabel;
class QTableView;

namespace vestrane {

class PointsModel;

class PointsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit PointsWindow(QWidget* parent = nullptr);

  /// Shows @p overview in place of the one shown before, in the order the
  /// user last sorted by.
  void showOverview(PointsOverview overview);

  QTableView* pointsView = nullptr;
  QLabel* totalsLabel = nullptr;

 signals:
  /// The user double-clicked a point; @p row is its first checked row.
  void pointActivated(int row);

 private:
  PointsModel* model_ = nullptr;
};

}  // namespace vestrane
