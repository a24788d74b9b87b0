// SPDX-License-Identifier: MIT
#pragma once
// Fonts for windows laid out to fixed pixel positions. The fonts they were
// drawn with ("MS Sans Serif", "Times New Roman", "Arial") are missing on
// many systems, and the replacements are often wider; a caption that would
// no longer fit its control gets a narrower face or a smaller size instead.

#include <QFont>
#include <QSize>
#include <QString>
#include <vector>

namespace vestrane {

/// The family the controls of all three windows were drawn with.
extern const char* const kWindowFamily;

/// The family @p family when the system has it, otherwise the system's
/// font of the same kind (@p hint), at the size and weight @p like gives.
QFont designedFont(const QString& family, QFont::StyleHint hint, const QFont& like);

/// The font of the main window and the Updates window.
struct WindowFont {
  /// kWindowFamily at 8 points where the system has it, otherwise the
  /// application's font at 8 points.
  QFont font;
  /// The application's font stands in: captions may no longer fit.
  bool standIn = false;
};
WindowFont windowFont();

/// A text shown on one line and the width it has to fit in, in pixels.
struct FitText {
  QString text;
  int width;
};

/// @p font narrowed until every text fits its width: first a semi-condensed
/// then a condensed face, then smaller sizes down to @p minimumSize (points
/// or pixels, whichever @p font is given in). A font that fits is returned
/// unchanged; one that never fits comes back at its narrowest and smallest.
QFont fittedFont(const QFont& font, const std::vector<FitText>& texts, qreal minimumSize = 6);

/// @p font narrowed as fittedFont does until @p text, centred and wrapped
/// at word boundaries, fits @p box.
QFont fittedWrappedFont(const QFont& font, const QString& text, const QSize& box,
                        qreal minimumSize);

}  // namespace vestrane
