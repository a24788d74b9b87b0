// SPDX-License-Identifier: MIT
// Generating combinations: the point text, file names, the three ways of
// delivering it, and what happens when writing fails or is cancelled.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "TestSupport.h"
#include "app/core/Workbench.h"
#include "combine/CombinationWriter.h"
#include "combine/GenerationRun.h"
#include "combine/PointFileName.h"
#include "fakes/FakeServices.h"
#include "platform/core/BackgroundSink.h"
#include "platform/core/ByteSink.h"
#include "platform/core/Messages.h"

using namespace vestrane;
using vestrane::testing::FakeServices;
using vestrane::testing::RunOver;
using vestrane::testing::readBytes;
using vestrane::testing::TempDir;
using vestrane::testing::writeBytes;

namespace {

class GeneratorTest : public vestrane::testing::WorkbenchTest {
 protected:
  GeneratorTest() { workInDir(); }

  void load(const std::string& text) {
    std::string t = text;
    ASSERT_TRUE(bench.ParseTableText(t));
  }
  std::vector<std::string> files() const { return dir.names(); }
};

const char* kWorked =
    "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
    "1\tS1\tr1\tGrt\tg1\t37.5\r\n"
    "1\tS1\tr1\tBt\tb1\t35.0\r\n"
    "1\tS1\tr1\tGrt\tg2\t37.8\r\n"
    "0\tS1\tr1\tPl\tp1\t60.1\r\n";

const char* kWorkedOutput =
    "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
    "1\tS1\tr1_00\tGrt\tg1\t37.5\r\n"
    "1\tS1\tr1_00\tBt\tb1\t35.0\r\n"
    "1\tS1\tr1_01\tGrt\tg2\t37.8\r\n"
    "1\tS1\tr1_01\tBt\tb1\t35.0\r\n";

/// Cancels the run at the first report.
class CancelAtOnce : public Progress {
 public:
  int reports = 0;
  bool report(long long, long long, long long) override {
    ++reports;
    return false;
  }
};

}  // namespace

TEST_F(GeneratorTest, SinglePointWorkedExample) {
  load(kWorked);
  EXPECT_EQ(bench.point().maxIndexText, "01");
  std::string out = dir.file("chosen.tab");
  services.saveAnswers.push_back(out);
  bench.generateCombinations(false, false);
  ASSERT_EQ(services.saveRequests.size(), 1u);
  EXPECT_EQ(services.saveRequests[0].proposedName, "S1_r1.tab");
  EXPECT_EQ(services.saveRequests[0].initialDir, dir.path());
  EXPECT_TRUE(services.saveRequests[0].overwritePrompt);
  EXPECT_EQ(readBytes(out), kWorkedOutput);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(files(), (std::vector<std::string>{"chosen.tab"}));  // no temporary left behind
}

TEST_F(GeneratorTest, AreaDashGivesBareIndices) {
  load("Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
       "1\tS1\t-\tGrt\tg1\t37.50\r\n1\tS1\t-\tBt\tb1\t35.00\r\n1\tS1\t-\tGrt\tg2\t37.80\r\n");
  std::string out = dir.file("dash.tab");
  services.saveAnswers.push_back(out);
  bench.generateCombinations(false, false);
  EXPECT_EQ(services.saveRequests[0].proposedName, "S1.tab");
  EXPECT_EQ(readBytes(out),
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
            "1\tS1\t00\tGrt\tg1\t37.50\r\n1\tS1\t00\tBt\tb1\t35.00\r\n"
            "1\tS1\t01\tGrt\tg2\t37.80\r\n1\tS1\t01\tBt\tb1\t35.00\r\n");
}

TEST_F(GeneratorTest, SinglePointRefusals) {
  load("Sample\tArea\tMineral\tAnalysis\r\nS1\tr1\tGrt\tg1 only one\r\n");
  bench.generateCombinations(false, false);  // count 1
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0], "Error: less than 2 combinations!");
  EXPECT_TRUE(services.saveRequests.empty());

  bench.setRowChecked(0, false);  // count 0
  bench.generateCombinations(false, false);
  EXPECT_EQ(services.messages.back(), "Error: less than 2 combinations!");

  // A cancelled dialog writes nothing; a file that cannot be created is reported.
  bench.setRowChecked(0, true);
  load("Sample\tArea\tMineral\tAnalysis\r\nS1\tr1\tGrt\tg2 second one\r\n");
  bench.setRowChecked(1, true);
  ASSERT_EQ(bench.point().countText, "2");
  services.saveAnswers.push_back(std::nullopt);
  bench.generateCombinations(false, false);
  std::string bad = dir.file("no-such-folder/out.tab");
  services.saveAnswers.push_back(bad);
  bench.generateCombinations(false, false);
  EXPECT_EQ(services.messages.back(), "Error: can not write file " + bad + " (folder not found)");
  EXPECT_TRUE(files().empty());
}

