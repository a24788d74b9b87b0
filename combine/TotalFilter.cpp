// SPDX-License-Identifier: MIT
#include "combine/TotalFilter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string>
#include <unordered_map>

#include "platform/core/Text.h"

namespace vestrane {

bool parseAnalysisNumber(std::string_view text, double& value) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) i = 1;
  // The digits and at most one separator; the last character is a digit,
  // so a separator never stands after the digits.
  std::string plain = negative ? "-" : "";
  bool separator = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      plain += c;
    } else if ((c == '.' || c == ',') && !separator) {
      separator = true;
      plain += '.';
    } else {
      return false;
    }
  }
  if (plain.empty() || plain.back() < '0' || plain.back() > '9') return false;
  double v = 0.0;
  const auto [end, error] =
      std::from_chars(plain.data(), plain.data() + plain.size(), v, std::chars_format::fixed);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Beyond what a double holds: too large when a digit other than 0
    // stands before the separator, else too small, which is zero.
    const std::size_t point = plain.find('.');
    const bool large = plain.find_first_of("123456789") < point;
    v = large ? HUGE_VAL : 0.0;
    if (negative) v = -v;
  } else if (error != std::errc())
    return false;
  value = v;
  return true;
}

bool parseTotalRange(std::string_view text, double& lowest, double& highest) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  double low = 0.0;
  double high = 0.0;
  if (!parseAnalysisNumber(text.substr(0, colon), low) || !parseAnalysisNumber(text.substr(colon + 1), high) ||
      low > high)
    return false;
  lowest = low;
  highest = high;
  return true;
}

bool parseMineralTotalRange(std::string_view text, MineralTotalRange& range) {
  const std::size_t equals = text.rfind('=');
  if (equals == std::string_view::npos || equals == 0) return false;
  double low = 0.0;
  double high = 0.0;
  if (!parseTotalRange(text.substr(equals + 1), low, high)) return false;
  range.mineral = std::string(text.substr(0, equals));
  range.lowest = low;
  range.highest = high;
  return true;
}

std::vector<int> numericColumns(const AnalysisTable& table) {
  std::vector<int> columns;
  for (int column = 1; column < table.columnCount(); ++column) {
    double value = 0.0;
    for (int row = 0, n = table.rowCount(); row < n; ++row)
      if (parseAnalysisNumber(table.cell(row, column), value)) {
        columns.push_back(column);
        break;
      }
  }
  return columns;
}

int defaultTotalColumn(const AnalysisTable& table) {
  for (int column = 1; column < table.columnCount(); ++column) {
    const std::string& c = table.caption(column);
    if (c.size() >= 3 && upperAscii(std::string_view(c).substr(0, 3)) == "TOT") return column;
  }
  return kSumOfExtraColumns;
}

int columnNamed(const AnalysisTable& table, std::string_view name) {
  const std::string wanted = upperText(name);
  for (int column = 1; column < table.columnCount(); ++column)
    if (upperText(table.caption(column)) == wanted) return column;
  return -1;
}

bool rowTotal(const AnalysisTable& table, int row, int column, double& value) {
  if (column != kSumOfExtraColumns) return parseAnalysisNumber(table.cell(row, column), value);
  double sum = 0.0;
  bool any = false;
  for (int c = kFixedColumns; c < table.columnCount(); ++c) {
    double v = 0.0;
    if (!parseAnalysisNumber(table.cell(row, c), v)) continue;
    sum += v;
    any = true;
  }
  // Binary fractions make a sum of decimals land a hair beside its exact
  // value (101.50000000000001 for oxides adding up to 101.50), which would
  // drop a row lying on a bound: the sum is rounded to nine decimals.
  if (any) value = std::round(sum * 1e9) / 1e9;
  return any;
}

namespace {

/// The range each checked row is held to, found by the row's mineral in any
/// letter case, and what the ranges did to each mineral. A mineral's bytes
/// are upper-cased once per spelling: the spellings are looked up by the
/// cells' own bytes, which stay in place while the table is not changed.
class TotalScreening {
 public:
  TotalScreening(const TotalRange& range, TotalFilterResult& result)
      : range_(range), result_(result) {
    for (const MineralTotalRange& m : range.minerals) own_[upperText(m.mineral)] = &m;
  }

  void filterRow(AnalysisTable& table, int row) {
    if (!table.isChecked(row)) return;
    const Slot* slot = slotOf(table.cell(row, ColMineral));
    if (!slot) return;  // no range for this mineral
    MineralTotalCount& count = result_.minerals[slot->count];
    ++count.checked;
    double total = 0.0;
    if (!rowTotal(table, row, range_.column, total)) {
      ++result_.withoutNumber;
      ++count.withoutNumber;
      result_.rowsWithoutNumber.push_back(row);
      return;
    }
    if (total >= slot->lowest && total <= slot->highest) return;
    table.setChecked(row, false);
    ++result_.unchecked;
    ++count.unchecked;
    result_.changedRows.push_back(row);
  }

