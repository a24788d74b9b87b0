// SPDX-License-Identifier: MIT
// Points and mineral groups: the mineral list, the groups, the count, the max
// index, and the user actions that change them.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/core/Workbench.h"
#include "combine/Points.h"
#include "combine/Radix.h"
#include "fakes/FakeServices.h"

using namespace vestrane;
using vestrane::testing::FakeServices;

namespace {

class PointsTest : public vestrane::testing::WorkbenchTest {
 protected:

  void load(const std::string& body) {
    std::string text = "Select\tSample\tArea\tMineral\tAnalysis\r\n" + body;
    ASSERT_TRUE(bench.ParseTableText(text));
  }
  std::vector<std::string> minerals() const {
    std::vector<std::string> out;
    for (const auto& e : bench.point().minerals) out.push_back(e.mineral + (e.checked ? "+" : "-"));
    return out;
  }
};

// Rows 0-5 at point S1/r1, rows 6-7 at S2/r1, row 8 at S1/r2.
const char* kRows =
    "1\tS1\tr1\tGrt\tg1 core\r\n"
    "1\tS1\tr1\tBt\tb1 matrix\r\n"
    "1\tS1\tr1\tGrt\tg2 rim\r\n"
    "0\tS1\tr1\tPl\tp1 matrix\r\n"
    "1\tS1\tr1\tGrt\tg3 mantle\r\n"
    "1\tS1\tr1\tBt\tb2 matrix\r\n"
    "1\tS2\tr1\tMs\tm1 matrix\r\n"
    "1\tS2\tr1\tGrt\tg9 core\r\n"
    "1\tS1\tr2\tGrt\tg7 core\r\n";

}  // namespace

TEST(IntToRadixTest, DigitsPaddingAndSigns) {
  EXPECT_EQ(IntToRadix(0, 36, '0', 2, 0), "00");
  EXPECT_EQ(IntToRadix(35, 36, '0', 2, 0), "0Z");
  EXPECT_EQ(IntToRadix(36, 36, '0', 2, 0), "10");
  EXPECT_EQ(IntToRadix(1295, 36, '0', 2, 0), "ZZ");
  EXPECT_EQ(IntToRadix(1296, 36, '0', 2, 0), "100");  // never cut
  EXPECT_EQ(IntToRadix(5, 36, '0', 3, 1), "500");
  EXPECT_EQ(IntToRadix(5, 2, '\0', 8, 0), "101");    // NUL: no padding
  EXPECT_EQ(IntToRadix(5, 10, '0', 4, 7), "5");      // other sides pad nowhere
  EXPECT_EQ(IntToRadix(-255, 16, ' ', 5, 0), "  -FF");
  EXPECT_EQ(IntToRadix(INT32_MIN, 10, '\0', 0, 0), "-2147483648");
}

TEST(ComboCountTest, MaxIndexTextAndWideCounts) {
  auto maxIndex = [](std::uint32_t n) { return ComboCount(n).maxIndexText(); };
  EXPECT_EQ(ComboCount().maxIndexText(), "--");
  EXPECT_EQ(maxIndex(1), "00");
  EXPECT_EQ(maxIndex(6), "05");
  EXPECT_EQ(maxIndex(36), "0Z");
  EXPECT_EQ(maxIndex(1296), "ZZ");
  EXPECT_EQ(maxIndex(1297), "100");
  // Products beyond 32 and 64 bits stay exact.
  ComboCount c(1);
  for (int i = 0; i < 5; ++i) c.multiply(10000);
  EXPECT_EQ(c.toDecimal(), "100000000000000000000");
  EXPECT_FALSE(c.fitsInt32());
  ComboCount edge(0x7FFFFFFFu);
  EXPECT_TRUE(edge.fitsInt32());
  edge.multiply(2);
  EXPECT_FALSE(edge.fitsInt32());
  EXPECT_EQ(edge.toDecimal(), "4294967294");
  EXPECT_EQ(ComboCount(36 * 36).maxIndexText(), "ZZ");
}

TEST_F(PointsTest, GroupsCountAndLabels) {
  load(kRows);
  // The first row is selected after the load: point S1/r1.
  EXPECT_EQ(bench.point().sample, "S1");
  EXPECT_EQ(bench.point().area, "r1");
  EXPECT_EQ(minerals(), (std::vector<std::string>{"Grt+", "Bt+", "Pl-"}));
  ASSERT_EQ(bench.point().groups.size(), 3u);
  EXPECT_EQ(bench.point().groups[0], (std::vector<int>{0, 2, 4}));
  EXPECT_EQ(bench.point().groups[1], (std::vector<int>{1, 5}));
  EXPECT_TRUE(bench.point().groups[2].empty());
  EXPECT_EQ(bench.point().countText, "6");
  EXPECT_EQ(bench.point().maxIndexText, "05");

  // Another row of the same point changes nothing; a row of another point rebuilds.
  bench.setRowSelected(3, true);
  EXPECT_EQ(bench.point().countText, "6");
  bench.setRowSelected(7, true);
  EXPECT_EQ(minerals(), (std::vector<std::string>{"Ms+", "Grt+"}));
  EXPECT_EQ(bench.point().countText, "1");
  EXPECT_EQ(bench.point().maxIndexText, "00");
  // Losing the selection is ignored.
  bench.setRowSelected(7, false);
  EXPECT_EQ(bench.point().sample, "S2");
}