TEST_F(GeneratorTest, IndexWidthFollowsTheCount) {
  // 1297 analyses of one mineral: indices 000 to 100.
  std::string text = "Sample\tArea\tMineral\tAnalysis\r\n";
  for (int i = 0; i < 1297; ++i) text += "S\tA\tGrt\tanalysis " + std::to_string(i) + "\r\n";
  load(text);
  EXPECT_EQ(bench.point().maxIndexText, "100");
  StringSink sink;
  CombinationWriter writer(bench.table(), sink);
  ASSERT_TRUE(writer.GeneratePoint(bench.point(), false) && writer.flush());
  EXPECT_EQ(writer.linesWritten(), 1297);
  EXPECT_EQ(sink.text.substr(0, 30), "1\tS\tA_000\tGrt\tanalysis 0\r\n1\tS\t");
  EXPECT_NE(sink.text.find("1\tS\tA_100\tGrt\tanalysis 1296\r\n"), std::string::npos);
}

TEST_F(GeneratorTest, CombinationOrder) {
  // Three minerals: the first varies slowest, each in increasing row order.
  load("Sample\tArea\tMineral\tAnalysis\r\n"
       "S\tA\tGrt\tg1 analysis\r\nS\tA\tBt\tb1 analysis\r\nS\tA\tGrt\tg2 analysis\r\n"
       "S\tA\tPl\tp1 analysis\r\nS\tA\tBt\tb2 analysis\r\n");
  StringSink sink;
  CombinationWriter writer(bench.table(), sink);
  ASSERT_TRUE(writer.GeneratePoint(bench.point(), false) && writer.flush());
  std::string order;
  for (std::size_t p = 0; (p = sink.text.find("\t", sink.text.find("\t", p) + 1)) != std::string::npos;) {
    std::size_t e = sink.text.find("\r\n", p);
    std::string rest = sink.text.substr(p + 1, e - p - 1);  // Area, Mineral, Analysis
    order += rest.substr(0, rest.find('\t')) + ":" + rest.substr(rest.rfind('\t') + 1, 2) + " ";
    p = e + 2;
    if (p >= sink.text.size()) break;
  }
  EXPECT_EQ(order,
            "A_00:g1 A_00:b1 A_00:p1 A_01:g1 A_01:b2 A_01:p1 "
            "A_02:g2 A_02:b1 A_02:p1 A_03:g2 A_03:b2 A_03:p1 ");
}

TEST(PointFileNameTest, ReplacesUnsafeCharacters) {
  EXPECT_EQ(pointFileName("A/B", "1 2"), "A-B_1-2.tab");
  EXPECT_EQ(pointFileName("S.1", "r.2"), "S.1_r.2.tab");  // full stops stay
  EXPECT_EQ(pointFileName("-", "r1"), "r1.tab");
  EXPECT_EQ(pointFileName("S1", "-"), "S1.tab");
  EXPECT_EQ(pointFileName("-", "-"), ".tab");
  EXPECT_EQ(pointFileName(" \"*,/:;<>?\\|", "x"), "------------_x.tab");
  EXPECT_EQ(pointFileName(std::string("a\0b\nc", 5), "\x7f"), "a-b-c_\x7f.tab");
}

