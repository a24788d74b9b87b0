// SPDX-License-Identifier: MIT
// The table workflow in the window: loading, choosing rows and minerals,
// saving, copying, pasting and clearing, with the captions and counters.

#include <algorithm>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "GuiTestSupport.h"

namespace vestrane::testing {
namespace {

using TableTest = MainWindowTest;

TEST_F(TableTest, LoadsThroughTheOpenDialogAndShowsTheFirstPoint) {
  start();
  const std::string path = loadTable();

  ASSERT_EQ(services.openRequests.size(), 1u);
  const FileDialogRequest& request = services.openRequests[0];
  EXPECT_EQ(request.initialDir, dir.path());
  EXPECT_EQ(request.filter,
            "Tables (*.tab *.txt *.tsv *.csv *.xlsx *.xlsm *.ods *.xls)"
            "|*.tab;*.txt;*.tsv;*.csv;*.xlsx;*.xlsm;*.ods;*.xls"
            "|TAB-delimited tables (*.tab)|*.tab|CSV files (*.csv)|*.csv"
            "|Spreadsheets (*.xlsx *.xlsm *.ods *.xls)|*.xlsx;*.xlsm;*.ods;*.xls|All files (*)|*");
  EXPECT_EQ(request.defaultExt, "tab");
  EXPECT_TRUE(services.messages.empty());

  EXPECT_EQ(caption(), "Vestrane - table.tab");
  EXPECT_EQ(form->workbench().openDialogFileName, path);
  ASSERT_EQ(view()->model()->rowCount(), 9);
  ASSERT_EQ(view()->model()->columnCount(), 7);
  EXPECT_EQ(view()->model()->headerData(5, Qt::Horizontal).toString().toStdString(), "SiO2");
  EXPECT_EQ(view()->horizontalHeader()->sectionSize(5), 50);
  EXPECT_EQ(view()->horizontalHeader()->sectionSize(1), 100);
  // Column 0: check box and row label; then the cells.
  EXPECT_EQ(index(3, 0).data().toString().toStdString(), "3");
  EXPECT_FALSE(rowChecked(3));
  EXPECT_TRUE(rowChecked(2));
  EXPECT_EQ(index(6, 3).data().toString().toStdString(), "Opx");
  EXPECT_EQ(index(6, 6).data().toString().toStdString(), "25.1");

  // The first row is selected and focused, and its point is current.
  EXPECT_EQ(selectedViewRow(), 0);
  EXPECT_EQ(view()->currentIndex().row(), 0);
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Bt+", "Pl-"}));
  EXPECT_EQ(count(), "2");
  EXPECT_EQ(maxIndex(), "01");
}

TEST_F(TableTest, ACancelledOpenDialogChangesNothing) {
  start();
  services.openAnswers.push_back(std::nullopt);
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  EXPECT_EQ(services.openRequests.size(), 1u);
  EXPECT_EQ(view()->model()->rowCount(), 0);
  EXPECT_EQ(caption(), "Vestrane");
}

TEST_F(TableTest, AFileThatCannotBeReadIsReported) {
  start();
  services.openAnswers.push_back(dir.file("missing.tab"));
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  EXPECT_EQ(services.messages, (std::vector<std::string>{"Error: can not open file " + dir.file("missing.tab")}));
  EXPECT_EQ(caption(), "Vestrane");
}

TEST_F(TableTest, LoadsTheShippedExample) {
  const std::string example = std::string(VESTRANE_SOURCE_DIR) + "/examples/metapelite.tab";
  if (!fileExists(example)) GTEST_SKIP() << "no example table";
  start(readBytes(std::string(VESTRANE_SOURCE_DIR) + "/app/Vestrane.ini"));
  services.messages.clear();
  services.openAnswers.push_back(example);
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  EXPECT_EQ(caption(), "Vestrane - metapelite.tab");
  EXPECT_GT(view()->model()->rowCount(), 10);
  EXPECT_GT(view()->model()->columnCount(), 5);
  EXPECT_FALSE(mineralList().empty());
  EXPECT_NE(count(), "0");
}

TEST_F(TableTest, SelectingRowsOfTwoPointsRebuildsTheMineralList) {
  start();
  loadTable();

  clickCell(5, 2);
  EXPECT_EQ(selectedViewRow(), 5);
  EXPECT_EQ(view()->currentIndex().column(), 2);  // the clicked cell stays current
  EXPECT_EQ(form->workbench().selectedRow(), 5);
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Opx+"}));
  EXPECT_EQ(count(), "6");
  EXPECT_EQ(maxIndex(), "05");
  EXPECT_EQ(form->workbench().point().groups, (std::vector<std::vector<int>>{{4, 5}, {6, 7, 8}}));

  clickCell(1, 4);
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Bt+", "Pl-"}));
  EXPECT_EQ(count(), "2");
  EXPECT_EQ(maxIndex(), "01");
  EXPECT_EQ(form->workbench().point().groups, (std::vector<std::vector<int>>{{0, 2}, {1}, {}}));

  // Keys move the selection like the mouse.
  view()->setFocus();
  for (int i = 0; i < 3; ++i) QTest::keyClick(view(), Qt::Key_Down);
  EXPECT_EQ(selectedViewRow(), 4);
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Opx+"}));
}

TEST_F(TableTest, RowCheckBoxesByMouseAndSpaceRebuildTheGroups) {
  start();
  loadTable();
  clickCell(1, 1);  // point S1/r1: Grt g1 g2, Bt b1, Pl p1 unchecked

  clickRowCheckBox(2);  // Grt g2 off
  EXPECT_FALSE(rowChecked(2));
  EXPECT_FALSE(form->workbench().table().isChecked(2));
  EXPECT_EQ(count(), "1");
  EXPECT_EQ(maxIndex(), "00");
  EXPECT_EQ(form->workbench().point().groups, (std::vector<std::vector<int>>{{0}, {1}, {}}));

  clickRowCheckBox(3);  // Pl p1 on
  EXPECT_TRUE(rowChecked(3));
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Bt+", "Pl+"}));
  EXPECT_EQ(count(), "1");

  // Space toggles the current row's check box whichever cell is current.
  clickCell(2, 4);
  view()->setFocus();
  QTest::keyClick(view(), Qt::Key_Space);
  EXPECT_TRUE(rowChecked(2));
  EXPECT_EQ(count(), "2");
  EXPECT_EQ(form->workbench().point().groups, (std::vector<std::vector<int>>{{0, 2}, {1}, {3}}));
  QTest::keyClick(view(), Qt::Key_Space);
  EXPECT_FALSE(rowChecked(2));
  EXPECT_EQ(count(), "1");

  // A click on the row label, not on the box, leaves the flag alone.
  const QRect cell = view()->visualRect(index(0, 0));
  QTest::mouseClick(viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 3, cell.center().y()));
  EXPECT_TRUE(rowChecked(0));

