// SPDX-License-Identifier: MIT
// "Generate Combinations" from the window: one point through the save
// dialog, all points into separate files or one file, and a long run with
// its progress dialog and Cancel button.

#include <QProgressDialog>
#include <algorithm>
#include <functional>
#include <QPushButton>
#include <QTimer>

#include "GuiTestSupport.h"

namespace vestrane::testing {
namespace {

const std::string kHeader = "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tFeO\r\n";

// Combinations of S1/r1: Grt g1 or g2, with Bt b1 (Pl is unchecked).
const std::string kS1Lines =
    "1\tS1\tr1_00\tGrt\tg1\t37.5\t30.1\r\n"
    "1\tS1\tr1_00\tBt\tb1\t35.0\t20.2\r\n"
    "1\tS1\tr1_01\tGrt\tg2\t37.8\t29.9\r\n"
    "1\tS1\tr1_01\tBt\tb1\t35.0\t20.2\r\n";

// Combinations of S2/r2: the garnet varies slowest.
const std::string kS2Lines =
    "1\tS2\tr2_00\tGrt\tg3\t37.1\t31.0\r\n1\tS2\tr2_00\tOpx\to1\t50.3\t25.1\r\n"
    "1\tS2\tr2_01\tGrt\tg3\t37.1\t31.0\r\n1\tS2\tr2_01\tOpx\to2\t50.6\t24.7\r\n"
    "1\tS2\tr2_02\tGrt\tg3\t37.1\t31.0\r\n1\tS2\tr2_02\tOpx\to3\t50.1\t25.5\r\n"
    "1\tS2\tr2_03\tGrt\tg4\t37.2\t30.8\r\n1\tS2\tr2_03\tOpx\to1\t50.3\t25.1\r\n"
    "1\tS2\tr2_04\tGrt\tg4\t37.2\t30.8\r\n1\tS2\tr2_04\tOpx\to2\t50.6\t24.7\r\n"
    "1\tS2\tr2_05\tGrt\tg4\t37.2\t30.8\r\n1\tS2\tr2_05\tOpx\to3\t50.1\t25.5\r\n";

class GenerateTest : public MainWindowTest {
 protected:
  void SetUp() override {
    start();
    std::filesystem::create_directories(dir.file("in"));
    loadTable("in/table.tab");  // the work directory becomes "in"
  }
  void generate() { QTest::mouseClick(form->Button2, Qt::LeftButton); }
};

TEST_F(GenerateTest, OnePointIntoTheFileChosenInTheSaveDialog) {
  const std::string out = dir.file("out.tab");
  services.saveAnswers.push_back(out);
  generate();

  ASSERT_EQ(services.saveRequests.size(), 1u);
  EXPECT_EQ(services.saveRequests[0].proposedName, "S1_r1.tab");
  EXPECT_EQ(services.saveRequests[0].initialDir, dir.file("in"));
  EXPECT_TRUE(services.saveRequests[0].overwritePrompt);
  EXPECT_EQ(readBytes(out), kHeader + kS1Lines);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(GenerateTest, FewerThanTwoCombinationsAreRefusedWithoutADialog) {
  clickRowCheckBox(2);  // S1/r1 down to one combination
  ASSERT_EQ(count(), "1");
  generate();
  EXPECT_EQ(services.messages, (std::vector<std::string>{"Error: less than 2 combinations!"}));
  EXPECT_TRUE(services.saveRequests.empty());
}

TEST_F(GenerateTest, AllPointsIntoSeparateFilesInTheWorkDirectory) {
  clickCell(6, 1);  // S2/r2 selected
  QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
  QTest::mouseClick(form->CheckBox2, Qt::LeftButton);
  generate();

  EXPECT_EQ(services.messages, (std::vector<std::string>{"Files written:\r\nS1_r1.tab\r\nS2_r2.tab"}));
  EXPECT_TRUE(services.saveRequests.empty());
  EXPECT_EQ(readBytes(dir.file("in/S1_r1.tab")), kHeader + kS1Lines);
  EXPECT_EQ(readBytes(dir.file("in/S2_r2.tab")), kHeader + kS2Lines);
  // The window shows the selected row's point again.
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Opx+"}));
  EXPECT_EQ(count(), "6");
  EXPECT_EQ(selectedViewRow(), 6);
}

TEST_F(GenerateTest, AllPointsIntoOneFile) {
  QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
  const std::string out = dir.file("all.tab");
  services.saveAnswers.push_back(out);
  generate();

  ASSERT_EQ(services.saveRequests.size(), 1u);
  EXPECT_EQ(services.saveRequests[0].proposedName, "AllComb.tab");
  EXPECT_EQ(readBytes(out), kHeader + kS1Lines + kS2Lines);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(mineralList(), (std::vector<std::string>{"Grt+", "Bt+", "Pl-"}));
  EXPECT_EQ(count(), "2");
}

/// A point of three minerals with 60 analyses each: 216,000 combinations of
/// three lines.
std::string bigPoint(const std::string& sample) {
  std::string text;
  for (const char* mineral : {"Grt", "Bt", "Pl"})
    for (int i = 0; i < 60; ++i)
      text += "1\t" + sample + "\tr\t" + mineral + "\tan" + std::to_string(i) + "\t1.0\t2.0\r\n";
  return text;
}

class LongRunTest : public MainWindowTest {
 protected:
  QProgressDialog* seenDialog = nullptr;

  void SetUp() override {
    start();
    // A small point first, then two big ones.
    loadTable("big.tab", std::string(kTable) + bigPoint("B1") + bigPoint("B2"));
    form->setProgressDelay(0);
  }

  /// Presses Cancel in the progress dialog once @p when says so.
  void cancelWhen(std::function<bool()> when, QTimer& watcher) {
    QObject::connect(&watcher, &QTimer::timeout, [this, when] {
      auto* dialog = form->findChild<QProgressDialog*>(QStringLiteral("ProgressDialog"));
      if (!dialog || !dialog->isVisible()) return;
      seenDialog = dialog;
      if (when()) {
        QPushButton* cancel = dialog->findChild<QPushButton*>();
        if (cancel) QTest::mouseClick(cancel, Qt::LeftButton);
      }
    });
    watcher.start(0);
  }
};

TEST_F(LongRunTest, CancellingOnePointWritesNothing) {
  clickCell(20, 1);  // point B1
  ASSERT_EQ(count(), "216000");
  const std::string out = dir.file("big-out.tab");
  services.saveAnswers.push_back(out);
  QTimer watcher;
  cancelWhen([] { return true; }, watcher);
  QTest::mouseClick(form->Button2, Qt::LeftButton);
  watcher.stop();

  EXPECT_NE(seenDialog, nullptr);
  EXPECT_FALSE(fileExists(out));
  EXPECT_TRUE(services.messages.empty());
  // The dialog is gone and the window takes input again.
  EXPECT_EQ(form->findChild<QProgressDialog*>(QStringLiteral("ProgressDialog")), nullptr);
  clickCell(1, 1);
  EXPECT_EQ(count(), "2");
}

TEST_F(LongRunTest, CancellingSeparateFilesNamesTheFilesFinishedBefore) {
  QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
  QTest::mouseClick(form->CheckBox2, Qt::LeftButton);
  QTimer watcher;
  // Points S1/r1, S2/r2 and B1/r are done, B2/r is being written.
  cancelWhen([this] { return fileExists(dir.file("B1_r.tab")); }, watcher);
  QTest::mouseClick(form->Button2, Qt::LeftButton);
  watcher.stop();

  EXPECT_NE(seenDialog, nullptr);
  EXPECT_EQ(readBytes(dir.file("S1_r1.tab")), kHeader + kS1Lines);
  EXPECT_TRUE(fileExists(dir.file("B1_r.tab")));
  EXPECT_FALSE(fileExists(dir.file("B2_r.tab")));
  EXPECT_EQ(services.messages,
            (std::vector<std::string>{"Cancelled. Files written:\r\nS1_r1.tab\r\nS2_r2.tab\r\nB1_r.tab"}));
}

TEST_F(LongRunTest, AnUninterruptedRunReportsAsUsual) {
  form->setProgressDelay(60 * 60 * 1000);  // no dialog
  QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
  QTest::mouseClick(form->CheckBox2, Qt::LeftButton);
  QTest::mouseClick(form->Button2, Qt::LeftButton);
  EXPECT_EQ(services.messages,
            (std::vector<std::string>{"Files written:\r\nS1_r1.tab\r\nS2_r2.tab\r\nB1_r.tab\r\nB2_r.tab"}));
  EXPECT_EQ(form->findChild<QProgressDialog*>(QStringLiteral("ProgressDialog")), nullptr);
}

/// What the progress dialog showed at each of the run's reports.
struct ProgressSeen {
  std::vector<int> percents;  ///< -1 for a busy bar without a percentage
  std::vector<QPoint> offsets;  ///< the dialog's centre from the main window's
};

class ProgressDialogTest : public MainWindowTest {
 protected:
  void SetUp() override {
    start();
    // One huge point (648,000 lines) before six small ones (24 lines in all).
    std::string table = kHeader + bigPoint("B1");
    for (int i = 3; i <= 6; ++i) {
      const std::string sample = "S" + std::to_string(i);
      table += "1\t" + sample + "\tr\tGrt\tg\t1\t2\r\n1\t" + sample + "\tr\tBt\tb\t1\t2\r\n";
    }
    loadTable("big.tab", table + std::string(kTable).substr(kHeader.size()));
    form->setProgressDelay(0);
    form->move(230, 170);
    form->resize(620, 380);
  }

  /// Generates, noting what the dialog shows whenever the run lets it.
  ProgressSeen generate() {
    ProgressSeen seen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      auto* dialog = form->findChild<QProgressDialog*>(QStringLiteral("ProgressDialog"));
      if (!dialog || !dialog->isVisible()) return;
      seen.percents.push_back(dialog->maximum() > 0 ? dialog->value() * 100 / dialog->maximum() : -1);
      seen.offsets.push_back(dialog->frameGeometry().center() - form->frameGeometry().center());
    });
    watcher.start(0);
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    return seen;
  }
};

TEST_F(ProgressDialogTest, TheDialogSitsOverTheWindowAndCountsLinesNotPoints) {
  // All points into one file: the huge point comes first, and while it is
  // written the bar moves from 0 to nearly 100 %.
  QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
  services.saveAnswers.push_back(dir.file("all.tab"));
  ProgressSeen all = generate();
  ASSERT_GE(all.percents.size(), 5u);
  EXPECT_TRUE(std::is_sorted(all.percents.begin(), all.percents.end()));
  EXPECT_EQ(all.percents.front(), 0);
  EXPECT_GE(all.percents.back(), 85);
  EXPECT_TRUE(std::any_of(all.percents.begin(), all.percents.end(), [](int p) { return p >= 30 && p <= 70; }));
  for (const QPoint& offset : all.offsets) EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();

  // The huge point alone: the same, no busy bar.
  QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
  clickCell(0, 1);
  ASSERT_EQ(count(), "216000");
  services.saveAnswers.push_back(dir.file("one.tab"));
  form->move(40, 30);
  ProgressSeen one = generate();
  ASSERT_GE(one.percents.size(), 5u);
  EXPECT_TRUE(std::is_sorted(one.percents.begin(), one.percents.end()));
  EXPECT_TRUE(std::any_of(one.percents.begin(), one.percents.end(), [](int p) { return p >= 30 && p <= 70; }));
  for (const QPoint& offset : one.offsets) EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
  EXPECT_TRUE(services.messages.empty());
}

}  // namespace
}  // namespace vestrane::testing
