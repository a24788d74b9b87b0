// SPDX-License-Identifier: MIT
#pragma once
// An .xlsx/.xlsm workbook (Office Open XML) to its sheets' table text.

#include <cstddef>
#include <string>

#include "table/Workbook.h"

namespace vestrane {

class ZipParts;

/// Reads the workbook in @p zip: every sheet in the workbook's order,
/// hidden ones marked. @p limit bounds the text of all sheets together.
/// @return false, with @p reason, when it cannot be read.
bool readXlsx(ZipParts& zip, std::size_t limit, Workbook& out, std::string& reason);

}  // namespace vestrane
