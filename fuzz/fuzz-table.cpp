// SPDX-License-Identifier: MIT
// Fuzz target: a table file and a clipboard text, read with alias lists that
// come from the input too. The input is a settings text, a NUL, and the
// table's bytes; without a NUL it is all table, read with the shipped alias
// lists. The bytes go to a file and through "Load TAB file" (the file-reading
// rules, then the parse), then onto the clipboard and through "Paste"; the
// loaded table is then saved to text, its points are visited and, when small
// enough, all its combinations are generated.
//
// Checked besides the sanitizers: a table loaded before stays as it was;
// long alias lists read a text as short ones do;
// a failed read adds no row; every row has a Mineral and a Sample; the
// table's memory stays within a fixed multiple of the bytes read; the saved
// text has one line per row, each with one field per column; a point's
// count is the product of its groups' sizes; the generated text has one line
// per line the generator counted; a text read in two parts at once reads
// as it does line by line.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "app/core/Workbench.h"
#include "fakes/FakeServices.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/ByteSink.h"
#include "platform/core/Text.h"
#include "settings/Settings.h"
#include "table/TableReader.h"
#include "table/TableWriter.h"

using namespace vestrane;

namespace {

// Loaded first with the shipped aliases; its cells must survive whatever
// is read after it.
constexpr std::string_view kBefore =
    "Sample\tArea\tMineral\tAnalysis\tSiO2\r\n"
    "MP-12A\tA1\tGrt\tcore\t37.04\r\n"
    "MP-12A\tA1\tBt\tmatrix\t35.24\r\n"
    "MP-17\tC2\tPl\tmatrix\t61.38\r\n";

struct Snapshot {
  std::vector<bool> checked;
  std::vector<std::vector<std::string>> cells;
};

Snapshot snapshot(const AnalysisTable& table) {
  Snapshot s;
  for (int row = 0; row < table.rowCount(); ++row) {
    s.checked.push_back(table.isChecked(row));
    std::vector<std::string> cells;
    for (int column = 1; column < table.columnCount(); ++column)
      cells.emplace_back(table.cell(row, column));
    s.cells.push_back(std::move(cells));
  }
  return s;
}

void checkKept(const AnalysisTable& table, const Snapshot& before) {
  FUZZ_CHECK(table.rowCount() >= static_cast<int>(before.cells.size()));
  for (std::size_t row = 0; row < before.cells.size(); ++row) {
    const int r = static_cast<int>(row);
    FUZZ_CHECK(table.isChecked(r) == before.checked[row]);
    for (std::size_t c = 0; c < before.cells[row].size(); ++c)
      FUZZ_CHECK(table.cell(r, static_cast<int>(c) + 1) == before.cells[row][c]);
  }
}

void checkRows(const AnalysisTable& table) {
  for (int row = 0; row < table.rowCount(); ++row) {
    std::string_view mineral = table.cell(row, ColMineral);
    FUZZ_CHECK(!mineral.empty() && mineral != kMissing);
    FUZZ_CHECK(table.cell(row, ColSample) != kMissing);
    FUZZ_CHECK(table.rowLabel(row) == std::to_string(row));
  }
}

void checkSerialized(const AnalysisTable& table) {
  const std::string text = SerializeTable(table);
  std::size_t lines = 0, tabs = 0;
  const auto columns = static_cast<std::size_t>(table.columnCount());
  for (char c : text) {
    if (c == '\t') ++tabs;
    if (c == '\r') {
      FUZZ_CHECK(tabs == columns - 1);
      tabs = 0;
      ++lines;
    }
  }
  FUZZ_CHECK(lines == static_cast<std::size_t>(table.rowCount()) + 1);
}

void checkPoint(const AnalysisTable& table, const PointState& point) {
  ComboCount product(1);
  bool any = false;
  for (std::size_t g = 0; g < point.groups.size(); ++g) {
    for (int row : point.groups[g]) {
      FUZZ_CHECK(table.isChecked(row));
      FUZZ_CHECK(point.belongs(table, row));
      // Minerals are told apart ignoring letter case.
      FUZZ_CHECK(upperText(table.cell(row, ColMineral)) == upperText(point.minerals[g].mineral));
    }
    if (!point.groups[g].empty()) {
      product.multiply(static_cast<std::uint32_t>(point.groups[g].size()));
      any = true;
    }
  }
  FUZZ_CHECK(point.groups.size() == point.minerals.size());
  FUZZ_CHECK(any ? point.count == product : point.count.isZero());
}

std::size_t countLines(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t p = text.find("\r\n"); p != std::string_view::npos; p = text.find("\r\n", p + 2))
    ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view settingsText = fuzz::kShippedAliases;
  std::string_view tableBytes = input;
  if (std::size_t nul = input.find('\0'); nul != std::string_view::npos) {
    settingsText = input.substr(0, nul);
    tableBytes = input.substr(nul + 1);
  }

  const std::string& folder = fuzz::scratchFolder();
  testing::FakeServices services;
  Settings settings;
  settings.workDirectory = folder;
  readSettingsText("fuzz.ini", fuzz::kShippedAliases, settings, DateSettings());
  Workbench bench(settings, services);
  std::string before(kBefore);
  FUZZ_CHECK(bench.ParseTableText(before));
  const Snapshot kept = snapshot(bench.table());
  const std::size_t memoryBefore = bench.table().memoryUsed();

