// SPDX-License-Identifier: MIT
#include "app/DroppedFiles.h"

#include <QFileInfo>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include "platform/qt/QtServices.h"

namespace vestrane {

std::vector<std::string> droppedTableFiles(const QMimeData* data) {
  static const QStringList kSuffixes{"tab", "csv", "xlsx", "xlsm", "ods", "xls"};
  std::vector<std::string> files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (kSuffixes.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive))
      files.push_back(textToBytes(path));
  }
  return files;
}

}  // namespace vestrane
