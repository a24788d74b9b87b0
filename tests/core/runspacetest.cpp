// SPDX-License-Identifier: MIT
// Sizes and counts as a person reads them, and whether a run fits its disk:
// the unit boundaries, the locale's separators, the free space given by a
// fake disk and by a small file system of a known size, and the question
// the window asks before a run that does not fit.

#include <gtest/gtest.h>

#include <QLocale>
#include <QProcess>

#include <cstdint>
#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "app/core/Workbench.h"
#include "combine/BigCount.h"
#include "combine/RunSpace.h"
#include "combine/SizeText.h"
#include "platform/core/DiskSpace.h"

using namespace vestrane;
using vestrane::testing::writeBytes;

namespace {

/// A disk of a given free space, or of none known; counts the questions.
class FakeDiskSpace : public DiskSpace {
 public:
  bool known = true;
  std::uint64_t available = 0;
  int asked = 0;
  std::string folder;
  bool freeBytes(const std::string& f, std::uint64_t& bytes) override {
    ++asked;
    folder = f;
    if (known) bytes = available;
    return known;
  }
};

BigCount tenToThe(int power) {
  BigCount value(1);
  for (int i = 0; i < power; ++i) value *= 10;
  return value;
}

}  // namespace

TEST(SizeTextTest, UnitBoundariesRoundHalfUpAndNeverShow1000) {
  const struct {
    std::uint64_t bytes;
    const char* text;
  } sizes[] = {{0, "0 B"},
               {999, "999 B"},
               {1000, "1.0 kB"},
               {1049, "1.0 kB"},
               {1050, "1.1 kB"},
               {4220, "4.2 kB"},
               {999949, "999.9 kB"},
               {999950, "1.0 MB"},  // not 1000.0 kB
               {999949999, "999.9 MB"},
               {999950000, "1.0 GB"},
               {321830283655ull, "321.8 GB"},
               {999950000000000ull, "1.0 PB"},
               {999950000000000000ull, "1.0 EB"},
               {18446744073709551615ull, "18.4 EB"}};
  for (const auto& s : sizes) EXPECT_EQ(byteSizeText(s.bytes), s.text) << s.bytes;
  // Beyond 64 bits and beyond the last unit the figure grows in EB.
  EXPECT_EQ(byteSizeText(tenToThe(24)), "1000000.0 EB");
}

TEST(SizeTextTest, CountsTakeTheLocalesGroupSeparator) {
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  const QLocale german(QLocale::German, QLocale::Germany);
  EXPECT_EQ(countText(BigCount(999), english), "999");
  EXPECT_EQ(countText(BigCount(2147483647), english), "2,147,483,647");
  EXPECT_EQ(countText(BigCount(2147483647), german), "2.147.483.647");
  BigCount beyond = tenToThe(20);  // past 64 bits
  EXPECT_EQ(countText(beyond, english), "100,000,000,000,000,000,000");
  EXPECT_EQ(countText(beyond, german), "100.000.000.000.000.000.000");
}

TEST(RunSpaceTest, TheRunIsComparedWithAFakeDisksFreeSpace) {
  FakeDiskSpace disk;
  disk.available = 40100000000ull;
  RunSpace space = runSpace(BigCount(321830283655ull), "/data/run", disk);
  EXPECT_EQ(disk.folder, "/data/run");
  EXPECT_TRUE(space.known);
  EXPECT_FALSE(space.fits);
  EXPECT_EQ(runSpaceText(space), "the run needs 321.8 GB; the disk has 40.1 GB free");

  // Exactly the free space fits; a byte more does not, said in bytes as
  // both sizes would read the same.
  EXPECT_TRUE(runSpace(BigCount(disk.available), "/data/run", disk).fits);
  space = runSpace(BigCount(disk.available + 1), "/data/run", disk);
  EXPECT_FALSE(space.fits);
  const QLocale locale;
  EXPECT_EQ(runSpaceText(space), "the run needs " + countText(BigCount(40100000001ull), locale) +
                                     " bytes; the disk has " + countText(BigCount(40100000000ull), locale) +
                                     " bytes free");

  // Free space that cannot be learned refuses nothing; a stream is not asked about.
  disk.known = false;
  space = runSpace(BigCount(321830283655ull), "/data/run", disk);
  EXPECT_FALSE(space.known);
  EXPECT_TRUE(space.fits);
  disk.asked = 0;
  EXPECT_TRUE(runSpace(BigCount(321830283655ull), "", disk).fits);
  EXPECT_EQ(disk.asked, 0);
}

