// SPDX-License-Identifier: MIT
// Hostile input: files from old machines, spreadsheets and instrument
// software, whatever is on the clipboard, and settings files grown out of
// all proportion. Each case must end with the program's own message or the
// right result, in memory that follows the bytes read, and must leave the
// table loaded before it as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "app/core/Workbench.h"
#include "combine/TotalFilter.h"
#include "fakes/FakeServices.h"
#include "fakes/FakeUpdate.h"
#include "settings/Settings.h"
#include "table/TableReader.h"
#include "table/TableWriter.h"
#include "update/core/UpdateCheck.h"

using namespace vestrane;
using namespace std::string_literals;
using vestrane::testing::FakeServices;
using vestrane::testing::RunOver;
using vestrane::testing::readBytes;
using vestrane::testing::TempDir;
using vestrane::testing::writeBytes;

namespace {

constexpr std::size_t kMB = 1024 * 1024;

// Loaded before every hostile input.
const char* kEarlier =
    "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
    "1\tMP-12A\tA1\tGrt\tcore\t37.04\r\n"
    "0\tMP-12A\tA1\tBt\tmatrix\t35.24\r\n"
    "1\tMP-17\tC2\tPl\tmatrix\t61.38\r\n";
constexpr int kEarlierRows = 3;

class HostileInputTest : public vestrane::testing::WorkbenchTest {
 protected:
  std::vector<std::vector<std::string>> earlier;  // flag and cells of the earlier rows
  std::size_t earlierMemory = 0;

  void SetUp() override {
    settings.workDirectory = dir.path();
    std::string text = kEarlier;
    ASSERT_TRUE(bench.ParseTableText(text));
    for (int row = 0; row < table.rowCount(); ++row) {
      std::vector<std::string> r{table.isChecked(row) ? "1" : "0"};
      for (int c = 1; c < table.columnCount(); ++c) r.emplace_back(table.cell(row, c));
      earlier.push_back(r);
    }
    earlierMemory = table.memoryUsed();
  }

  void expectEarlierIntact() {
    ASSERT_GE(table.rowCount(), kEarlierRows);
    for (int row = 0; row < kEarlierRows; ++row) {
      const auto& r = earlier[static_cast<std::size_t>(row)];
      EXPECT_EQ(table.isChecked(row), r[0] == "1") << "row " << row;
      for (std::size_t c = 1; c < r.size(); ++c)
        EXPECT_EQ(table.cell(row, static_cast<int>(c)), r[c]) << "row " << row << " column " << c;
    }
  }

  /// Writes @p bytes to a file and loads it as "Load TAB file" does.
  bool load(const std::string& bytes, const std::string& name = "hostile.tab") {
    const std::string path = dir.file(name);
    writeBytes(path, bytes);
    services.messages.clear();
    return bench.LoadTableFile(path);
  }

  /// Pastes @p text as the clipboard's text.
  void paste(const std::string& text) {
    services.clipboard = text;
    services.messages.clear();
    bench.PasteTable();
  }

  void expectOnlyMessage(const std::string& message) {
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0], message);
  }
};

std::string randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(rng() & 0xFF);
  return bytes;
}

/// The UTF-16 (little-endian, with byte-order mark) form of ASCII @p text, as
/// spreadsheets write "Unicode text".
std::string utf16(const std::string& text) {
  std::string out = "\xFF\xFE";
  for (char c : text) {
    out += c;
    out += '\0';
  }
  return out;
}

}  // namespace

// ----------------------------------------------------------- binary bytes

