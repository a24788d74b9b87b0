// SPDX-License-Identifier: MIT
// Reading tables: header search, column mapping, rows, the ignored-lines
// report, reading in two parts, what reading a file returns and what a load
// does to the work directory.

#include <gtest/gtest.h>

#include <random>

#include "TestSupport.h"
#include "app/core/Workbench.h"
#include "fakes/FakeServices.h"
#include "platform/core/Messages.h"
#include "platform/core/Text.h"
#include "table/TableFile.h"
#include "table/TableReader.h"
#include "table/TableWriter.h"

using namespace vestrane;
using vestrane::testing::FakeServices;
using vestrane::testing::TempDir;
using vestrane::testing::simpleSettings;
using vestrane::testing::writeBytes;

namespace {

class TableReaderTest : public vestrane::testing::WorkbenchTest {
 protected:

  bool parse(std::string text) { return bench.ParseTableText(text); }
  std::string cell(int row, int col) { return std::string(table.cell(row, col)); }
};

}  // namespace

TEST_F(TableReaderTest, ReadsTheExampleTable) {
  std::string file = dir.file("example.tab");
  writeBytes(file,
             "Project X\r\n"
             "Sample ID\tArea\tMineral\tComment\tSiO2\r\n"
             "S-1\tA\tGARNET\trim\t38.5\r\n"
             "S-1\tB\t\tcore sample\t50.2\r\n"
             "S-2\tA\tOpx\tx\t1\r\n");
  ASSERT_TRUE(bench.LoadTableFile(file));

  ASSERT_EQ(table.columnCount(), 7);
  EXPECT_EQ(table.caption(0), "Select");
  EXPECT_EQ(table.caption(1), "Sample ID");
  EXPECT_EQ(table.caption(5), "Comment");
  EXPECT_EQ(table.caption(6), "SiO2");
  ASSERT_EQ(table.rowCount(), 1);
  EXPECT_TRUE(table.isChecked(0));
  EXPECT_EQ(table.rowLabel(0), "0");
  EXPECT_EQ(cell(0, 1), "S-1");
  EXPECT_EQ(cell(0, 2), "A");
  EXPECT_EQ(cell(0, 3), "Garnet");
  EXPECT_EQ(cell(0, 4), "-");
  EXPECT_EQ(cell(0, 5), "rim");
  EXPECT_EQ(cell(0, 6), "38.5");
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0],
            "Warning! Ignored lines with mineral analyses:\r\n4: Mineral is not specified");
  EXPECT_EQ(bench.caption(), "Vestrane - example.tab");
  EXPECT_EQ(settings.workDirectory, dir.path());
  EXPECT_EQ(bench.saveDialogInitialDir, dir.path());
  EXPECT_EQ(bench.selectedRow(), 0);
  EXPECT_EQ(bench.point().sample, "S-1");
}

TEST_F(TableReaderTest, FormatErrorsLeaveTheTableAlone) {
  std::string empty = dir.file("empty.tab");
  writeBytes(empty, "");
  EXPECT_FALSE(bench.LoadTableFile(empty));
  std::string headerOnly = dir.file("header.tab");
  writeBytes(headerOnly, "Sample\tMineral\tSiO2\r\n");
  EXPECT_FALSE(bench.LoadTableFile(headerOnly));
  EXPECT_FALSE(parse("Sample\tMineral\tSiO2\nS1\tGrt\t38.5\n"));  // LF only: no CR at all
  EXPECT_FALSE(bench.LoadTableFile(dir.file("missing.tab")));
  ASSERT_EQ(services.messages.size(), 4u);
  EXPECT_EQ(services.messages[0], kMsgLessThanTwoRows);
  EXPECT_EQ(services.messages[1], kMsgNoHeader);
  EXPECT_EQ(services.messages[2], kMsgLessThanTwoRows);
  EXPECT_EQ(services.messages[3], "Error: can not open file " + dir.file("missing.tab"));
  EXPECT_EQ(table.rowCount(), 0);
  EXPECT_EQ(table.columnCount(), 5);
  EXPECT_EQ(bench.caption(), "Vestrane");
  EXPECT_NE(settings.workDirectory, dir.path());
}

