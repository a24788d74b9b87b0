// SPDX-License-Identifier: MIT
#pragma once
// The look and behaviour the program's tables of rows share (the analysis
// table and the Points window's list): whole rows selected one at a time,
// nothing edited in place, one line per row at a fixed height, no row
// numbers at the side.

class QTableView;

namespace vestrane {

/// Sets @p view up as a table of rows; call it once its font is set.
void setUpRowTable(QTableView* view);

}  // namespace vestrane