TEST_F(HostileInputTest, BinaryFilesEndWithTheFormatMessages) {
  // Random bytes: there is a CR somewhere in a megabyte, but no header.
  EXPECT_FALSE(load(randomBytes(kMB, 1)));
  expectOnlyMessage(kMsgNoHeader);
  // Random bytes without a line end, CR, LF or Ctrl-Z: one line.
  std::string noLines = randomBytes(kMB, 2);
  std::replace(noLines.begin(), noLines.end(), '\r', 'r');
  std::replace(noLines.begin(), noLines.end(), '\n', 'n');
  std::replace(noLines.begin(), noLines.end(), '\x1a', 'z');
  EXPECT_FALSE(load(noLines));
  expectOnlyMessage(kMsgNoHeader);  // the file-reading rules end the line
  // A spreadsheet's "Unicode text": every character followed by a NUL byte,
  // so no field begins with an alias.
  EXPECT_FALSE(load(utf16("Sample\tMineral\tSiO2\r\nS1\tGrt\t37.5 and some\r\n")));
  expectOnlyMessage(kMsgNoHeader);
  // Pasted, the same bytes have no CR at all.
  paste(noLines);
  expectOnlyMessage(kMsgLessThanTwoRows);
  EXPECT_EQ(table.rowCount(), kEarlierRows);
  EXPECT_EQ(bench.caption(), kCaptionPlain);
  expectEarlierIntact();
}

TEST_F(HostileInputTest, NulBytesInCellsAreKeptByteForByte) {
  const std::string text =
      "Sample\tMineral\tNote\r\n"
      "S\0" "1\tGrt\tab\0cd and more\r\n"
      "\0\tBt\t\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\r\n"s;
  ASSERT_TRUE(load(text));
  // A field of NULs only: NUL is trimmed like a blank, so the third line
  // has no Sample and is dropped.
  expectOnlyMessage(std::string(kMsgIgnoredLines) + "\r\n3: Sample ID is not specified");
  ASSERT_EQ(table.rowCount(), kEarlierRows + 1);
  EXPECT_EQ(table.cell(3, ColSample), "S\0" "1"s);
  EXPECT_EQ(table.cell(3, ColMineral), "Grt");
  EXPECT_EQ(table.cell(3, 6), "ab\0cd and more"s);
  // Saving writes the NULs back unchanged.
  const std::string saved = SerializeTable(table);
  EXPECT_NE(saved.find("\n1\tS\0" "1\t-\tGrt\t-\t-\tab\0cd and more\r\n"s), std::string::npos);
  expectEarlierIntact();
}

// ------------------------------------------------------------- huge lines

TEST_F(HostileInputTest, FiftyMegabyteSingleLine) {
  // The whole file is one line without a line end: no header can follow.
  std::string line(50 * kMB, 'x');
  for (std::size_t i = 1000; i < line.size(); i += 1000) line[i] = '\t';
  EXPECT_FALSE(load(line));
  expectOnlyMessage(kMsgNoHeader);
  EXPECT_EQ(table.rowCount(), kEarlierRows);
  EXPECT_EQ(table.memoryUsed(), earlierMemory);

  // The same line after a header is one row: its first field after Mineral
  // is the Data cell, and the fields past the header are passed over.
  std::string file = "Sample\tMineral\tData\r\nS1\tGrt\t" + line;
  line.clear();
  line.shrink_to_fit();
  ASSERT_TRUE(load(file));
  EXPECT_TRUE(services.messages.empty());
  ASSERT_EQ(table.rowCount(), kEarlierRows + 1);
  std::string_view data = table.cell(3, 6);
  EXPECT_EQ(data.size(), 1000u);
  EXPECT_EQ(table.cell(3, ColSample), "S1");
  // The fields the header does not name are not kept; capacity reserved for
  // the line's bytes may be.
  EXPECT_LT(table.memoryUsed(), earlierMemory + file.size() + kMB);

  // Every byte of it in one mapped field: the cell holds the whole line.
  file = "Sample\tMineral\tData\r\nS2\tBt\t" + std::string(50 * kMB, 'y') + "\r\n";
  ASSERT_TRUE(load(file, "one-field.tab"));
  ASSERT_EQ(table.rowCount(), kEarlierRows + 2);
  EXPECT_EQ(table.cell(4, 6).size(), 50 * kMB);
  EXPECT_LT(table.memoryUsed(), earlierMemory + 2 * file.size());
  expectEarlierIntact();
}

