// SPDX-License-Identifier: MIT
#include "app/MainPanel.h"

#include <QStyle>
#include <vector>

#include "platform/qt/WindowFont.h"

namespace vestrane {

QFont mainWindowFont(const QStyle* style) {
  WindowFont chosen = windowFont();
  if (!chosen.standIn) return chosen.font;
  const int checkBoxIndent = style->pixelMetric(QStyle::PM_IndicatorWidth) +
                             style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) + 2;
  const int buttonIndent = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin) / 2 +
                                style->pixelMetric(QStyle::PM_DefaultFrameWidth));
  std::vector<FitText> captions;
  for (const PanelControl& control : kPanelControls)
    captions.push_back({QString::fromUtf8(control.text),
                        control.bounds.width() - (control.checkBox ? checkBoxIndent : buttonIndent)});
  // The face's normal width is tried first.
  chosen.font.setStretch(QFont::Unstretched);
  return fittedFont(chosen.font, captions);
}

}  // namespace vestrane
