// SPDX-License-Identifier: MIT
// Files written where the file system is not a plain folder of plain files:
// targets with modes and owners of their own, files the user may not write,
// symbolic links, pipes and devices named like a point's file, and memory
// that runs out while a table is read. What the window and the batch tool
// write goes through the same engine; these are the window's views of it.

#include <gtest/gtest.h>

#ifndef _WIN32

// POSIX: modes, owners, links, FIFOs, devices, user ids and memory limits.
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/core/Workbench.h"
#include "fakes/FakeServices.h"
#include "settings/Settings.h"
#include "table/TableWriter.h"

using namespace vestrane;
using vestrane::testing::FakeServices;
using vestrane::testing::RunOver;
using vestrane::testing::readBytes;
using vestrane::testing::writeBytes;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

// Two points of two combinations each.
const char* kTable =
    "Sample\tArea\tMineral\tAnalysis\r\n"
    "S1\tr1\tGrt\tfirst garnet\r\n"
    "S1\tr1\tGrt\tsecond garnet\r\n"
    "S2\tr1\tBt\tfirst biotite\r\n"
    "S2\tr1\tBt\tsecond biotite\r\n";
const std::string kPrevious = "The file that was here before\r\n";

#ifdef VESTRANE_SANITIZED_BUILD
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

mode_t modeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class FileSystemTest : public vestrane::testing::WorkbenchTest {
 protected:
  void SetUp() override {
    workInDir();
    load(kTable);
    bench.setRowSelected(0, true);
    services.messages.clear();
  }

  std::string previousFile(const std::string& name, mode_t mode) {
    const std::string path = dir.file(name);
    writeBytes(path, kPrevious);
    ::chmod(path.c_str(), mode);
    return path;
  }

  /// A FIFO named @p name, opened for reading without waiting, so that
  /// anything that opened it for writing would not block but leave its
  /// bytes here to be found.
  int fifoWithReader(const std::string& name) {
    const std::string path = dir.file(name);
    if (::mkfifo(path.c_str(), 0666) != 0) return -1;
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  }

  static std::string bytesWaiting(int fd) {
    char buffer[4096];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
  }
};

}  // namespace

TEST_F(FileSystemTest, ReplacedFilesKeepTheirModeOwnerAndGroup) {
  const std::string saved = previousFile("saved.tab", 0600);
  const std::string point = previousFile("S1_r1.tab", 0640);
  const std::string ini = previousFile("Vestrane.ini", 0604);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(saved.c_str(), kNobody, kNoGroup), 0);
  }

  services.saveAnswers.push_back(saved);
  bench.SaveTableFile();
  bench.generateCombinations(true, true);
  std::string error;
  EXPECT_TRUE(WriteSettings(ini, settings, DateSettings(), error)) << error;

  EXPECT_EQ(services.messages, std::vector<std::string>{"Files written:\r\nS1_r1.tab\r\nS2_r1.tab"});
  EXPECT_EQ(readBytes(saved), SerializeTable(table));
  EXPECT_NE(readBytes(point), kPrevious);
  EXPECT_EQ(readBytes(ini), settingsFileText(settings, DateSettings()));
  EXPECT_EQ(modeOf(saved), 0600u);
  EXPECT_EQ(modeOf(point), 0640u);
  EXPECT_EQ(modeOf(ini), 0604u);
  if (root) {
    struct stat st {};
    ASSERT_EQ(::stat(saved.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNoGroup);
  }
  // Nothing but the files themselves in the folder.
  EXPECT_EQ(dir.names(),
            (std::vector<std::string>{"S1_r1.tab", "S2_r1.tab", "Vestrane.ini", "saved.tab"}));
}

