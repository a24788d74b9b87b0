// SPDX-License-Identifier: MIT
// Renders the program's SVG picture into the PNG icons an installation puts
// beside the scalable one, for desktops and tools that do not draw SVG:
//
//   vestrane-render-icons PICTURE.svg FOLDER NAME SIZE...
//
// writes FOLDER/SIZExSIZE/apps/NAME.png for each SIZE (the layout of the
// hicolor icon theme). It runs at build time and needs no display: the
// picture has no text, so an image and a painter are all it takes.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
  if (argc < 5) {
    std::fprintf(stderr, "Usage: %s PICTURE.svg FOLDER NAME SIZE...\n", argv[0]);
    return 2;
  }
  const QString picture = QString::fromLocal8Bit(argv[1]);
  const QString folder = QString::fromLocal8Bit(argv[2]);
  const QString name = QString::fromLocal8Bit(argv[3]);
  QSvgRenderer renderer(picture);
  if (!renderer.isValid()) {
    std::fprintf(stderr, "%s: can not read the picture %s\n", argv[0], argv[1]);
    return 1;
  }
  for (int i = 4; i < argc; ++i) {
    char* end = nullptr;
    const long size = std::strtol(argv[i], &end, 10);
    if (*end != '\0' || size < 1 || size > 4096) {
      std::fprintf(stderr, "%s: %s is not an icon size\n", argv[0], argv[i]);
      return 2;
    }
    const int side = static_cast<int>(size);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      renderer.render(&painter);
    }
    const QString sizeFolder = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(side);
    const QString file = QStringLiteral("%1/%2.png").arg(sizeFolder, name);
    if (!QDir().mkpath(sizeFolder) || !image.save(file, "PNG")) {
      std::fprintf(stderr, "%s: can not write %s\n", argv[0], qPrintable(file));
      return 1;
    }
  }
  return 0;
}
