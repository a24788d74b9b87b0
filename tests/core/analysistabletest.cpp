// SPDX-License-Identifier: MIT
// The analysis table's storage: cells read back as appended whatever the
// row's size and shape, and the point index finds every point by its exact
// Sample and Area.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "table/AnalysisTable.h"

using namespace vestrane;

namespace {

// Appends a row from (column, text) pairs in column order and indexes it.
void addRow(AnalysisTable& table, const std::vector<std::pair<int, std::string>>& cells, bool checked = true) {
  std::vector<AnalysisTable::CellValue> values;
  for (const auto& c : cells) values.push_back({c.first, c.second});
  table.appendRow(checked, values.data(), values.size());
  table.commitRow();
}

}  // namespace

TEST(AnalysisTableTest, CellsReadBackAtEveryRowSize) {
  // Rows whose bytes end just below, at and beyond 32 KiB, where short cell
  // offsets stop sufficing, with gaps ("-") and empty cells between.
  AnalysisTable table;
  for (int c = 0; c < 6; ++c) table.appendColumn("C" + std::to_string(c));
  // The rows' other cells take 8 and 7 bytes.
  const std::size_t sizes[] = {0, 1, 32759, 32760, 32761, 32762, 70000};
  std::vector<std::vector<std::pair<int, std::string>>> rows;
  for (std::size_t big : sizes) {
    std::vector<std::pair<int, std::string>> row = {
        {1, "S"}, {2, "A"}, {3, "Grt"}, {5, std::string(big, 'x')}, {6, ""}, {8, "tail"}};
    rows.push_back(row);
    // The same bytes with the long cell last.
    rows.push_back({{1, "S"}, {3, "Grt"}, {7, "mid"}, {9, std::string(big, 'y')}});
  }
  for (const auto& row : rows) addRow(table, row);
  ASSERT_EQ(table.rowCount(), static_cast<int>(rows.size()));
  for (int r = 0; r < table.rowCount(); ++r) {
    for (int c = 1; c < table.columnCount() + 2; ++c) {
      std::string expected = "-";
      for (const auto& cell : rows[static_cast<std::size_t>(r)])
        if (cell.first == c) expected = cell.second;
      ASSERT_EQ(table.cell(r, c), expected) << "row " << r << " column " << c;
    }
  }
  // Without the extra columns only the fixed cells remain, in every row.
  table.removeExtraColumns();
  for (int r = 0; r < table.rowCount(); ++r) {
    EXPECT_EQ(table.cell(r, 3), "Grt");
    EXPECT_EQ(table.cell(r, 5), "-");
    EXPECT_EQ(table.cell(r, 9), "-");
  }
}

TEST(AnalysisTableTest, SparseRowsReadBackAndForgetRemovedColumns) {
  AnalysisTable table;
  for (int c = 0; c < 300; ++c) table.appendColumn("C" + std::to_string(c));
  addRow(table, {{1, "S"}, {3, "Grt"}, {100, "far"}, {250, ""}, {304, "last"}});
  EXPECT_EQ(table.cell(0, 1), "S");
  EXPECT_EQ(table.cell(0, 2), "-");
  EXPECT_EQ(table.cell(0, 3), "Grt");
  EXPECT_EQ(table.cell(0, 99), "-");
  EXPECT_EQ(table.cell(0, 100), "far");
  EXPECT_EQ(table.cell(0, 250), "");
  EXPECT_EQ(table.cell(0, 304), "last");
  EXPECT_EQ(table.cell(0, 305), "-");
  table.removeExtraColumns();
  table.appendColumn("New");
  EXPECT_EQ(table.cell(0, 3), "Grt");
  EXPECT_EQ(table.cell(0, 5), "-");
  EXPECT_EQ(table.cell(0, 100), "-");
}

