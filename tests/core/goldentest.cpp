// SPDX-License-Identifier: MIT
// The golden fixtures (tests/data/golden/, made by make-golden.py): the same
// analyses as TAB, CSV, .xlsx, .ods and .xls give the same table text and,
// read by the table reader, the same saved table; the same sheets layout
// reads alike from the three workbook formats.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "table/CsvText.h"
#include "table/InputKind.h"
#include "table/XlsReader.h"
#include "table/ZipWorkbook.h"

using namespace vestrane;
using vestrane::testing::readBytes;
using vestrane::testing::savedTableOf;

namespace {

constexpr std::size_t kLimit = std::size_t(1) << 20;

std::string golden(const std::string& name) {
  return std::string(VESTRANE_SOURCE_DIR) + "/tests/data/golden/" + name;
}

/// The sheets of the file @p name, told by its bytes as a load tells them;
/// text gives one sheet of its table text.
Workbook sheetsOf(const std::string& name) {
  const std::string path = golden(name);
  const std::string bytes = readBytes(path);
  EXPECT_FALSE(bytes.empty()) << name;
  const InputFormat format = inputFormatOf(bytes, name);
  Workbook book;
  std::string reason;
  switch (format.kind) {
    case InputKind::TabText:
      book.sheets.push_back({name, false, bytes});
      break;
    case InputKind::DelimitedText:
      book.sheets.emplace_back();
      EXPECT_TRUE(csvTableText(bytes, format.delimiter, kLimit, book.sheets[0].text)) << name;
      break;
    case InputKind::Zip:
      EXPECT_TRUE(readZipWorkbook(bytes, kLimit, book, reason)) << name << ": " << reason;
      break;
    case InputKind::Ole2:
      EXPECT_TRUE(readXlsWorkbook(path, kLimit, book, reason)) << name << ": " << reason;
      break;
  }
  return book;
}

/// The sheets of "sheets.expected": a line "== NAME" (with " (hidden)" for a
/// hidden sheet) before each sheet's table text.
std::vector<SheetTable> expectedSheets() {
  std::string text = readBytes(golden("sheets.expected"));
  std::vector<SheetTable> sheets;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find("\r\n", pos);
    std::string line = text.substr(pos, end - pos);
    pos = end + 2;
    if (line.rfind("== ", 0) == 0) {
      SheetTable sheet;
      sheet.name = line.substr(3);
      const std::string hidden = " (hidden)";
      if (sheet.name.size() > hidden.size() &&
          sheet.name.compare(sheet.name.size() - hidden.size(), hidden.size(), hidden) == 0) {
        sheet.name.resize(sheet.name.size() - hidden.size());
        sheet.hidden = true;
      }
      sheets.push_back(sheet);
    } else if (!sheets.empty()) {
      sheets.back().text += line + "\r\n";
    }
  }
  return sheets;
}

}  // namespace

TEST(GoldenTest, TheSameAnalysesInEveryFormatGiveTheSameTable) {
  struct Case {
    const char* file;
    const char* tab;  ///< the TAB file it reads as
  };
  const Case cases[] = {
      {"analyses-comma.csv", "analyses.tab"},
      {"analyses-quoted.csv", "analyses.tab"},
      {"analyses.xlsx", "analyses.tab"},
      {"analyses.ods", "analyses.tab"},
      {"analyses.xls", "analyses.tab"},
      // Decimal commas stay as written.
      {"analyses-semicolon.csv", "analyses-decimal-comma.tab"},
  };
  for (const char* tab : {"analyses.tab", "analyses-decimal-comma.tab"}) {
    // The TAB files read as TAB text, whatever cells hold commas.
    EXPECT_EQ(inputFormatOf(readBytes(golden(tab)), tab).kind, InputKind::TabText) << tab;
  }
  const std::string savedTab = savedTableOf(readBytes(golden("analyses.tab")));
  const std::string savedDecimalComma = savedTableOf(readBytes(golden("analyses-decimal-comma.tab")));
  ASSERT_NE(savedTab, savedDecimalComma);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Workbook book = sheetsOf(c.file);
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_FALSE(book.sheets[0].hidden);
    EXPECT_EQ(book.formulasWithoutValue(), 0);
    const std::string tab = readBytes(golden(c.tab));
    EXPECT_EQ(book.sheets[0].text, tab);
    EXPECT_EQ(savedTableOf(book.sheets[0].text), savedTableOf(tab));
  }
}

TEST(GoldenTest, SheetsReadAlikeFromEveryWorkbookFormat) {
  // A text-only sheet, a merged title over a header on row 3, a hidden
  // sheet, dates of the 1904 system, totals that are formulas with a cached
  // value except on the Biotite sheet.
  const std::vector<SheetTable> expected = expectedSheets();
  ASSERT_GE(expected.size(), 4u);
  for (const char* file : {"sheets.xlsx", "sheets.ods", "sheets.xls"}) {
    SCOPED_TRACE(file);
    Workbook book = sheetsOf(file);
    ASSERT_EQ(book.sheets.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(book.sheets[i].name, expected[i].name);
      EXPECT_EQ(book.sheets[i].hidden, expected[i].hidden) << expected[i].name;
      EXPECT_EQ(book.sheets[i].text, expected[i].text) << expected[i].name;
    }
    EXPECT_EQ(book.formulasWithoutValue(), 2);
  }
}
