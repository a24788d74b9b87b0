#pragma once
// Helpers shared by the engine tests: temporary folders and whole-file reads.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "settings/Settings.h"

namespace vestrane::testing {

/// Settings whose alias lists hold each column's own name, as most tests need.
inline Settings simpleSettings() {
  Settings s;
  s.aliases.select = {"SELECT"};
  s.aliases.sample = {"SAMPLE"};
  s.aliases.area = {"AREA"};
  s.aliases.mineral = {"MINERAL"};
  s.aliases.analysis = {"ANALYSIS"};
  return s;
}

/// A fresh folder under the system's temp folder, removed with the object.
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("vestrane-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string path() const { return path_.string(); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace vestrane::testing
