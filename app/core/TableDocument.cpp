// SPDX-License-Identifier: MIT
#include "app/core/TableDocument.h"

namespace vestrane {

void TableDocument::selectRow(int row) {
  if (row == selectedRow_) return;
  selectedRow_ = row;
  pending_ |= DocumentChange::Selection;
}

void TableDocument::setCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  pending_ |= DocumentChange::Caption;
}

TableDocument::Shape TableDocument::shape() const {
  Shape s;
  s.rows = table_.rowCount();
  s.columns = table_.columnCount();
  for (int column = 0; column < kFixedColumns && column < s.columns; ++column)
    s.fixedCaptions.push_back(table_.caption(column));
  return s;
}

void TableDocument::announce() {
  const Shape now = shape();
  if (now.rows != before_.rows) pending_ |= DocumentChange::Rows;
  if (now.columns != before_.columns || now.fixedCaptions != before_.fixedCaptions)
    pending_ |= DocumentChange::Columns;
  DocumentChange change;
  change.flags = pending_;
  pending_ = 0;
  if (change.flags != 0 && listener_) listener_->documentChanged(change);
}

TableDocument::Command::Command(TableDocument& document)
    : document_(document), exceptions_(std::uncaught_exceptions()) {
  if (document_.commandDepth_++ == 0) document_.before_ = document_.shape();
}

TableDocument::Command::~Command() noexcept(false) {
  if (--document_.commandDepth_ > 0) return;
  // A command that fails still leaves the window showing what it changed;
  // while another error is on its way out, a failing redraw adds nothing.
  if (std::uncaught_exceptions() == exceptions_) {
    document_.announce();
    return;
  }
  try {
    document_.announce();
  } catch (...) {
  }
}

}  // namespace vestrane
