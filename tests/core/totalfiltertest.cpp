// SPDX-License-Identifier: MIT
// "Uncheck by total": what counts as a number, which column gives the total,
// and which rows the range unchecks.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "combine/TotalFilter.h"

using namespace vestrane;

using TotalFilterTest = vestrane::testing::WorkbenchTest;

TEST(AnalysisNumberTest, SignsSeparatorsAndNonNumbers) {
  const struct {
    const char* text;
    double value;
  } numbers[] = {{"100.46", 100.46}, {"37,04", 37.04}, {"-1.5", -1.5}, {"+2", 2.0},
                 {".5", 0.5},        {",25", 0.25},    {"-,5", -0.5}, {"007", 7.0}};
  for (const auto& n : numbers) {
    double v = -999.0;
    EXPECT_TRUE(parseAnalysisNumber(n.text, v)) << n.text;
    EXPECT_DOUBLE_EQ(v, n.value) << n.text;
  }
  for (const char* text : {"", "-", "+", ".", "n.a.", "1.2.3", "1,2.3", "1.", "12,", " 1", "1 ", "1e5",
                           "--1", "+-1", "0x1", "99.5%", "\"98.5\""}) {
    double v = -999.0;
    EXPECT_FALSE(parseAnalysisNumber(text, v)) << text;
    EXPECT_EQ(v, -999.0) << text;
  }

  double low = 0.0;
  double high = 0.0;
  EXPECT_TRUE(parseTotalRange("98,5:101.5", low, high));
  EXPECT_DOUBLE_EQ(low, 98.5);
  EXPECT_DOUBLE_EQ(high, 101.5);
  EXPECT_TRUE(parseTotalRange("100:100", low, high));
  for (const char* text : {"101.5:98.5", "98.5", "98.5:", ":101.5", "a:b", "98.5:101.5:102"})
    EXPECT_FALSE(parseTotalRange(text, low, high)) << text;
}

TEST_F(TotalFilterTest, TotalColumnAndBounds) {
  load("Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tTOTAL\tTotal 2\r\n"
       "1\tS\tA\tGrt\tbelow range\t37.0\t98.49\t100\r\n"
       "1\tS\tA\tGrt\tlowest kept\t37.0\t98.5\t100\r\n"
       "1\tS\tA\tGrt\thighest kept\t37.0\t101,5\t100\r\n"
       "1\tS\tA\tGrt\tabove range\t37.0\t101.51\t100\r\n"
       "1\tS\tA\tGrt\tno number\t37.0\tn.a.\t100\r\n"
       "0\tS\tA\tGrt\tunchecked, out\t37.0\t50\t100\r\n"
       "0\tS\tA\tGrt\tunchecked, in\t37.0\t100\t100\r\n");
  // The first caption beginning with "Tot" in any letter case.
  EXPECT_EQ(defaultTotalColumn(table), 6);
  EXPECT_EQ(columnNamed(table, "total 2"), 7);
  EXPECT_EQ(columnNamed(table, "Tot"), -1);

  TotalRange range;  // 98.5 to 101.5 in the default column
  range.column = defaultTotalColumn(table);
  TotalFilterResult result = uncheckByTotal(bench.table(), range);
  EXPECT_EQ(checkFlags(), "0110100");
  EXPECT_EQ(result.unchecked, 2);
  EXPECT_EQ(result.withoutNumber, 1);
  EXPECT_EQ(result.changedRows, (std::vector<int>{0, 3}));

  // Run again, nothing is left to uncheck; unchecked rows are never checked.
  result = uncheckByTotal(bench.table(), range);
  EXPECT_EQ(checkFlags(), "0110100");
  EXPECT_EQ(result.unchecked, 0);
  EXPECT_EQ(result.withoutNumber, 1);
}

