// SPDX-License-Identifier: MIT
#pragma once
// The two counters at the right of the main window's panel: "Combinations:"
// with the combination count, and below it "Max. index:" with the max
// index. They stand where the window was drawn with them (captions ending
// at x 428, values from x 430) while the values fit there. Longer values
// move the counters left into the free space after the buttons, then take
// a narrower and smaller font, so that every count that can be generated
// and its max index show whole even at the window's minimum width. Only a
// value that fits in no way is shortened, and visibly: the count to a power
// of ten, the max index with an ellipsis.

#include <QFont>
#include <QString>

class QLabel;

namespace vestrane {

class CountLabels {
 public:
  CountLabels(QLabel* countCaption, QLabel* count, QLabel* indexCaption, QLabel* index);

  /// The values, whole as the engine gives them.
  void setValues(const QString& count, const QString& maxIndex);
  /// The room the counters may take in the panel: from @p left to @p right.
  void setRoom(int left, int right);

 private:
  void layout();

  QLabel* countCaption_;
  QLabel* count_;
  QLabel* indexCaption_;
  QLabel* index_;
  QFont designed_;
  QString countText_ = QStringLiteral("0");
  QString indexText_ = QStringLiteral("--");
  int left_ = 0;
  int right_ = 0;
};

}  // namespace vestrane
