// Start-up, window bounds and closing: the settings file is read before any
// window appears and written only by the user's close command.

#include <QHeaderView>
#include <QMenu>
#include <QPushButton>

#include "GuiTestSupport.h"
#include "app/ProgramIcon.h"

namespace vestrane::testing {
namespace {

using StartupTest = MainWindowTest;

TEST_F(StartupTest, SettingsMessagesComeFirstThenTheWindowWithTheValuesRead) {
  const std::string missing = dir.file("no-such-folder");
  start(std::string(kAliasLines) + "Path=" + missing +
        "\r\nFoo=1\r\nWinMain=10 20 300 100\r\nAll=Y\r\nSeparate=yes\r\nCUPeriod=abc\r\n");

  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[0], "Work directory changed to " + dir.path());
  EXPECT_EQ(services.messages[1], "Errors in " + iniPath() +
                                      ":\r\rUnknown variable: FOO\rIncorrect CUPeriod value: abc");
  EXPECT_EQ(services.windowVisibleAtMessage, (std::vector<bool>{false, false}));

  // The stored position stays, the size is raised to the minimum.
  EXPECT_EQ(form->pos(), QPoint(10, 20));
  EXPECT_EQ(form->size(), QSize(470, 145));
  EXPECT_TRUE(form->CheckBox1->isChecked());
  EXPECT_TRUE(form->CheckBox2->isChecked());
  EXPECT_EQ(form->workbench().openDialogInitialDir, dir.path());
  EXPECT_EQ(form->workbench().saveDialogInitialDir, dir.path());
}

TEST_F(StartupTest, WithoutSettingsTheWindowIsEmptyAtTheTopLeftAtItsMinimumSize) {
  startWithoutSettings();
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(form->pos(), QPoint(0, 0));
  EXPECT_EQ(form->size(), QSize(470, 145));
  EXPECT_EQ(caption(), "Vestrane");
  EXPECT_EQ(form->objectName().toStdString(), "Form1");
  EXPECT_FALSE(form->windowIcon().isNull());
  // The program picture: the crystal in the middle, the corners transparent.
  const QImage picture = programPicture().toImage();
  ASSERT_EQ(picture.size(), QSize(100, 100));
  EXPECT_EQ(qAlpha(picture.pixel(50, 50)), 255);
  EXPECT_EQ(qAlpha(picture.pixel(1, 1)), 0);
  EXPECT_EQ(count(), "0");
  EXPECT_EQ(maxIndex(), "--");
  EXPECT_FALSE(form->CheckBox1->isChecked());
  EXPECT_EQ(form->workbench().openDialogInitialDir, dir.path());
  EXPECT_TRUE(form->settings().chkUpdates);

  // The five fixed columns with their widths.
  QHeaderView* header = view()->horizontalHeader();
  ASSERT_EQ(view()->model()->columnCount(), 5);
  const char* captions[] = {"Select", "Sample", "Area", "Mineral", "Analysis"};
  const int widths[] = {60, 100, 50, 50, 60};
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(view()->model()->headerData(c, Qt::Horizontal).toString().toStdString(), captions[c]);
    EXPECT_EQ(header->sectionSize(c), widths[c]) << "column " << c;
  }
}

TEST_F(StartupTest, StoredBoundsAreAppliedAsTheyAre) {
  start(std::string(kAliasLines) + "WinMain=-3000 5000 640 480\r\n");
  EXPECT_EQ(form->pos(), QPoint(-3000, 5000));
  EXPECT_EQ(form->size(), QSize(640, 480));
}

