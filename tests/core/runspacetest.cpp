// SPDX-License-Identifier: MIT
// Sizes and counts as a person reads them, and whether a run fits its disk:
// the unit boundaries, the locale's separators, and the free space given by
// a fake disk and by a small file system of a known size.

#include <gtest/gtest.h>

#include <QLocale>
#include <QProcess>

#include <cstdint>
#include <string>

#include "TestSupport.h"
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
