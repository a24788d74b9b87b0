// SPDX-License-Identifier: MIT
// Writes cut short by a full disk: the saved table, the combination files
// and the settings file. The disk fills up after a few kilobytes, which a
// limit on the size of the files this process writes simulates. The file
// that was there before must stay as it was, the user must get the
// write-error message with the system's reason, and the program must go on.

#include <gtest/gtest.h>

#ifndef _WIN32

// POSIX: the file-size limit (RLIMIT_FSIZE). Without SIGXFSZ ignored, a
// write past the limit would end the process instead of failing.
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/core/Workbench.h"
#include "fakes/FakeServices.h"
#include "settings/Settings.h"
#include "table/TableWriter.h"

using namespace vestrane;
using vestrane::testing::FakeServices;
using vestrane::testing::readBytes;
using vestrane::testing::TempDir;
using vestrane::testing::writeBytes;

namespace {

/// Lets this process write files of at most @p bytes bytes while it lives.
class DiskFullAfter {
 public:
  explicit DiskFullAfter(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~DiskFullAfter() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    ::signal(SIGXFSZ, previousHandler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = SIG_DFL;
  bool ok_ = false;
};

constexpr rlim_t kDiskRoom = 4096;
const std::string kPrevious = "The file that was here before\r\n";

class FullDiskTest : public vestrane::testing::WorkbenchTest {
 protected:
  void SetUp() override {
    workInDir();
    // Two points of 125 combinations of three lines each; with a long note
    // on every row the table alone is about 10 KB.
    std::string text = "Sample\tArea\tMineral\tAnalysis\tSiO2\tFeO\tNote\r\n";
    const std::string note(300, 'n');
    for (const char* sample : {"S1", "S2"})
      for (const char* mineral : {"Grt", "Bt", "Pl"})
        for (int a = 0; a < 5; ++a)
          text += std::string(sample) + "\tr1\t" + mineral + "\tanalysis " + std::to_string(a) +
                  "\t37.5\t12.25\t" + note + "\r\n";
    ASSERT_TRUE(bench.ParseTableText(text));
    ASSERT_GT(SerializeTable(bench.table()).size(), 2 * kDiskRoom);
    services.messages.clear();
  }

  std::string previousFile(const std::string& name) {
    const std::string path = dir.file(name);
    writeBytes(path, kPrevious);
    return path;
  }

  /// The names in the work directory: nothing half-written may stay.
  std::vector<std::string> files() const { return dir.names(); }

  static std::string writeError(const std::string& path) {
    return "Error: can not write " + path + " (File too large)";
  }
};

}  // namespace

TEST_F(FullDiskTest, SavedTableKeepsThePreviousFile) {
  const std::string path = previousFile("saved.tab");
  const std::string before = SerializeTable(bench.table());
  {
    DiskFullAfter full(kDiskRoom);
    ASSERT_TRUE(full.ok());
    services.saveAnswers.push_back(path);
    bench.SaveTableFile();
  }
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0], writeError(path));
  EXPECT_EQ(readBytes(path), kPrevious);
  EXPECT_EQ(files(), std::vector<std::string>{"saved.tab"});
  EXPECT_EQ(settings.workDirectory, dir.path());  // the work directory follows only a saved file
  EXPECT_EQ(bench.openDialogInitialDir, dir.path());

  // With room again, the same command saves the unchanged table.
  services.saveAnswers.push_back(path);
  bench.SaveTableFile();
  EXPECT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(readBytes(path), before);
  EXPECT_EQ(SerializeTable(bench.table()), before);
}

TEST_F(FullDiskTest, CombinationFilesKeepThePreviousFiles) {
  const std::string single = previousFile("S1_r1.tab");
  const std::string combined = previousFile("AllComb.tab");
  {
    DiskFullAfter full(kDiskRoom);
    ASSERT_TRUE(full.ok());
    // One point through the save dialog.
    bench.setRowSelected(0, true);
    services.saveAnswers.push_back(single);
    bench.generateCombinations(false, false);
    // All points into one file.
    services.saveAnswers.push_back(combined);
    bench.generateCombinations(true, false);
    // All points into files of their own: the run ends at the first
    // failure, without the "Files written:" list.
    bench.generateCombinations(true, true);
  }
  EXPECT_EQ(services.messages,
            (std::vector<std::string>{writeError(single), writeError(combined), writeError(single)}));
  EXPECT_EQ(readBytes(single), kPrevious);
  EXPECT_EQ(readBytes(combined), kPrevious);
  EXPECT_EQ(files(), (std::vector<std::string>{"AllComb.tab", "S1_r1.tab"}));

  // With room again, every command writes its file whole.
  services.messages.clear();
  bench.generateCombinations(true, true);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0], "Files written:\r\nS1_r1.tab\r\nS2_r1.tab");
  const std::string written = readBytes(single);
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 1 + 125 * 3);
  EXPECT_EQ(files(), (std::vector<std::string>{"AllComb.tab", "S1_r1.tab", "S2_r1.tab"}));
}

TEST_F(FullDiskTest, SettingsFileKeepsThePreviousFile) {
  const std::string path = previousFile("Vestrane.ini");
  for (int i = 0; i < 500; ++i) settings.aliases.analysis.push_back("ANALYSIS" + std::to_string(i));
  std::string error;
  {
    DiskFullAfter full(kDiskRoom);
    ASSERT_TRUE(full.ok());
    EXPECT_FALSE(WriteSettings(path, settings, DateSettings(), error));
  }
  EXPECT_EQ(error, writeError(path));
  EXPECT_EQ(readBytes(path), kPrevious);
  EXPECT_EQ(files(), std::vector<std::string>{"Vestrane.ini"});

  EXPECT_TRUE(WriteSettings(path, settings, DateSettings(), error));
  EXPECT_EQ(readBytes(path), settingsFileText(settings, DateSettings()));
}

#else

TEST(FullDiskTest, NeedsAFileSizeLimit) {
  GTEST_SKIP() << "a full disk is simulated with the POSIX file-size limit";
}

#endif  // _WIN32
