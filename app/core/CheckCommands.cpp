// SPDX-License-Identifier: MIT
// The Workbench commands that select a row or change checked flags. Each
// change of checked flags returns the rows it flipped, and those rows are
// its undo step.
#include <string_view>
#include <unordered_set>

#include "app/core/Workbench.h"

namespace vestrane {

std::vector<int> Workbench::flipped(const std::string& name, std::vector<int> rows, UndoView view) {
  if (rows.empty()) return rows;
  document_.checksChanged();
  if (keepUndoSteps_ && !name.empty()) history_.recordFlips(name, rows, std::move(view));
  return rows;
}

void Workbench::setRowSelected(int row, bool selected) {
  Command command(*this);
  if (!selected) {
    if (row == document_.selectedRow()) document_.selectRow(-1);
    return;
  }
  if (row < 0 || row >= table_.rowCount()) return;
  document_.selectRow(row);
  if (point_.belongs(table_, row)) return;
  SelectPoint(table_, point_, row);
  notifyPoint();
}

std::vector<int> Workbench::setRowChecked(int row, bool checked) {
  if (row < 0 || row >= table_.rowCount()) return {};
  Command command(*this);
  const bool flips = table_.isChecked(row) != checked;
  UndoView view = currentView();
  if (setRowCheckFlag(table_, point_, row, checked)) notifyPoint();
  // One row: the step keeps just that row, without a look at the others.
  if (!flips) return {};
  return flipped(checked ? kStepCheckAnalysis : kStepUncheckAnalysis, {row}, std::move(view));
}

std::vector<int> Workbench::setMineralChecked(int entry, bool checked) {
  if (entry < 0 || entry >= static_cast<int>(point_.minerals.size())) return {};
  Command command(*this);
  UndoView view = currentView();
  const std::string name =
      (checked ? "Check " : "Uncheck ") + point_.minerals[static_cast<std::size_t>(entry)].mineral;
  // Only the point's rows can change: the step keeps those that did. The
  // list follows the state even when none did.
  std::vector<int> rows = checkMineralAtPoint(table_, point_, entry, checked);
  notifyPoint();
  return flipped(name, std::move(rows), std::move(view));
}

std::vector<int> Workbench::toggleSelectedMineralEverywhere() {
  const int selected = document_.selectedRow();
  if (selected < 0 || selected >= table_.rowCount()) return {};
  Command command(*this);
  UndoView view = currentView();
  std::vector<int> rows = toggleMineralEverywhere(table_, point_, selected);
  notifyPoint();
  return flipped(kStepUncheckMineral, std::move(rows), std::move(view));
}

std::vector<int> Workbench::uncheckMineralsEverywhere(const std::vector<std::string>& minerals) {
  if (minerals.empty()) return {};
  Command command(*this);
  const std::unordered_set<std::string_view> excluded(minerals.begin(), minerals.end());
  std::vector<int> rows;
  for (int row = 0, n = table_.rowCount(); row < n; ++row)
    if (table_.isChecked(row) && excluded.count(table_.cell(row, ColMineral))) {
      table_.setChecked(row, false);
      rows.push_back(row);
    }
  RebuildGroups(table_, point_);
  notifyPoint();
  return flipped(std::string(), std::move(rows), UndoView());
}

TotalFilterResult Workbench::uncheckByTotal(const TotalRange& range, bool currentPointOnly) {
  TotalFilterResult result;
  {
    Command command(*this);
    UndoView view = currentView();
    result = currentPointOnly
                 ? uncheckByTotalAtPoint(table_, range, table_.findPoint(point_.sample, point_.area))
                 : vestrane::uncheckByTotal(table_, range);
    if (result.unchecked > 0) {
      RebuildGroups(table_, point_);
      notifyPoint();
      flipped(kStepUncheckByTotal, result.changedRows, std::move(view));
    }
  }
  // The report stands over the window that shows the change. Where it
  // counted rows, it offers to show them.
  std::string message;
  for (const std::string& line : totalFilterLines(result))
    message += (message.empty() ? "" : "\r\n") + line;
  shownRows_.clear();
  std::vector<int> counted = rowsCounted(result);
  if (counted.empty())
    services_.showMessage(message);
  else if (services_.showMessageOffering(message, "Show"))
    shownRows_ = std::move(counted);
  return result;
}

int Workbench::nextShownRow(int row, bool forward) const {
  const int rows = table_.rowCount();
  const int n = static_cast<int>(shownRows_.size());
  // The first shown row past @p row in that direction, else round from the other end.
  int found = -1;
  for (int i = 0; i < n; ++i) {
    const int r = shownRows_[static_cast<std::size_t>(forward ? i : n - 1 - i)];
    if (r >= rows) continue;
    if (found < 0) found = r;
    if (forward ? r > row : r < row) return r;
  }
  return found;
}

std::vector<int> Workbench::uncheckPoints(const std::vector<int>& points) {
  Command command(*this);
  UndoView view = currentView();
  std::vector<int> rows;
  for (int point : points)
    for (int row : table_.pointRows(point))
      if (table_.isChecked(row)) {
        table_.setChecked(row, false);
        rows.push_back(row);
      }
  if (rows.empty()) return rows;
  // The groups are rebuilt once, not once for every row.
  RebuildGroups(table_, point_);
  notifyPoint();
  return flipped(kStepUncheckLacking, std::move(rows), std::move(view));
}

}  // namespace vestrane