TEST(AnalysisTableTest, PointsAreFoundByExactSampleAndArea) {
  // Many points, their rows interleaved, so most rows are not next to a row
  // of their own point; pairs that concatenate alike stay apart.
  AnalysisTable table;
  const int kPoints = 700;
  auto sampleOf = [](int p) { return "S" + std::to_string(p / 3); };
  auto areaOf = [](int p) { return "a" + std::to_string(p % 3); };
  for (int round = 0; round < 3; ++round)
    for (int p = 0; p < kPoints; ++p) addRow(table, {{1, sampleOf(p)}, {2, areaOf(p)}, {3, "Grt"}});
  addRow(table, {{1, "ab"}, {2, "c"}, {3, "Grt"}});
  addRow(table, {{1, "a"}, {2, "bc"}, {3, "Grt"}});
  addRow(table, {{1, "ab"}, {3, "Grt"}});  // no Area: "-"
  addRow(table, {{1, "ab"}, {2, "c"}, {3, "Bt"}});

  ASSERT_EQ(table.pointCount(), kPoints + 3);
  for (int p = 0; p < kPoints; ++p) {
    int point = table.findPoint(sampleOf(p), areaOf(p));
    ASSERT_GE(point, 0) << p;
    EXPECT_EQ(table.pointRows(point), (std::vector<int>{p, kPoints + p, 2 * kPoints + p}));
    EXPECT_EQ(table.pointOf(kPoints + p), point);
  }
  const int abc = table.findPoint("ab", "c");
  EXPECT_EQ(table.pointRows(abc), (std::vector<int>{3 * kPoints, 3 * kPoints + 3}));
  EXPECT_EQ(table.pointRows(table.findPoint("a", "bc")), (std::vector<int>{3 * kPoints + 1}));
  EXPECT_EQ(table.pointRows(table.findPoint("ab", "-")), (std::vector<int>{3 * kPoints + 2}));
  EXPECT_EQ(table.findPoint("abc", ""), -1);
  EXPECT_EQ(table.findPoint("S1", "a3"), -1);
  EXPECT_EQ(table.findPoint("s1", "a0"), -1);  // exact: letter case counts

  table.clearRows();
  EXPECT_EQ(table.pointCount(), 0);
  EXPECT_EQ(table.findPoint("ab", "c"), -1);
  addRow(table, {{1, "ab"}, {2, "c"}, {3, "Grt"}});
  EXPECT_EQ(table.findPoint("ab", "c"), 0);
}

TEST(AnalysisTableTest, RowsTakenOverFromAnotherTableJoinTheirPoints) {
  // Rows appended to another table (indexed there or not) and taken over
  // read back and are indexed as if they had been appended here: points
  // already here get the new rows after their own, new points follow in
  // the order of their first rows. Wide, sparse and narrow rows alike.
  auto fill = [](AnalysisTable& t, int from, int to, bool index) {
    for (int i = from; i < to; ++i) {
      const std::string label = "a" + std::to_string(i);
      const std::string far(i % 5 == 0 ? 40000 : 3, 'z');
      std::vector<AnalysisTable::CellValue> values = {
          {1, i % 3 ? "S1" : "S2"}, {2, i % 4 ? "r1" : "r2"}, {3, "Grt"}, {4, label}};
      if (i % 7 == 0) values.push_back({40, far});
      t.appendRow(i % 2 == 0, values.data(), values.size());
      if (index) t.commitRow();
    }
  };
  for (bool indexOther : {true, false}) {
    AnalysisTable whole, joined, other;
    for (AnalysisTable* t : {&whole, &joined, &other})
      for (int c = 0; c < 40; ++c) t->appendColumn("C" + std::to_string(c));
    fill(whole, 0, 60, true);
    fill(joined, 0, 30, true);
    fill(other, 30, 60, indexOther);
    joined.appendRowsOf(std::move(other));
    EXPECT_EQ(other.rowCount(), 0);
    ASSERT_EQ(joined.rowCount(), whole.rowCount());
    for (int row = 0; row < whole.rowCount(); ++row) {
      EXPECT_EQ(joined.isChecked(row), whole.isChecked(row));
      EXPECT_EQ(joined.pointOf(row), whole.pointOf(row)) << row;
      for (int c = 1; c < whole.columnCount(); ++c) ASSERT_EQ(joined.cell(row, c), whole.cell(row, c)) << row;
    }
    ASSERT_EQ(joined.pointCount(), whole.pointCount());
    for (int p = 0; p < whole.pointCount(); ++p) EXPECT_EQ(joined.pointRows(p), whole.pointRows(p));
    EXPECT_EQ(joined.findPoint("S2", "r2"), whole.findPoint("S2", "r2"));
  }
}
