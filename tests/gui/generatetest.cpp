// "Generate Combinations" from the window: one point through the save
// dialog, all points into separate files or one file, and a long run with
// its progress dialog and Cancel button.

#include <QProgressDialog>
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
  int cancelAtValue = 0;

  void SetUp() override {
    start();
    // A small point first, then two big ones.
    loadTable("big.tab", std::string(kTable) + bigPoint("B1") + bigPoint("B2"));
    form->setProgressDelay(0);
  }

  /// Presses Cancel once the progress dialog has reached @p value points.
  void cancelWhenProgressReaches(int value, QTimer& watcher) {
    cancelAtValue = value;
    QObject::connect(&watcher, &QTimer::timeout, [this] {
      auto* dialog = form->findChild<QProgressDialog*>(QStringLiteral("ProgressDialog"));
      if (!dialog || !dialog->isVisible()) return;
      seenDialog = dialog;
      if (dialog->value() >= cancelAtValue || dialog->maximum() == 0) {
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
  cancelWhenProgressReaches(0, watcher);
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

TEST_F(LongRunTest, CancellingSeparateFilesKeepsTheFilesFinishedBefore) {
  QTest::mouseClick(form->CheckBox1, Qt::LeftButton);
  QTest::mouseClick(form->CheckBox2, Qt::LeftButton);
  QTimer watcher;
  cancelWhenProgressReaches(3, watcher);  // points S1/r1, S2/r2 and B1/r done
  QTest::mouseClick(form->Button2, Qt::LeftButton);
  watcher.stop();

  EXPECT_NE(seenDialog, nullptr);
  EXPECT_EQ(readBytes(dir.file("S1_r1.tab")), kHeader + kS1Lines);
  EXPECT_TRUE(fileExists(dir.file("B1_r.tab")));
  EXPECT_FALSE(fileExists(dir.file("B2_r.tab")));
  EXPECT_TRUE(services.messages.empty()) << services.messages.front();
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

}  // namespace
}  // namespace vestrane::testing
