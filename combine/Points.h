// SPDX-License-Identifier: MIT
#pragma once
// The current point (one Sample and Area), its mineral list and mineral
// groups, and the combination count with its max index.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "combine/BigCount.h"
#include "table/AnalysisTable.h"

namespace vestrane {

/// The combination count of a point: the product of the sizes of its
/// non-empty mineral groups, 0 when it has none. Exact, however many
/// minerals a point has; generated only while it fits the signed 32-bit range.
class ComboCount {
 public:
  ComboCount() = default;
  explicit ComboCount(std::uint32_t v) : value_(v) {}
  /// Takes a mineral group of @p size checked analyses into the count; an
  /// empty group takes no part.
  void addGroup(std::uint32_t size) {
    if (size == 0) return;
    if (value_.isZero())
      value_ = BigCount(size);
    else
      value_ *= size;
  }
  void multiply(std::uint32_t factor) { value_ *= factor; }
  bool isZero() const { return value_.isZero(); }
  /// Whether there are two combinations or more: only then do the Area
  /// cells carry an index, and only then is a single point generated.
  bool atLeastTwo() const { return !value_.atMost(1); }
  /// The value, when it fits the signed 32-bit range.
  bool fitsInt32() const { return value_.atMost(0x7FFFFFFF); }
  /// Saturates at the largest 64-bit value.
  std::uint64_t toUInt64() const { return value_.toUInt64(); }
  const BigCount& value() const { return value_; }
  std::string toDecimal() const { return value_.toDecimal(); }
  /// count - 1 in radix 36, at least two digits; "--" for zero.
  std::string maxIndexText() const;
  bool operator==(const ComboCount& o) const { return value_ == o.value_; }

 private:
  BigCount value_;
};

struct MineralEntry {
  std::string mineral;
  bool checked = false;
};

/// The state of the combination engine for the current point.
struct PointState {
  std::string sample;  ///< current Sample; empty when there is no point
  std::string area;    ///< current Area
  std::vector<MineralEntry> minerals;   ///< the mineral list, in order of first occurrence
  std::vector<std::vector<int>> groups; ///< checked rows of each mineral at the point
  ComboCount count;
  /// The combination count in decimal, as shown under the table.
  std::string countText = "0";
  /// The largest combination index (count - 1) in base 36, at least two
  /// digits, or "--" when the count is 0; shown under the table, and the
  /// width of the indices in the Area cells.
  std::string maxIndexText = "--";

  /// Whether @p row belongs to the current point (Sample and Area equal exactly).
  bool belongs(const AnalysisTable& table, int row) const;
};

/// Recomputes groups, check marks, count and labels for the current point.
void RebuildGroups(const AnalysisTable& table, PointState& state);

/// The combination count that making the table's point @p point current
/// afresh would give, found without building its mineral list and groups.
ComboCount pointComboCount(const AnalysisTable& table, int point);

/// Makes @p row's point current (nothing happens when it already is).
void SelectPoint(const AnalysisTable& table, PointState& state, int row);

/// Empties the mineral list and its groups and makes (sample, area) current, then rebuilds.
void makePointCurrent(const AnalysisTable& table, PointState& state, std::string_view sample,
                      std::string_view area);

/// makePointCurrent for the table's point @p point (0 to pointCount() - 1),
/// without looking it up by its Sample and Area.
void makePointCurrent(const AnalysisTable& table, PointState& state, int point);

/// Empties the point state: no point, no minerals, count 0, labels "0" and "--".
void ClearPoint(PointState& state);

/// A row's check box was toggled to @p checked; rebuilds when the row is at the current point.
/// @return true when the groups were rebuilt.
bool setRowCheckFlag(AnalysisTable& table, PointState& state, int row, bool checked);

/// The mineral list entry @p entry got the check mark @p checked: every row of
/// that mineral at the current point follows it.
/// @return the rows whose flag it changed, in increasing order.
std::vector<int> checkMineralAtPoint(AnalysisTable& table, PointState& state, int entry, bool checked);

/// "(Un)check mineral": every row of the selected row's mineral, in the whole
/// table, takes the opposite of the selected row's checked flag.
/// @return the rows whose flag that flipped, in increasing order.
std::vector<int> toggleMineralEverywhere(AnalysisTable& table, PointState& state, int selectedRow);

}  // namespace vestrane