TEST(RunSpaceTest, TheFreeSpaceOfASmallFileSystem) {
  vestrane::testing::TempDir dir;
  const std::string mountPoint = dir.path();
  QProcess mount;
  mount.start("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", QString::fromStdString(mountPoint)});
  if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0)
    GTEST_SKIP() << "a tmpfs of 1 MiB can not be mounted here: "
                 << mount.readAllStandardError().trimmed().toStdString();
  std::uint64_t bytes = 0;
  const bool told = freeSpaceOf(mountPoint, bytes);
  SystemDiskSpace system;
  std::uint64_t again = 0;
  const bool toldAgain = system.freeBytes(mountPoint, again);
  writeBytes(mountPoint + "/half", std::string(512 * 1024, 'x'));
  std::uint64_t afterWrite = 0;
  const bool toldAfterWrite = freeSpaceOf(mountPoint, afterWrite);
  QProcess::execute("umount", {QString::fromStdString(mountPoint)});

  ASSERT_TRUE(told);
  EXPECT_EQ(bytes, 1024u * 1024u);
  EXPECT_TRUE(toldAgain);
  EXPECT_EQ(again, bytes);
  ASSERT_TRUE(toldAfterWrite);
  EXPECT_EQ(afterWrite, 512u * 1024u);
  EXPECT_FALSE(freeSpaceOf(mountPoint + "/no such folder", bytes));
}

namespace {

class SpaceQuestionTest : public vestrane::testing::WorkbenchTest {
 protected:
  FakeDiskSpace disk;
  void SetUp() override {
    workInDir();
    load("Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
         "1\tS1\tr1\tGrt\tg1\t37.5\r\n1\tS1\tr1\tGrt\tg2\t37.8\r\n1\tS1\tr1\tBt\tb1\t35.0\r\n"
         "1\tS2\tr2\tGrt\tg3\t37.1\r\n1\tS2\tr2\tBt\tb2\t35.2\r\n1\tS2\tr2\tBt\tb3\t35.4\r\n");
    disk.available = 10;
    bench.setDiskSpace(disk);
  }
  /// Generates with a save dialog answered @p path and the question (if
  /// asked) answered @p yes. @return the questions asked.
  std::vector<std::string> run(bool allAtOnce, bool separate, const std::string& path, bool yes) {
    services.questions.clear();
    services.saveAnswers.push_back(path);
    services.yesNoAnswers = {yes};
    bench.generateCombinations(allAtOnce, separate);
    services.saveAnswers.clear();
    return services.questions;
  }
  static bool exists(const std::string& path) { return std::filesystem::exists(path); }
};

TEST_F(SpaceQuestionTest, ARunThatDoesNotFitAsksAndNoWritesNothing) {
  const BigCount combined = bench.pointsOverview().combinedBytes;
  const std::string all = dir.file("all.tab");
  const std::vector<std::string> asked = run(true, false, all, false);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "The run needs " + byteSizeText(combined) + "; the disk has 10 B free. Write anyway?");
  EXPECT_FALSE(exists(all));
  EXPECT_EQ(run(true, false, all, true).size(), 1u);
  ASSERT_TRUE(exists(all));
  EXPECT_TRUE(combined == BigCount(std::filesystem::file_size(all)));

  // One point into its file, and every point into its own file: the same.
  const std::string one = dir.file("one.tab");
  EXPECT_EQ(run(false, false, one, false).size(), 1u);
  EXPECT_FALSE(exists(one));
  EXPECT_EQ(run(false, false, one, true).size(), 1u);
  EXPECT_TRUE(exists(one));
  EXPECT_EQ(run(true, true, "", false).size(), 1u);
  EXPECT_FALSE(exists(dir.file("S1_r1.tab")));
  EXPECT_FALSE(exists(dir.file("S2_r2.tab")));

  // Enough room, or free space not known: nothing is asked.
  disk.available = 1u << 20;
  EXPECT_TRUE(run(true, true, "", false).empty());
  EXPECT_TRUE(exists(dir.file("S1_r1.tab")));
  disk.known = false;
  disk.available = 0;
  std::filesystem::remove(all);
  EXPECT_TRUE(run(true, false, all, false).empty());
  EXPECT_TRUE(exists(all));
}

}  // namespace
