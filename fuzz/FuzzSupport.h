#pragma once
// Shared by the fuzz targets: a check that turns a broken promise into a
// finding (libFuzzer keeps the input that caused it), a scratch folder of
// the process's own, and the alias lists of the shipped settings file.

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
