#pragma once
// Writing the analysis table back out as TAB-delimited text: a header of the
// column captions, then one line per row with "1" or "0" for its checked flag
// followed by its cells, every line ending with CR LF. Cells are written as
// stored, so a table read and written again keeps its bytes.

#include <functional>
#include <string>
#include <string_view>

#include "table/AnalysisTable.h"

namespace vestrane {

/// Hands the serialised table to @p sink in pieces of about a megabyte;
/// stops early when the sink returns false. @return false when stopped.
bool SerializeTable(const AnalysisTable& table, const std::function<bool(std::string_view)>& sink);

/// The whole serialised table as one text.
std::string SerializeTable(const AnalysisTable& table);

/// The captions of all columns joined by TAB, followed by CR LF.
std::string HeaderLine(const AnalysisTable& table);

}  // namespace vestrane