TEST_F(TableReaderTest, SecondLoadAppendsAndMergesColumns) {
  std::string first = dir.file("first.tab");
  std::string second = dir.file("second.tab");
  writeBytes(first, "Sample\tArea\tMineral\tSiO2\r\nS1\tr1\tGarnet\t37.50\r\nS1\tr1\tBiotite\t35.0\r\n");
  writeBytes(second, "Sample\tArea\tMineral\tsio2\tMgO\r\nS2\tr2\tPl\t60.1\t0.01\r\n");
  ASSERT_TRUE(bench.LoadTableFile(first));
  ASSERT_TRUE(bench.LoadTableFile(second));
  ASSERT_EQ(table.rowCount(), 3);
  ASSERT_EQ(table.columnCount(), 7);
  EXPECT_EQ(table.caption(5), "SiO2");  // the merged column keeps its first caption
  EXPECT_EQ(table.caption(6), "MgO");
  EXPECT_EQ(table.rowLabel(2), "2");
  EXPECT_EQ(cell(2, 5), "60.1");
  EXPECT_EQ(cell(0, 6), "-");  // earlier rows read "-" in the new column
  EXPECT_EQ(cell(2, 6), "0.01");
  EXPECT_EQ(bench.caption(), "Vestrane - second.tab");
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(TableReaderTest, HeaderRecognition) {
  // A header that begins with a space is no header; fields with spaces around are trimmed.
  EXPECT_FALSE(parse(" Sample\t Mineral\r\nS1\tGarnet-rich-rock\r\n"));
  EXPECT_TRUE(parse("Junk\r\nSAMPLE \t  Mineral \tArea\tx\r\n"
                    "S1\tGrt\tr1\tlong enough line\r\n"));
  ASSERT_EQ(table.rowCount(), 1);
  EXPECT_EQ(table.caption(1), "SAMPLE");
  EXPECT_EQ(table.caption(3), "Mineral");
  EXPECT_EQ(cell(0, 2), "r1");

  // A later data line whose field starts with an alias re-maps the columns; a
  // short later header (17 bytes or fewer) is passed over.
  EXPECT_TRUE(parse("Sample\tMineral\tArea\r\n"
                    "Mineral\tSample\tArea\r\n"
                    "Grt\tS9\tr9 and more\r\n"
                    "Sample\tMineral\r\n"
                    "Bt\tS9\tr9 and more!\r\n"));
  ASSERT_EQ(table.rowCount(), 3);
  EXPECT_EQ(cell(1, 1), "S9");
  EXPECT_EQ(cell(1, 3), "Grt");
  EXPECT_EQ(cell(2, 3), "Bt");

  // Later headers are found by aliases of one, two and more bytes, in any
  // letter case, beside fields that begin like an alias and are none.
  settings.aliases.sample = {"SAMPLE", "Q", "ID"};
  settings.aliases.mineral = {"MINERAL", "PH"};
  for (const char* sampleField : {"sample", "Sample", "q", "Q9", "id", "iD", "Id no", "ID"})
    for (const char* mineralField : {"mineral", "MINERAL", "ph", "pH", "Phase"}) {
      bench.ClearTable();
      const std::string header = std::string("x\t") + sampleField + "\tArea\t" + mineralField;
      EXPECT_TRUE(parse("Sample\tArea\tMineral\r\n"
                        "Mi-7\tSa-1\tMo\tsomething long\r\n" +
                        header + "\t\tnote on the analyses\r\n" + "field one\tS2\tr2\tBt\r\n"))
          << header;
      ASSERT_EQ(table.rowCount(), 2) << header;
      EXPECT_EQ(cell(1, ColSample), "S2") << header;
      EXPECT_EQ(cell(1, ColMineral), "Bt") << header;
    }
  // A one-byte Sample alias alone makes a header: the line after it has no
  // Mineral column any more.
  bench.ClearTable();
  services.messages.clear();
  EXPECT_TRUE(parse("Sample\tArea\tMineral\r\nS1\tr1\tGrt\tsomething long\r\n"
                    "x\tq\tArea\tnote on the analyses\r\nfield one\tS2\tr2\tBt\r\n"));
  EXPECT_EQ(table.rowCount(), 1);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_NE(services.messages[0].find("4: Mineral is not specified"), std::string::npos);
}

TEST_F(TableReaderTest, SelectQuotesAndMissingValues) {
  std::string text =
      "Select\tSample\tArea\tMineral\tAnalysis\tNote\r\n"
      " 1 \tS1\tr1\tgarnet\ta1\tfirst\r\n"   // 1 with spaces: checked
      "\tS1\tr1\tGARNET\ta2\tsecond\r\n"     // empty: stays checked
      "\"1\"\tS1\tr1\tqUARTZ\ta3\tthird\r\n"  // quoted 1: unchecked
      "1.0\tS1\tr1\tBt\t\"\"\tfourth\r\n"     // 1.0: unchecked; "" gives an empty cell
      "yes\t\"\"\tr1\tBt\ta5\tfifth\r\n"      // empty Sample does not drop the row
      "1\tS1\tr1\t\"\"\ta6\tsixth\r\n"        // empty Mineral drops the row
      "1\tS1\tr1\t-\ta7\tseventh\r\n"         // "-" Mineral drops the row
      "1\t-\tr1\tBt\ta8\teighth\r\n"          // "-" Sample drops the row
      "1\tS1\tr1\r\n"                          // too short: passed over silently
      "\r\n"
      "1\tS1 long enough\tr1\r\n"              // too few fields for Mineral: dropped
      "0\tS1\tr1\tBt\ta9\tninth\textra\r\n";  // fields beyond the header are ignored
  ASSERT_TRUE(parse(text));
  ASSERT_EQ(table.rowCount(), 6);
  EXPECT_TRUE(table.isChecked(0));
  EXPECT_TRUE(table.isChecked(1));
  EXPECT_FALSE(table.isChecked(2));
  EXPECT_FALSE(table.isChecked(3));
  EXPECT_FALSE(table.isChecked(4));
  EXPECT_FALSE(table.isChecked(5));
  EXPECT_EQ(cell(0, 3), "Garnet");
  EXPECT_EQ(cell(1, 3), "Garnet");
  EXPECT_EQ(cell(2, 3), "Quartz");
  EXPECT_EQ(cell(3, 4), "");
  EXPECT_EQ(cell(4, 1), "");
  EXPECT_EQ(table.columnCount(), 6);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0],
            "Warning! Ignored lines with mineral analyses:"
            "\r\n7: Mineral is not specified"
            "\r\n8: Mineral is not specified"
            "\r\n9: Sample ID is not specified"
            "\r\n12: Mineral is not specified");
}

