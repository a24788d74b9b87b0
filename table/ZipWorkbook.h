// SPDX-License-Identifier: MIT
#pragma once
// A workbook that is a zip archive: .xlsx/.xlsm (it holds xl/workbook.xml)
// or an OpenDocument spreadsheet (.ods, its mimetype part says so). A
// binary workbook (.xlsb, xl/workbook.bin) is refused.

#include <cstddef>
#include <string>
#include <string_view>

#include "table/Workbook.h"

namespace vestrane {

/// Reads the workbook in @p bytes into @p out: every sheet in the
/// workbook's order, hidden ones marked. @p limit bounds the bytes all
/// parts read unpack to, and the text of all sheets together.
/// @return false, with @p reason and @p out left as it was, when the bytes
/// are no workbook that can be read: a damaged zip or XML part, a document
/// type or entity declaration, parts that unpack past the limit, a
/// reference to a shared string that is not there, a binary workbook.
bool readZipWorkbook(std::string_view bytes, std::size_t limit, Workbook& out, std::string& reason);

/// The reason a binary workbook is refused with.
std::string binaryWorkbookReason();

}  // namespace vestrane
