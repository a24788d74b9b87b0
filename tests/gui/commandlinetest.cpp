// SPDX-License-Identifier: MIT
// The desktop program from outside: tables named on its command line, the
// user's own settings file of an installed program, and the question whether
// the desktop has a program for the help file.

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <filesystem>

#include "GuiTestSupport.h"
#include "app/CommandLine.h"
#include "platform/qt/DocumentHandler.h"
#include "UpdateTestSupport.h"

namespace vestrane::testing {
namespace {

using Lines = std::vector<std::string>;

/// An environment variable set for one test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~ScopedEnv() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

/// Kept lines: a point S3/r3 and a line without a mineral.
const char* const kMore =
    "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tFeO\r\n"
    "1\tS3\tr3\tGrt\tg9\t37.0\t30.0\r\n"
    "1\tS3\tr3\t\tx\t1.0\t1.0\r\n";

class CommandLineTest : public MainWindowTest {
 protected:
  /// What the window shows: its caption, then every row's Sample and Area.
  static Lines shown(TForm1& window) {
    Lines lines{window.windowTitle().toStdString()};
    QAbstractItemModel* model = window.ListView1->model();
    for (int row = 0; row < model->rowCount(); ++row)
      lines.push_back(model->index(row, ColSample).data().toString().toStdString() + "/" +
                      model->index(row, ColArea).data().toString().toStdString());
    return lines;
  }
};

TEST_F(CommandLineTest, TablesNamedOnTheCommandLineLoadInOrderAfterStartUpAsLoadTabFileWould) {
  start();
  writeBytes(dir.file("first.tab"), kTable);
  writeBytes(dir.file("more.tab"), kMore);
  const std::string missing = dir.file("missing.tab");

  // A relative name is taken from the current folder.
  const QString before = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(dir.path()));
  ProgramCommandLine commandLine;
  const bool parsed = commandLine.parse({"Vestrane", "first.tab", QString::fromStdString(missing),
                                         QString::fromStdString(dir.file("more.tab"))});
  const std::vector<std::string> files = commandLine.tableFiles();
  QDir::setCurrent(before);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(files, (Lines{dir.file("first.tab"), missing, dir.file("more.tab")}));

  // Nothing is loaded until the event loop runs, after start-up.
  form->loadTableFiles(files);
  EXPECT_EQ(view()->model()->rowCount(), 0);
  // QTRY_COMPARE would return from the test without a failure.
  EXPECT_TRUE(QTest::qWaitFor([&] { return view()->model()->rowCount() == 10; }));
  EXPECT_EQ(view()->model()->rowCount(), 10);

  // The same files through "Load TAB file" in a window of their own.
  RecordingServices byButton;
  TForm1 other(byButton, exePath());
  other.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
  for (const std::string& file : files) {
    byButton.openAnswers.push_back(file);
    QTest::mouseClick(other.Button1, Qt::LeftButton);
  }
  EXPECT_EQ(services.messages, byButton.messages);
  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[0], "Error: can not open file " + missing);
  EXPECT_EQ(shown(*form), shown(other));
  EXPECT_EQ(shown(*form).front(), "Vestrane - more.tab");
  EXPECT_EQ(selectedViewRow(), 0);
  // The files are one step, named as the command they stand for.
  EXPECT_EQ(form->undoItem->text().toStdString(), "Undo Load TAB file");
  // The open dialog proposes the last file, as after "Load TAB file".
  services.openAnswers.push_back(std::nullopt);
  byButton.openAnswers.push_back(std::nullopt);
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  QTest::mouseClick(other.Button1, Qt::LeftButton);
  EXPECT_EQ(services.openRequests.back().proposedName, byButton.openRequests.back().proposedName);
  EXPECT_EQ(services.openRequests.back().initialDir, byButton.openRequests.back().initialDir);
  form->undoItem->trigger();
  EXPECT_EQ(view()->model()->rowCount(), 0);
  EXPECT_FALSE(form->undoItem->isEnabled());
}

#ifndef _WIN32
TEST_F(CommandLineTest, AFifoIsNoTableTheWindowWaitsForAndTheNextFileStillLoads) {
  // Named on the command line, then chosen in the open dialog: neither
  // waits for a writer.
  start();
  UnwrittenFifo fifo(dir.file("pipe.tab"));
  ASSERT_TRUE(fifo.created());
  writeBytes(dir.file("first.tab"), kTable);
  form->loadTableFiles({fifo.path(), dir.file("first.tab")});
  EXPECT_TRUE(QTest::qWaitFor([&] { return view()->model()->rowCount() == 9; }));
  EXPECT_EQ(view()->model()->rowCount(), 9);
  const std::string refused = "Error: can not open file " + fifo.path() + " (not a regular file)";
  EXPECT_EQ(services.messages, Lines{refused});
  EXPECT_EQ(caption(), "Vestrane - first.tab");

  services.openAnswers.push_back(fifo.path());
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  EXPECT_EQ(services.messages, (Lines{refused, refused}));
  EXPECT_EQ(view()->model()->rowCount(), 9);
  EXPECT_FALSE(fifo.wokeAReader()) << "the window waited in open() for a writer";
}
#endif