TEST_F(GeneratorTest, AllAtOnceSeparateFiles) {
  load("Sample\tArea\tMineral\tAnalysis\r\n"
       "S1\ta b\tGrt\tg1 analysis\r\n"
       "S1\ta b\tBt\tb1 analysis\r\n"
       "S1\ta-b\tGrt\tg2 analysis\r\n"
       "S2\tr1\tGrt\tg3 analysis\r\n"
       "S2\tr1\tGrt\tg4 analysis\r\n"
       "s1\tr1\tGrt\tg5 analysis\r\n"
       "S1\tA B\tGrt\tg6 analysis\r\n");
  // A file of the first name from an earlier run is replaced.
  writeBytes(dir.file("S1_a-b.tab"), "from an earlier run\r\n");
  bench.setRowSelected(3, true);
  bench.generateCombinations(true, true);
  ASSERT_EQ(services.messages.size(), 1u);
  // "a b", "a-b" and "A B" give one name, the last ignoring letter case:
  // the first point keeps it, the later ones are numbered, and the list
  // has the names written. The lower-case sample s1 is a point of its own.
  EXPECT_EQ(services.messages[0],
            "Files written:\r\nS1_a-b.tab\r\nS1_a-b (2).tab\r\nS1_A-B (3).tab\r\nS2_r1.tab\r\ns1_r1.tab");
  EXPECT_EQ(files(), (std::vector<std::string>{"S1_A-B (3).tab", "S1_a-b (2).tab", "S1_a-b.tab",
                                               "S2_r1.tab", "s1_r1.tab"}));
  const std::string header = "Select\tSample\tArea\tMineral\tAnalysis\r\n";
  EXPECT_EQ(readBytes(dir.file("S1_a-b.tab")),
            header + "1\tS1\ta b\tGrt\tg1 analysis\r\n1\tS1\ta b\tBt\tb1 analysis\r\n");
  EXPECT_EQ(readBytes(dir.file("S1_a-b (2).tab")), header + "1\tS1\ta-b\tGrt\tg2 analysis\r\n");
  EXPECT_EQ(readBytes(dir.file("S1_A-B (3).tab")), header + "1\tS1\tA B\tGrt\tg6 analysis\r\n");
  EXPECT_EQ(readBytes(dir.file("S2_r1.tab")),
            header + "1\tS2\tr1_00\tGrt\tg3 analysis\r\n1\tS2\tr1_01\tGrt\tg4 analysis\r\n");
  // The selected row's point is current again.
  EXPECT_EQ(bench.point().sample, "S2");
  EXPECT_EQ(bench.point().countText, "2");
}

TEST_F(GeneratorTest, AllAtOnceCombinedFile) {
  load("Sample\tArea\tMineral\tAnalysis\r\n"
       "S2\tr1\tGrt\tg1 analysis\r\n"
       "S1\tr1\tGrt\tg2 analysis\r\n"
       "S2\tr1\tGrt\tg3 analysis\r\n"
       "S1\tr1\tBt\tb1 analysis\r\n"
       "S2\tr2\tGrt\tg4 analysis\r\n");
  bench.setRowChecked(4, false);  // S2/r2 has no checked row: no point
  std::string out = dir.file("all.tab");
  services.saveAnswers.push_back(out);
  bench.generateCombinations(true, false);
  ASSERT_EQ(services.saveRequests.size(), 1u);
  EXPECT_EQ(services.saveRequests[0].proposedName, "AllComb.tab");
  EXPECT_EQ(readBytes(out),
            "Select\tSample\tArea\tMineral\tAnalysis\r\n"
            "1\tS2\tr1_00\tGrt\tg1 analysis\r\n"
            "1\tS2\tr1_01\tGrt\tg3 analysis\r\n"
            "1\tS1\tr1\tGrt\tg2 analysis\r\n"
            "1\tS1\tr1\tBt\tb1 analysis\r\n");
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(bench.point().sample, "S2");  // the selected first row's point
}

TEST_F(GeneratorTest, AllAtOnceWithoutCheckedRows) {
  load("Select\tSample\tArea\tMineral\tAnalysis\r\n0\tS1\tr1\tGrt\tg1 analysis\r\n");
  bench.generateCombinations(true, true);
  EXPECT_EQ(services.messages.back(), "Files written:");
  std::string out = dir.file("AllComb.tab");
  services.saveAnswers.push_back(out);
  bench.generateCombinations(true, false);
  EXPECT_EQ(readBytes(out), "");
  EXPECT_TRUE(std::filesystem::exists(out));
}