TEST_F(TableReaderTest, LineEndsOfPastedText) {
  // Lines ending with a lone CR lose the first character of each following line.
  ASSERT_TRUE(parse("Sample\tMineral\tArea\rXS1\tGrt\tr1 long enough\rXS2\tBt\tr2 long enough\r"));
  ASSERT_EQ(table.rowCount(), 2);
  EXPECT_EQ(cell(0, 1), "S1");
  EXPECT_EQ(cell(1, 1), "S2");
}

TEST_F(TableReaderTest, HeaderWithOnlyAnEmptyLineLoadsNoRows) {
  std::string file = dir.file("empty-rows.tab");
  writeBytes(file, "Sample\tMineral\tExtra\r\n\r\n");
  EXPECT_TRUE(bench.LoadTableFile(file));
  EXPECT_EQ(table.rowCount(), 0);
  EXPECT_EQ(table.columnCount(), 5);  // the extra column went away again
  EXPECT_EQ(bench.caption(), "Vestrane");
  EXPECT_EQ(settings.workDirectory, dir.path());
}

TEST_F(TableReaderTest, FailedLoadStillSelectsTheFirstRow) {
  ASSERT_TRUE(parse("Sample\tMineral\tArea\r\nS1\tGrt\tr1 long enough\r\nS2\tBt\tr2 long enough\r\n"));
  bench.setRowSelected(1, true);
  EXPECT_EQ(bench.point().sample, "S2");
  EXPECT_FALSE(parse("no header here\r\nnone\r\n"));
  EXPECT_EQ(bench.selectedRow(), 0);
  EXPECT_EQ(bench.point().sample, "S1");
  // A file that could not be read was never parsed: the selection stays.
  bench.setRowSelected(1, true);
  EXPECT_FALSE(bench.LoadTableFile(dir.file("missing.tab")));
  EXPECT_EQ(bench.selectedRow(), 1);
  EXPECT_EQ(bench.point().sample, "S2");
}

