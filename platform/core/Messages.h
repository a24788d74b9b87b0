// SPDX-License-Identifier: MIT
#pragma once
// The texts of the messages about files that could not be read or written.
// The window, the settings file and the batch tool all report these
// failures, each through the one function that builds its text here.

#include <cstddef>
#include <string>

namespace vestrane {

/// "Error: can not write " + @p what, followed by " (" + @p reason + ")"
/// when there is a reason.
std::string cannotWriteMessage(const std::string& what, const std::string& reason = std::string());

/// "Error: can not write file " + @p path, followed by " (" + @p reason +
/// ")" when there is a reason: the single point's file could not be created.
std::string cannotWriteFileMessage(const std::string& path, const std::string& reason = std::string());

/// "Error: can not open file " + @p path, followed by " (" + @p reason + ")"
/// when there is a reason: a table file that could not be opened.
std::string cannotOpenFileMessage(const std::string& path,
                                  const std::string& reason = std::string());

/// "Error: can not read " + @p what + " (" + @p reason + ")".
std::string cannotReadMessage(const std::string& what, const std::string& reason);

/// "Error: can not read file " + @p path + " (" + @p reason + ")".
std::string cannotReadFileMessage(const std::string& path, const std::string& reason);

/// The reason given when an input is larger than the @p limit bytes it may
/// have: "larger than N MiB" (or KiB, for a limit below a MiB).
std::string tooLargeReason(std::size_t limit);

/// The reason given when a file is not read because it is no regular file
/// (a FIFO or a device, whose opening may wait for a writer): "not a
/// regular file".
std::string notRegularFileReason();

/// The reason given when memory ran out: "out of memory".
std::string outOfMemoryReason();

/// The system's reason for the error number @p error; "input/output error"
/// when the system gave none (0).
std::string systemReason(int error);

}  // namespace vestrane
