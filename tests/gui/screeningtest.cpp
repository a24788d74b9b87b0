// SPDX-License-Identifier: MIT
// Screening before a run in the window: ranges of totals per mineral in the
// "Uncheck by total" dialog, held against the batch tool and an independent
// reading of the rule; the rows behind the counts shown and stepped through;
// points lacking required minerals marked in the Points window and
// unchecked as one undo step.

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <set>

#include "GuiTestSupport.h"
#include "app/PointsModel.h"
#include "app/PointsWindow.h"
#include "app/RequiredDialog.h"
#include "app/TotalDialog.h"

namespace vestrane::testing {
namespace {

using ScreeningTest = MainWindowTest;

/// A generated table: four points of garnet, biotite, muscovite and
/// plagioclase whose totals spread over 90 to 102 wt%, some without a
/// number, some unchecked from the start.
struct GeneratedTable {
  std::string text = "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tTotal\r\n";
  std::vector<std::string> minerals;
  std::vector<double> totals;  ///< NaN: no number
  std::vector<bool> checked;
  GeneratedTable() {
    const char* kinds[] = {"Grt", "Bt", "Grt", "Ms", "Bt", "Pl", "Ms", "Bt", "Grt", "Pl"};
    unsigned seed = 12345;
    for (int point = 0; point < 4; ++point)
      for (int i = 0; i < 10; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int row = static_cast<int>(totals.size());
        const double total = 90.0 + static_cast<double>((seed >> 8) % 121) / 10.0;
        const bool number = row % 7 != 3;
        const bool on = row % 11 != 5;
        minerals.push_back(kinds[i]);
        totals.push_back(number ? total : std::nan(""));
        checked.push_back(on);
        char cell[16];
        std::snprintf(cell, sizeof cell, "%.1f", total);
        text += std::string(on ? "1" : "0") + "\tS" + std::to_string(point) + "\tr1\t" + kinds[i] + "\ta" +
                std::to_string(row) + "\t40.0\t" + (number ? cell : "n.a.") + "\r\n";
      }
  }
};

TEST_F(ScreeningTest, RangesPerMineralMatchTheBatchToolAndShowSelectsTheRowsCounted) {
  start();
  const GeneratedTable g;
  const std::string path = loadTable("generated.tab", g.text);

  // Bt and Ms held to ranges of their own, the others to the one for all.
  bool seen = false;
  whenModalOpens<TotalDialog>([&](TotalDialog* dialog) {
    seen = true;
    std::string listed;
    for (const TotalDialog::MineralRow& row : dialog->mineralRows) listed += row.mineral + " ";
    EXPECT_EQ(listed, "Grt Bt Ms Pl ");
    for (const TotalDialog::MineralRow& row : dialog->mineralRows) {
      EXPECT_FALSE(row.lowest->isEnabled());  // "as for all" until ticked
      if (row.mineral == "Bt" || row.mineral == "Ms") row.own->setChecked(true);
      if (row.mineral == "Bt") row.lowest->setText("94");
      if (row.mineral == "Bt") row.highest->setText("97");
      if (row.mineral == "Ms") row.lowest->setText("94,5");
      if (row.mineral == "Ms") row.highest->setText("96.5");
    }
    QPushButton* ok = dialog->buttons->button(QDialogButtonBox::Ok);
    dialog->mineralRows[1].highest->setText("93");  // Bt: lowest above highest
    EXPECT_FALSE(ok->isEnabled());
    dialog->mineralRows[1].highest->setText("97");
    EXPECT_TRUE(ok->isEnabled());
    ok->click();
  });
  services.offerAnswers = {true};  // "Show"
  form->uncheckByTotalItem->trigger();
  ASSERT_TRUE(seen);

  // The rule read independently: bounds included, rows without a number kept.
  std::string expected;
  std::vector<int> counted;
  int unchecked = 0;
  int withoutNumber = 0;
  for (std::size_t row = 0; row < g.totals.size(); ++row) {
    double lowest = 98.5, highest = 101.5;
    if (g.minerals[row] == "Bt") lowest = 94.0, highest = 97.0;
    if (g.minerals[row] == "Ms") lowest = 94.5, highest = 96.5;
    const double total = g.totals[row];
    const bool out = g.checked[row] && !std::isnan(total) && (total < lowest - 1e-9 || total > highest + 1e-9);
    const bool noNumber = g.checked[row] && std::isnan(total);
    expected += g.checked[row] && !out ? '1' : '0';
    if (out || noNumber) counted.push_back(static_cast<int>(row));
    unchecked += out;
    withoutNumber += noNumber;
  }
  ASSERT_GT(unchecked, 3);
  ASSERT_GT(withoutNumber, 1);
  std::string flags;
  for (int row = 0; row < form->workbench().table().rowCount(); ++row)
    flags += form->workbench().table().isChecked(row) ? '1' : '0';
  EXPECT_EQ(flags, expected);

  // The batch tool, given the same ranges (a mineral in any letter case), keeps the same rows.
  QProcess tool;
  tool.start(QStringLiteral(VESTRANE_COMBINE_EXE),
             {"--settings", QString::fromStdString(iniPath()), "--total-range", "98.5:101.5", "--total-range",
              "Bt=94:97", "--total-range", "ms=94.5:96.5", "--save", "-", QString::fromStdString(path)});
  ASSERT_TRUE(tool.waitForFinished(30000));
  EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  std::string toolFlags;
  const QList<QByteArray> lines = tool.readAllStandardOutput().split('\n');
  for (qsizetype i = 1; i < lines.size(); ++i)
    if (!lines[i].isEmpty()) toolFlags += lines[i].startsWith('1') ? '1' : '0';
  EXPECT_EQ(toolFlags, expected);

  // The message counts what the table shows, and "Show" selects exactly those rows.
  ASSERT_EQ(services.offered, std::vector<std::string>{"Show"});
  ASSERT_FALSE(services.messages.empty());
  const std::string& message = services.messages.back();
  EXPECT_EQ(message.substr(0, message.find('\r')),
            std::to_string(unchecked) + " analyses unchecked, " + std::to_string(withoutNumber) + " without a number");
  std::vector<int> selected;
  for (const QModelIndex& index : view()->selectionModel()->selectedRows()) selected.push_back(index.row());
  std::sort(selected.begin(), selected.end());
  EXPECT_EQ(selected, counted);

  // F3 and Shift+F3 step through them, round at the ends.
  EXPECT_EQ(view()->currentIndex().row(), counted.front());
  form->activateWindow();  // the dialog that was over it has gone
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTest::keyClick(view(), Qt::Key_F3);
  EXPECT_EQ(selectedViewRow(), counted[1]);
  QTest::keyClick(view(), Qt::Key_F3, Qt::ShiftModifier);
  QTest::keyClick(view(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(selectedViewRow(), counted.back());
  EXPECT_EQ(form->workbench().selectedRow(), counted.back());

  // The dialog comes back with the ranges used.
  whenModalOpens<TotalDialog>([&](TotalDialog* dialog) {
    std::string ranges;
    for (const TotalDialog::MineralRow& row : dialog->mineralRows)
      ranges += row.mineral + (row.own->isChecked() ? "=" + row.lowest->text().toStdString() + ":" +
                                                          row.highest->text().toStdString()
                                                    : std::string()) + " ";
    EXPECT_EQ(ranges, "Grt Bt=94:97 Ms=94.5:96.5 Pl ");
    dialog->reject();
  });
  form->uncheckByTotalItem->trigger();
}

TEST_F(ScreeningTest, PointsLackingRequiredMineralsAreMarkedAndUncheckedInOneStep) {
  start();
  // S1 has both; S2 lacks Bt; S3 lacks Grt; S4's only garnet is unchecked.
  loadTable("points.tab",
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
            "1\tS1\tr1\tGrt\tg1\t37.1\r\n1\tS1\tr1\tBt\tb1\t35.1\r\n"
            "1\tS2\tr1\tGrt\tg2\t37.2\r\n1\tS2\tr1\tPl\tp1\t60.1\r\n"
            "1\tS3\tr1\tBt\tb2\t35.2\r\n1\tS3\tr1\tPl\tp2\t60.2\r\n"
            "0\tS4\tr1\tGrt\tg3\t37.3\r\n1\tS4\tr1\tBt\tb3\t35.3\r\n1\tS4\tr1\tPl\tp3\t60.3\r\n");
  ASSERT_EQ(form->workbench().table().rowCount(), 9);
  QTest::keyClick(view(), Qt::Key_P, Qt::ControlModifier);
  PointsWindow* window = form->pointsWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->uncheckLackingItem->isEnabled());

  whenModalOpens<RequiredDialog>([&](RequiredDialog* dialog) {
    QStringList listed;
    for (int i = 0; i < dialog->mineralList->count(); ++i) listed << dialog->mineralList->item(i)->text();
    EXPECT_EQ(listed.join('|').toStdString(), "Grt|Bt|Pl");
    dialog->mineralList->item(0)->setCheckState(Qt::Checked);
    dialog->mineralList->item(1)->setCheckState(Qt::Checked);
    dialog->buttons->button(QDialogButtonBox::Ok)->click();
  });
  window->requiredButton->click();
  QAbstractItemModel* points = window->pointsView->model();
  EXPECT_FALSE(window->pointsView->isColumnHidden(PointsModel::Missing));
  std::string missing;
  std::string marked;
  for (int row = 0; row < points->rowCount(); ++row) {
    missing += points->index(row, PointsModel::Missing).data().toString().toStdString() + " ";
    marked += points->index(row, PointsModel::Sample).data(Qt::BackgroundRole).isValid() ? '1' : '0';
  }
  EXPECT_EQ(missing, "- Bt Grt Grt ");
  EXPECT_EQ(marked, "0111");
  EXPECT_NE(window->totalsLabel->text().toStdString().find("\n3 points lack a required mineral"), std::string::npos);

  // One step unchecks them all, and one undo takes it back.
  ASSERT_TRUE(window->uncheckLackingItem->isEnabled());
  window->uncheckLackingItem->trigger();
  auto flags = [this] {
    std::string f;
    for (int row = 0; row < form->workbench().table().rowCount(); ++row)
      f += form->workbench().table().isChecked(row) ? '1' : '0';
    return f;
  };
  EXPECT_EQ(flags(), "110000000");
  EXPECT_EQ(points->rowCount(), 1);
  EXPECT_FALSE(window->uncheckLackingItem->isEnabled());
  EXPECT_EQ(form->undoItem->text().toStdString(), "Undo Uncheck points lacking required minerals");
  form->undoItem->trigger();
  EXPECT_EQ(flags(), "111111011");
  EXPECT_EQ(form->undoItem->text().toStdString(), "Undo Load TAB file");
  EXPECT_EQ(points->rowCount(), 4);
}

}  // namespace
}  // namespace vestrane::testing