TEST_F(HostileInputTest, HundredThousandFieldsInALine) {
  // A data line of 100,000 fields under a header of five: the fields past
  // the header are passed over.
  std::string fields;
  for (int i = 0; i < 100000; ++i) fields += "\t" + std::to_string(i);
  ASSERT_TRUE(load("Sample\tArea\tMineral\tAnalysis\tSiO2\r\nS1\tr1\tGrt\tg1\t37.5" + fields + "\r\n"));
  ASSERT_EQ(table.rowCount(), kEarlierRows + 1);
  EXPECT_EQ(table.columnCount(), 6);
  EXPECT_EQ(table.cell(3, 5), "37.5");

  // A header of 100,000 fields makes as many columns, each read.
  std::string header = "Sample\tMineral";
  std::string row = "S2\tBt";
  for (int i = 0; i < 100000; ++i) {
    header += "\tc" + std::to_string(i);
    row += "\t" + std::to_string(i);
  }
  ASSERT_TRUE(load(header + "\r\n" + row + "\r\n" + row + "\r\n"));
  EXPECT_TRUE(services.messages.empty());
  ASSERT_EQ(table.rowCount(), kEarlierRows + 3);
  ASSERT_EQ(table.columnCount(), 6 + 100000);
  EXPECT_EQ(table.caption(6), "c0");
  EXPECT_EQ(table.caption(6 + 99999), "c99999");
  EXPECT_EQ(table.cell(5, 6 + 99999), "99999");
  EXPECT_EQ(table.cell(4, 6 + 12345), "12345");
  EXPECT_EQ(table.cell(3, 6 + 12345), "-");  // the row read before the columns came
  EXPECT_LT(table.memoryUsed(), earlierMemory + 4 * kMB);
  expectEarlierIntact();
}

TEST_F(HostileInputTest, TenThousandColumns) {
  std::string header = "Sample\tArea\tMineral";
  for (int c = 0; c < 10000; ++c) header += "\tOxide" + std::to_string(c);
  std::string text = header + "\r\n";
  for (int r = 0; r < 200; ++r) {
    text += "S" + std::to_string(r % 7) + "\tr1\tGrt";
    for (int c = 0; c < 10000; ++c) text += "\t" + std::to_string(r + c);
    text += "\r\n";
  }
  ASSERT_TRUE(load(text));
  ASSERT_EQ(table.columnCount(), 6 + 10000);
  ASSERT_EQ(table.rowCount(), kEarlierRows + 200);
  EXPECT_EQ(table.cell(kEarlierRows + 199, 6 + 9999), std::to_string(199 + 9999));
  EXPECT_LT(table.memoryUsed(), earlierMemory + 4 * text.size());

  // The saved table has one field per column on every line.
  const std::string saved = SerializeTable(table);
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\t'),
            static_cast<long>(table.rowCount() + 1) * (table.columnCount() - 1));

  // Over the wide table, a table whose every other line is a header again:
  // each must re-map the columns without going through all 10,000 of them.
  std::string remapped;
  for (int i = 0; i < 20000; ++i)
    remapped += "Sample\tMineral\tOxide9999\r\nS\tPx\tvalue " + std::to_string(i) + " wt% oxide\r\n";
  ASSERT_TRUE(load(remapped, "remapped.tab"));
  ASSERT_EQ(table.rowCount(), kEarlierRows + 200 + 20000);
  EXPECT_EQ(table.columnCount(), 6 + 10000);
  EXPECT_EQ(table.cell(table.rowCount() - 1, 6 + 9999), "value 19999 wt% oxide");
  expectEarlierIntact();
}

TEST_F(HostileInputTest, MillionRows) {
  std::string text = "Sample\tArea\tMineral\tAnalysis\tSiO2\r\n";
  text.reserve(40 * 1000000);
  for (int r = 0; r < 1000000; ++r)
    text += "S" + std::to_string(r % 1000) + "\tr1\tGrt\tgrain " + std::to_string(r) + "\t37.5\r\n";
  ASSERT_TRUE(load(text));
  EXPECT_TRUE(services.messages.empty());
  ASSERT_EQ(table.rowCount(), kEarlierRows + 1000000);
  EXPECT_EQ(table.pointCount(), 2 + 1000);
  EXPECT_EQ(table.cell(kEarlierRows + 999999, ColAnalysis), "grain 999999");
  EXPECT_EQ(table.rowLabel(kEarlierRows + 999999), "1000002");
  // Rows are kept in about the bytes they were read from.
  EXPECT_LT(table.memoryUsed(), 3 * text.size());
  expectEarlierIntact();
}

