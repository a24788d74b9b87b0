// SPDX-License-Identifier: MIT
#pragma once
// Helpers shared by the engine tests: temporary folders, whole-file reads and
// a workbench with scripted services.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/Workbench.h"
#include "fakes/FakeServices.h"
#include "settings/Settings.h"
#include "table/TableReader.h"
#include "table/TableWriter.h"

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
  /// The names of the files in the folder, sorted.
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(path_)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

 private:
  std::filesystem::path path_;
};

/// A generation run over a workbench's table, as the batch tool makes one:
/// it moves a point of its own, so the workbench's stays as it is.
class RunOver {
 public:
  explicit RunOver(const Workbench& bench)
      : point_(bench.point()), run_(bench.table(), point_, bench.selectedRow()) {}
  GenerationRun* operator->() { return &run_; }

 private:
  PointState point_;
  GenerationRun run_;
};

/// A workbench with the simple alias lists, scripted services and a fresh
/// folder for the files a test writes.
class WorkbenchTest : public ::testing::Test {
 protected:
  TempDir dir;
  Settings settings = simpleSettings();
  FakeServices services;
  Workbench bench{settings, services};
  const AnalysisTable& table = bench.table();

  /// Makes the fresh folder the work folder, as a settings file would.
  void workInDir() {
    settings.workDirectory = dir.path();
    bench.setDialogFoldersFromSettings();
  }

  /// Appends table text, which must read.
  void load(const std::string& text) {
    std::string t = text;
    ASSERT_TRUE(bench.ParseTableText(t));
  }

  /// The rows' checked flags, "1" or "0" each.
  std::string checkFlags() const {
    std::string flags;
    for (int row = 0; row < table.rowCount(); ++row) flags += table.isChecked(row) ? '1' : '0';
    return flags;
  }
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

/// The saved table and the reader's messages (each after a "|") once the
/// table reader has read the table text @p text with simpleSettings' aliases.
inline std::string savedTableOf(std::string text) {
  AnalysisTable table;
  const Settings settings = simpleSettings();
  TableReader reader(table, settings.aliases);
  const TableReadResult read = reader.ParseTableText(text);
  EXPECT_TRUE(read.read());
  std::string result = SerializeTable(table);
  for (const std::string& message : read.messages) result += "|" + message;
  return result;
}

}  // namespace vestrane::testing