TEST_F(FileSystemTest, NamedTargetsAreWrittenThroughLinks) {
  // Each named target is a link into another folder, by a relative text;
  // the files there are replaced and the links stay links.
  fs::create_directory(dir.file("real"));
  const std::vector<std::string> names = {"saved.tab", "point.tab", "all.tab", "Vestrane.ini"};
  for (const std::string& name : names) {
    writeBytes(dir.file("real/" + name), kPrevious);
    fs::create_symlink("real/" + name, dir.file(name));
  }
  // A link to a file not there yet makes that file.
  fs::create_symlink("real/new.tab", dir.file("new.tab"));

  services.saveAnswers = {dir.file("saved.tab"), dir.file("point.tab"), dir.file("all.tab"),
                          dir.file("new.tab")};
  bench.SaveTableFile();
  bench.generateCombinations(false, false);
  bench.generateCombinations(true, false);
  std::string error;
  EXPECT_TRUE(WriteSettings(dir.file("Vestrane.ini"), settings, DateSettings(), error)) << error;
  bench.SaveTableFile();
  EXPECT_TRUE(services.messages.empty()) << services.messages.front();

  for (const std::string& name : names) {
    EXPECT_TRUE(fs::is_symlink(dir.file(name))) << name;
    EXPECT_NE(readBytes(dir.file("real/" + name)), kPrevious) << name;
  }
  EXPECT_TRUE(fs::is_symlink(dir.file("new.tab")));
  EXPECT_EQ(readBytes(dir.file("real/saved.tab")), SerializeTable(table));
  EXPECT_EQ(readBytes(dir.file("real/new.tab")), SerializeTable(table));
  EXPECT_EQ(readBytes(dir.file("real/Vestrane.ini")), settingsFileText(settings, DateSettings()));
  EXPECT_EQ(readBytes(dir.file("real/point.tab")).substr(0, 41), "Select\tSample\tArea\tMineral\tAnalysis\r\n1\tS1");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("real")), fs::directory_iterator()), 5);
}

TEST_F(FileSystemTest, PointFilesReplaceOnlyRegularFiles) {
  // S1_r1.tab is a link to a file outside the folder, S2_r1.tab a FIFO: the
  // window skips both without a word and writes through neither.
  const std::string outside = dir.file("outside.tab");
  writeBytes(outside, kPrevious);
  fs::create_directory(dir.file("points"));
  settings.workDirectory = dir.file("points");
  fs::create_symlink(outside, dir.file("points/S1_r1.tab"));
  const int fifo = fifoWithReader("points/S2_r1.tab");
  ASSERT_GE(fifo, 0);

  GenerateResult result = RunOver(bench)->separate(settings.workDirectory);
  EXPECT_TRUE(result.filesWritten.empty());
  ASSERT_EQ(result.filesSkipped.size(), 2u);
  EXPECT_EQ(result.filesSkipped[0].name, "S1_r1.tab");
  EXPECT_EQ(result.filesSkipped[0].reason, "not a regular file");
  EXPECT_EQ(result.filesSkipped[1].name, "S2_r1.tab");
  EXPECT_EQ(result.filesSkipped[1].reason, "not a regular file");
  bench.generateCombinations(true, true);
  EXPECT_EQ(services.messages, std::vector<std::string>{"Files written:"});

  EXPECT_EQ(readBytes(outside), kPrevious);
  EXPECT_TRUE(fs::is_symlink(dir.file("points/S1_r1.tab")));
  EXPECT_EQ(bytesWaiting(fifo), "");
  ::close(fifo);
}