TEST_F(GeneratorTest, CombinedRunWithoutSelectionKeepsTheLastPoint) {
  load("Sample\tArea\tMineral\tAnalysis\r\nS1\tr1\tGrt\tg1 analysis\r\nS2\tr2\tGrt\tg2 analysis\r\n");
  bench.setRowSelected(0, false);
  services.saveAnswers.push_back(dir.file("all.tab"));
  bench.generateCombinations(true, false);
  EXPECT_EQ(bench.point().sample, "S2");
  // Cancelling the dialog leaves the point a completed run would have left.
  bench.setRowSelected(0, true);
  bench.setRowSelected(0, false);
  bench.generateCombinations(true, false);
  EXPECT_EQ(bench.point().sample, "S2");
}

TEST_F(GeneratorTest, ARunReturnsItsMessagesAndWhereItLeavesThePoint) {
  // The run shows nothing itself: its messages come back in order. Once it
  // completed, the selected row's point is current again; without a
  // selection, the last point it wrote.
  load("Sample\tArea\tMineral\tAnalysis\r\nS1\tr1\tGrt\tg1 analysis\r\nS1\tr1\tGrt\tg2 analysis\r\n"
       "S2\tr2\tGrt\tg3 analysis\r\n");
  PointState point = bench.point();
  GenerationRun run(bench.table(), point, 0);
  const std::string missing = dir.file("none/all.tab");
  GenerateResult result = run.combinedFile(missing);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.movedPoint);
  EXPECT_EQ(result.messages, std::vector<std::string>{cannotWriteMessage(missing, "folder not found")});
  result = run.currentPoint(missing);
  EXPECT_EQ(result.messages, std::vector<std::string>{cannotWriteFileMessage(missing, "folder not found")});

  StringSink combined;
  result = run.combined(combined);
  EXPECT_TRUE(result.ok && result.movedPoint && result.messages.empty());
  EXPECT_EQ(point.sample, "S1");
  EXPECT_EQ(run.separate(dir.path()).filesWritten, (std::vector<std::string>{"S1_r1.tab", "S2_r2.tab"}));
  EXPECT_EQ(point.sample, "S1");
  GenerationRun unselected(bench.table(), point, -1);
  result = unselected.combinedFile(dir.file("all.tab"));
  EXPECT_TRUE(result.ok && result.messages.empty());
  EXPECT_EQ(point.sample, "S2");
  EXPECT_EQ(readBytes(dir.file("all.tab")), combined.text);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(GeneratorTest, TooManyCombinationsAreRefused) {
  // Five minerals of 100 analyses each: 10^10 combinations.
  std::string text = "Sample\tArea\tMineral\tAnalysis\r\n";
  for (const char* m : {"Grt", "Bt", "Pl", "Ms", "Qz"})
    for (int i = 0; i < 100; ++i) text += std::string("S1\tr1\t") + m + "\tanalysis " + std::to_string(i) + "\r\n";
  load(text);
  EXPECT_EQ(bench.point().countText, "10000000000");
  EXPECT_EQ(bench.point().maxIndexText, "4LDQPDR");
  bench.generateCombinations(false, false);
  EXPECT_EQ(services.messages.back(), "Error: too many combinations (10000000000)!");
  bench.generateCombinations(true, true);
  EXPECT_EQ(services.messages.back(),
            "Error: too many combinations (10000000000) at sample S1, area r1!");
  EXPECT_TRUE(services.saveRequests.empty());
  EXPECT_TRUE(files().empty());
}

TEST_F(GeneratorTest, CancelRemovesThePartialFile) {
  std::string text = "Sample\tArea\tMineral\tAnalysis\r\n";
  for (int i = 0; i < 300; ++i) text += "S1\tr1\tGrt\tanalysis " + std::to_string(i) + "\r\n";
  for (int i = 0; i < 300; ++i) text += "S1\tr1\tBt\tanalysis " + std::to_string(i) + "\r\n";
  load(text);
  std::string out = dir.file("big.tab");
  writeBytes(out, "previous content");
  services.saveAnswers.push_back(out);
  CancelAtOnce cancel;
  bench.generateCombinations(false, false, &cancel);
  EXPECT_GE(cancel.reports, 1);
  EXPECT_EQ(readBytes(out), "previous content");  // the old file stays intact
  EXPECT_EQ(files(), (std::vector<std::string>{"big.tab"}));
  EXPECT_TRUE(services.messages.empty());  // no success, no error
}