TEST_F(HostileInputTest, BlankLinesReserveNoRows) {
  // Ten million line ends after a header: none can become a row (a row's
  // line is longer than 17 characters), so the table must not set memory
  // aside for them.
  std::string text = "Sample\tMineral\tSiO2\r\n";
  text.append(10 * kMB, '\n');
  ASSERT_TRUE(load(text));
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(table.rowCount(), kEarlierRows);
  EXPECT_LT(table.memoryUsed(), earlierMemory + 4 * kMB);
  // Pasted text that does end its lines with CR LF.
  std::string pasted = "Sample\tMineral\tSiO2\r\n";
  for (int i = 0; i < 1000000; ++i) pasted += "x\r\n";
  paste(pasted);
  EXPECT_EQ(table.rowCount(), kEarlierRows);
  EXPECT_LT(table.memoryUsed(), earlierMemory + 4 * kMB);
  expectEarlierIntact();
}

// --------------------------------------------------- encodings, line ends

TEST_F(HostileInputTest, InvalidUtf8AndMixedLineEnds) {
  // Overlong forms, a lone continuation byte, a cut sequence, a surrogate
  // and bytes that never occur in UTF-8, in a file whose lines end with
  // CR LF, LF, a lone CR (dropped: the line goes on) and nothing.
  const std::string text =
      "Sample\tArea\tMineral\tAnalysis\r\n"        // 1
      "S\xC0\xAF\tr1\tgrt\t\x80 first analysis\n"   // 2
      "S\xE2\x82\tr1\t\xED\xA0\x80x\tsecond one\r"  // 3, joined with the next
      "S3\tr1\tBt\tthird\r\n"
      "\r\n"                                        // 4
      "S4\t\xF5\xFF\xFE\t\xC3\tfourth analysis\n"   // 5
      "S5\tr1\t\t no mineral here at all\r\n"       // 6
      "S6\tr1\tPl\tlast line, no line end";          // 7
  ASSERT_TRUE(load(text));
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0], std::string(kMsgIgnoredLines) + "\r\n6: Mineral is not specified");
  ASSERT_EQ(table.rowCount(), kEarlierRows + 4);
  EXPECT_EQ(table.cell(3, ColSample), "S\xC0\xAF");
  EXPECT_EQ(table.cell(3, ColMineral), "Grt");
  EXPECT_EQ(table.cell(3, ColAnalysis), "\x80 first analysis");
  // The lone CR was dropped and the next line's fields went on this row:
  // the later fields lie beyond the header and are passed over.
  EXPECT_EQ(table.cell(4, ColSample), "S\xE2\x82");
  EXPECT_EQ(table.cell(4, ColMineral), "\xCD\xA0\x80x");  // Windows-1252: 0xED capitalised
  EXPECT_EQ(table.cell(4, ColAnalysis), "second oneS3");
  EXPECT_EQ(table.cell(5, ColArea), "\xF5\xFF\xFE");
  EXPECT_EQ(table.cell(5, ColMineral), "\xC3");
  EXPECT_EQ(table.cell(6, ColAnalysis), "last line, no line end");
  expectEarlierIntact();

  // The same bytes pasted: the lines end at CR only, and an LF stays inside
  // the line it ends (the first character after a CR LF pair is the LF).
  paste(text);
  EXPECT_EQ(bench.caption(), kCaptionNotSaved);
  expectEarlierIntact();
}