TEST_F(PointsTest, UncheckedPointShowsZero) {
  load("0\tS1\tr1\tGrt\tg1 core\r\n0\tS1\tr1\tBt\tb1 matrix\r\n");
  EXPECT_EQ(minerals(), (std::vector<std::string>{"Grt-", "Bt-"}));
  EXPECT_EQ(bench.point().countText, "0");
  EXPECT_EQ(bench.point().maxIndexText, "--");
}

TEST_F(PointsTest, RowCheckBoxes) {
  load(kRows);
  // A row at the current point rebuilds the groups.
  bench.setRowChecked(2, false);
  EXPECT_EQ(bench.point().groups[0], (std::vector<int>{0, 4}));
  EXPECT_EQ(bench.point().countText, "4");
  bench.setRowChecked(3, true);
  EXPECT_EQ(minerals(), (std::vector<std::string>{"Grt+", "Bt+", "Pl+"}));
  EXPECT_EQ(bench.point().countText, "4");
  // A row of another point changes only its own flag.
  bench.setRowChecked(6, false);
  EXPECT_FALSE(bench.table().isChecked(6));
  EXPECT_EQ(bench.point().countText, "4");
}

TEST_F(PointsTest, MineralListCheckMarks) {
  load(kRows);
  bench.setMineralChecked(0, false);  // Grt off at S1/r1 only
  EXPECT_FALSE(bench.table().isChecked(0));
  EXPECT_FALSE(bench.table().isChecked(4));
  EXPECT_TRUE(bench.table().isChecked(7));  // Grt at S2/r1
  EXPECT_TRUE(bench.table().isChecked(8));  // Grt at S1/r2
  EXPECT_EQ(minerals(), (std::vector<std::string>{"Grt-", "Bt+", "Pl-"}));
  EXPECT_EQ(bench.point().countText, "2");
  bench.setMineralChecked(2, true);  // Pl on
  EXPECT_TRUE(bench.table().isChecked(3));
  EXPECT_EQ(bench.point().countText, "2");
  EXPECT_EQ(bench.point().maxIndexText, "01");
}

TEST_F(PointsTest, UncheckMineralEverywhere) {
  load(kRows);
  bench.setRowSelected(2, true);  // a checked Grt row
  bench.toggleSelectedMineralEverywhere();
  for (int row : {0, 2, 4, 7, 8}) EXPECT_FALSE(bench.table().isChecked(row)) << row;
  EXPECT_TRUE(bench.table().isChecked(1));
  EXPECT_EQ(bench.point().countText, "2");
  bench.setRowChecked(8, true);
  bench.toggleSelectedMineralEverywhere();  // the selected row is unchecked: all Grt come back
  for (int row : {0, 2, 4, 7, 8}) EXPECT_TRUE(bench.table().isChecked(row)) << row;
  EXPECT_EQ(bench.point().countText, "6");
}

TEST_F(PointsTest, UncheckMineralWithoutSelectionDoesNothing) {
  bench.toggleSelectedMineralEverywhere();  // empty table, nothing selected
  load(kRows);
  bench.setRowSelected(0, false);
  EXPECT_EQ(bench.selectedRow(), -1);
  bench.toggleSelectedMineralEverywhere();
  EXPECT_TRUE(bench.table().isChecked(0));
}

TEST_F(PointsTest, LaterLoadAddsMineralsToTheCurrentPoint) {
  load(kRows);
  load("1\tS1\tr1\tQz\tq1 vein\r\n");
  // Still the same point; the list grows only on a rebuild.
  EXPECT_EQ(minerals().size(), 3u);
  bench.setRowChecked(0, true);
  EXPECT_EQ(minerals(), (std::vector<std::string>{"Grt+", "Bt+", "Pl-", "Qz+"}));
  EXPECT_EQ(bench.point().countText, "6");
}

TEST_F(PointsTest, DashValuesFormPointsOfTheirOwn) {
  load("1\tS1\t-\tGrt\tg1 core zone\r\n1\tS1\t-\tGrt\tg2 rim zone\r\n1\tS1\tr1\tGrt\tg3 rim zone\r\n");
  EXPECT_EQ(bench.point().area, "-");
  EXPECT_EQ(bench.point().countText, "2");
  bench.ClearTable();
  EXPECT_TRUE(bench.point().minerals.empty());
  EXPECT_EQ(bench.point().sample, "");
  EXPECT_EQ(bench.point().countText, "0");
  EXPECT_EQ(bench.point().maxIndexText, "--");
}

