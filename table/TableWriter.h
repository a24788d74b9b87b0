// SPDX-License-Identifier: MIT
#pragma once
// Writing the analysis table back out as TAB-delimited text: a header of the
// column captions, then one line per row with "1" or "0" for its checked flag
// followed by its cells, every line ending with CR LF. Cells are written as
// stored, so a table read and written again keeps its bytes.

#include <string>

#include "platform/core/ByteSink.h"
#include "table/AnalysisTable.h"

namespace vestrane {

/// Writes the serialised table to @p sink in pieces of about a megabyte;
/// stops at the first write that fails. @return false when a write failed.
bool SerializeTable(const AnalysisTable& table, ByteSink& sink);

/// The whole serialised table as one text.
std::string SerializeTable(const AnalysisTable& table);

/// The captions of all columns joined by TAB, followed by CR LF.
std::string headerLine(const AnalysisTable& table);

}  // namespace vestrane
