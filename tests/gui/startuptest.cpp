// SPDX-License-Identifier: MIT
// Start-up, window bounds and closing: the settings file is read before any
// window appears and written only by the user's close command.

#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <filesystem>

#ifndef _WIN32
// POSIX: file modes and user ids.
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "GuiTestSupport.h"
#include "platform/qt/ProgramIcon.h"
#include "platform/qt/QtServices.h"

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

TEST_F(StartupTest, ASettingsFileOfBadLinesGivesTwoMessagesThatFitTheScreen) {
  // 100,000 bad lines: missing work directories, unknown keys, numbers that
  // are none (one of them 100,000 characters long) and bounds without height.
  const std::string missing = dir.file("no-such-folder");
  std::string text = kAliasLines;
  for (int i = 0; i < 25000; ++i)
    text += "Path=" + missing + "\r\nFoo" + std::to_string(i) + "=1\r\nCUPeriod=" +
            (i == 0 ? std::string(100000, '9') : std::string("abc")) + "\r\nWinMain=1 2 3\r\n";
  start(text);

  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[0], "Work directory changed to " + dir.path());
  const QStringList lines = QString::fromStdString(services.messages[1]).split(QLatin1Char('\r'));
  // The heading, the empty line, 20 problems and the count of the others.
  ASSERT_EQ(lines.size(), 23);
  EXPECT_EQ(lines[0].toStdString(), "Errors in " + iniPath() + ":");
  EXPECT_EQ(lines[2], QStringLiteral("Unknown variable: FOO0"));
  // A piece is cut after 80 bytes, its line break included.
  EXPECT_EQ(lines[3].toStdString(), "Incorrect CUPeriod value: " + std::string(53, '9') + "...");
  EXPECT_EQ(lines[4], QStringLiteral("Incorrect WinMain value: "));
  EXPECT_EQ(lines[5], QStringLiteral("Unknown variable: FOO1"));
  EXPECT_EQ(lines[6], QStringLiteral("Incorrect CUPeriod value: abc"));
  EXPECT_EQ(lines[22], QStringLiteral("... and 74980 more"));
  EXPECT_TRUE(form->isVisible());

  // The program's own message box of that text fits the screen.
  QtServices desktop;
  QSize box;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      box = shown->frameGeometry().size();
      shown->done(0);
    }
  });
  closer.start(10);
  desktop.showMessage(services.messages[1]);
  const QSize screen = form->screen()->availableGeometry().size();
  EXPECT_FALSE(box.isEmpty());
  EXPECT_LE(box.width(), screen.width());
  EXPECT_LE(box.height(), screen.height());
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
  EXPECT_TRUE(form->settings().checkForUpdates);

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

