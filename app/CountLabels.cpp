// SPDX-License-Identifier: MIT
#include "app/CountLabels.h"

#include <QFontMetrics>
#include <QLabel>
#include <algorithm>

#include "platform/qt/WindowFont.h"

namespace vestrane {

namespace {

// Where the window was drawn with the counters: captions end at x 428,
// values start at x 430; the rows start at y 4 and 20.
constexpr int kCaptionRight = 428;
constexpr int kValueLeft = 430;
constexpr int kGap = kValueLeft - kCaptionRight;
constexpr int kCountTop = 4;
constexpr int kIndexTop = 20;

/// A text as wide as the widest text of its length that can stand in the
/// label: digits for the count, digits and letters for the max index. The
/// font is chosen for it, so it changes with the length only.
QString widestOfLength(const QString& text, const QString& alphabet, const QFontMetrics& metrics) {
  QChar widest = alphabet.front();
  for (QChar c : alphabet)
    if (metrics.horizontalAdvance(c) > metrics.horizontalAdvance(widest)) widest = c;
  return QString(text.size(), widest);
}

/// A decimal count of many digits as a power of ten with three significant
/// digits, rounded: 13841287201 gives "1.38E+10".
QString countAsPowerOfTen(const QString& digits) {
  if (digits.size() <= 3) return digits;
  // The first three digits, rounded by the fourth.
  int leading = digits.left(3).toInt();
  int exponent = static_cast<int>(digits.size()) - 1;
  if (digits.at(3) >= QLatin1Char('5') && ++leading == 1000) {
    leading = 100;
    ++exponent;
  }
  const QString mantissa = QString::number(leading);
  return mantissa.left(1) + QLatin1Char('.') + mantissa.mid(1) + QStringLiteral("E+") +
         QString::number(exponent);
}

}  // namespace

CountLabels::CountLabels(QLabel* countCaption, QLabel* count, QLabel* indexCaption, QLabel* index)
    : countCaption_(countCaption),
      count_(count),
      indexCaption_(indexCaption),
      index_(index),
      designed_(count->font()) {}

void CountLabels::setValues(const QString& count, const QString& maxIndex) {
  countText_ = count;
  indexText_ = maxIndex;
  layout();
}

void CountLabels::setRoom(int left, int right) {
  left_ = left;
  right_ = right;
  layout();
}

void CountLabels::layout() {
  if (right_ <= left_) return;
  static const QString kDigits = QStringLiteral("0123456789");
  static const QString kIndexDigits = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-");
  const QString countCaption = countCaption_->text();
  const QString indexCaption = indexCaption_->text();

  // The designed font while the values fit at the designed place or further
  // left; else the font narrowed until captions and values fit the room.
  QFont font = designed_;
  QFontMetrics metrics(font);
  QString countSample = widestOfLength(countText_, kDigits, metrics);
  QString indexSample = widestOfLength(indexText_, kIndexDigits, metrics);
  auto captionWidth = [&](const QFontMetrics& m) {
    return std::max(m.horizontalAdvance(countCaption), m.horizontalAdvance(indexCaption));
  };
  auto valueWidth = [&](const QFontMetrics& m) {
    return std::max(m.horizontalAdvance(countSample), m.horizontalAdvance(indexSample)) + 1;
  };
  const int room = right_ - left_;
  if (captionWidth(metrics) + kGap + valueWidth(metrics) > room) {
    const QString caption = metrics.horizontalAdvance(countCaption) >= metrics.horizontalAdvance(indexCaption)
                                ? countCaption
                                : indexCaption;
    font = fittedFont(designed_, {{caption + countSample, room - kGap - 1},
                                  {caption + indexSample, room - kGap - 1}});
    metrics = QFontMetrics(font);
    countSample = widestOfLength(countText_, kDigits, metrics);
    indexSample = widestOfLength(indexText_, kIndexDigits, metrics);
  }

  // Values that still do not fit are shortened, visibly.
  const int captions = captionWidth(metrics);
  const int valueRoom = std::max(0, room - captions - kGap);
  QString count = countText_;
  QString index = indexText_;
  if (metrics.horizontalAdvance(count) >= valueRoom) count = countAsPowerOfTen(count);
  if (metrics.horizontalAdvance(index) >= valueRoom)
    index = metrics.elidedText(index, Qt::ElideRight, valueRoom - 1);
  const int values = std::max(metrics.horizontalAdvance(count), metrics.horizontalAdvance(index)) + 1;

  // At the designed place when the values fit there, else as far right as
  // the room allows.
  const int valueLeft = std::max(left_ + captions + kGap, std::min(kValueLeft, right_ - values));
  const int height = metrics.height();
  for (QLabel* label : {countCaption_, count_, indexCaption_, index_}) label->setFont(font);
  count_->setText(count);
  index_->setText(index);
  const int captionRight = valueLeft - kGap;
  countCaption_->setGeometry(captionRight - captions, kCountTop, captions, height);
  indexCaption_->setGeometry(captionRight - captions, kIndexTop, captions, height);
  const int valueWidthShown = std::max(values, right_ - valueLeft);
  count_->setGeometry(valueLeft, kCountTop, valueWidthShown, height);
  index_->setGeometry(valueLeft, kIndexTop, valueWidthShown, height);
}

}  // namespace vestrane
