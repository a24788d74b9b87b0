// SPDX-License-Identifier: MIT
// Platform file of the batch tool: the executable's path, UTF-8 arguments,
// binary standard streams, the terminal test, closed pipes and the bus error
// handler, for Windows, macOS and other POSIX systems.

#include "cli/OperatingSystem.h"

#include <cstdint>
#include <cstdio>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which declares the types these use.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#elif defined(__APPLE__)
#include <limits.h>
#include <mach-o/dyld.h>
#include <stdlib.h>
#include <unistd.h>
#else
#include <limits.h>
#include <unistd.h>
#endif
#if !defined(_WIN32)
#include <csignal>
#endif

namespace vestrane::cli {

#if defined(_WIN32)

namespace {
std::string toUtf8(const wchar_t* text, int length) {
  if (length == 0) return std::string();
  int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}
}  // namespace

std::string executablePath(const char* argv0) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD got = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == 0) return argv0 ? argv0 : "";
    if (got < buffer.size()) return toUtf8(buffer.data(), static_cast<int>(got));
    buffer.resize(buffer.size() * 2);
  }
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  if (!wide) {
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
  }
  for (int i = 1; i < count; ++i) args.push_back(toUtf8(wide[i], lstrlenW(wide[i])));
  LocalFree(wide);
  return args;
}

void setBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

void ignoreClosedPipes() {}

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

// Tables are read, not mapped, on Windows: there is no bus error to report.
void reportBusErrorsAs(const std::string&) {}

#else  // POSIX

std::string executablePath(const char* argv0) {
#if defined(__APPLE__)
  char raw[PATH_MAX];
  uint32_t size = sizeof raw;
  if (_NSGetExecutablePath(raw, &size) == 0) {
    char resolved[PATH_MAX];
    if (realpath(raw, resolved)) return resolved;
    return raw;
  }
#else
  char buffer[PATH_MAX];
  ssize_t got = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (got > 0) return std::string(buffer, static_cast<std::size_t>(got));
#endif
  return argv0 ? argv0 : "";
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
}

void setBinaryStandardStreams() {}

void ignoreClosedPipes() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

namespace {
std::string busErrorMessage;

// A mapped table file cut short by another program while it is read: the
// message, then the failure status; no output has been opened yet.
void onBusError(int) {
  ssize_t written = ::write(STDERR_FILENO, busErrorMessage.data(), busErrorMessage.size());
  (void)written;
  _exit(1);
}
}  // namespace

void reportBusErrorsAs(const std::string& message) {
  busErrorMessage = message + "\n";
  static bool installed = false;
  if (installed) return;
  struct sigaction action {};
  action.sa_handler = onBusError;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, nullptr);
  installed = true;
}

#endif

}  // namespace vestrane::cli
