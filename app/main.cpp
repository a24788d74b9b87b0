// Vestrane: the desktop program. Starts the application, creates the main
// window (which reads the settings file) and runs until it is closed.

#include <QApplication>

#include "app/ProgramIcon.h"
#include "app/Unit1.h"
#include "platform/qt/QtServices.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vestrane"));
  // The application title: the caption of every message box, and the name
  // the desktop shows for the program.
  QApplication::setApplicationDisplayName(QString::fromUtf8(vestrane::kAppTitle));
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
