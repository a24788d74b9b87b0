// Which settings file the programs use: the one beside the executable, or,
// for an installed program without one, the user's own copy of the shipped
// defaults in the configuration folder.

#include <filesystem>

#include "core/TestSupport.h"
#include "platform/core/ProgramFolders.h"
#include "settings/SettingsLocation.h"

namespace vestrane::testing {
namespace {

// Shipped defaults with bytes that a text conversion would change.
const std::string kDefaults = "Sample=SAMPLE\r\nArea=AREA\r\nMineral=MINERAL PHASE\r\nPath=caf\xE9\n";

class SettingsLocationTest : public ::testing::Test {
 protected:
  TempDir dir;
  FakeServices services;
  const std::string bin = dir.file("usr/bin");
  const std::string userFolder = dir.file("home/.config/Vestrane");

  void SetUp() override { std::filesystem::create_directories(bin); }

  /// Makes usr/bin an installed program's folder: the shipped defaults in usr/share/vestrane.
  void install() {
    std::filesystem::create_directories(dir.file("usr/share/vestrane"));
    writeBytes(dir.file("usr/share/vestrane/Vestrane.ini"), kDefaults);
  }
  std::string beside(const std::string& name = "Vestrane.ini") const { return bin + "/" + name; }
  std::string inUse(const std::string& besideFile) {
    return settingsFileInUse(besideFile, services, userFolder);
  }
};

TEST_F(SettingsLocationTest, AProgramInItsOwnFolderUsesTheFileBesideItWhetherOrNotItExists) {
  EXPECT_FALSE(isInstalledLayout(bin));
  EXPECT_EQ(inUse(beside()), beside());
  writeBytes(beside(), kDefaults);
  EXPECT_EQ(inUse(beside()), beside());
  EXPECT_FALSE(std::filesystem::exists(dir.file("home")));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(SettingsLocationTest, AnInstalledProgramMakesTheUsersFileFromTheShippedDefaultsOnce) {
  install();
  EXPECT_TRUE(isInstalledLayout(bin));
  EXPECT_EQ(installedDataFolder(bin), dir.file("usr/share/vestrane"));
  EXPECT_EQ(installedDocFolder(bin), dir.file("usr/share/doc/vestrane"));

  const std::string userFile = userFolder + "/Vestrane.ini";
  EXPECT_EQ(inUse(beside()), userFile);
  EXPECT_EQ(readBytes(userFile), kDefaults);
  EXPECT_FALSE(std::filesystem::exists(beside()));

  // The user's edits stay: the file is made only when there is none.
  writeBytes(userFile, "All=Y\r\n");
  EXPECT_EQ(inUse(beside()), userFile);
  EXPECT_EQ(readBytes(userFile), "All=Y\r\n");

  // A renamed executable keeps its own name for its settings.
  EXPECT_EQ(inUse(beside("Vestrane-lab.ini")), userFolder + "/Vestrane-lab.ini");
  EXPECT_EQ(readBytes(userFolder + "/Vestrane-lab.ini"), kDefaults);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(SettingsLocationTest, AFileBesideAnInstalledProgramStillWins) {
  install();
  writeBytes(beside(), "All=Y\r\n");
  EXPECT_EQ(inUse(beside()), beside());
  EXPECT_FALSE(std::filesystem::exists(dir.file("home")));
  // Without a configuration folder there is nowhere else to go.
  std::filesystem::remove(beside());
  EXPECT_EQ(settingsFileInUse(beside(), services, std::string()), beside());
}

TEST_F(SettingsLocationTest, AUsersFileThatCannotBeMadeIsReportedAndTheDefaultsStayUnread) {
  install();
  // A file where the configuration folder should be.
  std::filesystem::create_directories(dir.file("home/.config"));
  writeBytes(userFolder, "not a folder");
  const std::string userFile = userFolder + "/Vestrane.ini";
  EXPECT_EQ(inUse(beside()), userFile);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].rfind("Error: can not write " + userFile + " (", 0), 0u)
      << services.messages[0];
  EXPECT_FALSE(std::filesystem::exists(beside()));
}

}  // namespace
}  // namespace vestrane::testing