TEST_F(CommandLineTest, WithoutTablesNothingChangesAndHelpAndVersionAreAnsweredBeforeAnyWindow) {
  start();
  ProgramCommandLine commandLine;
  ASSERT_TRUE(commandLine.parse({"Vestrane"}));
  EXPECT_TRUE(commandLine.tableFiles().empty());
  form->loadTableFiles(commandLine.tableFiles());
  ASSERT_TRUE(waitForQueuedCalls());  // a load would be queued
  EXPECT_EQ(view()->model()->rowCount(), 0);
  EXPECT_TRUE(services.messages.empty());

  EXPECT_TRUE(ProgramCommandLine().asksForInformation({"Vestrane", "--version"}));
  EXPECT_TRUE(ProgramCommandLine().asksForInformation({"Vestrane", "-platform", "xcb", "-h"}));
  EXPECT_FALSE(ProgramCommandLine().asksForInformation({"Vestrane", "table.tab"}));
  EXPECT_FALSE(ProgramCommandLine().parse({"Vestrane", "--bogus", "table.tab"}));
}

TEST_F(CommandLineTest, AnInstalledProgramReadsAndWritesTheUsersOwnSettingsFile) {
  // usr/bin/Vestrane with the shipped defaults in usr/share/vestrane.
  std::filesystem::create_directories(dir.file("usr/bin"));
  std::filesystem::create_directories(dir.file("usr/share/vestrane"));
  const std::string defaults = std::string(kAliasLines) + "All=Y\r\n";
  writeBytes(dir.file("usr/share/vestrane/Vestrane.ini"), defaults);
  ScopedEnv config("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.file("config")));
  const std::string userFile = dir.file("config/Vestrane/Vestrane.ini");

  form = std::make_unique<TForm1>(services, dir.file("usr/bin/Vestrane"));
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  EXPECT_EQ(form->settingsFileName(), userFile);
  EXPECT_EQ(readBytes(userFile), defaults);
  EXPECT_TRUE(form->CheckBox1->isChecked());
  loadTable();
  EXPECT_EQ(view()->model()->rowCount(), 9);

  form->move(20, 30);
  form->resize(600, 400);
  EXPECT_TRUE(closeBox(form.get()));
  EXPECT_NE(readBytes(userFile).find("\r\nWinMain=20 30 600 400\r\n"), std::string::npos)
      << readBytes(userFile);
  EXPECT_FALSE(std::filesystem::exists(dir.file("usr/bin/Vestrane.ini")));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(CommandLineTest, AnInstalledProgramWhoseUsersFileCannotBeMadeWorksWithTheShippedDefaults) {
  // XDG_CONFIG_HOME is a file: the user's folder can not be made in it.
  std::filesystem::create_directories(dir.file("usr/bin"));
  std::filesystem::create_directories(dir.file("usr/share/vestrane"));
  const std::string shipped = dir.file("usr/share/vestrane/Vestrane.ini");
  const std::string defaults = std::string(kAliasLines) + "WinMain=100 120 900 600\r\nChkUpdates=N\r\n";
  writeBytes(shipped, defaults);
  writeBytes(dir.file("config"), "a file");
  ScopedEnv config("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.file("config")));

  // An update check would ask this client.
  struct CountingHttp : HttpClient {
    int gets = 0;
    bool get(const std::string&, std::string&) override { return ++gets, false; }
  } http;
  form = std::make_unique<TForm1>(services, dir.file("usr/bin/Vestrane"));
  TUpdate update(services, form->settings(), http);
  ModalWatcher updatesShown(&update);
  form->setUpdateWindow(&update);
  form->applyBounds();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));

  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0], "Error: can not write " + dir.file("config/Vestrane/Vestrane.ini") +
                                      " (can not create the folder " + dir.file("config/Vestrane") +
                                      ")\rThe shipped settings " + shipped +
                                      " are used instead, and changes to them are not saved.");
  EXPECT_EQ(form->pos(), QPoint(100, 120));
  EXPECT_EQ(form->size(), QSize(900, 600));
  EXPECT_EQ(http.gets, 0);
  EXPECT_EQ(updatesShown.shown, 0);
  loadTable();
  EXPECT_EQ(view()->model()->rowCount(), 9);

  // Closing writes nowhere: not the shipped defaults, not beside the program.
  form->resize(700, 500);
  EXPECT_TRUE(closeBox(form.get()));
  EXPECT_EQ(readBytes(shipped), defaults);
  EXPECT_EQ(readBytes(dir.file("config")), "a file");
  EXPECT_FALSE(std::filesystem::exists(dir.file("usr/bin/Vestrane.ini")));
  EXPECT_EQ(services.messages.size(), 1u);
  form.reset();
}

TEST(DocumentHandler, TheDesktopIsAskedWhetherItHasAProgramForTheFilesType) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  TempDir dir;
  const std::string chm = dir.file("Vestrane.chm");
  writeBytes(chm, "ITSF");
  const std::string asked = dir.file("asked");
  // A stand-in for xdg-mime that notes the question and gives ANSWER.
  auto fakeXdgMime = [&](const std::string& answer) {
    const std::string script = dir.file("xdg-mime");
    writeBytes(script, "#!/bin/sh\necho \"$@\" > '" + asked + "'\nprintf '" + answer + "'\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  };
  ScopedEnv path("PATH", QByteArray::fromStdString(dir.path()));

  // Without xdg-mime nobody can tell: opening decides.
  EXPECT_TRUE(desktopHasProgramFor(QString::fromStdString(chm)));
  fakeXdgMime("");
  EXPECT_FALSE(desktopHasProgramFor(QString::fromStdString(chm)));
  EXPECT_EQ(readBytes(asked), "query default application/vnd.ms-htmlhelp\n");
  fakeXdgMime("xchm.desktop\\n");
  EXPECT_TRUE(desktopHasProgramFor(QString::fromStdString(chm)));
#else
  GTEST_SKIP() << "the desktop's own answer to opening stands here";
#endif
}

}  // namespace
}  // namespace vestrane::testing
