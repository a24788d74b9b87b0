// SPDX-License-Identifier: MIT
#include "platform/qt/ProgramIcon.h"

#include <QPainter>
#include <QSvgRenderer>

namespace vestrane {

namespace {
const char* const kPictureResource = ":/vestrane/garnet.svg";
}

QPixmap programPicture(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QSvgRenderer renderer{QString::fromLatin1(kPictureResource)};
  if (!renderer.isValid()) return QPixmap();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter);
  return pixmap;
}

QIcon programIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QPixmap pixmap = programPicture(size);
    if (!pixmap.isNull()) icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace vestrane
