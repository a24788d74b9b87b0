#pragma once
// List rows of the height a window was drawn with, for the mineral list of
// the main window and the "Download from:" list of the Updates window.

#include <QStyledItemDelegate>

namespace vestrane {

/// List rows of a fixed height in pixels, taller only when the font needs it.
class FixedHeightDelegate : public QStyledItemDelegate {
 public:
  FixedHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  int height_;
};

}  // namespace vestrane