TEST_F(StartupTest, ControlsSitWhereTheWindowPutsThem) {
  start(std::string(kAliasLines) + "WinMain=0 0 600 300\r\n");
  // The mineral list at the left, the table beside it, the panel at the bottom.
  EXPECT_EQ(form->CheckListBox1->geometry(), QRect(0, 0, 75, 300 - 39));
  EXPECT_EQ(form->ListView1->geometry(), QRect(75, 0, 600 - 75, 300 - 39));
  EXPECT_EQ(form->Panel1->geometry(), QRect(0, 300 - 39, 600, 39));
  EXPECT_EQ(form->Button2->geometry(), QRect(88, 7, 122, 25));
  EXPECT_EQ(form->Button2->text().toStdString(), "Generate Combinations");
  EXPECT_EQ(form->Label1->geometry().right() + 1, 428);
  EXPECT_EQ(form->Label2->geometry().left(), 430);
  EXPECT_EQ(form->Label4->geometry().right() + 1, 428);
  EXPECT_EQ(form->Label3->geometry().topLeft(), QPoint(430, 20));
  // Every caption fits its control.
  for (QAbstractButton* b : form->Panel1->findChildren<QAbstractButton*>()) {
    const int needed = b->fontMetrics().horizontalAdvance(b->text());
    EXPECT_LT(needed, b->width()) << b->objectName().toStdString();
  }
  // Names that people and tests find the controls by.
  for (const char* name : {"ListView1", "CheckListBox1", "Panel1", "Button1", "Button3", "CheckBox1",
                           "CheckBox2", "Label1", "Label2", "Label3", "Label4", "PopupMenu1"})
    EXPECT_NE(form->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
  // The popup menu's items, in order: the five of the table's commands, then
  // the points, the total filter, undo and redo.
  std::vector<std::string> items;
  for (QAction* action : form->PopupMenu1->actions())
    items.push_back(action->objectName().toStdString() + ":" + action->text().toStdString());
  EXPECT_EQ(items, (std::vector<std::string>{"Clear1:Clear", "Pastethetable1:Paste", "Copy1:Copy",
                                             "Save1:Save", "Uncheckmineral1:(Un)check mineral",
                                             "pointsItem:Points", "uncheckByTotalItem:Uncheck by total...",
                                             "undoItem:Undo", "redoItem:Redo"}));
  EXPECT_FALSE(form->undoItem->isEnabled());
  EXPECT_FALSE(form->redoItem->isEnabled());
}

TEST_F(StartupTest, TheCloseBoxWritesTheSettingsThenClearsTheTable) {
  start(std::string(kAliasLines) + "WinMain=30 40 500 300\r\nLastUpdate=01.02.2020\r\n");
  loadTable();
  form->move(50, 60);
  form->resize(520, 333);
  QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
  ASSERT_TRUE(form->CheckBox1->isChecked());

  EXPECT_TRUE(closeBox(form.get()));

  EXPECT_EQ(readBytes(iniPath()),
            "Path=" + dir.path() + "\r\n"
            "WinMain=50 60 520 333\r\n"
            "Sample=SAMPLE\r\nArea=AREA\r\nMineral=MINERAL\r\nAnalysis=ANALYSIS\r\nSelect=SELECT\r\n"
            "All=Y\r\nSeparate=N\r\nChkUpdates=Y\r\nCUPeriod=0\r\nLastUpdate=01.02.2020\r\n");
  EXPECT_EQ(form->workbench().table().rowCount(), 0);
  EXPECT_EQ(view()->model()->rowCount(), 0);
  EXPECT_EQ(caption(), "Vestrane");
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(StartupTest, AFailedSettingsWriteKeepsTheWindowOpen) {
  // The executable's folder does not exist, so its settings file cannot be written.
  form = std::make_unique<TForm1>(services, dir.file("gone/Vestrane"));
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->settings().aliases.sample = {"SAMPLE"};
  form->settings().aliases.mineral = {"MINERAL"};
  std::string text = kTable;
  form->workbench().ParseTableText(text);
  ASSERT_EQ(form->workbench().table().rowCount(), 9);

  EXPECT_FALSE(closeBox(form.get()));

  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].rfind("Error: can not write " + dir.file("gone/Vestrane.ini"), 0), 0u)
      << services.messages[0];
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->workbench().table().rowCount(), 9);
}

TEST_F(StartupTest, ACloseByTheProgramItselfDoesNotWriteTheSettings) {
  start(std::string(kAliasLines) + "WinMain=30 40 500 300\r\n");
  const std::string before = readBytes(iniPath());
  loadTable();
  form->resize(700, 400);

  EXPECT_TRUE(form->close());

  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(readBytes(iniPath()), before);
  EXPECT_EQ(form->workbench().table().rowCount(), 0);
  EXPECT_EQ(caption(), "Vestrane");
}

}  // namespace
}  // namespace vestrane::testing
