// SPDX-License-Identifier: MIT
#pragma once
// List rows of the height a window was drawn with, for the mineral list of
// the main window and the "Download from:" list of the Updates window, and
// check boxes small enough to be drawn whole in such rows.

#include <QProxyStyle>
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

/// The application's style, but the check boxes of list rows at most
/// @p rowHeight - 2 pixels high, so that rows of @p rowHeight show every
/// box with its whole border. Give it to the list with setStyle; it must
/// outlive the list.
class RowCheckBoxStyle : public QProxyStyle {
 public:
  explicit RowCheckBoxStyle(int rowHeight);
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;

 private:
  int largest_;
};

}  // namespace vestrane