TEST_F(PointsTest, CountWithoutGroupsAgreesWithMakingThePointCurrent) {
  // Points with minerals in mixed letter case (one group each), unchecked
  // rows, a point with no checked row, and one with more minerals than are
  // searched one by one (40 minerals, some repeated in other cases).
  std::string body = kRows;
  body += "1\tS3\tr1\tgrt\tanalysis\r\n1\tS3\tr1\tGRT\tanalysis\r\n0\tS3\tr1\tBt\tanalysis\r\n1\tS3\tr1\tbT\tanalysis\r\n";
  body += "0\tS4\tr1\tGrt\tanalysis\r\n0\tS4\tr1\tBt\tanalysis\r\n";
  for (int i = 0; i < 40; ++i) {
    std::string m = "M" + std::to_string(i);
    body += "1\tS5\tr1\t" + m + "\tanalysis\r\n";
    if (i % 3 == 0) body += "1\tS5\tr1\t" + m + "\tanalysis\r\n";
    if (i % 5 == 0) body += "1\tS5\tr1\tm" + std::to_string(i) + "\tanalysis\r\n";  // same group, other case
    if (i % 7 == 0) body += "0\tS5\tr1\t" + m + "\tanalysis\r\n";
  }
  // Spellings that differ beyond ASCII but agree upper-cased: the dotless
  // "\xC4\xB1" upper-cases to "I", so "B\xC4\xB1" and "Bi" are one mineral,
  // whichever comes first; "B\xC3\xAF" stays a mineral of its own.
  body += "1\tS6\tr1\tBi\tanalysis\r\n1\tS6\tr1\tb\xC4\xB1\tanalysis\r\n1\tS6\tr1\tB\xC3\xAF\tanalysis\r\n";
  body += "1\tS7\tr1\tB\xC4\xB1\tanalysis\r\n1\tS7\tr1\tBI\tanalysis\r\n1\tS7\tr1\tbi\tanalysis\r\n";
  load(body);
  const AnalysisTable& table = bench.table();
  ASSERT_EQ(table.pointCount(), 8);
  for (int p = 0; p < table.pointCount(); ++p) {
    int row = table.pointRows(p).front();
    PointState byName;
    makePointCurrent(table, byName, table.cell(row, ColSample), table.cell(row, ColArea));
    PointState byIndex;
    makePointCurrent(table, byIndex, p);
    EXPECT_EQ(pointComboCount(table, p), byName.count) << p;
    EXPECT_EQ(byIndex.sample, byName.sample);
    EXPECT_EQ(byIndex.area, byName.area);
    EXPECT_EQ(byIndex.groups, byName.groups) << p;
    EXPECT_EQ(byIndex.countText, byName.countText) << p;
    ASSERT_EQ(byIndex.minerals.size(), byName.minerals.size()) << p;
    for (std::size_t m = 0; m < byName.minerals.size(); ++m)
      EXPECT_EQ(byIndex.minerals[m].mineral, byName.minerals[m].mineral);
  }
  // The counts themselves: S3 has Grt x2 and Bt x1 checked; S4 none;
  // S5 the product of each mineral's checked rows, either case.
  auto countAt = [&](const char* sample) {
    return pointComboCount(table, table.findPoint(sample, "r1")).toDecimal();
  };
  EXPECT_EQ(countAt("S3"), "2");
  EXPECT_TRUE(pointComboCount(table, table.findPoint("S4", "r1")).isZero());
  ComboCount expected(1);
  for (int i = 0; i < 40; ++i) expected.multiply(1u + (i % 3 == 0) + (i % 5 == 0));
  EXPECT_EQ(countAt("S5"), expected.toDecimal());
  PointState s5;
  makePointCurrent(table, s5, table.findPoint("S5", "r1"));
  EXPECT_EQ(s5.minerals.size(), 40u);  // "m5" joined "M5", "m0" joined "M0"
  PointState s6;
  makePointCurrent(table, s6, table.findPoint("S6", "r1"));
  ASSERT_EQ(s6.minerals.size(), 2u);
  EXPECT_EQ(s6.minerals[0].mineral, "Bi");
  EXPECT_EQ(s6.groups[0].size(), 2u);
  EXPECT_EQ(countAt("S6"), "2");
  PointState s7;
  makePointCurrent(table, s7, table.findPoint("S7", "r1"));
  ASSERT_EQ(s7.minerals.size(), 1u);
  EXPECT_EQ(s7.minerals[0].mineral, "B\xC4\xB1");
  EXPECT_EQ(countAt("S7"), "3");
}
