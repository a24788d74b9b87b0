// SPDX-License-Identifier: MIT
// Which settings file the programs use: the one beside the executable, or,
// for an installed program without one, the user's own copy of the shipped
// defaults in the configuration folder, found by the platform's rules; and
// the shipped defaults, read-only, when the user's file can be neither made
// nor read.

#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
// POSIX: FIFOs and the user database.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/TestSupport.h"
#include "platform/core/ProgramFolders.h"
#include "settings/SettingsLocation.h"

namespace vestrane::testing {
namespace {

// Shipped defaults with bytes that a text conversion would change.
const std::string kDefaults =
    "Sample=SAMPLE\r\nArea=AREA\r\nMineral=MINERAL PHASE\r\nWinMain=100 100 900 600\r\n"
    "ChkUpdates=N\r\nCUPeriod=1\r\nAnalysis=caf\xE9\n";

class SettingsLocationTest : public ::testing::Test {
 protected:
  TempDir dir;
  Settings settings;
  std::vector<std::string> messages;  ///< of every read, in order
  const std::string bin = dir.file("usr/bin");
  const std::string userFolder = dir.file("home/.config/Vestrane");
  const std::string shipped = dir.file("usr/share/vestrane/Vestrane.ini");

  void SetUp() override { std::filesystem::create_directories(bin); }

