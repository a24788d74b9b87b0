// SPDX-License-Identifier: MIT
// Vestrane: the desktop program. Starts the application, creates the main
// window (which reads the settings file), the About window and the Updates
// window, and runs until the main window is closed. Tables named on the
// command line are loaded once the main window is up.

#include <QApplication>

#include "about/AboutInfo.h"
#include "about/FAbout.h"
#include "app/CommandLine.h"
#include "app/Unit1.h"
#include "platform/core/Help.h"
#include "platform/core/TemporaryFiles.h"
#include "platform/qt/ProgramIcon.h"
#include "platform/qt/QtHttpClient.h"
#include "platform/qt/QtServices.h"
#include "update/core/uVersions.h"
#include "update/uUpdate.h"

namespace {

void nameTheApplication() {
  QCoreApplication::setApplicationName(QStringLiteral("Vestrane"));
  vestrane::GetOwnVersion();
  QCoreApplication::setApplicationVersion(
      QString::fromStdString(vestrane::VersionToStr(vestrane::OwnVersion)));
}

}  // namespace

int main(int argc, char* argv[]) {
  // Files being saved when the program is ended by a signal go with it.
  vestrane::removeTemporaryFilesOnSignals();
  vestrane::ProgramCommandLine commandLine;
  {
    // --help and --version answer on standard output before any window
    // exists, so they work without a display too.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    if (commandLine.asksForInformation(arguments)) {
      QCoreApplication information(argc, argv);
      nameTheApplication();
      commandLine.answer(information);
    }
  }

  QApplication app(argc, argv);
  nameTheApplication();
  // The desktop entry that started the program: window systems show its
  // icon and name for the program's windows.
  QGuiApplication::setDesktopFileName(QStringLiteral(VESTRANE_APP_ID));
  // The application title "Gorlanth Combinations" is the caption of every
  // message box (set by the services); it is not made Qt's display name,
  // which the window system would append to the main window's own caption.
  QApplication::setWindowIcon(vestrane::programIcon());
  commandLine.process(app);

  const std::string exePath = vestrane::textToBytes(QCoreApplication::applicationFilePath());
  // The help files' places are fixed before any window exists.
  const vestrane::HelpFiles help = vestrane::helpFilesFor(vestrane::about::HelpFilePath(exePath));

  vestrane::QtServices services;
  // The main window's creation reads the settings file; its messages come
  // before any window is visible.
  vestrane::TForm1 form(services, exePath);
  services.setWindow(&form);

  vestrane::TFAbout about(services, help.compiled, &form);
  about.setHelpPages(help.firstPage);
  form.setAboutWindow(&about);

  form.applyBounds();

  // The Updates window, hidden until a check shows it. Its checker works on
  // the main window's settings values, which the close box writes back.
  vestrane::QtHttpClient http;
  vestrane::TUpdate update(services, form.settings(), http);
  form.setUpdateWindow(&update);

  // Showing the main window runs its FormShow, which may check for updates;
  // the tables named on the command line come after that.
  form.show();
  form.loadTableFiles(commandLine.tableFiles());
  return app.exec();
}
