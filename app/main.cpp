// Vestrane: the desktop program. Starts the application, creates the main
// window (which reads the settings file), the About window and the Updates
// window, and runs until the main window is closed.

#include <QApplication>

#include "about/AboutInfo.h"
#include "about/FAbout.h"
#include "app/ProgramIcon.h"
#include "app/Unit1.h"
#include "platform/qt/QtHttpClient.h"
#include "platform/qt/QtServices.h"
#include "update/uUpdate.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vestrane"));
  // The application title "Gorlanth Combinations" is the caption of every
  // message box (set by the services); it is not made Qt's display name,
  // which the window system would append to the main window's own caption.
  QApplication::setWindowIcon(vestrane::programIcon());

  const std::string exePath = vestrane::textToBytes(QCoreApplication::applicationFilePath());
  // The help file's place is fixed before any window exists.
  const std::string helpFile = vestrane::about::HelpFilePath(exePath);

  vestrane::QtServices services;
  // The main window's creation reads the settings file; its messages come
  // before any window is visible.
  vestrane::TForm1 form(services, exePath);
  services.setWindow(&form);

  vestrane::TFAbout about(services, helpFile, &form);
  form.setAboutWindow(&about);

  form.applyBounds();

  // The Updates window, hidden until a check shows it. Its checker works on
  // the main window's settings values, which the close box writes back.
  vestrane::QtHttpClient http;
  vestrane::TUpdate update(services, form.settings(), http);
  form.setUpdateWindow(&update);

  // Showing the main window runs its FormShow, which may check for updates.
  form.show();
  return app.exec();
}