TEST_F(HostileInputTest, HeaderOnlyFile) {
  EXPECT_FALSE(load("Sample\tArea\tMineral\tAnalysis\tSiO2\r\n"));
  expectOnlyMessage(kMsgNoHeader);
  EXPECT_FALSE(load("Sample\tArea\tMineral\tAnalysis\tSiO2"));
  expectOnlyMessage(kMsgNoHeader);
  EXPECT_FALSE(load(""));
  expectOnlyMessage(kMsgLessThanTwoRows);
  // With one empty line after it the header is read and adds its column.
  EXPECT_TRUE(load("Sample\tArea\tMineral\tAnalysis\tMgO\r\n\r\n"));
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(table.rowCount(), kEarlierRows);
  EXPECT_EQ(table.caption(table.columnCount() - 1), "MgO");
  expectEarlierIntact();
}

// ------------------------------------------------------------------ numbers

TEST_F(HostileInputTest, NumbersBeyondWhatADoubleHolds) {
  // Hundreds of zeros after the separator: too small for a double, so zero;
  // hundreds of digits before it: too large, so infinite.
  const std::string tiny = "0." + std::string(400, '0') + "1";
  const std::string huge = "1" + std::string(400, '0');
  ASSERT_TRUE(load("Sample\tArea\tMineral\tAnalysis\tTotal\r\n"
                   "S1\tr1\tGrt\ttiny total\t" + tiny + "\r\n"
                   "S1\tr1\tGrt\tnegative tiny total\t-" + tiny + "\r\n"
                   "S1\tr1\tGrt\thuge total\t" + huge + "\r\n"));
  ASSERT_EQ(table.rowCount(), kEarlierRows + 3);
  TotalRange range;
  ASSERT_TRUE(parseTotalRange("-" + tiny + ":1", range.lowest, range.highest));
  EXPECT_EQ(range.lowest, 0.0);
  EXPECT_EQ(range.highest, 1.0);
  range.column = defaultTotalColumn(table);
  // The earlier rows have no total; of the new ones only the huge is out.
  const TotalFilterResult result = bench.uncheckByTotal(range, false);
  EXPECT_EQ(result.changedRows, std::vector<int>{kEarlierRows + 2});
  EXPECT_EQ(result.withoutNumber, 2);
  expectEarlierIntact();
}

// ------------------------------------------------------------- file names

TEST_F(HostileInputTest, NamesMadeOnlyOfReplacedCharacters) {
  // Sample and Area made of the twelve characters a file name cannot hold
  // (the quotes around a field keep its blanks). Each point still gets a
  // file of its own in the work directory and nowhere else.
  const std::string twelve = " \"*,/:;<>?\\|";
  ASSERT_EQ(twelve.size(), 12u);
  std::string text = "Sample\tArea\tMineral\tAnalysis\r\n";
  text += "\"" + twelve + "\"\t-\tGrt\tfirst analysis\r\n";
  text += "\"" + twelve + "\"\t-\tGrt\tsecond analysis\r\n";
  text += "\"" + twelve + "\"\t\"" + twelve + "\"\tGrt\tthird analysis\r\n";
  text += "/..\t\"/../..\"\tGrt\tfourth analysis\r\n";
  ASSERT_TRUE(load(text));
  ASSERT_EQ(table.rowCount(), kEarlierRows + 4);
  EXPECT_EQ(table.cell(3, ColSample), twelve);
  bench.ClearTable();
  ASSERT_TRUE(load(text));

  const std::string out = dir.file("out");
  std::filesystem::create_directory(out);
  services.messages.clear();
  GenerateResult result = RunOver(bench)->separate(out);
  ASSERT_TRUE(result.ok);
  const std::string dashes(12, '-');
  EXPECT_EQ(result.filesWritten,
            (std::vector<std::string>{dashes + ".tab", dashes + "_" + dashes + ".tab", "-.._-..-...tab"}));
  std::vector<std::string> onDisk;
  for (const auto& e : std::filesystem::directory_iterator(out)) onDisk.push_back(e.path().filename().string());
  std::sort(onDisk.begin(), onDisk.end());
  std::vector<std::string> expected = result.filesWritten;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(onDisk, expected);
  EXPECT_EQ(readBytes(out + "/" + dashes + ".tab"),
            "Select\tSample\tArea\tMineral\tAnalysis\r\n"
            "1\t" + twelve + "\t00\tGrt\tfirst analysis\r\n"
            "1\t" + twelve + "\t01\tGrt\tsecond analysis\r\n");
  // Nothing went beside the output folder.
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_TRUE(e.path().filename() == "out" || e.path().extension() == ".tab") << e.path();

  // The single-point command proposes the same name.
  bench.setRowSelected(0, true);
  services.saveAnswers.push_back(std::nullopt);
  bench.generateCombinations(false, false);
  ASSERT_EQ(services.saveRequests.size(), 1u);
  EXPECT_EQ(services.saveRequests[0].proposedName, dashes + ".tab");
}

