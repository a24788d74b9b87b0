// SPDX-License-Identifier: MIT
// Undo and redo in the window: every kind of change to the table goes back
// and forth with its rows, columns, captions, checked flags, the window
// caption, the current point and the selected row; "Uncheck by total..."
// through its dialog.

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QUrl>

#include "GuiTestSupport.h"
#include "app/TotalDialog.h"
#include "table/TableWriter.h"

namespace vestrane::testing {
namespace {

class UndoTest : public MainWindowTest {
 protected:
  std::string flags() const {
    std::string f;
    for (int row = 0; row < view()->model()->rowCount(); ++row) f += rowChecked(row) ? '1' : '0';
    return f;
  }
  std::string undoText() const { return form->undoItem->text().toStdString(); }
  std::string redoText() const { return form->redoItem->text().toStdString(); }
  void undo() { QTest::keyClick(view(), Qt::Key_Z, Qt::ControlModifier); }
  void redo() { QTest::keyClick(view(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }
  void redoByY() { QTest::keyClick(view(), Qt::Key_Y, Qt::ControlModifier); }
  std::string header(int column) const {
    return view()->model()->headerData(column, Qt::Horizontal).toString().toStdString();
  }
};

TEST_F(UndoTest, CheckBoxesMineralsAndUncheckMineralGoBackWithTheirPoint) {
  start();
  QAbstractItemModelTester tester(form->tableModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  loadTable();
  ASSERT_EQ(flags(), "111011111");

  clickRowCheckBox(2);  // Grt g2 off at S1/r1
  EXPECT_EQ(undoText(), "Undo Uncheck analysis");
  const int boxRow = selectedViewRow();
  clickMineralCheck(2);  // Pl on at S1/r1
  EXPECT_EQ(undoText(), "Undo Check Pl");
  EXPECT_EQ(flags(), "110111111");
  clickCell(4, 3);  // S2/r2 becomes current: no step
  form->Uncheckmineral1->trigger();  // every Grt off
  EXPECT_EQ(flags(), "010100111");
  EXPECT_EQ(undoText(), "Undo (Un)check mineral");
  EXPECT_FALSE(form->redoItem->isEnabled());

  undo();
  EXPECT_EQ(flags(), "110111111");
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Opx+"}));
  EXPECT_EQ(count(), "6");
  EXPECT_EQ(selectedViewRow(), 4);
  EXPECT_EQ(undoText(), "Undo Check Pl");
  EXPECT_EQ(redoText(), "Redo (Un)check mineral");
  EXPECT_TRUE(form->redoItem->isEnabled());

  // The point goes back to where the mineral was checked.
  undo();
  EXPECT_EQ(flags(), "110011111");
  EXPECT_EQ(form->workbench().point().sample, "S1");
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Bt+", "Pl-"}));
  EXPECT_EQ(count(), "1");
  EXPECT_EQ(selectedViewRow(), boxRow);

  undo();
  EXPECT_EQ(flags(), "111011111");
  EXPECT_EQ(count(), "2");
  EXPECT_EQ(undoText(), "Undo Load TAB file");

  // Ctrl+Shift+Z and Ctrl+Y both redo; the point is the one the step was
  // undone at, here S2/r2 again once "Check Pl" is redone.
  redo();
  EXPECT_EQ(flags(), "110011111");
  EXPECT_EQ(form->workbench().point().sample, "S1");
  redoByY();
  EXPECT_EQ(flags(), "110111111");
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Opx+"}));
  redoByY();
  EXPECT_EQ(flags(), "010100111");
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt-", "Opx+"}));
  EXPECT_EQ(count(), "3");
  EXPECT_FALSE(form->redoItem->isEnabled());
  EXPECT_EQ(redoText(), "Redo");

  // A new change ends what could be redone.
  undo();
  clickRowCheckBox(8);
  EXPECT_EQ(undoText(), "Undo Uncheck analysis");
  EXPECT_FALSE(form->redoItem->isEnabled());
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(UndoTest, LoadPasteClearAndDropGoBackWithColumnsAndCaptions) {
  start();
  QAbstractItemModelTester tester(form->tableModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  EXPECT_FALSE(form->undoItem->isEnabled());
  loadTable();
  services.clipboard = "Sample\tMineral\tNew\r\nS9\tGrt\tx y z w v u\r\n";
  form->Pastethetable1->trigger();
  clickRowCheckBox(7);
  clickCell(5, 1);  // S2/r2
  const std::string beforeClear = flags();
  EXPECT_EQ(caption(), "Vestrane - <Not saved>");
  form->Clear1->trigger();
  EXPECT_EQ(view()->model()->rowCount(), 0);
  EXPECT_EQ(undoText(), "Undo Clear");

  // A load that fails, or a cancelled one, changes nothing and is no step.
  services.openAnswers.push_back(dir.file("missing.tab"));
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  EXPECT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(undoText(), "Undo Clear");

  undo();
  EXPECT_EQ(view()->model()->rowCount(), 10);
  EXPECT_EQ(view()->model()->columnCount(), 8);
  EXPECT_EQ(header(7), "New");
  EXPECT_EQ(index(9, 7).data().toString().toStdString(), "x y z w v u");
  EXPECT_EQ(flags(), beforeClear);
  EXPECT_EQ(caption(), "Vestrane - <Not saved>");
  EXPECT_EQ(selectedViewRow(), 5);
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Opx+"}));
  EXPECT_EQ(count(), "4");

  undo();  // the check box
  undo();  // the paste
  EXPECT_EQ(view()->model()->rowCount(), 9);
  EXPECT_EQ(view()->model()->columnCount(), 7);
  EXPECT_EQ(caption(), "Vestrane - table.tab");
  EXPECT_EQ(undoText(), "Undo Load TAB file");
  undo();
  EXPECT_EQ(view()->model()->rowCount(), 0);
  EXPECT_EQ(view()->model()->columnCount(), 5);
  EXPECT_EQ(caption(), "Vestrane");
  EXPECT_EQ(mineralList(), std::vector<std::string>{});
  EXPECT_EQ(count(), "0");
  EXPECT_EQ(maxIndex(), "--");
  EXPECT_FALSE(form->undoItem->isEnabled());
  EXPECT_EQ(redoText(), "Redo Load TAB file");

  for (int step = 0; step < 4; ++step) redoByY();
  EXPECT_EQ(view()->model()->rowCount(), 0);
  EXPECT_EQ(caption(), "Vestrane");

  // Files dropped together are one step.
  writeBytes(dir.file("a.tab"), kTable);
  writeBytes(dir.file("b.tab"), kTable);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.file("a.tab"))),
                QUrl::fromLocalFile(QString::fromStdString(dir.file("b.tab")))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &enter);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &drop);
  EXPECT_TRUE(QTest::qWaitFor([&] { return view()->model()->rowCount() == 18; }));
  EXPECT_EQ(undoText(), "Undo Drop files");
  undo();
  EXPECT_EQ(view()->model()->rowCount(), 0);
  EXPECT_EQ(undoText(), "Undo Clear");
}

TEST_F(UndoTest, ATablePutBackByUndoMergesTheColumnsOfFurtherFiles) {
  start();
  loadTable("a.tab");  // SiO2, FeO
  form->Clear1->trigger();
  loadTable("b.tab",
            "Select\tSample\tArea\tMineral\tAnalysis\tMgO\tFeO\r\n"
            "1\tS5\tr5\tGrt\tg5\t5.5\t30.1\r\n"
            "1\tS5\tr5\tBt\tb5\t9.9\t20.2\r\n");
  undo();
  undo();
  ASSERT_EQ(view()->model()->columnCount(), 7);
  ASSERT_EQ(header(5), "SiO2");

  // The third file's SiO2 and FeO go into the table's own columns.
  loadTable("c.tab");
  EXPECT_EQ(view()->model()->rowCount(), 18);
  EXPECT_EQ(view()->model()->columnCount(), 7);
  EXPECT_EQ(index(14, 5).data().toString().toStdString(), "37.2");
}

TEST_F(UndoTest, UncheckByTotalThroughItsDialogAndBack) {
  start();
  loadTable("totals.tab",
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tTotal\r\n"
            "1\tS1\tr1\tGrt\tg1\t37.5\t100.46\r\n"
            "1\tS1\tr1\tGrt\tg2\t37.8\t97,9\r\n"
            "1\tS1\tr1\tBt\tb1\t35.0\tn.a.\r\n"
            "1\tS2\tr2\tGrt\tg3\t37.1\t101.6\r\n"
            "1\tS2\tr2\tGrt\tg4\t37.2\t99.0\r\n"
            "0\tS2\tr2\tOpx\to1\t50.3\t50\r\n");

  // The first time: the Total column and 98.5 to 101.5; here only the current point.
  bool seen = false;
  whenModalOpens<TotalDialog>([&](TotalDialog* dialog) {
    seen = true;
    QStringList columns;
    for (int i = 0; i < dialog->columnBox->count(); ++i) columns << dialog->columnBox->itemText(i);
    EXPECT_EQ(columns.join('|').toStdString(),
              "SiO2|Total|Sum of the columns after Analysis");  // no text columns
    EXPECT_EQ(dialog->columnBox->currentText().toStdString(), "Total");
    EXPECT_EQ(dialog->lowestEdit->text().toStdString(), "98.5");
    EXPECT_EQ(dialog->highestEdit->text().toStdString(), "101.5");
    EXPECT_TRUE(dialog->wholeTableButton->isChecked());
    dialog->currentPointButton->setChecked(true);
    dialog->buttons->button(QDialogButtonBox::Ok)->click();
  });
  form->uncheckByTotalItem->trigger();
  ASSERT_TRUE(seen);
  EXPECT_EQ(services.messages, std::vector<std::string>{"1 analysis unchecked, 1 without a number\r\n"
                                                        "Grt: 1 of 2 unchecked, 0 without a number\r\n"
                                                        "Bt: 0 of 1 unchecked, 1 without a number"});
  EXPECT_EQ(flags(), "101110");
  EXPECT_EQ(count(), "1");
  EXPECT_EQ(undoText(), "Undo Uncheck by total");

  // The bounds come back as used; no number, or the lowest above the
  // highest, leaves OK disabled.
  whenModalOpens<TotalDialog>([&](TotalDialog* dialog) {
    QPushButton* ok = dialog->buttons->button(QDialogButtonBox::Ok);
    EXPECT_TRUE(dialog->currentPointButton->isChecked());
    dialog->lowestEdit->setText("n.a.");
    EXPECT_FALSE(ok->isEnabled());
    dialog->lowestEdit->setText("102");
    EXPECT_FALSE(ok->isEnabled());
    dialog->lowestEdit->setText("99,5");
    EXPECT_TRUE(ok->isEnabled());
    dialog->wholeTableButton->setChecked(true);
    ok->click();
  });
  form->uncheckByTotalItem->trigger();
  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[1],
            "2 analyses unchecked, 1 without a number\r\nGrt: 2 of 3 unchecked, 0 without a number\r\n"
            "Bt: 0 of 1 unchecked, 1 without a number\r\n"
            "Warning: Grt: 2 of 3 unchecked, more than half of its checked analyses");
  EXPECT_EQ(flags(), "101000");