TEST(TableFileTest, ReadingAFileReturnsWhatItFound) {
  // The reader shows nothing: how far it got, the rows it added and its
  // messages in order come back to the caller, for a file parsed where it
  // lies (CR LF throughout) as for one converted first (LF).
  TempDir dir;
  const Settings settings = simpleSettings();
  AnalysisTable table;
  TableReader reader(table, settings.aliases);
  const std::string missing = dir.file("missing.tab");
  TableFileOptions mapped;
  mapped.mayMap = true;
  TableReadResult result = readTableFile(reader, missing, mapped);
  EXPECT_EQ(result.status, TableReadStatus::NotRead);
  EXPECT_EQ(result.messages, std::vector<std::string>{cannotOpenFileMessage(missing)});

  const std::string file = dir.file("table.tab");
  writeBytes(file, "no header here\nnone\n");
  result = readTableFile(reader, file, TableFileOptions());
  EXPECT_EQ(result.status, TableReadStatus::NotATable);
  EXPECT_EQ(result.messages, std::vector<std::string>{kMsgNoHeader});

  for (const char* end : {"\n", "\r\n"}) {
    writeBytes(file, std::string("Sample\tMineral\tArea") + end + "S1\tGrt\tr1 long enough" + end +
                         "-\tBt\tr2 long enough" + end + "S2\tBt\tr2 long enough" + end);
    result = readTableFile(reader, file, mapped);
    EXPECT_EQ(result.status, TableReadStatus::Read) << end;
    EXPECT_EQ(result.rowsAdded, 2) << end;
    EXPECT_EQ(result.messages, std::vector<std::string>{std::string(kMsgIgnoredLines) +
                                                        "\r\n3: Sample ID is not specified"})
        << end;
  }
  EXPECT_EQ(table.rowCount(), 4);
}

TEST_F(TableReaderTest, ManyColumnsAndFields) {
  // No limit on the number of columns: 600 extra columns all map.
  std::string header = "Sample\tMineral";
  std::string row = "S1\tGrt";
  for (int i = 0; i < 600; ++i) {
    header += "\tC" + std::to_string(i);
    row += "\t" + std::to_string(i);
  }
  ASSERT_TRUE(parse(header + "\r\n" + row + "\r\n"));
  ASSERT_EQ(table.columnCount(), 605);
  EXPECT_EQ(table.caption(604), "C599");
  EXPECT_EQ(cell(0, 604), "599");
}

TEST_F(TableReaderTest, CaseFollowsTheCodePage) {
  settings.aliases.mineral.push_back("MINÉRAL");  // UTF-8 alias
  // A UTF-8 header is upper-cased by Unicode rules; mineral names too.
  ASSERT_TRUE(parse("Sample\tminéral\tArea\r\nS1\tépidote\tr1 long enough\r\n"));
  EXPECT_EQ(table.caption(3), "minéral");
  EXPECT_EQ(cell(0, 3), "Épidote");
  // Bytes that are not UTF-8 are Windows-1252: 0xE9 upper-cases to 0xC9, and
  // the cell keeps the other bytes exactly.
  ASSERT_TRUE(parse(std::string("Sample\tMineral\tArea\r\nS\xE9\t\xE9pidote\tr1 long enough\r\n")));
  EXPECT_EQ(cell(1, 1), "S\xE9");
  EXPECT_EQ(cell(1, 3), "\xC9pidote");
}

TEST_F(TableReaderTest, MineralsReadBackAsSaved) {
  // EE B1 is not UTF-8, so it is capitalised as Windows-1252: 0xEE, i
  // circumflex, becomes 0xCE, and CE B1 is the UTF-8 of a small alpha.
  // Saving and loading the table again must not change the name again.
  ASSERT_TRUE(parse("Sample\tMineral\tArea\r\nS1\t\xEE\xB1\tr1 long enough\r\n"));
  const std::string first = cell(0, 3);
  EXPECT_EQ(first, "\xCE\x91");  // capital alpha
  std::string saved = SerializeTable(table);
  ASSERT_TRUE(parse(saved));
  ASSERT_EQ(table.rowCount(), 2);
  EXPECT_EQ(cell(1, 3), first);
  EXPECT_EQ(upperText(first), upperText(upperText(first)));
}

