// SPDX-License-Identifier: MIT
#pragma once
// Platform file of the batch tool: what it needs from the operating system
// beyond standard C++: its own path, its arguments as UTF-8, binary standard
// streams, whether standard error is a terminal, writes into closed pipes
// that fail instead of ending the tool, and a bus error turned into a
// message. Everything platform-specific lives in OperatingSystem.cpp and
// nowhere else.

#include <string>
#include <vector>

namespace vestrane::cli {

/// The full path of the running executable (UTF-8), or @p argv0 when the
/// system cannot tell.
std::string executablePath(const char* argv0);

/// The command-line arguments after the program name, as UTF-8 bytes.
std::vector<std::string> commandLineArguments(int argc, char** argv);

/// Standard input, output and error carry bytes unchanged (no line-end or
/// Ctrl-Z translation on Windows).
void setBinaryStandardStreams();

/// A write into a pipe or socket that nobody reads any more fails with its
/// reason ("Broken pipe"), which the tool reports like any failed write,
/// instead of ending the process before it could clean up (POSIX: SIGPIPE
/// is ignored; Windows has no such signal).
void ignoreClosedPipes();

/// Whether standard error is shown on a terminal.
bool standardErrorIsTerminal();

/// Table files are mapped into memory; should one be cut short by another
/// program while it is read, @p message goes to standard error and the tool
/// exits with status 1 instead of dying of a bus error.
void reportBusErrorsAs(const std::string& message);

}  // namespace vestrane::cli
