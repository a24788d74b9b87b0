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

/// The column and the range of totals kept, bounds included.
struct TotalRange {
  int column = kSumOfExtraColumns;
  double lowest = 98.5;
  double highest = 101.5;
};

struct TotalFilterResult {
  int unchecked = 0;      ///< checked rows whose total lay outside the range
  int withoutNumber = 0;  ///< checked rows that had no total; they stay checked
  std::vector<int> changedRows;  ///< the rows unchecked, in increasing order
};

/// What the window and the batch tool say afterwards, as
/// "3 analyses unchecked, 1 without a number".
std::string totalFilterReport(const TotalFilterResult& result);

/// Unchecks every checked row of the table whose total lies outside the
/// range. Unchecked rows stay unchecked.
TotalFilterResult uncheckByTotal(AnalysisTable& table, const TotalRange& range);

/// The same for the rows of the table's point @p point only (-1: no rows).
TotalFilterResult uncheckByTotalAtPoint(AnalysisTable& table, const TotalRange& range, int point);

}  // namespace vestrane
