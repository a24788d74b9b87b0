#include "platform/qt/FixedHeightDelegate.h"

#include <algorithm>

namespace vestrane {

QSize FixedHeightDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setHeight(std::max(height_, option.fontMetrics.height()));
  return size;
}

}  // namespace vestrane
