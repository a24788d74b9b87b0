// SPDX-License-Identifier: MIT
#pragma once
// The desktop program's command line: `Vestrane [FILE...]` loads the tables
// after start-up, in the order given, as "Load TAB file" would (the desktop
// entry passes the files chosen in the file manager); `--help` and
// `--version` answer on standard output, without a window or a display.

#include <QCommandLineParser>
#include <QStringList>
#include <string>
#include <vector>

class QCoreApplication;

namespace vestrane {

class ProgramCommandLine {
 public:
  ProgramCommandLine();

  /// Whether @p arguments (the program's name first) ask for --help or
  /// --version. Anything else on the line does not matter here: Qt's own
  /// options (-platform, -style, ...) are only known to the application.
  bool asksForInformation(const QStringList& arguments);

  /// Prints the help or the version for @p app on standard output and ends
  /// the program with status 0.
  [[noreturn]] void answer(const QCoreApplication& app);

  /// Reads the arguments Qt left of the command line; an unknown option ends
  /// the program with Qt's message on standard error and status 1.
  void process(const QCoreApplication& app);

  /// Reads @p arguments (the program's name first). @return false on an unknown option.
  bool parse(const QStringList& arguments);

  /// The table files named, in the order given, as absolute paths (UTF-8),
  /// each relative one taken from the current folder.
  std::vector<std::string> tableFiles() const;

 private:
  QCommandLineParser parser_;
  QCommandLineOption help_;
  QCommandLineOption version_;
};

}  // namespace vestrane
