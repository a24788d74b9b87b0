// SPDX-License-Identifier: MIT
#include "platform/qt/FixedHeightDelegate.h"

#include <QApplication>
#include <QStyleFactory>
#include <algorithm>

namespace vestrane {

QSize FixedHeightDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setHeight(std::max(height_, option.fontMetrics.height()));
  return size;
}

RowCheckBoxStyle::RowCheckBoxStyle(int rowHeight)
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name())),
      largest_(std::max(1, rowHeight - 2)) {}

int RowCheckBoxStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                  const QWidget* widget) const {
  const int value = QProxyStyle::pixelMetric(metric, option, widget);
  // Only the check boxes drawn in the rows of an item view.
  if ((metric == PM_IndicatorWidth || metric == PM_IndicatorHeight) &&
      qstyleoption_cast<const QStyleOptionViewItem*>(option))
    return std::min(value, largest_);
  return value;
}

}  // namespace vestrane