  /// Makes usr/bin an installed program's folder: the shipped defaults in usr/share/vestrane.
  void install() {
    std::filesystem::create_directories(dir.file("usr/share/vestrane"));
    writeBytes(shipped, kDefaults);
  }
  std::string beside(const std::string& name = "Vestrane.ini") const { return bin + "/" + name; }
  SettingsInUse inUse(const std::string& besideFile, const std::string& folder) {
    settings = Settings();
    SettingsInUse used = readSettingsInUse(besideFile, settings, DateSettings(), folder);
    messages.insert(messages.end(), used.messages.begin(), used.messages.end());
    return used;
  }
  SettingsInUse inUse(const std::string& besideFile) { return inUse(besideFile, userFolder); }
  /// The shipped defaults were read: their alias lists, bounds and update check.
  void expectShippedValues() const {
    EXPECT_EQ(settings.aliases.mineral, (AliasList{"MINERAL", "PHASE"}));
    EXPECT_EQ(settings.mainWindowBounds, (std::array<std::int32_t, 4>{100, 100, 900, 600}));
    EXPECT_FALSE(settings.checkForUpdates);
  }
};

TEST_F(SettingsLocationTest, AProgramInItsOwnFolderUsesTheFileBesideItWhetherOrNotItExists) {
  EXPECT_FALSE(isInstalledLayout(bin));
  const SettingsInUse missing = inUse(beside());
  EXPECT_EQ(missing.file, beside());
  EXPECT_TRUE(missing.read);
  EXPECT_TRUE(missing.writable);
  writeBytes(beside(), kDefaults);
  EXPECT_EQ(inUse(beside()).file, beside());
  expectShippedValues();
  EXPECT_FALSE(std::filesystem::exists(dir.file("home")));
  EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsLocationTest, AnInstalledProgramMakesTheUsersFileFromTheShippedDefaultsOnce) {
  install();
  EXPECT_TRUE(isInstalledLayout(bin));
  EXPECT_EQ(installedDataFolder(bin), dir.file("usr/share/vestrane"));
  EXPECT_EQ(installedDocFolder(bin), dir.file("usr/share/doc/vestrane"));

  const std::string userFile = userFolder + "/Vestrane.ini";
  const SettingsInUse made = inUse(beside());
  EXPECT_EQ(made.file, userFile);
  EXPECT_TRUE(made.writable);
  EXPECT_EQ(readBytes(userFile), kDefaults);
  expectShippedValues();
  EXPECT_FALSE(std::filesystem::exists(beside()));

  // The user's edits stay: the file is made only when there is none.
  writeBytes(userFile, "All=Y\r\n");
  EXPECT_EQ(inUse(beside()).file, userFile);
  EXPECT_EQ(readBytes(userFile), "All=Y\r\n");
  EXPECT_TRUE(settings.allAtOnce);

  // A renamed executable keeps its own name for its settings.
  EXPECT_EQ(inUse(beside("Vestrane-lab.ini")).file, userFolder + "/Vestrane-lab.ini");
  EXPECT_EQ(readBytes(userFolder + "/Vestrane-lab.ini"), kDefaults);
  EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsLocationTest, AFileBesideAnInstalledProgramStillWins) {
  install();
  writeBytes(beside(), "All=Y\r\n");
  EXPECT_EQ(inUse(beside()).file, beside());
  EXPECT_TRUE(settings.allAtOnce);
  EXPECT_FALSE(std::filesystem::exists(dir.file("home")));
  EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsLocationTest, AUsersFileThatCanBeNeitherMadeNorReadGivesTheShippedDefaultsReadOnly) {
  install();
  const std::string note =
      "\rThe shipped settings " + shipped + " are used instead, and changes to them are not saved.";
  auto expectShippedReadOnly = [&](const SettingsInUse& used, const std::string& message) {
    EXPECT_EQ(used.file, shipped);
    EXPECT_TRUE(used.read);
    EXPECT_FALSE(used.writable);
    expectShippedValues();
    EXPECT_EQ(messages, std::vector<std::string>{message + note});
    EXPECT_EQ(readBytes(shipped), kDefaults);
    EXPECT_FALSE(std::filesystem::exists(beside()));
    messages.clear();
  };

  // A file where the configuration folder should be.
  std::filesystem::create_directories(dir.file("home/.config"));
  writeBytes(userFolder, "not a folder");
  expectShippedReadOnly(inUse(beside()), "Error: can not write " + userFolder +
                                             "/Vestrane.ini (can not create the folder " + userFolder + ")");
  // No configuration folder at all.
  expectShippedReadOnly(inUse(beside(), std::string()),
                        "Error: can not write the user's settings (no configuration folder)");
#ifndef _WIN32
  // A FIFO as the user's file: never opened, since that would wait for a writer.
  std::filesystem::remove(userFolder);
  std::filesystem::create_directories(userFolder);
  ASSERT_EQ(::mkfifo((userFolder + "/Vestrane.ini").c_str(), 0644), 0);
  expectShippedReadOnly(inUse(beside()), "Error: can not read " + userFolder +
                                             "/Vestrane.ini (not a regular file)");
#endif
}

#ifndef _WIN32
/// An environment variable set, or unset, for one test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(UserConfigurationFolder, FollowsTheXdgRulesAndTheUserDatabase) {
  const struct passwd* account = ::getpwuid(::getuid());
  ASSERT_NE(account, nullptr);
  const std::string accountHome = account->pw_dir;
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/etc/xdg-of-someone");
    EXPECT_EQ(userConfigurationFolder(), "/etc/xdg-of-someone");
    EXPECT_EQ(userSettingsFolder(), "/etc/xdg-of-someone/Vestrane");
  }
  // A relative or empty XDG_CONFIG_HOME is no folder of the rules.
  for (const char* relative : {"relative/config", ""}) {
    ScopedEnv config("XDG_CONFIG_HOME", relative);
    EXPECT_EQ(userConfigurationFolder(), "/home/someone/.config") << relative;
  }
  ScopedEnv config("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(userConfigurationFolder(), "/home/someone/.config");
  // Without HOME (or with one that is no absolute path) the account's home.
  for (const char* noHome : {static_cast<const char*>(nullptr), "", "relative-home"}) {
    ScopedEnv unset("HOME", noHome);
    EXPECT_EQ(userConfigurationFolder(), accountHome + (accountHome == "/" ? ".config" : "/.config"));
  }
}
#endif

}  // namespace
}  // namespace vestrane::testing
