#pragma once
// Fonts for windows laid out to fixed pixel positions. The fonts they were
// drawn with ("MS Sans Serif", "Times New Roman", "Arial") are missing on
// many systems, and the replacements are often wider; a caption that would
// no longer fit its control gets a narrower face or a smaller size instead.

#include <QFont>
#include <QString>
#include <QStyledItemDelegate>
#include <vector>

namespace vestrane {

/// The family @p family when the system has it, otherwise the system's
/// font of the same kind (@p hint), at the size and weight @p like gives.
QFont designedFont(const QString& family, QFont::StyleHint hint, const QFont& like);

/// A text and the width it has to fit in, in pixels.
struct FitText {
  QString text;
  int width;
};

/// @p font, narrowed until every text fits its width: first a semi-condensed
/// then a condensed face, then smaller sizes down to @p minimumSize (points
/// or pixels, whichever @p font is given in). A font that fits is returned
/// unchanged.
QFont fittedFont(QFont font, const std::vector<FitText>& texts, qreal minimumSize = 6);

/// List rows of a fixed height in pixels, taller only when the font needs it.
class FixedHeightDelegate : public QStyledItemDelegate {
 public:
  FixedHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  int height_;
};

}  // namespace vestrane