TEST_F(TotalFilterTest, SumOfExtraColumnsAtTheCurrentPoint) {
  // No "Tot" caption: the numeric cells from the sixth column on are summed,
  // "-" and text passed over; a row with none has no number.
  load("Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tFeO\tNote\r\n"
       "1\tS\tA\tGrt\tsum 99.5\t37.5\t62\tok\r\n"
       "1\tS\tA\tGrt\tsum 90\t37.5\t52,5\tlow\r\n"
       "1\tS\tA\tGrt\tsum 37.5, FeO missing\t37.5\t-\tx\r\n"
       "1\tS\tA\tGrt\tnothing numeric\tn.a.\t-\tx\r\n"
       "1\tS\tB\tGrt\tother point, low\t10\t10\tx\r\n");
  EXPECT_EQ(defaultTotalColumn(table), kSumOfExtraColumns);
  double sum = 0.0;
  ASSERT_TRUE(rowTotal(table, 1, kSumOfExtraColumns, sum));
  EXPECT_DOUBLE_EQ(sum, 90.0);
  EXPECT_FALSE(rowTotal(table, 3, kSumOfExtraColumns, sum));

  TotalRange range;
  const int point = table.findPoint("S", "A");
  TotalFilterResult result = uncheckByTotalAtPoint(bench.table(), range, point);
  EXPECT_EQ(checkFlags(), "10011");  // the other point's row stays checked
  EXPECT_EQ(result.unchecked, 2);
  EXPECT_EQ(result.withoutNumber, 1);
  EXPECT_EQ(uncheckByTotalAtPoint(bench.table(), range, -1).unchecked, 0);

  result = uncheckByTotal(bench.table(), range);
  EXPECT_EQ(checkFlags(), "10010");
  EXPECT_EQ(result.changedRows, (std::vector<int>{4}));
}

TEST_F(TotalFilterTest, SumOnTheBoundIsKept) {
  // These oxides add up to 101.50 exactly, which adding them up as binary
  // fractions misses by a hair.
  std::string header = "Sample\tArea\tMineral\tAnalysis";
  std::string row = "S\tA\tGrt\ton the upper bound";
  for (const char* oxide : {"3.46", "15.07", "16.56", "13.71", "17.48", "6.31", "5.15", "12.4", "4.34", "7.02"}) {
    header += "\tOx" + std::to_string(header.size());
    row += std::string("\t") + oxide;
  }
  load(header + "\r\n" + row + "\r\n");
  EXPECT_EQ(uncheckByTotal(bench.table(), TotalRange()).unchecked, 0);
  EXPECT_EQ(checkFlags(), "1");
}

namespace {

/// A generated table for the per-mineral ranges: every row's mineral in a
/// letter case of its own, totals from 85 to 102 wt% and now and then none.
struct GeneratedTotals {
  std::string text;
  std::vector<int> mineral;       ///< each row's mineral, an index into kMinerals
  std::vector<bool> checked;      ///< as loaded
  std::vector<double> total;      ///< -1: no number
};

const char* const kMinerals[] = {"Grt", "Bt", "Ms", "Pl", "\xC3\x89meraude"};  // Émeraude
// The same minerals as a user might type them.
const char* const kSpellings[][3] = {{"grt", "GRT", "Grt"},
                                     {"bt", "BT", "bT"},
                                     {"ms", "MS", "Ms"},
                                     {"pl", "PL", "Pl"},
                                     {"\xC3\xA9meraude", "\xC3\x89MERAUDE", "\xC3\xA9MERAUDE"}};

GeneratedTotals generateTotals(unsigned seed, int rows) {
  std::mt19937 random(seed);
  GeneratedTotals g;
  g.text = "Select\tSample\tArea\tMineral\tAnalysis\tTotal\r\n";
  for (int row = 0; row < rows; ++row) {
    const int m = static_cast<int>(random() % 5);
    const bool checked = random() % 6 != 0;
    const bool number = random() % 10 != 0;
    const int tenths = 850 + static_cast<int>(random() % 171);
    g.mineral.push_back(m);
    g.checked.push_back(checked);
    g.total.push_back(number ? tenths / 10.0 : -1.0);
    const std::string total =
        number ? std::to_string(tenths / 10) + (random() % 2 ? "." : ",") + std::to_string(tenths % 10) : "n.a.";
    g.text += std::string(checked ? "1" : "0") + "\tS" + std::to_string(random() % 4) + "\tA\t" +
              kSpellings[m][random() % 3] + "\tanalysis " + std::to_string(row) + "\t" + total + "\r\n";
  }
  return g;
}

}  // namespace

