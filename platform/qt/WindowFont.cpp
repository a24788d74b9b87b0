// SPDX-License-Identifier: MIT
#include "platform/qt/WindowFont.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QRect>
#include <functional>

namespace vestrane {

const char* const kWindowFamily = "MS Sans Serif";

namespace {

/// Whether the system has the family @p font asks for, not a stand-in.
bool systemHasFamily(const QFont& font) { return QFontInfo(font).family() == font.family(); }

/// Whether a font is narrow and small enough for what it has to show.
using FontFits = std::function<bool(const QFont&)>;

/// @p font narrowed until @p fits accepts it (see fittedFont).
QFont narrowedFont(QFont font, const FontFits& fits, qreal minimumSize) {
  if (fits(font)) return font;
  for (int stretch : {int(QFont::SemiCondensed), int(QFont::Condensed)}) {
    font.setStretch(stretch);
    if (fits(font)) return font;
  }
  const bool pixels = font.pixelSize() > 0;
  qreal size = pixels ? font.pixelSize() : font.pointSizeF();
  const qreal step = pixels ? 1 : 0.5;
  while (size - step >= minimumSize) {
    size -= step;
    if (pixels)
      font.setPixelSize(static_cast<int>(size));
    else
      font.setPointSizeF(size);
    if (fits(font)) return font;
  }
  return font;
}

}  // namespace

QFont designedFont(const QString& family, QFont::StyleHint hint, const QFont& like) {
  QFont font = like;
  font.setFamily(family);
  font.setStyleHint(hint);
  if (systemHasFamily(font)) return font;
  // Not installed: the first family the system offers for the kind.
  QFont substitute = like;
  substitute.setStyleHint(hint);
  substitute.setFamily(substitute.defaultFamily());
  return substitute;
}

WindowFont windowFont() {
  QFont font(QString::fromLatin1(kWindowFamily), 8);
  if (systemHasFamily(font)) return {font, false};
  font = QGuiApplication::font();
  font.setPointSizeF(8);
  return {font, true};
}

QFont fittedFont(const QFont& font, const std::vector<FitText>& texts, qreal minimumSize) {
  return narrowedFont(font, [&](const QFont& candidate) {
    const QFontMetrics metrics(candidate);
    for (const FitText& t : texts)
      if (metrics.horizontalAdvance(t.text) > t.width) return false;
    return true;
  }, minimumSize);
}

QFont fittedWrappedFont(const QFont& font, const QString& text, const QSize& box,
                        qreal minimumSize) {
  return narrowedFont(font, [&](const QFont& candidate) {
    const QRect needed = QFontMetrics(candidate).boundingRect(
        QRect(QPoint(0, 0), QSize(box.width(), 10000)), Qt::AlignHCenter | Qt::TextWordWrap, text);
    return needed.width() <= box.width() && needed.height() <= box.height();
  }, minimumSize);
}

}  // namespace vestrane
