// SPDX-License-Identifier: MIT
#include "platform/qt/DocumentHandler.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#endif

namespace vestrane {

bool desktopHasProgramFor(const QString& localFile) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
  // `xdg-mime query default TYPE` names the desktop entry of the program
  // that opens TYPE, and nothing when there is none.
  const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (xdgMime.isEmpty()) return true;
  const QString type = QMimeDatabase().mimeTypeForFile(localFile).name();
  QProcess query;
  query.setStandardErrorFile(QProcess::nullDevice());
  query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
  if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit) {
    query.kill();
    query.waitForFinished(1000);
    return true;
  }
  return !query.readAllStandardOutput().trimmed().isEmpty();
#else
  (void)localFile;
  return true;
#endif
}

}  // namespace vestrane
