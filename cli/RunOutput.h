// SPDX-License-Identifier: MIT
#pragma once
// What the batch tool writes once its tables are read: the combinations of
// a run into one file, to standard output or into a folder of point files,
// or the loaded table itself. Each says what went wrong on standard error.

#include <string>
#include <string_view>

#include "app/core/Workbench.h"
#include "cli/Console.h"
#include "combine/GenerationRun.h"

namespace vestrane::cli {

/// The name of standard input as a table and of standard output as a target.
inline constexpr std::string_view kStandardStream = "-";

/// Every combination of @p run into the file @p target, or to standard
/// output for kStandardStream. @return whether all of it was written.
bool writeCombined(GenerationRun& run, const std::string& target, Console& console);

/// Every point of @p run into a file of its own in the folder @p folder,
/// the names of the files written listed on standard output. A point file
/// that could not be created fails the run, and is named. @return whether
/// every file was written and listed.
bool writeSeparate(GenerationRun& run, const std::string& folder, Console& console);

/// The loaded table as "Save" writes it into @p target, or to standard
/// output for kStandardStream; a table without rows is not written, which
/// fails. @return whether it was written.
bool writeTable(Workbench& bench, const std::string& target, Console& console);

}  // namespace vestrane::cli
