// SPDX-License-Identifier: MIT
// Engine figures at microprobe scale: loading a file of 200,000 rows in
// 5,000 points, selecting points, toggling check boxes and rebuilding
// groups, the points overview, and writing all combinations; a CSV export
// of 100,000 analyses read beside the same table as TAB text.
// Run: build/bin/engine_bench

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/core/Workbench.h"
#include "combine/PointsOverview.h"
#include "combine/TotalFilter.h"
#include "platform/core/ByteSink.h"
#include "platform/core/FileReading.h"
#include "table/CsvText.h"
#include "table/InputKind.h"
#include "table/TableReader.h"

using namespace vestrane;

namespace {

class QuietServices : public Services {
 public:
  void showMessage(const std::string&) override {}
  bool askOpenFile(const FileDialogRequest&, std::string&) override { return false; }
  bool askSaveFile(const FileDialogRequest&, std::string&) override { return false; }
  bool clipboardText(std::string&) override { return false; }
  bool setClipboardText(const std::string&) override { return false; }
  bool openDocument(const std::string&) override { return false; }
};

class CountingSink : public ByteSink {
 public:
  std::size_t bytes = 0;
  bool write(std::string_view b) override {
    bytes += b.size();
    benchmark::DoNotOptimize(b.data());
    return true;
  }
};

Settings benchSettings() {
  Settings s;
  s.aliases.select = {"SELECT"};
  s.aliases.sample = {"SAMPLE"};
  s.aliases.area = {"AREA", "POINT"};
  s.aliases.mineral = {"MINERAL", "PHASE"};
  s.aliases.analysis = {"ANALYSIS", "COMMENT"};
  return s;
}

const char* kOxides[] = {"SiO2", "TiO2", "Al2O3", "Cr2O3", "FeO", "MnO",
                         "MgO",  "CaO",  "Na2O",  "K2O",   "BaO", "Total"};
const char* kMinerals[] = {"Grt", "Bt", "Pl", "Ms"};

/// A table of @p points points, each with @p perMineral analyses of four
/// minerals. With @p allChecked false the user has picked a few at each
/// point (5 garnet, 2 biotite, 1 plagioclase, 1 muscovite: 10 combinations),
/// which makes the output about as large as the input.
std::string makeTable(int points, int perMineral, bool allChecked) {
  std::string t = "Select\tSample\tArea\tMineral\tAnalysis";
  for (const char* o : kOxides) t += std::string("\t") + o;
  t += "\r\n";
  const int picked[4] = {5, 2, 1, 1};
  char buf[64];
  for (int p = 0; p < points; ++p) {
    std::string prefix = "\tKL-" + std::to_string(p / 50) + "\tA" + std::to_string(p % 50) + "\t";
    for (int m = 0; m < 4; ++m)
      for (int a = 0; a < perMineral; ++a) {
        t += allChecked || a < picked[m] ? "1" : "0";
        t += prefix;
        t += kMinerals[m];
        t += "\t";
        t += std::to_string(p) + "-" + std::to_string(m * perMineral + a);
        for (int o = 0; o < 12; ++o) {
          std::snprintf(buf, sizeof buf, "\t%.2f", 0.37 + ((p * 31 + a * 7 + o * 13) % 5000) / 100.0);
          t += buf;
        }
        t += "\r\n";
      }
  }
  return t;
}

const std::string& bigTable() {
  static const std::string t = makeTable(5000, 10, false);  // 200,000 rows
  return t;
}

struct Loaded {
  Settings settings = benchSettings();
  QuietServices services;
  Workbench bench{settings, services};
  Loaded() = default;
  explicit Loaded(const std::string& text) {
    std::string t = text;
    bench.ParseTableText(t);
  }
};

/// The big table as a file in the system's temporary folder, removed at exit.
const std::string& bigTableFile() {
  struct File {
    std::string path;
    File() {
      path = (std::filesystem::temp_directory_path() / "vestrane-engine-bench.tab").string();
      std::ofstream(path, std::ios::binary) << bigTable();
    }
    ~File() { std::remove(path.c_str()); }
  };
  static const File file;
  return file.path;
}

// "Load TAB file" of the big table: read into memory as the window reads
// it (arg 0), or mapped as the batch tool reads it (arg 1).
void BM_LoadFile200k(benchmark::State& state) {
  const std::string& path = bigTableFile();
  std::size_t memory = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto l = std::make_unique<Loaded>();
    l->bench.setMapTableFiles(state.range(0) != 0);
    state.ResumeTiming();
    l->bench.LoadTableFile(path);
    state.PauseTiming();
    memory = l->bench.table().memoryUsed();
    benchmark::DoNotOptimize(l->bench.table().rowCount());
    l.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bigTable().size()));
  state.SetItemsProcessed(state.iterations() * 200000);
  state.counters["table_MB"] = static_cast<double>(memory) / 1e6;
  state.counters["input_MB"] = static_cast<double>(bigTable().size()) / 1e6;
}
BENCHMARK(BM_LoadFile200k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

/// 100,000 analyses of 16 columns (Sample, Area, Mineral, Analysis and
/// twelve oxides) as a CSV export: comma-separated, lines ending CR LF, with
/// the text fields quoted when @p quoted (as spreadsheets export them on
/// request), or as TAB text with the same fields.
std::string makeExport(char delimiter, bool quoted) {
  auto text = [&](const std::string& field) { return quoted ? "\"" + field + "\"" : field; };
  const std::string d(1, delimiter);
  std::string t = text("Sample") + d + text("Area") + d + text("Mineral") + d + text("Analysis");
  for (const char* o : kOxides) t += d + o;
  t += "\r\n";
  char buf[64];
  for (int row = 0; row < 100000; ++row) {
    const int p = row / 20;
    t += text("KL-" + std::to_string(p / 50)) + d + text("A" + std::to_string(p % 50)) + d +
         text(kMinerals[row % 4]) + d + text(std::to_string(p) + "-" + std::to_string(row % 20));
    for (int o = 0; o < 12; ++o) {
      std::snprintf(buf, sizeof buf, "%.2f", 0.37 + ((row * 31 + o * 13) % 5000) / 100.0);
      t += d + buf;
    }
    t += "\r\n";
  }
  return t;
}

/// The export as a file in the system's temporary folder, removed at exit:
/// 0 as TAB text, 1 as plain CSV, 2 as CSV with quoted text fields.
const std::string& exportFile(int variant) {
  struct File {
    std::string path;
    explicit File(int variant) {
      static const char* const kNames[] = {"export.tab", "export.csv", "export-quoted.csv"};
      const std::string name = std::string("vestrane-bench-") + kNames[variant];
      path = (std::filesystem::temp_directory_path() / name).string();
      std::ofstream(path, std::ios::binary) << makeExport(variant ? ',' : '\t', variant == 2);
    }
    ~File() { std::remove(path.c_str()); }
  };
  static const File files[] = {File(0), File(1), File(2)};
  return files[variant].path;
}

constexpr std::size_t kBenchLimit = std::size_t{1} << 30;

// The CSV export converted to table text in memory (arg 1 plain, 2 quoted).
void BM_CsvTableText100k(benchmark::State& state) {
  FileBytes file;
  file.open(exportFile(static_cast<int>(state.range(0))), false, kBenchLimit);
  const std::string_view bytes = file.bytes();
  std::string text;
  for (auto _ : state) {
    csvTableText(bytes, ',', kBenchLimit, text);
    benchmark::DoNotOptimize(text.data());
  }
  FileBytes tab;
  tab.open(exportFile(0), false, kBenchLimit);
  if (text != tab.bytes()) state.SkipWithError("the CSV's table text is not the TAB file's");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_CsvTableText100k)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Loading the export as the window loads a file: arg 0 the TAB text through
// "Load TAB file" (read into memory); arg 1 and 2 the CSV file read the same
// way, its kind told, converted, and parsed.
void BM_LoadExport100k(benchmark::State& state) {
  const int variant = static_cast<int>(state.range(0));
  const std::string& path = exportFile(variant);
  for (auto _ : state) {
    state.PauseTiming();
    auto l = std::make_unique<Loaded>();
    state.ResumeTiming();
    if (variant == 0) {
      l->bench.LoadTableFile(path);
    } else {
      FileBytes file;
      file.open(path, false, kBenchLimit);
      const InputFormat format = inputFormatOf(file.bytes(), path);
      std::string text;
      csvTableText(file.bytes(), format.delimiter, kBenchLimit, text);
      file.close();
      l->bench.ParseTableText(text);
    }
    state.PauseTiming();
    if (l->bench.table().rowCount() != 100000) state.SkipWithError("the export did not load");
    l.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
// The CPU column counts every thread (a large text is read in two parts at
// once), which on a busy machine compares better than the wall time.
BENCHMARK(BM_LoadExport100k)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

void BM_SelectPoint(benchmark::State& state) {
  static Loaded l(bigTable());
  int rows[2] = {40 * 1234, 40 * 4321};  // two points far apart
  int i = 0;
  for (auto _ : state) {
    l.bench.setRowSelected(rows[i ^= 1], true);
    benchmark::DoNotOptimize(l.bench.point().count);
  }
}
BENCHMARK(BM_SelectPoint)->Unit(benchmark::kMicrosecond);

void BM_ToggleCheckBox(benchmark::State& state) {
  static Loaded l(bigTable());
  l.bench.setRowSelected(40 * 2500, true);
  bool checked = true;
  for (auto _ : state) {
    checked = !checked;
    l.bench.setRowChecked(40 * 2500 + 3, checked);
  }
}
BENCHMARK(BM_ToggleCheckBox)->Unit(benchmark::kMicrosecond);

void BM_UncheckMineralEverywhere(benchmark::State& state) {
  static Loaded l(bigTable());
  l.bench.setRowSelected(40 * 2500 + 11, true);
  for (auto _ : state) l.bench.toggleSelectedMineralEverywhere();
}
BENCHMARK(BM_UncheckMineralEverywhere)->Unit(benchmark::kMillisecond);

/// "Uncheck by total" over 200,000 rows, counted per mineral: with one
/// range for all minerals (Arg 0) and with ranges of their own for two of
/// them (Arg 1). The ranges keep every row, so each pass reads them all.
void BM_UncheckByTotal200k(benchmark::State& state) {
  static Loaded l(bigTable());
  TotalRange range;
  range.column = defaultTotalColumn(l.bench.table());
  range.lowest = -1e9;
  range.highest = 1e9;
  if (state.range(0)) range.minerals = {{"bt", -1e9, 1e9}, {"MS", -1e9, 1e9}};
  std::size_t minerals = 0;
  for (auto _ : state) {
    const TotalFilterResult result = uncheckByTotal(l.bench.table(), range);
    minerals = result.minerals.size();
    benchmark::DoNotOptimize(result.unchecked);
  }
  state.counters["minerals"] = static_cast<double>(minerals);
}
BENCHMARK(BM_UncheckByTotal200k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

/// The points overview of a run: every point's count and exact file size.
void overview(benchmark::State& state, const Loaded& l) {
  std::size_t points = 0;
  for (auto _ : state) {
    PointsOverview o = overviewOfRun(l.bench.table());
    points = o.points.size();
    benchmark::DoNotOptimize(o.combinedBytes);
  }
  state.counters["points"] = static_cast<double>(points);
}

void BM_PointsOverview200k(benchmark::State& state) {
  static Loaded l(bigTable());
  overview(state, l);
}
BENCHMARK(BM_PointsOverview200k)->Unit(benchmark::kMillisecond);

void BM_PointsOverview100kPoints(benchmark::State& state) {
  // 100,000 points of four analyses each, one of every mineral: 400,000 rows.
  static Loaded l(makeTable(100000, 1, true));
  overview(state, l);
}
BENCHMARK(BM_PointsOverview100kPoints)->Unit(benchmark::kMillisecond);

/// Writes every point of the loaded table's checked rows into a counting sink.
void generateAll(benchmark::State& state, Loaded& l) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    CountingSink sink;
    PointState point = l.bench.point();
    GenerationRun(l.bench.table(), point, l.bench.selectedRow()).combined(sink);
    bytes = sink.bytes;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["output_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_GenerateAllPoints(benchmark::State& state) {
  static Loaded l(bigTable());
  generateAll(state, l);
}
BENCHMARK(BM_GenerateAllPoints)->Unit(benchmark::kMillisecond);

void BM_GenerateBigPoint(benchmark::State& state) {
  // Four minerals of 30 analyses: 810,000 combinations, 3.24 million lines.
  static Loaded l(makeTable(1, 30, true));
  generateAll(state, l);
}
BENCHMARK(BM_GenerateBigPoint)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
