// SPDX-License-Identifier: MIT
#pragma once
// The Points window: every point "All at once" would write, in the order it
// writes them, with its minerals, combinations, lines and the size of its
// file, the required minerals it lacks, and the totals of the run below.
// Points with more combinations than can be generated stand out in red and
// are left out of the totals; points that lack a required mineral
// ("Required minerals...") are marked, and the popup menu unchecks them.
// Double-clicking a point asks the main window to select the point's first
// checked row.

#include <QWidget>
#include <string>
#include <vector>

#include "combine/PointsOverview.h"
#include "table/AnalysisTable.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;

namespace vestrane {

class PointsModel;

/// The totals below the points: those of the points that can be written,
/// in counts and sizes a person reads, then how many points cannot be
/// written and how many lack a required mineral, one line each.
std::string pointsFooter(const PointsOverview& overview, std::size_t lacking);

class PointsWindow : public QWidget {
  Q_OBJECT

 public:
  /// The minerals offered by "Required minerals..." are those of @p table.
  explicit PointsWindow(const AnalysisTable& table, QWidget* parent = nullptr);

  /// Shows @p overview in place of the one shown before, in the order the
  /// user last sorted by.
  void showOverview(PointsOverview overview);
  /// The minerals every point should have (empty: none is required).
  void setRequired(std::vector<std::string> required);
  const std::vector<std::string>& required() const;

  QTableView* pointsView = nullptr;
  QLabel* totalsLabel = nullptr;
  QPushButton* requiredButton = nullptr;
  QMenu* popupMenu = nullptr;
  QAction* requiredItem = nullptr;      ///< "Required minerals..."
  QAction* uncheckLackingItem = nullptr;  ///< "Uncheck points lacking required minerals"

 signals:
  /// The user double-clicked a point; @p row is its first checked row.
  void pointActivated(int row);
  /// The user asked for every checked analysis of @p points (the table's
  /// indices of points) to be unchecked.
  void uncheckPointsRequested(const std::vector<int>& points);

 private:
  void chooseRequired();
  void updateFooter();

  const AnalysisTable& table_;
  PointsModel* model_ = nullptr;
};

}  // namespace vestrane
