// SPDX-License-Identifier: MIT
#pragma once
// Shared by the fuzz targets: a check that turns a broken promise into a
// finding (libFuzzer keeps the input that caused it), the promises of a
// sheet's table text, a scratch folder of the process's own, and the alias
// lists of the shipped settings file.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

#define FUZZ_CHECK(condition)                                                          \
  do {                                                                                 \
    if (!(condition)) {                                                                \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                    \
    }                                                                                  \
  } while (0)

namespace vestrane::fuzz {

/// What every sheet's table text holds to: CR LF line ends and no other CR,
/// LF or Ctrl-Z; the same number of fields in every line with a value; the
/// last line holding one.
inline void checkSheetText(const std::string& text) {
  std::size_t fields = 0;  // of the lines with a value
  std::size_t start = 0;
  bool lastHasValue = true;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    FUZZ_CHECK(end != std::string::npos);
    std::string_view line(text.data() + start, end - start);
    FUZZ_CHECK(line.find_first_of("\r\n\x1a") == std::string_view::npos);
    lastHasValue = !line.empty();
    if (!line.empty()) {
      std::size_t tabs = 0;
      for (char c : line) tabs += c == '\t';
      if (fields == 0) fields = tabs + 1;
      FUZZ_CHECK(tabs + 1 == fields);
    }
    start = end + 2;
  }
  FUZZ_CHECK(lastHasValue);
}

/// The alias lines of app/Vestrane.ini: a table header recognised by them is
/// what most real inputs have.
inline constexpr std::string_view kShippedAliases =
    "Sample=SAMPLE\r\n"
    "Area=AREA POINT SPOT\r\n"
    "Mineral=MINERAL PHASE\r\n"
    "Analysis=ANALYSIS COMMENT LABEL\r\n"
    "Select=SELECT USE\r\n";

/// A folder for this process's scratch files, made on first use and removed
/// when the process ends normally.
inline const std::string& scratchFolder() {
  struct Folder {
    std::filesystem::path path;
    Folder() {
      std::error_code ec;
      std::random_device random;
      path = std::filesystem::temp_directory_path(ec) /
             ("vestrane-fuzz-" + std::to_string(random()) + std::to_string(random()));
      std::filesystem::create_directories(path, ec);
    }
    ~Folder() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static Folder folder;
  static const std::string text = folder.path.string();
  return text;
}

}  // namespace vestrane::fuzz