namespace {

/// Records what it is given; the write numbered failAt (from 1) fails and
/// so does every later one.
class ScriptedSink : public ByteSink {
 public:
  explicit ScriptedSink(int failAt = 0) : failAt_(failAt) {}
  std::string text;
  int writes = 0;
  int writesAfterFailure = 0;
  bool write(std::string_view bytes) override {
    ++writes;
    if (failAt_ > 0 && writes >= failAt_) {
      if (writes > failAt_) ++writesAfterFailure;
      return false;
    }
    text.append(bytes.data(), bytes.size());
    return true;
  }
  std::string error() const override { return "No space left on device"; }

 private:
  int failAt_;
};

std::string piece(std::size_t size, char c) { return std::string(size, c); }

}  // namespace

TEST(BackgroundSinkTest, WritesInOrderAndReportsFailures) {
  const std::size_t large = BackgroundSink::kLargePiece;
  // Small pieces before the first large one are written at once; from
  // then on everything goes through the writing thread, in order, and the
  // caller gets an empty buffer back every time.
  {
    ScriptedSink target;
    BackgroundSink sink(target);
    std::string expected;
    std::string buffer = "header\r\n";
    expected += buffer;
    ASSERT_TRUE(sink.take(buffer));
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(target.text, expected);  // written before take() returned
    for (int i = 0; i < 12; ++i) {
      buffer = piece(i % 3 == 0 ? 10 : large + static_cast<std::size_t>(i), static_cast<char>('a' + i));
      expected += buffer;
      ASSERT_TRUE(sink.take(buffer)) << i;
      EXPECT_TRUE(buffer.empty()) << i;
    }
    ASSERT_TRUE(sink.write("the end\r\n"));
    expected += "the end\r\n";
    ASSERT_TRUE(sink.finish());
    EXPECT_EQ(target.text, expected);
  }
  // A target that fails on its third write: the failure shows at a later
  // take() or at finish(), with the target's reason, and nothing more is
  // written to it.
  {
    ScriptedSink target(3);
    BackgroundSink sink(target);
    bool failed = false;
    for (int i = 0; i < 8 && !failed; ++i) {
      std::string buffer = piece(large, 'x');
      failed = !sink.take(buffer);
    }
    EXPECT_FALSE(sink.finish());
    EXPECT_EQ(sink.error(), "No space left on device");
    EXPECT_EQ(target.writes, 3);
    EXPECT_EQ(target.writesAfterFailure, 0);
    EXPECT_EQ(target.text.size(), 2 * large);
  }
  // A cancelled run drops the sink without finish(): it stops and never
  // writes into a target that is gone.
  {
    auto target = std::make_unique<ScriptedSink>();
    {
      BackgroundSink sink(*target);
      for (int i = 0; i < 4; ++i) {
        std::string buffer = piece(large, 'y');
        ASSERT_TRUE(sink.take(buffer));
      }
    }
    const int writes = target->writes;
    target.reset();
    EXPECT_LE(writes, 4);
  }
}

TEST_F(GeneratorTest, LargeCombinedFileIsWholeAndAWriteFailureReported) {
  // Several megabytes go through the writing thread into the file, exactly
  // as a sink in memory receives them; a sink that fails half-way makes the
  // run report a failed write.
  std::string text = "Sample\tArea\tMineral\tAnalysis\tNote\r\n";
  const std::string note(200, 'n');
  for (int point = 0; point < 40; ++point)
    for (const char* mineral : {"Grt", "Bt", "Pl"})
      for (int a = 0; a < 8; ++a)
        text += "S" + std::to_string(point) + "\tr1\t" + mineral + "\tanalysis " + std::to_string(a) + "\t" +
                note + "\r\n";
  load(text);
  StringSink memory;
  ASSERT_TRUE(RunOver(bench)->combined(memory).ok);
  ASSERT_GT(memory.text.size(), 8u << 20);

  const std::string path = dir.file("AllComb.tab");
  services.saveAnswers.push_back(path);
  bench.generateCombinations(true, false);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(readBytes(path), memory.text);

  ScriptedSink failing(3);
  GenerateResult result = RunOver(bench)->combined(failing);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.writeFailed);
  EXPECT_EQ(failing.writesAfterFailure, 0);
}
