// SPDX-License-Identifier: MIT
#pragma once
// The sheets of a workbook read as table files given together: each sheet's
// table text goes through the table reader in the workbook's order, sheets
// without a header and hidden sheets are skipped and named in one note, and
// the warnings about dropped lines name their sheets.

#include <string>
#include <vector>

#include "table/TableReader.h"
#include "table/Workbook.h"

namespace vestrane {

/// The note naming the sheets not read, as "Sheets not read: Info (no
/// header), Old garnet (hidden)".
inline constexpr const char* kMsgSheetsNotRead = "Sheets not read: ";

/// Reads the sheets of @p workbook (consumed) from the file @p path into
/// the table of @p reader. @p selected: the names of the only sheets to
/// read, hidden ones too; each must be in the workbook, else nothing is
/// read (NotRead, "can not read file PATH (no sheet named NAME; its
/// sheets: ...)"). Without a selection every visible sheet is read.
/// NotATable, with the format error naming the file and its sheets, when
/// no sheet read has a header.
TableReadResult readWorkbookTables(TableReader& reader, const std::string& path, Workbook& workbook,
                                   const std::vector<std::string>& selected);

}  // namespace vestrane
