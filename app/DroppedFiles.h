// SPDX-License-Identifier: MIT
#pragma once
// Which files dropped on the main window are tables it loads.

#include <string>
#include <vector>

class QMimeData;

namespace vestrane {

/// The table files among dropped URLs (.tab, and the CSV files and
/// workbooks the table reader converts), as UTF-8 paths.
std::vector<std::string> droppedTableFiles(const QMimeData* data);

}  // namespace vestrane
