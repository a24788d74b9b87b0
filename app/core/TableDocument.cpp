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

void TableDocument::beginCommand() {
  if (commandDepth_++ == 0) before_ = shape();
}

void TableDocument::endCommand() {
  if (commandDepth_ > 0 && --commandDepth_ == 0) announce();
}

}  // namespace vestrane