TEST_F(TableReaderTest, RowsFarRightStaySmall) {
  // A later header sends the second field to the last of 2,000 columns; rows
  // read under it hold one far cell and must not cost 2,000 cells each.
  std::string header = "Sample\tMineral";
  for (int i = 0; i < 2000; ++i) header += "\tC" + std::to_string(i);
  std::string text = header + "\r\nS0\tGrt\tfirst value\r\nSample\tC1999\tMineral\r\n";
  for (int i = 0; i < 1000; ++i) text += "S" + std::to_string(i) + "\tfar away " + std::to_string(i) + "\tGarnet\r\n";
  ASSERT_TRUE(parse(text));
  ASSERT_EQ(table.rowCount(), 1001);
  EXPECT_EQ(cell(0, 5), "first value");
  EXPECT_EQ(cell(0, 2004), "-");
  EXPECT_EQ(cell(500, 2004), "far away 499");
  EXPECT_EQ(cell(500, 3), "Garnet");
  EXPECT_EQ(cell(500, 5), "-");
  EXPECT_LT(table.memoryUsed(), 2u << 20);
  // Clearing drops the extra columns; cells of the old ones do not come back.
  bench.ClearTable();
  ASSERT_TRUE(parse("Sample\tMineral\tNew\r\nS1\tGarnet\tnew value\r\n"));
  EXPECT_EQ(cell(0, 5), "new value");
}

TEST_F(TableReaderTest, FileLoadAgreesWithParsedText) {
  // A file whose lines all end with CR LF is read where it lies, any other
  // is converted first; either way the table, the captions and the messages
  // are those of parsing the file's table text.
  std::mt19937 random(4242);
  auto pick = [&random](std::initializer_list<const char*> list) {
    return std::string(list.begin()[random() % list.size()]);
  };
  const char* ends[] = {"\r\n", "\r\n", "\r\n", "\n"};
  int rowsSeen = 0;
  for (int round = 0; round < 60; ++round) {
    std::string bytes = "Sample\tArea\tMineral\tC1\tC2\r\n";
    for (int line = static_cast<int>(random() % 40); line > 0; --line) {
      if (random() % 10 == 0) {
        // A further header, in another order or with other columns.
        bytes += pick({"Mineral\tSample\tC2\tArea", "SAMPLE\tmineral\tC3\tC1\tArea",
                       "Area\tSample\tMineral\tSample\tC4"});
      } else {
        bytes += pick({"S1", "s2", "-", "", " S1 ", "\"S3\""}) + '\t' + pick({"r1", "R1", "-", ""}) + '\t' +
                 pick({"Grt", "gRT", "\"Bt\"", "-", "", "\"", "ÉPIDOTE", "\xE9pidote", "pl"}) + '\t' +
                 pick({"analysis of a grain", "x", "-", "rim of garnet 2"});
        for (int f = static_cast<int>(random() % 4); f > 0; --f)
          bytes += '\t' + pick({"1.5", "-", "", "a longer analysis value", "0"});
      }
      bytes += random() % 8 == 0 ? "\n" : ends[random() % 3];
    }
    if (round % 5 == 0) bytes += "\n";  // a bare LF: the converting way
    if (round % 7 == 0) bytes += "S9\tr9\tGrt\ta last line without its end";

    std::string file = dir.file("agree" + std::to_string(round) + ".tab");
    writeBytes(file, bytes);
    Settings fileSettings = simpleSettings();
    FakeServices fileServices;
    Workbench fromFile(fileSettings, fileServices);
    fromFile.setMapTableFiles(round % 2 == 0);  // mapped and read files alike
    Settings textSettings = simpleSettings();
    FakeServices textServices;
    Workbench fromText(textSettings, textServices);
    std::string text = tableTextFromBytes(bytes);
    bool loaded = fromFile.LoadTableFile(file);
    ASSERT_EQ(loaded, fromText.ParseTableText(text)) << round;
    EXPECT_EQ(fileServices.messages, textServices.messages) << round;
    const AnalysisTable& a = fromFile.table();
    const AnalysisTable& b = fromText.table();
    ASSERT_EQ(a.rowCount(), b.rowCount()) << round;
    // A load that brings no row drops the extra columns it made.
    ASSERT_EQ(a.columnCount(), a.rowCount() == 0 ? kFixedColumns : b.columnCount()) << round;
    for (int c = 0; c < a.columnCount(); ++c) EXPECT_EQ(a.caption(c), b.caption(c)) << round;
    if (a.rowCount() > 0) {
      EXPECT_EQ(SerializeTable(a), SerializeTable(b)) << round;
    }
    EXPECT_EQ(a.pointCount(), b.pointCount()) << round;
    rowsSeen += a.rowCount();
  }
  EXPECT_GT(rowsSeen, 300);  // the tables compared were not all empty
}