  // From here on the aliases are the input's.
  Settings fuzzed;
  fuzzed.workDirectory = folder;
  readSettingsText("fuzz.ini", settingsText, fuzzed, DateSettings());
  settings.aliases = fuzzed.aliases;

  const std::string path = folder + "/input.tab";
  {
    AtomicFile file(path);
    FUZZ_CHECK(file.open() && file.write(tableBytes) && file.commit());
  }
  services.messages.clear();
  int rows = bench.table().rowCount();
  if (!bench.LoadTableFile(path)) {
    FUZZ_CHECK(bench.table().rowCount() == rows);
    FUZZ_CHECK(services.messages.size() == 1);
  }
  checkKept(bench.table(), kept);
  checkRows(bench.table());

  // The clipboard's text is parsed as it is, without the file-reading rules.
  services.clipboard = std::string(tableBytes);
  rows = bench.table().rowCount();
  services.messages.clear();
  bench.PasteTable();
  if (bench.caption() != kCaptionNotSaved && !tableBytes.empty())
    FUZZ_CHECK(bench.table().rowCount() == rows);
  checkKept(bench.table(), kept);
  checkRows(bench.table());

  // Memory follows the bytes read: the file's text (at most twice its bytes
  // once every LF became CR LF) and the clipboard's.
  const std::size_t memory = bench.table().memoryUsed();
  FUZZ_CHECK(memory <= memoryBefore + 48 * (3 * tableBytes.size()) + 65536);

  const AnalysisTable& table = bench.table();
  checkSerialized(table);

  // A few rows: selected, their check box toggled twice, their mineral
  // unchecked everywhere and checked again.
  for (int row = 0; row < table.rowCount() && row < 8; ++row) {
    bench.setRowSelected(row, true);
    checkPoint(table, bench.point());
    const bool checked = table.isChecked(row);
    bench.setRowChecked(row, !checked);
    checkPoint(table, bench.point());
    bench.setRowChecked(row, checked);
    bench.toggleSelectedMineralEverywhere();
    bench.toggleSelectedMineralEverywhere();
    checkPoint(table, bench.point());
    if (!bench.point().minerals.empty()) {
      bench.setMineralChecked(0, false);
      checkPoint(table, bench.point());
      bench.setMineralChecked(0, true);
    }
  }

  // Every combination of every point, when there are not too many lines.
  // A point writes at most its count times its rows' number of lines.
  std::uint64_t total = 0;
  for (int p = 0; p < table.pointCount() && total <= 20000; ++p) {
    const std::uint64_t count = pointComboCount(table, p).toUInt64();
    total += count > 20000 ? 20001 : count * table.pointRows(p).size();
  }
  if (total <= 20000) {
    StringSink sink;
    PointState point = bench.point();
    GenerateResult result = GenerationRun(bench.table(), point, bench.selectedRow()).combined(sink);
    FUZZ_CHECK(result.ok);
    FUZZ_CHECK(countLines(sink.text) == static_cast<std::size_t>(result.lines) + 1);
  }

  bench.ClearTable();
  FUZZ_CHECK(bench.table().rowCount() == 0 && bench.table().columnCount() == kFixedColumns);

  // Long alias lists are looked up another way than short ones. Aliases
  // with a small letter never match (fields are upper-cased first), so lists
  // grown by them must read the text exactly as the lists did before.
  Settings grown = settings;
  for (int i = 0; i < 40; ++i)
    for (AliasList* list : {&grown.aliases.select, &grown.aliases.sample, &grown.aliases.area,
                            &grown.aliases.mineral, &grown.aliases.analysis})
      list->push_back("z" + std::to_string(i));
  testing::FakeServices servicesPlain, servicesGrown;
  Workbench benchPlain(settings, servicesPlain), benchGrown(grown, servicesGrown);
  std::string text(tableBytes), textGrown(tableBytes);
  FUZZ_CHECK(benchPlain.ParseTableText(text) == benchGrown.ParseTableText(textGrown));
  FUZZ_CHECK(servicesPlain.messages == servicesGrown.messages);
  FUZZ_CHECK(SerializeTable(benchPlain.table()) == SerializeTable(benchGrown.table()));

  // Read in two parts at once (cut wherever the input puts the middle), the
  // text gives the rows, points and messages of reading it line by line.
  AnalysisTable lineByLine, inTwo;
  TableReader readLines(lineByLine, settings.aliases);
  TableReader readTwo(inTwo, settings.aliases);
  readLines.splitFrom = static_cast<std::size_t>(-1);
  readTwo.splitFrom = 1 + size % 61;
  std::string lines(tableBytes), two(tableBytes);
  const TableReadResult lineResult = readLines.ParseTableText(lines);
  const TableReadResult twoResult = readTwo.ParseTableText(two);
  FUZZ_CHECK(lineResult.status == twoResult.status && lineResult.rowsAdded == twoResult.rowsAdded);
  FUZZ_CHECK(lines == two);
  FUZZ_CHECK(lineResult.messages == twoResult.messages);
  FUZZ_CHECK(SerializeTable(lineByLine) == SerializeTable(inTwo));
  FUZZ_CHECK(lineByLine.pointCount() == inTwo.pointCount());
  for (int p = 0; p < inTwo.pointCount(); ++p) FUZZ_CHECK(lineByLine.pointRows(p) == inTwo.pointRows(p));
  return 0;
}
