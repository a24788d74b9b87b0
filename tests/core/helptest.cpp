// SPDX-License-Identifier: MIT
// "Help": the compiled help where the desktop can open it, the HTML help in
// the browser where it cannot, and the messages when the help file is
// missing or nothing could open it.

#include <filesystem>

#include "core/TestSupport.h"
#include "platform/core/Help.h"

namespace vestrane::testing {
namespace {

using Lines = std::vector<std::string>;

class HelpTest : public ::testing::Test {
 protected:
  TempDir dir;
  FakeServices services;
  const std::string bin = dir.file("usr/bin");
  const std::string docs = dir.file("usr/share/doc/vestrane");
  HelpFiles help;

  void SetUp() override {
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(docs);
    writeBytes(docs + "/index.html", "<html></html>");
  }
  void install() {
    std::filesystem::create_directories(dir.file("usr/share/vestrane"));
    writeBytes(dir.file("usr/share/vestrane/Vestrane.ini"), "Sample=SAMPLE\r\n");
  }
};

TEST_F(HelpTest, TheHelpFileOpensWithTheDesktopsProgramAndElseTheFirstPageInTheBrowser) {
  help = helpFilesFor(bin + "/Vestrane.chm");
  EXPECT_EQ(help.compiled, bin + "/Vestrane.chm");
  EXPECT_EQ(help.firstPage, docs + "/index.html");
  writeBytes(help.compiled, "ITSF");

  openHelp(help, services);
  EXPECT_EQ(services.opened, Lines{help.compiled});

  services.opened.clear();
  services.cannotOpen = {help.compiled};
  openHelp(help, services);
  EXPECT_EQ(services.opened, (Lines{help.compiled, help.firstPage}));

  EXPECT_TRUE(services.messages.empty());
}

TEST_F(HelpTest, WhenNoProgramOpensTheHelpFileNorItsPagesTheMessageSaysWhereThePagesAre) {
  help = helpFilesFor(bin + "/Vestrane.chm");
  writeBytes(help.compiled, "ITSF");
  services.cannotOpen = {help.compiled, help.firstPage};
  openHelp(help, services);
  EXPECT_EQ(services.opened, (Lines{help.compiled, help.firstPage}));
  EXPECT_EQ(services.messages,
            Lines{"Error: no program could open the help file " + help.compiled +
                  " or its HTML pages.\rThe pages are in " + docs +
                  ": open index.html there with a web browser."});

  // No pages either: nothing more is tried, and the message says so.
  services.opened.clear();
  services.messages.clear();
  std::filesystem::remove(help.firstPage);
  openHelp(help, services);
  EXPECT_EQ(services.opened, Lines{help.compiled});
  EXPECT_EQ(services.messages, Lines{"Error: no program could open the help file " + help.compiled +
                                     ", and its HTML pages are not in " + docs + "."});
}

TEST_F(HelpTest, AMissingHelpFileIsReportedAsEverEvenWithThePagesAtHand) {
  help = helpFilesFor(bin + "/Vestrane.chm");
  openHelp(help, services);
  EXPECT_EQ(services.messages, Lines{"Error: can not find help-file " + bin + "/Vestrane.chm!"});
  EXPECT_TRUE(services.opened.empty());
}

TEST_F(HelpTest, AnInstalledProgramHasItsHelpFileInTheDocumentationFolder) {
  install();
  help = helpFilesFor(bin + "/Vestrane.chm");
  EXPECT_EQ(help.compiled, docs + "/Vestrane.chm");
  EXPECT_EQ(help.firstPage, docs + "/index.html");
  // One beside the executable wins, as the settings file beside it does.
  writeBytes(bin + "/Vestrane.chm", "ITSF");
  EXPECT_EQ(helpFilesFor(bin + "/Vestrane.chm").compiled, bin + "/Vestrane.chm");
}

}  // namespace
}  // namespace vestrane::testing