// ---------------------------------------------------------------- settings

TEST(HostileSettingsTest, OneLineOfHundredThousandAliases) {
  std::string text = "Mineral=";
  for (int e = 0; e < 100000; ++e) text += "phase" + std::to_string(e) + " ";
  text += "\r\nSample=id\r\n";
  Settings settings;
  EXPECT_TRUE(readSettingsText("Vestrane.ini", text, settings, DateSettings()).empty());
  ASSERT_EQ(settings.aliases.mineral.size(), 100000u);
  EXPECT_EQ(settings.aliases.mineral[0], "PHASE0");
  EXPECT_EQ(settings.aliases.mineral[99999], "PHASE99999");
  EXPECT_EQ(settings.aliases.sample, AliasList{"ID"});
}

TEST(HostileSettingsTest, HundredThousandLinesWithLongAliasLists) {
  // 100,000 lines: every hundredth gives one of the five alias lists 300
  // more entries; the others are unknown keys, repeated values, blank
  // lines and lines without "=".
  const char* aliasKeys[] = {"Sample", "Area", "Mineral", "Analysis", "Select"};
  std::string text;
  std::size_t unknown = 0;
  for (int line = 0; line < 100000; ++line) {
    if (line % 100 == 0) {
      const int k = line / 100 % 5;
      text += aliasKeys[k];
      text += "=";
      for (int e = 0; e < 300; ++e) text += (e ? " a" : "a") + std::to_string(line) + "x" + std::to_string(e);
    } else if (line % 4 == 1) {
      text += "Key" + std::to_string(line) + "=value";
      ++unknown;
    } else if (line % 4 == 2) {
      text += "WinMain=" + std::to_string(line) + " 2 3 4";
    } else if (line % 4 == 3) {
      text += line % 8 == 3 ? "" : "no equals sign on this line";
    } else {
      text += "CUPeriod=" + std::to_string(line);
    }
    text += "\r\n";
  }
  Settings settings;
  const std::vector<std::string> messages = readSettingsText("Vestrane.ini", text, settings, DateSettings());
  // All unknown keys in one message: the first 20 named, the others counted.
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(std::count(messages[0].begin(), messages[0].end(), '\r'), 1 + 20 + 1);
  const std::string last = "\r... and " + std::to_string(unknown - 20) + " more";
  EXPECT_EQ(messages[0].substr(messages[0].size() - last.size()), last);
  ASSERT_EQ(settings.aliases.sample.size(), 200u * 300u);
  ASSERT_EQ(settings.aliases.select.size(), 200u * 300u);
  EXPECT_EQ(settings.aliases.sample.front(), "A0X0");
  EXPECT_EQ(settings.aliases.mineral.back(), "A99700X299");
  EXPECT_EQ(settings.mainWindowBounds[0], 99998);
  EXPECT_EQ(settings.updateCheckPeriod, static_cast<std::uint8_t>(99996 & 0xFF));

  // Written back whole: twelve lines, every alias in its place.
  const std::string written = settingsFileText(settings, DateSettings());
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 12);
  Settings back;
  readSettingsText("Vestrane.ini", written, back, DateSettings());
  EXPECT_EQ(back.aliases.mineral, settings.aliases.mineral);

  // A table is still read with 60,000 aliases in each list: its header
  // begins with the last Sample and the last Mineral alias. Its rows are
  // tested for being headers again: fields that begin like an alias, and
  // text that is not ASCII (which is always upper-cased and searched).
  FakeServices tableServices;
  Workbench bench(settings, tableServices);
  std::string table = "a99500x299 ID\ta99700x299\tA99600X0\r\n";
  for (int r = 0; r < 2000; ++r)
    table += "S" + std::to_string(r) + "\tGrt\ta" + std::to_string(r) + "x, 5 \xC2\xB5m across\r\n";
  ASSERT_TRUE(bench.ParseTableText(table));
  EXPECT_TRUE(tableServices.messages.empty());
  EXPECT_EQ(bench.table().rowCount(), 2000);
  EXPECT_EQ(bench.table().caption(ColArea), "A99600X0");
  EXPECT_EQ(bench.table().cell(1999, ColArea), "a1999x, 5 \xC2\xB5m across");
}

