#include "combine/TotalFilter.h"

#include <charconv>
#include <cmath>
#include <string>

#include "settings/Text.h"

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

void filterRow(AnalysisTable& table, const TotalRange& range, int row, TotalFilterResult& result) {
  if (!table.isChecked(row)) return;
  double total = 0.0;
  if (!rowTotal(table, row, range.column, total)) {
    ++result.withoutNumber;
    return;
  }
  if (total >= range.lowest && total <= range.highest) return;
  table.setChecked(row, false);
  ++result.unchecked;
  result.changedRows.push_back(row);
}

}  // namespace

TotalFilterResult uncheckByTotal(AnalysisTable& table, const TotalRange& range) {
  TotalFilterResult result;
  for (int row = 0, n = table.rowCount(); row < n; ++row) filterRow(table, range, row, result);
  return result;
}

TotalFilterResult uncheckByTotalAtPoint(AnalysisTable& table, const TotalRange& range, int point) {
  TotalFilterResult result;
  if (point < 0 || point >= table.pointCount()) return result;
  for (int row : table.pointRows(point)) filterRow(table, range, row, result);
  return result;
}

std::string totalFilterReport(const TotalFilterResult& result) {
  return std::to_string(result.unchecked) + (result.unchecked == 1 ? " analysis" : " analyses") +
         " unchecked, " + std::to_string(result.withoutNumber) + " without a number";
}

}  // namespace vestrane