TEST(TableReaderLinesTest, LinesAreCutAtEveryCrWhateverFollowsIt) {
  // Text that is not table text (pasted or built in memory) is cut at every
  // CR, and the byte after a CR is passed over whatever it is. Reading it
  // must give what reading the same lines joined by CR LF gives: the same
  // rows, captions and messages. TABs, CRs and bytes above 127 fall at every
  // position of the wide scans.
  std::mt19937 random(9090);
  auto pick = [&random](std::initializer_list<const char*> list) {
    return std::string(list.begin()[random() % list.size()]);
  };
  Settings settings = simpleSettings();
  settings.aliases.mineral.push_back("MIN\xC3\x89RAL");
  settings.aliases.sample.push_back("\xC3\x89" "CHANTILLON");
  int rowsSeen = 0;
  for (int round = 0; round < 300; ++round) {
    std::string text = "Sample\tArea\tMineral\tC1\tC2\r\n";
    for (int line = static_cast<int>(random() % 30); line > 0; --line) {
      if (random() % 8 == 0) {
        text += pick({"\xC3\xA9" "chantillon\tmin\xC3\xA9ral\tArea\tC2\tC1", "Mineral\tSample\tC2\tArea",
                      "min\xC3\xA9ral\tC1\tArea"});
      } else {
        for (int f = 1 + static_cast<int>(random() % 7); f > 0; --f)
          text += pick({"S1", "Grt", "Bt", "a longer analysis value of garnet", "", "-", "\xC3\xA9", "\xE9",
                        "12.5", "r1"}) + (f > 1 ? "\t" : "");
      }
      // Mostly CR LF; else a CR followed by a TAB, a letter or a byte above 127.
      text += random() % 4 ? std::string("\r\n") : "\r" + pick({"\t", "x", "\xE9", "\r", "\t\t"});
    }
    std::string joined;
    for (std::size_t pos = 0; pos < text.size();) {
      std::size_t cr = text.find('\r', pos);
      if (cr == std::string::npos) cr = text.size();
      joined.append(text, pos, cr - pos);
      joined += "\r\n";
      pos = cr + 2;
    }
    FakeServices cutServices, joinedServices;
    Settings cutSettings = settings, joinedSettings = settings;
    Workbench cut(cutSettings, cutServices), whole(joinedSettings, joinedServices);
    std::string a = text, b = joined;
    ASSERT_EQ(cut.ParseTableText(a), whole.ParseTableText(b)) << round;
    EXPECT_EQ(cutServices.messages, joinedServices.messages) << round;
    ASSERT_EQ(cut.table().columnCount(), whole.table().columnCount()) << round;
    for (int c = 0; c < cut.table().columnCount(); ++c)
      EXPECT_EQ(cut.table().caption(c), whole.table().caption(c)) << round;
    EXPECT_EQ(SerializeTable(cut.table()), SerializeTable(whole.table())) << round;
    rowsSeen += cut.table().rowCount();
  }
  EXPECT_GT(rowsSeen, 500);  // the tables compared were not all empty

  // A further header that only the full test finds (no field begins with
  // an alias in ASCII terms), its first byte above 127 at every position:
  // it maps the line after it, and is no row itself.
  for (std::size_t pad = 1; pad < 40; ++pad) {
    Settings padSettings = settings;
    FakeServices padServices;
    Workbench bench(padSettings, padServices);
    std::string text = "Sample\tArea\tMineral\tC1\r\nS1\tr1\tGrt\tfirst analysis\r\n" + std::string(pad, 'x') +
                       "\t\xC3\xA9" "chantillon\tmin\xC3\xA9ral\tArea\r\nfield one\tS2\tBt\tr2\r\n";
    ASSERT_TRUE(bench.ParseTableText(text)) << pad;
    ASSERT_EQ(bench.table().rowCount(), 2) << pad;
    EXPECT_EQ(bench.table().cell(1, ColSample), "S2") << pad;
    EXPECT_EQ(bench.table().cell(1, ColMineral), "Bt") << pad;
  }
}

