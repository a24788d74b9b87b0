// SPDX-License-Identifier: MIT
// Reading .xls workbooks: the golden analyses loaded, the cells FreeXL gives
// wrong or not at all, and the files that are refused (the golden sheets
// are read in goldentest.cpp, alike for every workbook format).

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/core/Messages.h"
#include "table/XlsReader.h"

using namespace vestrane;
using vestrane::testing::readBytes;
using vestrane::testing::writeBytes;

namespace {

constexpr std::size_t kLimit = std::size_t(1) << 20;

std::string golden(const std::string& name) {
  return std::string(VESTRANE_SOURCE_DIR) + "/tests/data/golden/" + name;
}

Workbook readWorkbook(const std::string& path) {
  Workbook book;
  std::string reason;
  EXPECT_TRUE(readXlsWorkbook(path, kLimit, book, reason)) << reason;
  return book;
}

class XlsReaderTest : public vestrane::testing::WorkbenchTest {
 protected:
  int column(const std::string& caption) const {
    for (int c = 0; c < table.columnCount(); ++c) {
      if (table.caption(c) == caption) return c;
    }
    ADD_FAILURE() << "no column " << caption;
    return 0;
  }
  std::string cellOf(int row, const std::string& caption) const {
    return std::string(table.cell(row, column(caption)));
  }
};

}  // namespace

TEST_F(XlsReaderTest, GoldenAnalysesReadAsTheirTabText) {
  Workbook book = readWorkbook(golden("analyses.xls"));
  ASSERT_EQ(book.sheets.size(), 1u);
  EXPECT_EQ(book.sheets[0].name, "Analyses");
  EXPECT_FALSE(book.sheets[0].hidden);
  EXPECT_EQ(book.formulasWithoutValue(), 0);
  const std::string tab = readBytes(golden("analyses.tab"));
  ASSERT_EQ(book.sheets[0].text, tab);

  // Loaded, the sheet holds the stored numbers and dates as they are, not
  // as the workbook shows them.
  load(book.sheets[0].text);
  ASSERT_EQ(table.rowCount(), 12);
  EXPECT_EQ(cellOf(5, "SiO2"), "40.26702");  // shown as 40.27
  EXPECT_EQ(cellOf(1, "K2O"), "<0.01");
  EXPECT_EQ(cellOf(3, "MnO"), "1E-05");
  EXPECT_EQ(cellOf(4, "Na2O"), "-0.01");
  EXPECT_EQ(cellOf(4, "Date"), "2023-03-16 14:30:00");
  EXPECT_EQ(cellOf(1, "Comment"), "rim, near Bt see note");
  EXPECT_EQ(cellOf(4, "Comment"), "grenat \xC3\xA0 c\xC5\x93ur");
  EXPECT_EQ(checkFlags(), "111101111111");
}

TEST_F(XlsReaderTest, BooleansErrorsFormulaResultsAndDatesAsTheirText) {
  // FreeXL gives booleans and errors as 0 and 1, formulas as empty cells,
  // a time without its date and 45000.999999 as "24:00:00". The last row:
  // formula results formatted as a date, an elapsed time and a number
  // with a quoted "d".
  Workbook book = readWorkbook(golden("xls-cells.xls"));
  ASSERT_EQ(book.sheets.size(), 1u);
  EXPECT_EQ(book.sheets[0].text,
            "TRUE\tFALSE\t#N/A\t#DIV/0!\t1\r\n"
            "3.5\tTRUE\t#DIV/0!\tGrt\xE2\x80\x93" "core\t\r\n"
            "2023-03-15 12:30:05\t1899-12-31 12:30:05\t2023-03-16\t1900-02-29\t\r\n"
            "2023-03-15 12:00:00\t2023-03-15 12:00:00\t45000.5\t\t\r\n");
  EXPECT_EQ(book.formulasWithoutValue(), 1);
}

TEST_F(XlsReaderTest, RefusalsLeaveTheWorkbookEmpty) {
  const std::string bytes = readBytes(golden("analyses.xls"));
  const std::string truncated = dir.file("truncated.xls");
  writeBytes(truncated, bytes.substr(0, bytes.size() / 2));
  const std::string text = dir.file("text.xls");
  writeBytes(text, "Sample\tMineral\r\nS1\tGrt\r\n");
  struct Case {
    std::string path;
    std::size_t limit;
    std::string reason;
  } cases[] = {
      {truncated, kLimit, kReasonXlsDamaged},
      {text, kLimit, kReasonXlsDamaged},
      {dir.file("missing.xls"), kLimit, kReasonCannotOpenXls},
      // FreeXL would read past its buffers on these two.
      {golden("outside-dimensions.xls"), kLimit, kReasonXlsDamaged},
      {golden("cell-twice.xls"), kLimit, kReasonXlsDamaged},
      {golden("extra-substream.xls"), kLimit, kReasonXlsDamaged},
      {golden("long-format.xls"), kLimit, kReasonXlsDamaged},
      {golden("empty-entry-name.xls"), kLimit, kReasonXlsDamaged},
      {golden("sector-places.xls"), kLimit, kReasonXlsDamaged},
      {golden("long-entry-name.xls"), kLimit, kReasonXlsDamaged},
      {golden("no-workbook.xls"), kLimit, kReasonNoWorkbook},
      {golden("excel95.xls"), kLimit, kReasonOldExcel},
      {golden("encrypted-package.xlsx"), kLimit, kReasonPasswordProtected},
      {golden("encrypted.xls"), kLimit, kReasonPasswordProtected},
      {golden("analyses.xls"), 4096, tooLargeReason(4096)},
      {golden("far-cell.xls"), kLimit, tooLargeReason(kLimit)},
  };
  for (const Case& c : cases) {
    Workbook book;
    book.sheets.resize(1);
    book.sheets[0].formulasWithoutValue = 3;
    std::string reason;
    EXPECT_FALSE(readXlsWorkbook(c.path, c.limit, book, reason)) << c.path;
    EXPECT_EQ(reason, c.reason) << c.path;
    EXPECT_TRUE(book.sheets.empty()) << c.path;
    EXPECT_EQ(book.formulasWithoutValue(), 0) << c.path;
  }
}
