// Vestrane: the desktop program. Starts the application, creates the main
// window (which reads the settings file) and runs until it is closed.

#include <QApplication>

#include "app/ProgramIcon.h"
#include "app/Unit1.h"
#include "platform/qt/QtServices.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vestrane"));
  // The application title "Gorlanth Combinations" is the caption of every
  // message box (set by the services); it is not made Qt's display name,
  // which the window system would append to the main window's own caption.
  QApplication::setWindowIcon(vestrane::programIcon());

  vestrane::QtServices services;
  // The main window's creation reads the settings file; its messages come
  // before any window is visible.
  vestrane::TForm1 form(services, vestrane::textToBytes(QCoreApplication::applicationFilePath()));
  services.setWindow(&form);
  // The About window is created here, once it exists.
  form.applyBounds();
  // The Updates window is created here, once it exists.
  form.show();
  return app.exec();
}