TEST(TableReaderSplitTest, ReadingInTwoPartsGivesWhatReadingLineByLineGives) {
  // A text read in two parts at once (cut wherever the middle falls) must
  // give the rows, their order, the points, the captions and the messages
  // of reading it line by line: with further headers before and after the
  // cut, dropped lines on both sides, stray CRs, quotes, minerals to be
  // capitalised, and rows loaded before that later rows join.
  std::mt19937 random(31337);
  auto pick = [&random](std::initializer_list<const char*> list) {
    return std::string(list.begin()[random() % list.size()]);
  };
  struct Reading {
    AnalysisTable table;
    TableReadResult result;
  };
  auto read = [](Reading& r, const Settings& settings, std::string text, std::size_t splitFrom) {
    TableReader reader(r.table, settings.aliases);
    reader.splitFrom = splitFrom;
    r.result = reader.ParseTableText(text);
  };
  const Settings settings = simpleSettings();
  // Lists long enough to be looked up by hashing, grown by aliases that
  // never occur: the second reader tests lines with the first reader's
  // index, in this form as well, both reading at once.
  Settings hashed = settings;
  for (int i = 0; i < 40; ++i) {
    hashed.aliases.sample.push_back("ZQ" + std::to_string(i));
    hashed.aliases.mineral.insert(hashed.aliases.mineral.begin(), "ZR" + std::to_string(i));
  }
  AnalysisTable probe;
  const std::size_t defaultSplitFrom = TableReader(probe, settings.aliases).splitFrom;
  int splitRounds = 0;
  for (int round = 0; round < 400; ++round) {
    const bool big = round == 0;  // one text over the default size, read with the default
    std::string before = "Sample\tArea\tMineral\tAnalysis\r\nS1\tr1\tGrt\tloaded before the text\r\n";
    std::string text = pick({"", "a line before the header\r\n"}) + "Sample\tArea\tMineral\tC1\tC2\r\n";
    const int lines = big ? 60000 : static_cast<int>(random() % 60);
    for (int line = 0; line < lines; ++line) {
      if (random() % 25 == 0) {
        text += pick({"Mineral\tSample\tC2\tArea", "SAMPLE\tmineral\tC3\tC1\tArea", "Area\tSample\tMineral\tC4"});
      } else {
        text += pick({"S1", "s2", "-", "", "\"S3\""}) + '\t' + pick({"r1", "R1", "-"}) + '\t' +
                pick({"Grt", "gRT", "\"Bt\"", "-", "", "\xC3\xA9pidote", "pl"}) + '\t' +
                pick({"analysis of a grain", "x", "rim of garnet 2"}) + '\t' + pick({"1.5", "-", "0"});
      }
      text += random() % 12 ? std::string("\r\n") : pick({"\r", "\rx", "\r\r\n"});
    }
    if (random() % 3 == 0) text += "S9\tr9\tGrt\ta last line without its end";

    Reading lineByLine, inTwo;
    const Settings& inTwoSettings = round % 4 == 3 ? hashed : settings;
    if (round % 2) {
      read(lineByLine, settings, before, static_cast<std::size_t>(-1));
      read(inTwo, inTwoSettings, before, static_cast<std::size_t>(-1));
    }
    read(lineByLine, settings, text, static_cast<std::size_t>(-1));
    read(inTwo, inTwoSettings, text, big ? defaultSplitFrom : 1 + random() % 64);
    if (big) {
      ASSERT_GT(text.size(), defaultSplitFrom);
    }

    ASSERT_EQ(inTwo.result.status, lineByLine.result.status) << round;
    EXPECT_EQ(inTwo.result.rowsAdded, lineByLine.result.rowsAdded) << round;
    EXPECT_EQ(inTwo.result.messages, lineByLine.result.messages) << round;
    const AnalysisTable& a = inTwo.table;
    const AnalysisTable& b = lineByLine.table;
    ASSERT_EQ(a.columnCount(), b.columnCount()) << round;
    for (int c = 0; c < a.columnCount(); ++c) EXPECT_EQ(a.caption(c), b.caption(c)) << round;
    ASSERT_EQ(a.rowCount(), b.rowCount()) << round;
    EXPECT_EQ(SerializeTable(a), SerializeTable(b)) << round;
    ASSERT_EQ(a.pointCount(), b.pointCount()) << round;
    for (int p = 0; p < a.pointCount(); ++p) EXPECT_EQ(a.pointRows(p), b.pointRows(p)) << round;
    splitRounds += a.rowCount() > 10;
  }
  EXPECT_GT(splitRounds, 100);

  // Many texts read in two parts into one table: the table keeps the rows
  // of each worker where the worker stored them, up to a limit, and copies
  // them over after that.
  Reading lineByLine, inTwo;
  for (int load = 0; load < 300; ++load) {
    std::string text = "Sample\tArea\tMineral\tAnalysis\r\n";
    for (int line = 0; line < 4; ++line)
      text += "S" + std::to_string(load % 7) + "\tr" + std::to_string(line % 2) + "\tGrt\tanalysis " +
              std::to_string(load) + "\r\n";
    read(lineByLine, settings, text, static_cast<std::size_t>(-1));
    read(inTwo, settings, text, 1);
  }
  ASSERT_EQ(inTwo.table.rowCount(), 1200);
  EXPECT_EQ(SerializeTable(inTwo.table), SerializeTable(lineByLine.table));
  ASSERT_EQ(inTwo.table.pointCount(), lineByLine.table.pointCount());
  for (int p = 0; p < inTwo.table.pointCount(); ++p)
    EXPECT_EQ(inTwo.table.pointRows(p), lineByLine.table.pointRows(p));
}

