// SPDX-License-Identifier: MIT
// Renders the About, Updates and Points windows to PNG files, for the
// documentation:
//
//   vestrane-window-screenshots OUT_FOLDER [SETTINGS.ini TABLE.tab...]
//
// writes OUT_FOLDER/about-window.png (with the program's version in its
// title), OUT_FOLDER/updates-window.png (after a check that found a newer
// version with two download links) and, when tables are given,
// OUT_FOLDER/points-window.png (the points of the tables, read with the alias
// lists of SETTINGS.ini). Nothing goes to the network: the version file is
// handed to the window as a check would.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>

#include "about/AboutInfo.h"
#include "about/FAbout.h"
#include "ShotSupport.h"
#include "app/PointsWindow.h"
#include "app/Unit1.h"
#include "platform/qt/QtServices.h"
#include "settings/Settings.h"
#include "update/core/UpdateCheck.h"
#include "update/core/uVersions.h"
#include "update/uUpdate.h"

namespace {

using vestrane::testing::ConsoleServices;
using vestrane::testing::settle;

class NoNetwork : public vestrane::HttpClient {
 public:
  bool get(const std::string&, std::string&) override { return false; }
};

bool save(QWidget& window, const QDir& folder, const char* name) {
  const QString path = folder.filePath(QString::fromLatin1(name));
  if (!window.grab().save(path)) {
    std::fprintf(stderr, "can not write %s\n", path.toLocal8Bit().constData());
    return false;
  }
  std::printf("%s\n", QDir::toNativeSeparators(path).toLocal8Bit().constData());
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QString::fromUtf8(vestrane::kAppTitle));
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT_FOLDER [SETTINGS.ini TABLE.tab...]\n", argv[0]);
    return 2;
  }
  QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.mkpath(QStringLiteral("."))) return 1;

  ConsoleServices services;
  vestrane::GetOwnVersion();

  vestrane::TFAbout about(services, vestrane::about::HelpFilePath("Vestrane"));
  about.appendVersion(vestrane::VersionToStr(vestrane::OwnVersion));
  about.show();
  settle(100);
  if (!save(about, folder, "about-window.png")) return 1;
  about.hide();

  vestrane::Settings settings;
  settings.checkForUpdates = true;
  settings.updateCheckPeriod = 1;
  NoNetwork http;
  vestrane::TUpdate update(services, settings, http);
  vestrane::UpdateChecker& checker = update.checker();
  checker.ProgName = "Vestrane";
  checker.ProgVersion = vestrane::OwnVersion;
  update.show();
  settle(100);
  // The window is up, so the check fills it without opening it again.
  checker.ShowVersionFile(
      "1.1.0.0\r\n"
      "URL=Project page;https://vestrane.example/download\r\n"
      "URL=Mirror;http://mirror.vestrane.example/vestrane-1.1.0.0.zip\r\n"
      "The notes of the version file appear here, line by line.\r\n"
      "Click a link under \"Download from:\" to open it in the web browser.\r\n",
      true);
  settle(100);
  if (!save(update, folder, "updates-window.png")) return 1;
  update.hide();
  if (argc < 4) return 0;

  // The main window reads its settings file from beside the executable and
  // opens the Points window as "Points" does.
  const QFileInfo ini(QString::fromLocal8Bit(argv[2]));
  vestrane::TForm1 form(services, vestrane::textToBytes(ini.absoluteDir().filePath(ini.completeBaseName())));
  for (int i = 3; i < argc; ++i)
    if (!form.workbench().LoadTableFile(vestrane::textToBytes(QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath())))
      return 1;
  form.pointsItem->trigger();
  vestrane::PointsWindow* points = form.pointsWindow();
  points->resize(560, 180);
  settle(100);
  return save(*points, folder, "points-window.png") ? 0 : 1;
}