TEST_F(StartupTest, AtTheMinimumWidthCountsShowWholeAndCheckBoxesFitTheirRows) {
  // Three minerals of 1290 analyses: 2,146,689,000 combinations, ten digits
  // as the largest count that can be generated. Seven more minerals of 1000
  // analyses, unchecked for now.
  std::string table = "Select\tSample\tArea\tMineral\tAnalysis\r\n";
  for (int m = 0; m < 10; ++m)
    for (int i = 0; i < (m < 3 ? 1290 : 1000); ++i)
      table += std::string(m < 3 ? "1" : "0") + "\tS\tr\tPhase" + std::to_string(m) + "\tanalysis " +
               std::to_string(i) + "\r\n";
  start();
  loadTable("big.tab", table);
  ASSERT_EQ(form->size(), QSize(470, 145));

  // Within the panel, right of "About", captions before values, texts whole.
  auto expectShownWhole = [&](const std::string& what) {
    const QRect room = form->Panel1->contentsRect();
    for (QLabel* label : {form->Label1, form->Label2, form->Label3, form->Label4}) {
      EXPECT_TRUE(room.contains(label->geometry())) << what << label->objectName().toStdString();
      EXPECT_GT(label->geometry().left(), form->Button3->geometry().right()) << what;
      EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
          << what << label->objectName().toStdString();
    }
    EXPECT_LT(form->Label1->geometry().right(), form->Label2->geometry().left()) << what;
    EXPECT_LT(form->Label4->geometry().right(), form->Label3->geometry().left()) << what;
    EXPECT_EQ(form->Label1->text(), QStringLiteral("Combinations:"));
    EXPECT_EQ(form->Label4->text(), QStringLiteral("Max. index:"));
  };
  ASSERT_EQ(count(), "2146689000");
  EXPECT_EQ(maxIndex(), "ZI2ZTZ");
  expectShownWhole("2146689000 ");

  // All ten minerals: 2,146,689,000 times 10^21, far more than can be
  // generated, and shortened visibly.
  for (int m = 3; m < 10; ++m) clickMineralCheck(m);
  EXPECT_EQ(count(), "2.15E+30");
  EXPECT_EQ(form->workbench().point().countText.size(), 31u);
  EXPECT_NE(maxIndex().find("\xE2\x80\xA6"), std::string::npos) << maxIndex();  // an ellipsis
  expectShownWhole("2.15E+30 ");

  // A small count stands where the window was drawn with it.
  for (int m = 0; m < 9; ++m) clickMineralCheck(m);
  EXPECT_EQ(count(), "1000");
  EXPECT_EQ(form->Label2->geometry().topLeft(), QPoint(430, 4));
  EXPECT_EQ(form->Label1->geometry().right() + 1, 428);
  expectShownWhole("1000 ");

  // Every check box of the mineral list inside its row of 13 pixels.
  for (int i = 0; i < form->CheckListBox1->count(); ++i) {
    QRect row;
    const QRect box = mineralCheckRect(i, &row);
    EXPECT_EQ(row.height(), 13);
    EXPECT_TRUE(row.contains(box)) << i;
  }
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

TEST_F(StartupTest, AFailedSettingsWriteKeepsTheWindowOpenOnce) {
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

  // The user has been told; closing again ends the program, without a
  // second message and without the settings file.
  EXPECT_TRUE(closeBox(form.get()));
  EXPECT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(form->workbench().table().rowCount(), 0);
  EXPECT_FALSE(fileExists(dir.file("gone/Vestrane.ini")));
}

#ifndef _WIN32
TEST_F(StartupTest, ASettingsFileThatCannotBeReadIsSaidOnceAndNeverWrittenOver) {
  // The user's file of mode 000, read as a user who may not read it (root
  // reads anything, so the window is made as nobody), then a FIFO that
  // nobody writes: opening it would wait for a writer.
  const std::string userText = std::string(kAliasLines) + "WinMain=30 40 500 300\r\nAll=Y\r\n";
  writeBytes(iniPath(), userText);
  ASSERT_EQ(::chmod(iniPath().c_str(), 0), 0);
  const bool root = ::geteuid() == 0;
  if (!root && ::access(iniPath().c_str(), R_OK) == 0) GTEST_SKIP() << "this user may read a file of mode 000";
  if (root && ::seteuid(65534) != 0) GTEST_SKIP() << "root could not act as nobody (seteuid)";
  form = std::make_unique<TForm1>(services, exePath());
  if (root) {
    ASSERT_EQ(::seteuid(0), 0);
  }

  auto expectDefaultsAndNoWrite = [&](const std::string& reason) {
    form->applyBounds();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(services.messages, std::vector<std::string>{"Error: can not read " + iniPath() + " (" + reason + ")"});
    EXPECT_EQ(services.windowVisibleAtMessage, std::vector<bool>{false});
    EXPECT_EQ(form->pos(), QPoint(0, 0));
    EXPECT_EQ(form->size(), QSize(470, 145));
    EXPECT_FALSE(form->CheckBox1->isChecked());
    EXPECT_TRUE(form->settings().aliases.sample.empty());
    // The close box closes without writing, and without a second word.
    form->move(50, 60);
    EXPECT_TRUE(closeBox(form.get()));
    EXPECT_EQ(services.messages.size(), 1u);
    services.messages.clear();
    services.windowVisibleAtMessage.clear();
  };
  expectDefaultsAndNoWrite("Permission denied");
  EXPECT_EQ(readBytes(iniPath()), userText);
  struct stat st {};
  ASSERT_EQ(::stat(iniPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0u);

  std::filesystem::remove(iniPath());
  UnwrittenFifo fifo(iniPath());
  ASSERT_TRUE(fifo.created());
  form.reset();
  form = std::make_unique<TForm1>(services, exePath());
  EXPECT_FALSE(fifo.wokeAReader()) << "the window waited in open() for a writer";
  expectDefaultsAndNoWrite("not a regular file");
  ASSERT_EQ(::lstat(iniPath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}
#endif

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
