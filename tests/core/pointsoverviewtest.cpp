// SPDX-License-Identifier: MIT
// The points overview: the points of an "All at once" run in its order, and
// counts and byte sizes that agree with what generating really writes.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "combine/BigCount.h"
#include "combine/CombinationWriter.h"
#include "combine/PointFileName.h"
#include "combine/PointsOverview.h"
#include "combine/RequiredMinerals.h"
#include "combine/RunPoints.h"
#include "table/TableWriter.h"

using namespace vestrane;
using vestrane::testing::readBytes;
using vestrane::testing::RunOver;
using vestrane::testing::TempDir;

namespace {

class PointsOverviewTest : public vestrane::testing::WorkbenchTest {
 protected:

  /// Writes the run for real, as separate files and as one combined text,
  /// and compares every figure of the overview with what was written.
  void expectOverviewMatchesGeneratedRun() {
    const PointsOverview overview = overviewOfRun(table);

    StringSink combined;
    ASSERT_TRUE(RunOver(bench)->combined(combined).ok);
    EXPECT_EQ(overview.combinedBytes.toDecimal(), std::to_string(combined.text.size()));

    TempDir out;
    const GenerateResult separate = RunOver(bench)->separate(out.path());
    ASSERT_TRUE(separate.ok);
    ASSERT_EQ(separate.filesWritten.size(), overview.points.size());
    RunFileNames names;
    EXPECT_EQ(overview.lines.toDecimal(), std::to_string(separate.lines));
    for (std::size_t i = 0; i < overview.points.size(); ++i) {
      const PointOverview& p = overview.points[i];
      ASSERT_EQ(separate.filesWritten[i], names.take(pointFileName(p.sample, p.area))) << "point " << i;
      const std::string file = readBytes(out.file(separate.filesWritten[i]));
      long long lines = -1;  // the header line is not counted
      for (std::size_t at = 0; (at = file.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
      EXPECT_EQ(p.bytes.toDecimal(), std::to_string(file.size())) << p.sample << " " << p.area;
      EXPECT_EQ(p.lines.toDecimal(), std::to_string(lines)) << p.sample << " " << p.area;
      EXPECT_EQ(p.combinations.toDecimal(), pointComboCount(table, p.point).toDecimal());
      EXPECT_TRUE(p.generable);
      EXPECT_TRUE(table.isChecked(p.firstRow));
      EXPECT_EQ(table.pointOf(p.firstRow), p.point);
    }
  }
};

/// A line of the listing from its tab-separated fields.
std::string listed(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& f : fields) line += (line.empty() ? "" : "\t") + f;
  return line + "\n";
}

}  // namespace

TEST(BigCountTest, ExactBeyondSixtyFourBits) {
  BigCount n(~std::uint64_t{0});  // 2^64 - 1
  EXPECT_EQ(n.toDecimal(), "18446744073709551615");
  EXPECT_TRUE(n.atMost(~std::uint64_t{0}));
  n += BigCount(1);
  EXPECT_EQ(n.toDecimal(), "18446744073709551616");
  EXPECT_FALSE(n.atMost(~std::uint64_t{0}));
  BigCount square(~std::uint64_t{0});
  square *= ~std::uint64_t{0};
  EXPECT_EQ(square.toDecimal(), "340282366920938463426481119284349108225");
  EXPECT_TRUE(n < square);
  EXPECT_FALSE(square < n);
  BigCount quotient = square;
  quotient /= 0xFFFFFFFFu;  // exact
  EXPECT_EQ(quotient.toDecimal(), "79228162532711081662958534655");
  quotient /= 7;  // the remainder 5 dropped
  EXPECT_EQ(quotient.toDecimal(), "11318308933244440237565504950");
  BigCount billion(1000000000);
  billion *= 1000000000;
  billion *= 1000000000;  // zeros inside the nine-digit groups
  EXPECT_EQ(billion.toDecimal(), "1000000000000000000000000000");
  billion *= 0;
  EXPECT_TRUE(billion.isZero());
  EXPECT_EQ(billion.toDecimal(), "0");
}

TEST_F(PointsOverviewTest, RunOrderFollowsTheCheckedRows) {
  // Samples in the order of their first checked row, then each sample's
  // areas in the same order; S2/r2 has no checked row, s1 is not S1.
  load("Select\tSample\tArea\tMineral\tAnalysis\r\n"
       "0\tS1\tr0\tGrt\tunchecked first\r\n"
       "1\tS2\tr1\tGrt\tg1 analysis\r\n"
       "1\tS1\tr1\tGrt\tg2 analysis\r\n"
       "0\tS2\tr2\tGrt\tg3 analysis\r\n"
       "1\ts1\tr1\tGrt\tg4 analysis\r\n"
       "1\tS2\tr3\tGrt\tg5 analysis\r\n"
       "1\tS1\tr0\tGrt\tg6 analysis\r\n");
  std::vector<std::string> order;
  for (const RunPoint& p : runPoints(table))
    order.push_back(std::string(p.sample) + "/" + std::string(p.area) + "@" + std::to_string(p.firstRow));
  EXPECT_EQ(order, (std::vector<std::string>{"S2/r1@1", "S2/r3@5", "S1/r1@2", "S1/r0@6", "s1/r1@4"}));
  workInDir();
  expectOverviewMatchesGeneratedRun();
}

TEST_F(PointsOverviewTest, ExampleTableAsGenerated) {
  settings.aliases.area = {"AREA", "POINT", "SPOT"};
  settings.aliases.mineral = {"MINERAL", "PHASE"};
  settings.aliases.analysis = {"ANALYSIS", "COMMENT", "LABEL"};
  settings.aliases.select = {"SELECT", "USE"};
  ASSERT_TRUE(bench.LoadTableFile(std::string(VESTRANE_SOURCE_DIR) + "/examples/metapelite.tab"));
  const PointsOverview overview = overviewOfRun(table);
  const std::string listing = pointsListing(overview);
  EXPECT_EQ(listing.substr(0, listing.find('\n', listing.find('\n') + 1) + 1),
            "Sample\tArea\tMinerals\tCombinations\tLines\tBytes\n"
            "MP-12A\tA1\tGrt:3 Bt:2 Pl:2 Ms:1\t12\t48\t4220\n");
  EXPECT_TRUE(overview.allGenerable);
  workInDir();
  expectOverviewMatchesGeneratedRun();
}

TEST_F(PointsOverviewTest, VariedPointsAsGenerated) {
  std::string text =
      "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
      // Area "-", two combinations; Bt leads the mineral list with an unchecked row.
      "0\tS1\t-\tBt\tb0 unchecked\t35.1\r\n"
      "1\tS1\t-\tGrt\tg1 core\t37.04\r\n"
      "1\tS1\t-\tGrt\tg2 rim, long label\t37.5\r\n"
      "1\tS1\t-\tBt\tb1 matrix\t35.24\r\n"
      // One combination: the Area stays as it is.
      "1\tS1\tr1\tGrt\tonly one\t37.0\r\n"
      "0\tS1\tr1\tPl\tnot taking part\t61.3\r\n";
  // 1297 combinations: a three-digit index.
  for (int i = 0; i < 1297; ++i) text += "1\tS2\tbig\tGrt\tanalysis " + std::to_string(i) + "\t37\r\n";
  text += "1\tS2\tbig\tBt\tthe one biotite\t35\r\n";
  load(text);
  // A later table adds a column and rows to an existing point; earlier rows
  // read "-" in the new column, an empty cell stays empty.
  load("Select\tSample\tArea\tMineral\tAnalysis\tFeO\r\n"
       "1\tS1\t-\tGrt\tg3 added later\t29.7\r\n"
       "1\tS3\tA 1\tOpx\tempty iron\t\"\"\r\n"
       "1\tS3\tA 1\tCpx\tcpx analysis\t9.9\r\n");

  const PointsOverview overview = overviewOfRun(table);
  ASSERT_EQ(overview.points.size(), 4u);
  // Bt comes first in the mineral list, from its unchecked row.
  const std::string listing = pointsListing(overview);
  const std::size_t second = listing.find('\n') + 1;
  const std::string line = listing.substr(second, listing.find('\n', second) - second);
  EXPECT_EQ(line.substr(0, line.rfind('\t') + 1), "S1\t-\tBt:1 Grt:3\t3\t6\t");
  EXPECT_EQ(overview.points[2].combinations.toDecimal(), "1297");
  workInDir();
  expectOverviewMatchesGeneratedRun();
}

TEST_F(PointsOverviewTest, CountsBeyondWhatCanBeGenerated) {
  // S/A: 8 minerals of 15 analyses, 15^8 = 2,562,890,625 combinations.
  // T/-: 20 minerals of 10 analyses, 10^20 combinations.
  std::string text = "Sample\tArea\tMineral\tAnalysis\r\n";
  for (int m = 0; m < 8; ++m)
    for (int a = 0; a < 15; ++a)
      text += std::string("S\tA\tM") + static_cast<char>('a' + m) + "\ta" + (a < 10 ? "0" : "") +
              std::to_string(a) + "\tbeyond the header\r\n";
  for (int m = 0; m < 20; ++m)
    for (int a = 0; a < 10; ++a)
      text += std::string("T\t-\tN") + static_cast<char>('a' + m) + "\tb" + std::to_string(a) + "\tbeyond the header\r\n";
  load(text);

  const PointsOverview overview = overviewOfRun(table);
  ASSERT_EQ(overview.points.size(), 2u);
  const std::uint64_t header = headerLine(table).size();
  // Every line of a point has the same length: the index is 7 (13) digits wide.
  const std::uint64_t lineS = std::string("1\tS\tA_0000000\tMa\ta00\r\n").size();
  const std::uint64_t lineT = std::string("1\tT\t0000000000000\tNa\tb0\r\n").size();
  const std::uint64_t linesS = 8ull * 2562890625ull;
  const PointOverview& s = overview.points[0];
  EXPECT_EQ(s.combinations.toDecimal(), "2562890625");
  EXPECT_EQ(s.lines.toDecimal(), std::to_string(linesS));
  EXPECT_EQ(s.bytes.toDecimal(), std::to_string(header + linesS * lineS));
  EXPECT_FALSE(s.generable);

  // 2 * 10^21 lines of 25 bytes: 5 * 10^22 bytes after the header.
  ASSERT_EQ(lineT, 25u);
  ASSERT_EQ(header, 37u);
  const PointOverview& t = overview.points[1];
  EXPECT_EQ(t.combinations.toDecimal(), "100000000000000000000");
  EXPECT_EQ(t.lines.toDecimal(), "2000000000000000000000");
  EXPECT_EQ(t.bytes.toDecimal(), "50000000000000000000037");
  EXPECT_FALSE(t.generable);
  EXPECT_FALSE(overview.allGenerable);

  std::string minerals;
  for (char m = 'a'; m < 'a' + 20; ++m) minerals += std::string(minerals.empty() ? "" : " ") + "N" + m + ":10";
  const std::string listing = pointsListing(overview);
  EXPECT_EQ(listing.substr(listing.rfind('\n', listing.size() - 2) + 1),
            listed({"T", "-", minerals, "100000000000000000000", "2000000000000000000000",
                    "50000000000000000000037"}));
  // The combined file: one header, then both points' lines.
  const std::string belowT = std::to_string(header + linesS * lineS);
  EXPECT_EQ(pointsSummary(overview), "2 points, 100000000002562890625 combinations, 2000000000020503125000 lines, 5" +
                                         std::string(22 - belowT.size(), '0') + belowT +
                                         " bytes in one combined file");

  // Listed, but the run refuses to write it.
  StringSink sink;
  EXPECT_FALSE(RunOver(bench)->combined(sink).ok);
  EXPECT_TRUE(sink.text.empty());
}

TEST_F(PointsOverviewTest, PointsLackingRequiredMinerals) {
  // P1 has everything; P2 no biotite; P3 only unchecked biotite; P4 neither
  // garnet nor biotite; P5 no checked row, so it is not in the run at all.
  std::string text = "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n";
  for (const char* row : {"1 P1 Grt", "1 P1 bt", "1 P1 Pl", "1 P2 Grt", "1 P2 Pl", "1 P3 GRT", "0 P3 Bt",
                          "1 P4 Pl", "0 P5 Grt"}) {
    const std::string r = row;
    text += r.substr(0, 1) + "\t" + r.substr(2, 2) + "\tA\t" + r.substr(5) + "\tan analysis\t37.5\r\n";
  }
  load(text);
  const std::vector<std::string> required = parseMineralList(" grt, BT ,,Grt");
  EXPECT_EQ(required, (std::vector<std::string>{"grt", "BT"}));

  const PointsOverview overview = overviewOfRun(table);
  ASSERT_EQ(overview.points.size(), 4u);
  const std::vector<std::vector<std::string>> missing = {{}, {"BT"}, {"BT"}, {"grt", "BT"}};
  for (std::size_t i = 0; i < 4; ++i)
    EXPECT_EQ(missingMinerals(overview.points[i], required), missing[i]) << overview.points[i].sample;
  EXPECT_EQ(pointsLacking(overview, required),
            (std::vector<int>{table.findPoint("P2", "A"), table.findPoint("P3", "A"), table.findPoint("P4", "A")}));
  EXPECT_TRUE(pointsLacking(overview, {}).empty());

  // The Missing column follows the other columns, which stay as they were.
  const std::string plain = pointsListing(overview);
  const std::string withMissing = pointsListing(overview, required);
  const char* const ends[] = {"\tMissing", "\t-", "\tBT", "\tBT", "\tgrt BT"};
  std::string expected;
  std::size_t begin = 0;
  for (const char* end : ends) {
    const std::size_t lineEnd = plain.find('\n', begin);
    expected += plain.substr(begin, lineEnd - begin) + end + "\n";
    begin = lineEnd + 1;
  }
  EXPECT_EQ(begin, plain.size());
  EXPECT_EQ(withMissing, expected);
}