// ------------------------------------------------------------ version file

namespace {

using vestrane::testing::ServedBody;
using vestrane::testing::RecordingUpdateView;

}  // namespace

TEST(HostileVersionFileTest, TenMegabytesAreReadWholeAndKeptInTheirOwnSize) {
  // The HTTP client refuses a body this large; the reading itself must
  // still give the right result for it, keeping about the bytes it read.
  std::string text = "1.0.1.0\r\n\r\n";
  std::size_t notes = 0;
  while (text.size() < 10 * kMB) {
    text += "Note " + std::to_string(notes++) + ": " + std::string(90, 'n') + "\n";
    if (notes % 1000 == 0) text += "URL=Mirror " + std::to_string(notes) + ";http://m.example/" + std::to_string(notes) + "\r";
  }
  text += "URL=Last;http://last.example/\r\nno line end at the end";
  const VersionFileReport r = parseVersionFile(text, "Vestrane", TVersion{1, 0, 0, 3});
  EXPECT_FALSE(r.rangeError);
  EXPECT_TRUE(r.versionFound());
  EXPECT_FALSE(r.upToDate);
  ASSERT_EQ(r.messageLines.size(), 3 + notes);
  EXPECT_EQ(r.messageLines[0], "New version of Vestrane released: 1.0.1.0");
  EXPECT_EQ(r.messageLines.back(), "Note " + std::to_string(notes - 1) + ": " + std::string(90, 'n'));
  ASSERT_EQ(r.urls.size(), notes / 1000 + 1);
  EXPECT_EQ(r.captions.back(), "Last");
  std::size_t kept = 0;
  for (const std::string& line : r.messageLines) kept += line.size();
  for (std::size_t i = 0; i < r.urls.size(); ++i) kept += r.urls[i].size() + r.captions[i].size();
  EXPECT_LT(kept, text.size());
}

TEST(HostileVersionFileTest, TenThousandLinkLines) {
  ServedBody http;
  http.body = "1.0.0.3\r\n";
  for (int i = 0; i < 10000; ++i)
    http.body += "URL=Mirror " + std::to_string(i) + ";http://mirror" + std::to_string(i) + ".example/v.zip\r\n";
  http.body += "URL=;javascript:alert(1)\r\nURL=Here;file:///C:/Windows/system32/cmd.exe\r\n";
  Settings settings;
  FakeServices services;
  RecordingUpdateView view;
  UpdateChecker checker(settings, http, services, view);
  checker.ProgName = "Vestrane";
  checker.ProgVersion = TVersion{1, 0, 0, 3};
  checker.now = [] { return 45000.5; };
  checker.CheckUpdates(true);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(view.shown, 1);
  EXPECT_EQ(view.lines, (std::vector<std::string>{"Your version of Vestrane (1.0.0.3) is actual", ""}));
  ASSERT_EQ(view.captions.size(), 10002u);
  ASSERT_EQ(checker.LinkList.size(), 10002u);
  EXPECT_EQ(view.captions[9999], "Mirror 9999");
  EXPECT_EQ(checker.LinkList[9999], "http://mirror9999.example/v.zip");
  EXPECT_EQ(settings.lastUpdate, 45000.5);
  // Only web addresses reach the shell.
  for (const std::string& link : checker.LinkList) checker.OpenLink(link);
  ASSERT_EQ(services.opened.size(), 10000u);
  EXPECT_EQ(services.opened.back(), "http://mirror9999.example/v.zip");
}