  // A row of another point changes alone; the current point stays as it is.
  clickRowCheckBox(7);
  EXPECT_FALSE(form->workbench().table().isChecked(7));
  EXPECT_EQ(form->workbench().point().sample, "S1");
  EXPECT_EQ(count(), "1");
}

TEST_F(TableTest, TheMineralListChecksAndUnchecksAMineralAtThePoint) {
  start();
  loadTable();

  clickMineralCheck(2);  // Pl on: its row at this point follows
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Bt+", "Pl+"}));
  EXPECT_TRUE(rowChecked(3));
  EXPECT_EQ(count(), "2");

  clickMineralCheck(0);  // Grt off: both garnets of S1/r1, none of S2/r2
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt-", "Bt+", "Pl+"}));
  EXPECT_FALSE(rowChecked(0));
  EXPECT_FALSE(rowChecked(2));
  EXPECT_TRUE(rowChecked(4));
  EXPECT_TRUE(rowChecked(5));
  EXPECT_EQ(count(), "1");
  EXPECT_EQ(maxIndex(), "00");

  // Unchecking every analysis of a mineral row by row unchecks its entry.
  clickRowCheckBox(1);
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt-", "Bt-", "Pl+"}));
}

TEST_F(TableTest, UncheckMineralTogglesAMineralInTheWholeTable) {
  start();
  loadTable();
  clickCell(4, 3);  // Grt g3 at S2/r2, checked

  form->Uncheckmineral1->trigger();
  for (int row : {0, 2, 4, 5}) EXPECT_FALSE(rowChecked(row)) << row;
  for (int row : {1, 6, 7, 8}) EXPECT_TRUE(rowChecked(row)) << row;
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt-", "Opx+"}));
  EXPECT_EQ(count(), "3");

  form->Uncheckmineral1->trigger();
  for (int row : {0, 2, 4, 5}) EXPECT_TRUE(rowChecked(row)) << row;
  EXPECT_EQ(count(), "6");

  // Without a selected row the command does nothing.
  form->Clear1->trigger();
  form->Uncheckmineral1->trigger();
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(TableTest, ACsvFileLoadsAsItsTabTableAndSaveProposesItsNameWithTab) {
  start();
  std::string csv = kTable;
  ASSERT_EQ(csv.find(';'), std::string::npos);
  std::replace(csv.begin(), csv.end(), '\t', ';');
  loadTable("lab.csv", csv);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(caption(), "Vestrane - lab.csv");

  const std::string saved = dir.file("saved.tab");
  services.saveAnswers.push_back(saved);
  form->Save1->trigger();
  ASSERT_EQ(services.saveRequests.size(), 1u);
  EXPECT_EQ(services.saveRequests[0].proposedName, dir.file("lab.tab"));
  EXPECT_EQ(readBytes(saved), kTable);
}

TEST_F(TableTest, SaveCopyPasteAndClearWithTheirCaptions) {
  start();
  const std::string path = loadTable();
  const std::string saved = dir.file("sub/saved.tab");
  std::filesystem::create_directories(dir.file("sub"));

  services.saveAnswers.push_back(saved);
  form->Save1->trigger();
  ASSERT_EQ(services.saveRequests.size(), 1u);
  EXPECT_EQ(services.saveRequests[0].proposedName, path);
  EXPECT_TRUE(services.saveRequests[0].overwritePrompt);
  EXPECT_EQ(services.saveRequests[0].defaultExt, "tab");
  EXPECT_EQ(readBytes(saved), kTable);
  EXPECT_EQ(caption(), "Vestrane - table.tab");
  EXPECT_EQ(form->workbench().openDialogInitialDir, dir.file("sub"));

  form->Copy1->trigger();
  ASSERT_TRUE(services.clipboard.has_value());
  EXPECT_EQ(*services.clipboard, kTable);

  // A width the user gave a column outlasts the table.
  view()->horizontalHeader()->resizeSection(2, 80);
  form->Clear1->trigger();
  EXPECT_EQ(caption(), "Vestrane");
  EXPECT_EQ(view()->model()->rowCount(), 0);
  EXPECT_EQ(view()->model()->columnCount(), 5);
  EXPECT_EQ(view()->horizontalHeader()->sectionSize(1), 100);
  EXPECT_EQ(view()->horizontalHeader()->sectionSize(2), 80);
  EXPECT_TRUE(mineralList().empty());
  EXPECT_EQ(count(), "0");
  EXPECT_EQ(maxIndex(), "--");
  EXPECT_EQ(selectedViewRow(), -1);

  // Save and Copy on an empty table do nothing.
  services.clipboard = "unchanged";
  form->Copy1->trigger();
  form->Save1->trigger();
  EXPECT_EQ(*services.clipboard, "unchanged");
  EXPECT_EQ(services.saveRequests.size(), 1u);

  services.clipboard = kTable;
  form->Pastethetable1->trigger();
  EXPECT_EQ(caption(), "Vestrane - <Not saved>");
  EXPECT_EQ(view()->model()->rowCount(), 9);
  EXPECT_EQ(view()->model()->columnCount(), 7);
  EXPECT_EQ(selectedViewRow(), 0);
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Bt+", "Pl-"}));

  // A second paste appends the rows; the selection stays on the first row.
  clickCell(6, 1);
  form->Pastethetable1->trigger();
  EXPECT_EQ(view()->model()->rowCount(), 18);
  EXPECT_EQ(index(17, 0).data().toString().toStdString(), "17");
  EXPECT_EQ(selectedViewRow(), 0);
  EXPECT_EQ(form->workbench().selectedRow(), 0);
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Bt+", "Pl-"}));
}

TEST_F(TableTest, KeyboardShortcutsRunTheMenuCommands) {
  start();
  loadTable();
  view()->setFocus();

  QTest::keyClick(view(), Qt::Key_C, Qt::ControlModifier);
  ASSERT_TRUE(services.clipboard.has_value());
  EXPECT_EQ(*services.clipboard, kTable);

  QTest::keyClick(view(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(view()->model()->rowCount(), 18);
  EXPECT_EQ(caption(), "Vestrane - <Not saved>");

  services.saveAnswers.push_back(std::nullopt);
  QTest::keyClick(form->Button2, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(services.saveRequests.size(), 1u);
}

TEST_F(TableTest, TheContextMenuOpensOnTheTable) {
  start();
  loadTable();
  bool shown = false;
  QObject::connect(form->PopupMenu1, &QMenu::aboutToShow, [&] {
    shown = true;
    QMetaObject::invokeMethod(form->PopupMenu1, &QMenu::close, Qt::QueuedConnection);
  });
  const QPoint at = cellCenter(1, 1);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport()->mapToGlobal(at));
  QApplication::sendEvent(viewport(), &event);
  EXPECT_TRUE(QTest::qWaitFor([&] { return shown; }));
}

TEST_F(TableTest, DroppedTabFilesLoadOneAfterAnother) {
  start();
  writeBytes(dir.file("a.tab"), kTable);
  writeBytes(dir.file("b.TAB"), kTable);
  writeBytes(dir.file("notes.txt"), kTable);
  std::string csv = kTable;
  std::replace(csv.begin(), csv.end(), '\t', ',');
  writeBytes(dir.file("c.CSV"), csv);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.file("a.tab"))),
                QUrl::fromLocalFile(QString::fromStdString(dir.file("notes.txt"))),
                QUrl::fromLocalFile(QString::fromStdString(dir.file("c.CSV"))),
                QUrl::fromLocalFile(QString::fromStdString(dir.file("b.TAB")))});

  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &drop);

  EXPECT_TRUE(QTest::qWaitFor([&] { return view()->model()->rowCount() == 27; }));
  EXPECT_EQ(view()->model()->rowCount(), 27);
  EXPECT_EQ(caption(), "Vestrane - b.TAB");
  EXPECT_EQ(form->workbench().openDialogFileName, dir.file("b.TAB"));
  EXPECT_TRUE(services.openRequests.empty());

  QMimeData text;
  text.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.file("notes.txt")))});
  QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  refused.setAccepted(false);
  QApplication::sendEvent(form.get(), &refused);
  EXPECT_FALSE(refused.isAccepted());
}

