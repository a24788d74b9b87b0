// SPDX-License-Identifier: MIT
// Renders the main window with a table loaded to a PNG file, for the README:
//
//   vestrane-screenshot SETTINGS.ini TABLE.tab OUT.png [ROW]
//
// The window reads SETTINGS.ini as the program reads its own settings file
// (bounds, alias lists), loads TABLE.tab as "Load TAB file" would, selects
// row ROW (0 unless given) so that its point's minerals are listed, and is
// grabbed off screen. Messages are printed to standard error.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTableView>
#include <cstdio>
#include <cstdlib>

#include "ShotSupport.h"
#include "app/Unit1.h"
#include "platform/qt/QtServices.h"

namespace {

using vestrane::testing::ConsoleServices;
using vestrane::testing::settle;

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QString::fromUtf8(vestrane::kAppTitle));
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s SETTINGS.ini TABLE.tab OUT.png [ROW]\n", argv[0]);
    return 2;
  }
  const QFileInfo settings(QString::fromLocal8Bit(argv[1]));
  const QString table = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
  const QString out = QString::fromLocal8Bit(argv[3]);
  const int row = argc > 4 ? std::atoi(argv[4]) : 0;

  // The window takes its settings file from the executable's path.
  const QString exePath = settings.absoluteDir().filePath(settings.completeBaseName());
  ConsoleServices services;
  vestrane::TForm1 form(services, vestrane::textToBytes(exePath));
  form.applyBounds();
  form.show();
  settle(100);

  const std::string tablePath = vestrane::textToBytes(table);
  form.workbench().openDialogFileName = tablePath;
  if (!form.workbench().LoadTableFile(tablePath)) return 1;
  if (row < 0 || row >= form.workbench().table().rowCount()) {
    std::fprintf(stderr, "row %d is not in the table\n", row);
    return 1;
  }
  form.ListView1->selectRow(row);
  form.ListView1->setFocus();
  settle(200);

  QDir().mkpath(QFileInfo(out).absolutePath());
  if (!form.grab().save(out)) {
    std::fprintf(stderr, "can not write %s\n", argv[3]);
    return 1;
  }
  std::printf("%s\n", QDir::toNativeSeparators(QFileInfo(out).absoluteFilePath()).toLocal8Bit().constData());
  return 0;
}