  /// Adds the minerals with a range of their own that no checked row had.
  void finish() {
    for (const MineralTotalRange& m : range_.minerals) {
      const std::string folded = upperText(m.mineral);
      if (byFolded_.count(folded)) continue;
      byFolded_.emplace(folded, -1);
      MineralTotalCount count;
      count.mineral = m.mineral;
      result_.minerals.push_back(count);
    }
  }

 private:
  struct Slot {
    double lowest;
    double highest;
    std::size_t count;  ///< the mineral's entry in result_.minerals
  };

  /// The range for @p mineral, or nullptr when none applies to it.
  const Slot* slotOf(std::string_view mineral) {
    const auto known = bySpelling_.find(mineral);
    if (known != bySpelling_.end()) return known->second < 0 ? nullptr : &slots_[known->second];
    std::string folded = upperText(mineral);
    auto same = byFolded_.find(folded);
    if (same == byFolded_.end()) {
      int index = -1;
      const auto own = own_.find(folded);
      if (own != own_.end() || range_.allMinerals) {
        index = static_cast<int>(slots_.size());
        const double lowest = own != own_.end() ? own->second->lowest : range_.lowest;
        const double highest = own != own_.end() ? own->second->highest : range_.highest;
        slots_.push_back({lowest, highest, result_.minerals.size()});
        MineralTotalCount count;
        count.mineral = std::string(mineral);
        result_.minerals.push_back(std::move(count));
      }
      same = byFolded_.emplace(std::move(folded), index).first;
    }
    bySpelling_.emplace(mineral, same->second);
    return same->second < 0 ? nullptr : &slots_[same->second];
  }

  const TotalRange& range_;
  TotalFilterResult& result_;
  std::unordered_map<std::string, const MineralTotalRange*> own_;  ///< by upper-cased mineral
  std::vector<Slot> slots_;
  std::unordered_map<std::string, int> byFolded_;         ///< upper-cased mineral to slot, -1: none
  std::unordered_map<std::string_view, int> bySpelling_;  ///< a cell's bytes to slot, -1: none
};

}  // namespace

TotalFilterResult uncheckByTotal(AnalysisTable& table, const TotalRange& range) {
  TotalFilterResult result;
  TotalScreening screening(range, result);
  for (int row = 0, n = table.rowCount(); row < n; ++row) screening.filterRow(table, row);
  screening.finish();
  return result;
}

TotalFilterResult uncheckByTotalAtPoint(AnalysisTable& table, const TotalRange& range, int point) {
  TotalFilterResult result;
  TotalScreening screening(range, result);
  if (point >= 0 && point < table.pointCount())
    for (int row : table.pointRows(point)) screening.filterRow(table, row);
  screening.finish();
  return result;
}

std::string totalFilterReport(const TotalFilterResult& result) {
  return std::to_string(result.unchecked) + (result.unchecked == 1 ? " analysis" : " analyses") +
         " unchecked, " + std::to_string(result.withoutNumber) + " without a number";
}

namespace {

/// "Bt: 12 of 12 unchecked".
std::string uncheckedOfChecked(const MineralTotalCount& count) {
  return count.mineral + ": " + std::to_string(count.unchecked) + " of " +
         std::to_string(count.checked) + " unchecked";
}

}  // namespace

std::string mineralTotalReport(const MineralTotalCount& count) {
  return uncheckedOfChecked(count) + ", " + std::to_string(count.withoutNumber) + " without a number";
}

std::string mineralTotalWarning(const MineralTotalCount& count) {
  return count.mostUnchecked() ? uncheckedOfChecked(count) : std::string();
}

std::vector<std::string> totalFilterLines(const TotalFilterResult& result) {
  std::vector<std::string> lines{totalFilterReport(result)};
  for (const MineralTotalCount& count : result.minerals) lines.push_back(mineralTotalReport(count));
  for (const MineralTotalCount& count : result.minerals) {
    const std::string warning = mineralTotalWarning(count);
    if (!warning.empty()) lines.push_back("Warning: " + warning + ", more than half of its checked analyses");
  }
  return lines;
}

std::vector<int> rowsCounted(const TotalFilterResult& result) {
  std::vector<int> rows;
  rows.reserve(result.changedRows.size() + result.rowsWithoutNumber.size());
  std::merge(result.changedRows.begin(), result.changedRows.end(), result.rowsWithoutNumber.begin(),
             result.rowsWithoutNumber.end(), std::back_inserter(rows));
  return rows;
}

}  // namespace vestrane