TEST_F(TableTest, TheTableModelKeepsItsContractThroughTheWorkflow) {
  start();
  QAbstractItemModelTester tester(form->tableModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  loadTable();
  clickCell(5, 1);
  clickRowCheckBox(6);
  clickMineralCheck(0);
  form->Uncheckmineral1->trigger();
  services.clipboard = "Sample\tMineral\tNew\r\nS9\tGrt\tx y z w v u\r\n";
  form->Pastethetable1->trigger();
  EXPECT_EQ(view()->model()->columnCount(), 8);
  form->Clear1->trigger();
  loadTable();
  EXPECT_EQ(view()->model()->rowCount(), 9);
}

TEST_F(TableTest, ALargeTableLoadsAndScrollsToItsEnd) {
  start();
  std::string text = "Sample\tArea\tMineral\tAnalysis\tSiO2\tFeO\tMgO\r\n";
  text.reserve(200000 * 48);
  for (int i = 0; i < 200000; ++i)
    text += "S" + std::to_string(i / 40) + "\tA\t" + (i % 2 ? "Grt" : "Bt") + "\tan" +
            std::to_string(i) + "\t37.5\t30.1\t5.5\r\n";
  loadTable("big.tab", text);
  EXPECT_EQ(view()->model()->rowCount(), 200000);
  view()->scrollToBottom();
  clickCell(199990, 1);
  QApplication::processEvents();
  EXPECT_EQ(form->workbench().point().sample, "S4999");
}

}  // namespace
}  // namespace vestrane::testing