TEST_F(TableReaderTest, LargeFileReadInTwoPartsAsCheckedInTwo) {
  // A file of several megabytes is checked in two parts at once and read in
  // two parts cut at the same line; mapped or read, it gives what reading
  // its text line by line gives, and reserves no more capacity than that.
  // Further headers fall in the second part only (the second reader stops
  // at the first), or in the first (the second part is read again).
  for (int headerEvery : {0, 2500, 700}) {
    std::string bytes = "A line before the header\r\nSample\tArea\tMineral\tAnalysis\tSiO2\r\n";
    for (int line = 0; bytes.size() < (5u << 20); ++line) {
      if (headerEvery && line % headerEvery == headerEvery - 1 && (headerEvery < 1000 || line > 100000))
        bytes += "Mineral\tSample\tArea\tAnalysis\tSiO2\tNote\r\n";
      bytes += (line % 977 == 0 ? std::string("-") : "S" + std::to_string(line % 89)) + "\tr" +
               std::to_string(line % 3) + "\tGrt\tanalysis " + std::to_string(line) + "\t37.25\r\n";
    }
    RowCapacity capacity;
    ASSERT_TRUE(isTableText(bytes, &capacity));
    ASSERT_GT(capacity.secondFrom, 0u);  // the check went in two parts

    AnalysisTable lineByLine;
    TableReader reader(lineByLine, settings.aliases);
    reader.splitFrom = static_cast<std::size_t>(-1);
    const TableReadResult lineResult = reader.parseTableView(bytes);
    ASSERT_TRUE(lineResult.read());
    EXPECT_EQ(lineResult.messages.size(), 1u);  // the dropped lines

    const std::string file = dir.file("large.tab");
    writeBytes(file, bytes);
    for (bool mapped : {false, true}) {
      Settings fileSettings = simpleSettings();
      FakeServices fileServices;
      Workbench fromFile(fileSettings, fileServices);
      fromFile.setMapTableFiles(mapped);
      ASSERT_TRUE(fromFile.LoadTableFile(file));
      EXPECT_EQ(fileServices.messages, lineResult.messages) << headerEvery;
      const AnalysisTable& a = fromFile.table();
      ASSERT_EQ(a.rowCount(), lineByLine.rowCount()) << headerEvery;
      for (int c = 0; c < a.columnCount(); ++c) EXPECT_EQ(a.caption(c), lineByLine.caption(c));
      EXPECT_EQ(SerializeTable(a), SerializeTable(lineByLine)) << headerEvery;
      ASSERT_EQ(a.pointCount(), lineByLine.pointCount()) << headerEvery;
      for (int p = 0; p < a.pointCount(); ++p) EXPECT_EQ(a.pointRows(p), lineByLine.pointRows(p));
      EXPECT_LT(a.memoryUsed(), lineByLine.memoryUsed() + lineByLine.memoryUsed() / 10) << headerEvery;
    }
  }
}
