// SPDX-License-Identifier: MIT
// Undo and redo: steps of checked flags and of whole tables go back and
// forth exactly, with the caption and the point, within the memory bound.

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "app/core/UndoHistory.h"
#include "table/TableWriter.h"

using namespace vestrane;

namespace {

class UndoHistoryTest : public vestrane::testing::WorkbenchTest {
 protected:
  AnalysisTable& live = bench.table();

  /// @p rows rows in points of 40, every seventh unchecked.
  void loadRows(int rows) {
    std::string text = "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tFeO\r\n";
    for (int r = 0; r < rows; ++r) {
      text += r % 7 ? "1" : "0";
      text += "\tKL-" + std::to_string(r / 4000) + "\tA" + std::to_string(r / 40 % 100) + "\t" +
              (r % 3 ? "Grt" : "Bt") + "\tanalysis " + std::to_string(r) + "\t37." + std::to_string(r % 97) +
              "\t" + std::to_string(r % 31) + ",5\r\n";
    }
    load(text);
  }
};

/// Empties @p table as "Clear" does and gives what it held.
AnalysisTable takeRows(AnalysisTable& table) {
  AnalysisTable cleared;
  for (int column = 0; column < kFixedColumns; ++column) cleared.setCaption(column, table.caption(column));
  std::swap(table, cleared);
  return cleared;
}

UndoView viewOf(const std::string& caption, const std::string& sample, int row) {
  UndoView v;
  v.caption = caption;
  v.sample = sample;
  v.area = "A";
  v.selectedRow = row;
  return v;
}

}  // namespace

TEST_F(UndoHistoryTest, CheckStepsGoBackAndForth) {
  loadRows(320);
  UndoHistory history;
  const std::string original = checkFlags();
  UndoView view = viewOf("Vestrane - a.tab", "KL-0", 0);

  // One check box, then a change of most rows (kept as a bitmap).
  EXPECT_FALSE(history.recordFlips("Check box", {}, view));  // nothing changed
  live.setChecked(5, false);
  ASSERT_TRUE(history.recordFlips("Check box", {5}, view));
  const std::string afterBox = checkFlags();

  std::vector<int> flipped;
  for (int row = 0; row < live.rowCount(); ++row) {
    if (row % 3 == 0 || !live.isChecked(row)) continue;
    live.setChecked(row, false);
    flipped.push_back(row);
  }
  ASSERT_TRUE(history.recordFlips(kStepUncheckMineral, flipped, viewOf("c2", "KL-0", 7)));
  const std::string afterMineral = checkFlags();
  view = viewOf("c3", "other", 9);

  EXPECT_EQ(history.undoName(), "(Un)check mineral");
  EXPECT_EQ(history.undo(live, view), "(Un)check mineral");
  EXPECT_EQ(checkFlags(), afterBox);
  EXPECT_EQ(view.caption, "c2");
  EXPECT_EQ(view.selectedRow, 7);
  EXPECT_EQ(history.undo(live, view), "Check box");
  EXPECT_EQ(checkFlags(), original);
  EXPECT_EQ(view.caption, "Vestrane - a.tab");
  EXPECT_EQ(history.undo(live, view), "");  // nothing left

  EXPECT_EQ(history.redoName(), "Check box");
  EXPECT_EQ(history.redo(live, view), "Check box");
  EXPECT_EQ(history.redo(live, view), "(Un)check mineral");
  EXPECT_EQ(checkFlags(), afterMineral);
  EXPECT_EQ(view.caption, "c3");
  EXPECT_EQ(view.sample, "other");
  EXPECT_FALSE(history.canRedo());

  // A new step ends what could be redone.
  history.undo(live, view);
  ASSERT_TRUE(history.canRedo());
  live.setChecked(0, !live.isChecked(0));
  history.recordFlips("Check box", {0}, view);
  EXPECT_FALSE(history.canRedo());
  EXPECT_EQ(history.undoSteps(), 2u);
}

TEST_F(UndoHistoryTest, ClearOfALargeTableComesBack) {
  loadRows(200000);
  ASSERT_EQ(table.rowCount(), 200000);
  const std::string saved = SerializeTable(table);
  const int points = table.pointCount();
  const int point = table.findPoint("KL-3", "A17");
  ASSERT_GE(point, 0);
  UndoHistory history;
  UndoView view = viewOf("Vestrane - big.tab", "KL-0", 0);

  ASSERT_TRUE(history.recordTableChange(kStepClear, takeRows(live), view));
  EXPECT_EQ(table.rowCount(), 0);
  EXPECT_EQ(table.columnCount(), kFixedColumns);
  EXPECT_GT(history.memoryUsed(), 200000u * 8);  // the rows are held by the history
  EXPECT_LE(history.memoryUsed(), UndoHistory::kDefaultMemoryBound);

  view = viewOf("Vestrane", "", -1);
  EXPECT_EQ(history.undo(live, view), "Clear");
  EXPECT_EQ(SerializeTable(table), saved);
  EXPECT_EQ(table.pointCount(), points);
  EXPECT_EQ(table.findPoint("KL-3", "A17"), point);
  EXPECT_EQ(view.caption, "Vestrane - big.tab");

  EXPECT_EQ(history.redo(live, view), "Clear");
  EXPECT_EQ(table.rowCount(), 0);
  EXPECT_EQ(SerializeTable(table), "Select\tSample\tArea\tMineral\tAnalysis\r\n");
  history.undo(live, view);
  EXPECT_EQ(SerializeTable(table), saved);
}

TEST_F(UndoHistoryTest, MemoryBoundDropsTheOldestSteps) {
  // Three steps of one table's size each, in a bound of two and a half.
  loadRows(1000);
  UndoHistory probe;
  probe.recordTableChange(kStepPaste, live, UndoView());
  const std::size_t step = probe.memoryUsed();
  UndoHistory history(step * 5 / 2, 100);
  UndoView view;
  std::vector<std::string> states;
  for (int paste = 0; paste < 3; ++paste) {
    live.setChecked(paste, false);
    states.push_back(SerializeTable(table));
    ASSERT_TRUE(history.recordTableChange(kStepPaste, live, view));
    EXPECT_LE(history.memoryUsed(), step * 5 / 2);
  }
  EXPECT_EQ(history.undoSteps(), 2u);
  history.undo(live, view);
  EXPECT_EQ(SerializeTable(table), states[2]);
  history.undo(live, view);
  EXPECT_EQ(SerializeTable(table), states[1]);
  EXPECT_EQ(history.undo(live, view), "");

  // At most so many steps.
  UndoHistory few(UndoHistory::kDefaultMemoryBound, 3);
  for (int row = 0; row < 5; ++row) {
    live.setChecked(row, false);
    few.recordFlips("Check box", {row}, view);
  }
  EXPECT_EQ(few.undoSteps(), 3u);

  // A step larger than the whole bound is not kept, nor are those before it.
  UndoHistory small(step / 2, 100);
  live.setChecked(0, true);
  ASSERT_TRUE(small.recordFlips("Check box", {0}, view));
  EXPECT_FALSE(small.recordTableChange(kStepClear, takeRows(live), view));
  EXPECT_EQ(table.rowCount(), 0);
  EXPECT_FALSE(small.canUndo());
  EXPECT_EQ(small.memoryUsed(), 0u);
}