TEST_F(FileSystemTest, ProtectedFilesAreNotReplaced) {
  // Root may write any file: the test runs as nobody then, in a child
  // process, in a folder that belongs to nobody.
  const bool root = ::geteuid() == 0;
  const std::string saved = previousFile("saved.tab", 0444);
  const std::string point = previousFile("S1_r1.tab", 0444);
  const std::string ini = previousFile("Vestrane.ini", 0444);
  if (root) {
    for (const std::string& path : {dir.path(), saved, point, ini})
      ASSERT_EQ(::chown(path.c_str(), kNobody, kNoGroup), 0) << path;
  }
  EXPECT_EXIT(
      {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(kNoGroup) != 0 || ::setuid(kNobody) != 0)) {
          std::cerr << "could not become nobody\n";
          std::exit(2);
        }
        std::vector<std::string> problems;
        auto expect = [&](bool holds, const std::string& what) {
          if (!holds) problems.push_back(what);
        };
        services.saveAnswers.push_back(saved);
        bench.SaveTableFile();
        const GenerateResult result = RunOver(bench)->separate(dir.path());
        std::string error;
        expect(!WriteSettings(ini, settings, DateSettings(), error), "settings file written");
        expect(error == "Error: can not write " + ini + " (Permission denied)", error);
        expect(services.messages ==
                   std::vector<std::string>{"Error: can not write " + saved + " (Permission denied)"},
               services.messages.empty() ? "no message" : services.messages.front());
        expect(result.filesWritten == std::vector<std::string>{"S2_r1.tab"}, "S2_r1.tab not written");
        expect(result.filesSkipped.size() == 1 && result.filesSkipped[0].name == "S1_r1.tab" &&
                   result.filesSkipped[0].reason == "Permission denied",
               "S1_r1.tab not skipped");
        for (const std::string& path : {saved, point, ini})
          expect(readBytes(path) == kPrevious && modeOf(path) == 0444, path + " changed");
        for (const std::string& problem : problems) std::cerr << problem << "\n";
        std::exit(problems.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(FileSystemTest, RunningOutOfMemoryWhileLoadingKeepsTheEarlierTable) {
  if (kSanitized) GTEST_SKIP() << "a sanitizer's shadow memory does not fit under an address-space limit";
  // A table of 40 MB, with columns and captions of its own, read with
  // about 60 MB of address space to spare: the file fits, the table
  // built from it does not.
  std::string text = "Sample ID\tArea\tPhase\tAnalysis\tNew column\r\n";
  while (text.size() < 40u << 20)
    text += "S" + std::to_string(text.size() % 977) + "\tr1\tGrt\tanalysis " + std::to_string(text.size()) + "\t37.5\r\n";
  const std::string path = dir.file("large.tab");
  writeBytes(path, text);
  text.clear();
  text.shrink_to_fit();
  settings.aliases.sample.push_back("SAMPLE ID");
  settings.aliases.mineral.push_back("PHASE");
  const std::string before = SerializeTable(table);
  const PointState pointBefore = bench.point();

  EXPECT_EXIT(
      {
        std::ifstream status("/proc/self/statm");
        unsigned long long pages = 0;
        status >> pages;
        rlimit limit{};
        ::getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = pages * static_cast<unsigned long long>(::sysconf(_SC_PAGESIZE)) + (60u << 20);
        if (pages == 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) {
          std::cerr << "no address-space limit\n";
          std::exit(2);
        }
        const bool loaded = bench.LoadTableFile(path);
        std::vector<std::string> problems;
        if (loaded) problems.push_back("the table was loaded");
        if (services.messages !=
            std::vector<std::string>{"Error: can not read file " + path + " (out of memory)"})
          problems.push_back(services.messages.empty() ? "no message" : services.messages.back());
        if (SerializeTable(table) != before) problems.push_back("the earlier table changed");
        if (bench.point().sample != pointBefore.sample || bench.point().countText != pointBefore.countText)
          problems.push_back("the current point changed");
        if (bench.caption() != kCaptionPlain) problems.push_back("the caption changed");
        for (const std::string& problem : problems) std::cerr << problem << "\n";
        std::exit(problems.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");

  // With the memory there, the same file reads.
  ASSERT_TRUE(bench.LoadTableFile(path));
  EXPECT_GT(table.rowCount(), 4 + 500000);
  EXPECT_EQ(table.caption(5), "New column");
}

#else

TEST(FileSystemTest, NeedsPosixFileSystem) {
  GTEST_SKIP() << "modes, owners, FIFOs and address-space limits are those of POSIX systems";
}

#endif  // _WIN32
