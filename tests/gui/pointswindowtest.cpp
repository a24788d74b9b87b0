// SPDX-License-Identifier: MIT
// The Points window: the points of an "All at once" run with their exact
// counts and file sizes, sorting by value, the points that can not be
// generated, and a double-click that selects the point in the main table.

#include <QHeaderView>
#include <QLabel>
#include <filesystem>

#include "GuiTestSupport.h"
#include "app/PointsModel.h"
#include "app/PointsWindow.h"
#include "combine/SizeText.h"

namespace vestrane::testing {
namespace {

class PointsWindowTest : public MainWindowTest {
 protected:
  QAbstractItemModel* points() const { return form->pointsWindow()->pointsView->model(); }
  /// A row of the window, its cells joined by "|".
  std::string pointRow(int row) const {
    std::string text;
    for (int column = 0; column < points()->columnCount(); ++column)
      text += (column ? "|" : "") + points()->index(row, column).data().toString().toStdString();
    return text;
  }
  std::string cell(int row, int column) const {
    return points()->index(row, column).data().toString().toStdString();
  }
  std::string sampleAt(int row) const { return cell(row, 0); }
  void clickHeading(int column) {
    QHeaderView* header = form->pointsWindow()->pointsView->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
  }
};

/// A point of ten minerals with ten analyses each: 10^10 combinations.
std::string tenByTen() {
  const char* minerals[] = {"Grt", "Bt", "Pl", "Ms", "Qz", "Ky", "Sil", "St", "Chl", "Ilm"};
  std::string text = "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tFeO\r\n";
  for (const char* mineral : minerals)
    for (int a = 0; a < 10; ++a)
      text += std::string("1\tS3\tr3\t") + mineral + "\tanalysis " + std::to_string(a) + "\t40.0\t10.0\r\n";
  return text;
}

TEST_F(PointsWindowTest, ListsTheRunWithExactSizesSortsByValueAndSelectsOnDoubleClick) {
  start();
  loadTable();
  // The sizes the window must show: the files a run really writes.
  const std::string folder = dir.file("points");
  std::filesystem::create_directories(folder);
  PointState point = form->workbench().point();
  ASSERT_TRUE(GenerationRun(form->workbench().table(), point, -1).separate(folder).ok);
  const auto s1Bytes = std::filesystem::file_size(folder + "/S1_r1.tab");
  const auto s2Bytes = std::filesystem::file_size(folder + "/S2_r2.tab");
  point = form->workbench().point();
  ASSERT_TRUE(GenerationRun(form->workbench().table(), point, -1).combinedFile(dir.file("both.tab")).ok);
  const auto bothBytes = std::filesystem::file_size(dir.file("both.tab"));
  loadTable("big.tab", tenByTen());

  QTest::keyClick(view(), Qt::Key_P, Qt::ControlModifier);
  ASSERT_NE(form->pointsWindow(), nullptr);
  EXPECT_TRUE(form->pointsWindow()->isVisible());
  EXPECT_EQ(form->pointsWindow()->windowTitle().toStdString(), "Points");
  QStringList headings;
  for (int column = 0; column < points()->columnCount(); ++column)
    headings << points()->headerData(column, Qt::Horizontal).toString();
  EXPECT_EQ(headings.join('|').toStdString(), "Sample|Area|Minerals|Combinations|Lines|Bytes|Missing");
  // Missing shows once minerals are required.
  EXPECT_TRUE(form->pointsWindow()->pointsView->isColumnHidden(PointsModel::Missing));

  // In the order of the run; Pl of S1/r1 has no checked analysis.
  ASSERT_EQ(points()->rowCount(), 3);
  // Sizes in SI units, the exact bytes in the tooltip; counts with digit groups.
  EXPECT_EQ(pointRow(0), "S1|r1|Grt:2 Bt:1|2|4|" + byteSizeText(s1Bytes) + "|");
  EXPECT_EQ(pointRow(1), "S2|r2|Grt:2 Opx:3|6|12|" + byteSizeText(s2Bytes) + "|");
  auto tooltip = [this](int row) {
    return points()->index(row, PointsModel::Bytes).data(Qt::ToolTipRole).toString().toStdString();
  };
  EXPECT_EQ(tooltip(0), std::to_string(s1Bytes) + " bytes");
  EXPECT_EQ(tooltip(1), std::to_string(s2Bytes) + " bytes");
  EXPECT_EQ(pointRow(2).substr(0, pointRow(2).rfind('|', pointRow(2).rfind('|') - 1)),
            "S3|r3|Grt:10 Bt:10 Pl:10 Ms:10 Qz:10 Ky:10 Sil:10 St:10 Chl:10 Ilm:10|" +
                countText(BigCount(10000000000ull)) + "|" + countText(BigCount(100000000000ull)));
  // Only the point beyond what can be generated stands out.
  EXPECT_FALSE(points()->index(1, 3).data(Qt::ForegroundRole).isValid());
  EXPECT_EQ(points()->index(2, 3).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(192, 0, 0));
  const std::string totals = form->pointsWindow()->totalsLabel->text().toStdString();
  // The totals are those of the points that can be written.
  EXPECT_EQ(totals, "2 points, 8 combinations, 16 lines, " + byteSizeText(bothBytes) +
                        " in one combined file\n1 point in red, not counted above: " + kNotGenerable);
  EXPECT_EQ(form->pointsWindow()->totalsLabel->toolTip().toStdString(),
            std::to_string(bothBytes) + " bytes in one combined file");

  // Numbers sort by value (as text 10000000000 would come first), both ways.
  clickHeading(3);
  EXPECT_EQ(sampleAt(0) + sampleAt(1) + sampleAt(2), "S1S2S3");
  clickHeading(3);
  EXPECT_EQ(sampleAt(0) + sampleAt(1) + sampleAt(2), "S3S2S1");

  // A double-click selects the point's first checked row in the main table.
  QTableView* list = form->pointsWindow()->pointsView;
  const QPoint at = list->visualRect(points()->index(1, 0)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);  // a double-click's first click
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(selectedViewRow(), 4);
  EXPECT_EQ(form->workbench().point().sample, "S2");
  EXPECT_EQ(count(), "6");

  // The open window follows changes of the table, and their undo.
  clickRowCheckBox(6);
  EXPECT_EQ(cell(1, 2) + "|" + cell(1, 3), "Grt:2 Opx:2|4");
  form->undoItem->trigger();
  EXPECT_EQ(cell(1, 2) + "|" + cell(1, 3), "Grt:2 Opx:3|6");
  form->Clear1->trigger();
  EXPECT_EQ(points()->rowCount(), 0);
  EXPECT_EQ(form->pointsWindow()->totalsLabel->text().toStdString(),
            "0 points, 0 combinations, 0 lines, 0 B in one combined file");
}

}  // namespace
}  // namespace vestrane::testing
