// SPDX-License-Identifier: MIT
#pragma once
// "Uncheck by total": analyses whose total lies outside a range are dropped
// from the combinations. The total is a column of the table (by default the
// first whose caption begins with "Tot"), or, where the table has none, the
// sum of the numbers in the columns after Analysis.

#include <string>
#include <string_view>
#include <vector>

#include "table/AnalysisTable.h"

namespace vestrane {

/// A number as analyses write them: an optional sign, then digits with at
/// most one decimal separator ("." or ",") among or before them, and at least
/// one digit; nothing else, not even blanks. @return false for anything else
/// ("-", "n.a.", "1.2.3", "1.", empty). Digits beyond what a double holds
/// give infinity when the number is too large for one and zero when it is
/// too small (0.000...0001 with hundreds of zeros).
bool parseAnalysisNumber(std::string_view text, double& value);

/// "MIN:MAX", both numbers as above and MIN <= MAX.
bool parseTotalRange(std::string_view text, double& lowest, double& highest);

/// Stands for the sum of the numeric cells of the columns after Analysis.
inline constexpr int kSumOfExtraColumns = -1;

/// The first column (after Select) whose caption begins with "Tot" in any
/// letter case; kSumOfExtraColumns where there is none.
int defaultTotalColumn(const AnalysisTable& table);

/// The column (after Select) whose caption is @p name in any letter case; -1 where none is.
int columnNamed(const AnalysisTable& table, std::string_view name);

/// The total of @p row: the number in @p column, or the sum for
/// kSumOfExtraColumns. @return false when there is no number (for the sum:
/// no numeric cell at all).
bool rowTotal(const AnalysisTable& table, int row, int column, double& value);

/// The columns (after Select) in which at least one cell is a number as
/// parseAnalysisNumber reads them: the columns a total can come from.
std::vector<int> numericColumns(const AnalysisTable& table);

/// A range of totals of its own for one mineral, bounds included.
struct MineralTotalRange {
  std::string mineral;  ///< compared in any letter case, as the table compares minerals
  double lowest = 98.5;
  double highest = 101.5;
};

/// "MINERAL=MIN:MAX": a mineral (not empty; the text before the last "=")
/// and a range as parseTotalRange reads it.
bool parseMineralTotalRange(std::string_view text, MineralTotalRange& range);

/// The column and the ranges of totals kept, bounds included: a range of
/// its own for each mineral listed, the range for all minerals for the
/// others, or none for them when allMinerals is false (their analyses are
/// then left alone).
struct TotalRange {
  int column = kSumOfExtraColumns;
  double lowest = 98.5;
  double highest = 101.5;
  bool allMinerals = true;
  std::vector<MineralTotalRange> minerals;
};

/// What a range did to one mineral's checked analyses.
struct MineralTotalCount {
  std::string mineral;    ///< spelt as its first row has it (as given when no row has it)
  int checked = 0;        ///< checked before
  int unchecked = 0;      ///< of them, unchecked by the range
  int withoutNumber = 0;  ///< of them, without a total; they stay checked
  /// Whether the range took more than half of the checked analyses: a
  /// range that does not suit the mineral (micas near 95 wt% under 98.5).
  bool mostUnchecked() const { return 2 * unchecked > checked; }
};

struct TotalFilterResult {
  int unchecked = 0;      ///< checked rows whose total lay outside the range
  int withoutNumber = 0;  ///< checked rows that had no total; they stay checked
  std::vector<int> changedRows;  ///< the rows unchecked, in increasing order
  std::vector<int> rowsWithoutNumber;  ///< the checked rows without a total, in increasing order
  /// Every mineral a range applied to, in the order of their first rows,
  /// then the minerals with a range of their own but no checked analysis.
  std::vector<MineralTotalCount> minerals;
};

/// What the window and the batch tool say afterwards, as
/// "3 analyses unchecked, 1 without a number".
std::string totalFilterReport(const TotalFilterResult& result);

/// One mineral's part, as "Bt: 12 of 12 unchecked, 0 without a number".
std::string mineralTotalReport(const MineralTotalCount& count);

/// "Bt: 12 of 12 unchecked" where the range took more than half of the
/// mineral's checked analyses; empty otherwise.
std::string mineralTotalWarning(const MineralTotalCount& count);

/// Everything said afterwards, line by line: the report, then each
/// mineral's part, then a warning for each mineral whose range took more
/// than half of its checked analyses ("Warning: Bt: 12 of 12 unchecked,
/// more than half of its checked analyses").
std::vector<std::string> totalFilterLines(const TotalFilterResult& result);

/// The rows behind the report's counts: those unchecked and those without
/// a number, in increasing order.
std::vector<int> rowsCounted(const TotalFilterResult& result);

/// Unchecks every checked row of the table whose total lies outside the
/// range of its mineral. Unchecked rows stay unchecked.
TotalFilterResult uncheckByTotal(AnalysisTable& table, const TotalRange& range);

/// The same for the rows of the table's point @p point only (-1: no rows).
TotalFilterResult uncheckByTotalAtPoint(AnalysisTable& table, const TotalRange& range, int point);

}  // namespace vestrane
