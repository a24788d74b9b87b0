#include "platform/qt/WindowFont.h"

#include <algorithm>

#include <QFontInfo>
#include <QFontMetrics>

namespace vestrane {

QFont designedFont(const QString& family, QFont::StyleHint hint, const QFont& like) {
  QFont font = like;
  font.setFamily(family);
  font.setStyleHint(hint);
  if (QFontInfo(font).family() == family) return font;
  // Not installed: the first family the system offers for the kind.
  QFont substitute = like;
  substitute.setStyleHint(hint);
  substitute.setFamily(substitute.defaultFamily());
  return substitute;
}

QFont fittedFont(QFont font, const std::vector<FitText>& texts, qreal minimumSize) {
  auto fits = [&](const QFont& candidate) {
    const QFontMetrics metrics(candidate);
    for (const FitText& t : texts)
      if (metrics.horizontalAdvance(t.text) > t.width) return false;
    return true;
  };
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

QSize FixedHeightDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setHeight(std::max(height_, option.fontMetrics.height()));
  return size;
}

}  // namespace vestrane