TEST_F(TotalFilterTest, RangesPerMineralAgainstTheRuleReadIndependently) {
  const GeneratedTotals g = generateTotals(20261210, 400);
  // Bounds in tenths: [0] for all minerals, then Bt, Ms and Émeraude.
  const int lowest[] = {985, 985, 940, 945, 985, 990};
  const int highest[] = {1015, 1015, 970, 965, 1015, 1000};
  load(g.text);
  ASSERT_EQ(table.rowCount(), 400);
  for (const bool allMinerals : {true, false}) {
    for (int row = 0; row < 400; ++row) bench.table().setChecked(row, g.checked[row]);
    TotalRange range;
    range.column = defaultTotalColumn(table);
    range.allMinerals = allMinerals;
    for (const char* given : {"bt=94:97", "MS=94,5:96.5", "\xC3\xA9meraude=99:100"}) {
      MineralTotalRange own;
      ASSERT_TRUE(parseMineralTotalRange(given, own)) << given;
      range.minerals.push_back(own);
    }
    const TotalFilterResult result = uncheckByTotal(bench.table(), range);

    std::string flags;
    std::vector<int> unchecked;
    std::vector<int> withoutNumber;
    std::vector<MineralTotalCount> counts(5);
    std::vector<int> order;
    for (int row = 0; row < 400; ++row) {
      const int m = g.mineral[row];
      const bool screened = allMinerals || m == 1 || m == 2 || m == 4;
      bool keep = g.checked[row];
      if (keep && screened) {
        if (counts[m].checked++ == 0) order.push_back(m);
        const int tenths = static_cast<int>(g.total[row] * 10.0 + 0.5);
        if (g.total[row] < 0) {
          ++counts[m].withoutNumber;
          withoutNumber.push_back(row);
        } else if (tenths < lowest[m + 1] || tenths > highest[m + 1]) {
          ++counts[m].unchecked;
          unchecked.push_back(row);
          keep = false;
        }
      }
      flags += keep ? '1' : '0';
    }
    EXPECT_EQ(checkFlags(), flags) << allMinerals;
    EXPECT_EQ(result.changedRows, unchecked);
    EXPECT_EQ(result.rowsWithoutNumber, withoutNumber);
    EXPECT_EQ(result.unchecked, static_cast<int>(unchecked.size()));
    EXPECT_EQ(result.withoutNumber, static_cast<int>(withoutNumber.size()));
    ASSERT_EQ(result.minerals.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
      const MineralTotalCount& got = result.minerals[i];
      const MineralTotalCount& want = counts[static_cast<std::size_t>(order[i])];
      EXPECT_EQ(got.mineral, kMinerals[order[i]]);  // as the reader capitalised it
      EXPECT_EQ(got.checked, want.checked) << got.mineral;
      EXPECT_EQ(got.unchecked, want.unchecked) << got.mineral;
      EXPECT_EQ(got.withoutNumber, want.withoutNumber) << got.mineral;
    }
  }
}

TEST_F(TotalFilterTest, MineralCountsWarningsAndNumericColumns) {
  load("Select\tSample\tArea\tMineral\tAnalysis\tNote\tSiO2\tTotal\r\n"
       "1\tS\tA\tBt\t1\tok\t35\t95.1\r\n"
       "1\tS\tA\tBt\t2\tok\t-\t95.8\r\n"
       "1\tS\tA\tBt\t3\tok\t-\tn.a.\r\n"
       "1\tS\tA\tGrt\t4\tok\t-\t100.1\r\n"
       "1\tS\tA\tGrt\t5\tok\t-\t97\r\n");
  // Columns with a number somewhere; Analysis is one here, Note is not.
  EXPECT_EQ(numericColumns(table), (std::vector<int>{4, 6, 7}));

  TotalRange range;
  range.column = defaultTotalColumn(table);
  range.minerals.push_back({"Chl", 86, 88});  // no such mineral in the table
  const TotalFilterResult result = uncheckByTotal(bench.table(), range);
  ASSERT_EQ(result.minerals.size(), 3u);
  // Two of three checked: more than half, though one had no number.
  EXPECT_EQ(mineralTotalReport(result.minerals[0]), "Bt: 2 of 3 unchecked, 1 without a number");
  EXPECT_EQ(mineralTotalWarning(result.minerals[0]), "Bt: 2 of 3 unchecked");
  // One of two is not more than half.
  EXPECT_EQ(mineralTotalReport(result.minerals[1]), "Grt: 1 of 2 unchecked, 0 without a number");
  EXPECT_EQ(mineralTotalWarning(result.minerals[1]), "");
  EXPECT_EQ(mineralTotalReport(result.minerals[2]), "Chl: 0 of 0 unchecked, 0 without a number");
  EXPECT_EQ(mineralTotalWarning(result.minerals[2]), "");

  MineralTotalRange own;
  EXPECT_TRUE(parseMineralTotalRange("Ms=Phe=95:96", own));  // the last "=" separates
  EXPECT_EQ(own.mineral, "Ms=Phe");
  for (const char* text : {"=95:96", "Bt", "Bt=", "Bt=96:95", "Bt=95"})
    EXPECT_FALSE(parseMineralTotalRange(text, own)) << text;
}
