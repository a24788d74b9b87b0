// "Uncheck by total": what counts as a number, which column gives the total,
// and which rows the range unchecks.

#include <gtest/gtest.h>

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