  whenModalOpens<TotalDialog>([&](TotalDialog* dialog) {
    EXPECT_EQ(dialog->lowestEdit->text().toStdString(), "99.5");
    dialog->reject();
  });
  form->uncheckByTotalItem->trigger();
  EXPECT_EQ(services.messages.size(), 2u);

  // The dialog has taken the focus away; the menu items undo as well.
  form->undoItem->trigger();
  EXPECT_EQ(flags(), "101110");
  form->undoItem->trigger();
  EXPECT_EQ(flags(), "111110");
  EXPECT_EQ(count(), "2");
}

TEST_F(UndoTest, ClearOfALargeTableComesBackWhole) {
  start();
  std::string text = "Sample\tArea\tMineral\tAnalysis\tSiO2\tFeO\tTotal\r\n";
  text.reserve(200000 * 52);
  for (int i = 0; i < 200000; ++i)
    text += "S" + std::to_string(i / 40) + "\tA\t" + (i % 2 ? "Grt" : "Bt") + "\tan" + std::to_string(i) +
            "\t37.5\t30.1\t" + (i % 3 ? "99.5" : "97.0") + "\r\n";
  loadTable("big.tab", text);
  clickCell(150000, 2);
  const std::string saved = SerializeTable(form->workbench().table());

  form->Clear1->trigger();
  EXPECT_EQ(view()->model()->rowCount(), 0);
  // The history holds the rows, within its bound.
  const UndoHistory& history = form->workbench().undoHistory();
  EXPECT_GT(history.memoryUsed(), std::size_t{200000} * 8);
  EXPECT_LE(history.memoryUsed(), UndoHistory::kDefaultMemoryBound);
  undo();
  EXPECT_EQ(view()->model()->rowCount(), 200000);
  EXPECT_EQ(SerializeTable(form->workbench().table()), saved);
  EXPECT_EQ(caption(), "Vestrane - big.tab");
  EXPECT_EQ(selectedViewRow(), 150000);
  EXPECT_EQ(form->workbench().point().sample, "S3750");
}

}  // namespace
}  // namespace vestrane::testing
