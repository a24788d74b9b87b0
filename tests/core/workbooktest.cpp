// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "WorkbookFiles.h"
#include "table/NumberFormat.h"
#include "table/XlsxParts.h"
#include "table/ZipWorkbook.h"

namespace vestrane {
namespace {

using testing::XlsxFile;
using testing::worksheet;
using testing::zipOf;

constexpr std::size_t kLimit = std::size_t(1) << 20;

const char* kStyles =
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"yyyy\\-mm\\-dd\\ hh:mm\"/>"
    "<numFmt numFmtId=\"165\" formatCode=\"0.0&quot; d&quot;\"/></numFmts>"
    // Cell style formats are not cell formats; a dxf's format is no number format.
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"14\"/></cellStyleXfs>"
    "<cellXfs count=\"5\"><xf numFmtId=\"0\"/><xf numFmtId=\"2\"/><xf numFmtId=\"14\"/>"
    "<xf numFmtId=\"164\"/><xf numFmtId=\"165\"/></cellXfs>"
    "<dxfs><dxf><numFmt numFmtId=\"14\" formatCode=\"General\"/></dxf></dxfs></styleSheet>";

Workbook readOk(const std::string& bytes) {
  Workbook out;
  std::string reason;
  EXPECT_TRUE(readZipWorkbook(bytes, kLimit, out, reason)) << reason;
  return out;
}

TEST(XlsxReaderTest, CellsGiveTheirStoredValues) {
  XlsxFile file;
  file.styles = kStyles;
  file.sharedStrings =
      "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<si><r><t xml:space=\"preserve\">Garnet </t></r><r><rPr><b/></rPr><t>core</t></r>"
      "<rPh sb=\"0\" eb=\"1\"><t>ガ</t></rPh><phoneticPr fontId=\"1\"/></si>"
      "<si><t>Sample</t></si><si><t>MP-12A</t></si></sst>";
  file.sheets.push_back({"Data", worksheet(
      // A title merged over three cells: its value stands in A1 only.
      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" s=\"0\"/></row>"
      // Cells without r follow the one before.
      "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>1</v></c>"
      "<c t=\"inlineStr\"><is><r><t>Si</t></r><r><t>O2</t></r></is></c>"
      "<c t=\"str\"><f>\"Al2O3\"</f><v>Al2O3</v></c>"
      "<c t=\"inlineStr\"><is><t>a_x000D_b</t></is></c></row>"
      "<row r=\"4\"><c r=\"A4\" t=\"s\"><v>2</v></c>"
      "<c r=\"B4\" s=\"1\"><v>40.267020000000002</v></c>"    // shown as 40.27
      "<c r=\"C4\"><f>B4/2</f><v>20.859999999999999</v></c>"
      "<c r=\"D4\"><f>B4*2</f></c>"                          // no cached value
      "<c r=\"E4\"><f t=\"shared\" si=\"0\"/><v></v></c>"    // an empty one
      "<c r=\"F4\" t=\"b\"><v>1</v></c><c r=\"G4\" t=\"e\"><f>NA()</f><v>#N/A</v></c>"
      "<c r=\"H4\" s=\"2\"><v>45000</v></c><c r=\"I4\" s=\"3\"><v>45000.5</v></c>"
      "<c r=\"J4\" s=\"4\"><v>2.5</v></c><c r=\"K4\"><v>-0</v></c>"
      "<c r=\"L4\" s=\"9\"><v>1.0000000000000001E-7</v></c></row>"
      "</sheetData><mergeCells count=\"1\"><mergeCell ref=\"A1:C1\"/></mergeCells><sheetData>"), ""});
  Workbook book = readOk(file.zip());
  ASSERT_EQ(book.sheets.size(), 1u);
  EXPECT_EQ(book.sheets[0].name, "Data");
  EXPECT_EQ(book.sheets[0].text,
            "Garnet core\t\t\t\t\t\t\t\t\t\t\t\r\n"
            "Sample\tSiO2\tAl2O3\ta b\t\t\t\t\t\t\t\t\r\n"
            "\r\n"
            "MP-12A\t40.26702\t20.86\t\t\tTRUE\t#N/A\t2023-03-15\t2023-03-15 12:00:00\t2.5\t0\t1E-07\r\n");
  EXPECT_EQ(book.formulasWithoutValue(), 2);
}

TEST(NumberFormatTest, DateFormatsByTheirCodesAndIds) {
  for (const char* code : {"yyyy-mm-dd", "[$-409]d-mmm-yy", "h:mm AM/PM", "[h]:mm:ss", "mm:ss.0",
                           "[h]", "\"Day\" d", "D.M.YYYY;@"})
    EXPECT_TRUE(isDateFormatCode(code)) << code;
  for (const char* code : {"General", "0.00", "[Red]0.00", "0.00_);[Red](0.00)", "0.0\\d",
                           "#,##0\" ms\"", "*d0", "0.0E+00", "@", "0;\"d\"m", "0.00;[h]",
                           "\"unclosed d"})
    EXPECT_FALSE(isDateFormatCode(code)) << code;
  // Built-in ids: 14-22, 45-47 everywhere, 27-36, 50-58 in East Asian locales.
  std::string dates;
  for (long id = 0; id < 64; ++id) dates += isBuiltInDateFormat(id) ? '1' : '0';
  EXPECT_EQ(dates, "0000000000000011111111100001111111111000000001110011111111100000");
  // A format the workbook defines decides for its id, a built-in one's too.
  DateFormats formats;
  formats.addFormat(164, "dd/mm/yyyy");
  formats.addFormat(14, "0.00");
  formats.addFormat(165, "0.000");
  for (long id : {0L, 14L, 164L, 165L, 22L, 999L}) formats.addCellFormat(id);
  EXPECT_EQ(formats.dateCellFormats(), std::vector<bool>({false, false, true, false, true, false}));
}

TEST(XlsxReaderTest, EverySheetInTheWorkbooksOrderWithHiddenOnesMarked) {
  XlsxFile file;
  file.styles = kStyles;
  file.sheets.push_back({"Info", worksheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>"
                                           "Analyses of 2026</t></is></c></row>"), ""});
  file.sheets.push_back({"Grt", worksheet("<row><c><v>1</v></c></row>"), "hidden"});
  file.sheets.push_back({"Bt", worksheet(""), "veryHidden"});
  // Another prefix for the spreadsheet namespace reads the same.
  file.sheets.push_back({"Pl",
                         "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/"
                         "2006/main\"><x:sheetData><x:row r=\"2\"><x:c r=\"B2\" s=\"2\"><x:v>0"
                         "</x:v></x:c></x:row></x:sheetData></x:worksheet>", ""});
  Workbook book = readOk(file.zip());
  ASSERT_EQ(book.sheets.size(), 4u);
  EXPECT_EQ(book.sheets[0].name, "Info");
  EXPECT_FALSE(book.sheets[0].hidden);
  EXPECT_EQ(book.sheets[0].text, "Analyses of 2026\r\n");
  EXPECT_EQ(book.sheets[1].name, "Grt");
  EXPECT_TRUE(book.sheets[1].hidden);
  EXPECT_EQ(book.sheets[1].text, "1\r\n");
  EXPECT_TRUE(book.sheets[2].hidden);
  EXPECT_EQ(book.sheets[2].text, "");
  EXPECT_FALSE(book.sheets[3].hidden);
  EXPECT_EQ(book.sheets[3].text, "\r\n\t1899-12-31\r\n");

  // The 1904 date system counts from its own epoch.
  file.date1904 = true;
  file.sheets = {{"Grt", worksheet("<row><c s=\"2\"><v>43538</v></c><c s=\"3\"><v>0</v></c></row>"), ""}};
  EXPECT_EQ(readOk(file.zip()).sheets[0].text, "2023-03-15\t1904-01-01\r\n");
}

struct Refusal {
  const char* what;
  std::string bytes;
  std::size_t limit;
  std::string reason;
};

TEST(ZipWorkbookTest, RefusalsLeaveTheWorkbookAsItWas) {
  const std::string sharedStrings =
      "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>x</t></si></sst>";
  auto xlsx = [&](const std::string& sheetXml, const std::string& strings = std::string()) {
    XlsxFile file;
    file.sharedStrings = strings;
    file.sheets.push_back({"Grt", sheetXml, ""});
    return file.zip();
  };
  const std::string good = xlsx(worksheet("<row><c><v>1</v></c></row>"));
  // A stored sheet changed after it was packed: its checksum no longer fits.
  XlsxFile storedFile;
  storedFile.sheets.push_back({"Grt", worksheet("<row><c><v>1</v></c></row>"), ""});
  std::string changed = zipOf(storedFile.entries(), true);
  const std::size_t cell = changed.find("<v>1</v>");
  ASSERT_NE(cell, std::string::npos);
  changed[cell + 3] = '2';
  // A part that unpacks to megabytes from a few kilobytes.
  const std::string bomb = xlsx(worksheet(std::string(3 << 20, ' ')));
  ASSERT_LT(bomb.size(), 64u << 10);
  std::string wide;
  for (int i = 0; i < 20000; ++i) wide += "<c t=\"s\"><v>0</v></c>";
  // Two sheets within the limit each, past it together.
  XlsxFile twoFile;
  twoFile.sharedStrings = "<sst><si><t>" + std::string(100, 'x') + "</t></si></sst>";
  std::string half;
  for (int i = 0; i < 6000; ++i) half += "<c t=\"s\"><v>0</v></c>";
  twoFile.sheets.push_back({"Grt", worksheet("<row>" + half + "</row>"), ""});
  twoFile.sheets.push_back({"Bt", worksheet("<row>" + half + "</row>"), ""});
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE sst [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
      "<sst><si><t>&b;</t></si></sst>";

  const std::vector<Refusal> cases = {
      {"no zip", "PK\x03\x04 not a zip at all", kLimit, "damaged zip archive"},
      {"cut short", good.substr(0, good.size() / 2), kLimit, "damaged zip archive"},
      {"wrong checksum", changed, kLimit, "damaged zip archive: xl/worksheets/sheet1.xml"},
      {"no workbook", zipOf({{"readme.txt", "hello"}}), kLimit, "a zip archive without a workbook"},
      {"binary workbook", zipOf({{"xl/workbook.bin", "\x83\x01"}, {"[Content_Types].xml", "<Types/>"}}),
       kLimit, "a binary workbook (.xlsb): save it as .xlsx in the spreadsheet program"},
      {"damaged XML", xlsx(worksheet("<row><c><v>1</v></row>")), kLimit,
       "damaged XML in xl/worksheets/sheet1.xml, line 1: mismatched tag"},
      {"undeclared entity", xlsx(worksheet("<row><c t=\"str\"><v>&lol;</v></c></row>")), kLimit,
       "damaged XML in xl/worksheets/sheet1.xml, line 1: undefined entity"},
      {"entities", xlsx(worksheet("<row><c t=\"s\"><v>0</v></c></row>"), laughs), kLimit,
       "a document type declaration in xl/sharedStrings.xml (not read)"},
      {"external DTD",
       xlsx("<?xml version=\"1.0\"?><!DOCTYPE worksheet SYSTEM \"file:///etc/passwd\"><worksheet/>"),
       kLimit, "a document type declaration in xl/worksheets/sheet1.xml (not read)"},
      {"zip bomb", bomb, kLimit, "unpacked parts larger than 1 MiB"},
      {"text too large", xlsx(worksheet("<row>" + wide + "</row>"),
                              "<sst><si><t>" + std::string(100, 'x') + "</t></si></sst>"),
       kLimit, "larger than 1 MiB"},
      {"sheets too large together", twoFile.zip(), kLimit, "larger than 1 MiB"},
      {"shared string index", xlsx(worksheet("<row r=\"2\"><c/><c t=\"s\"><v>1</v></c></row>"), sharedStrings),
       kLimit, "shared string index 1 out of range (1 strings) in cell B2 of sheet Grt"},
      {"no shared strings", xlsx(worksheet("<row><c t=\"s\"><v>0</v></c></row>")), kLimit,
       "shared string index 0 out of range (0 strings) in cell A1 of sheet Grt"},
      {"rows out of order", xlsx(worksheet("<row r=\"5\"><c><v>1</v></c></row><row r=\"2\"><c><v>1</v></c></row>")),
       kLimit, "damaged workbook: rows out of order in sheet Grt"},
      {"past the last column", xlsx(worksheet("<row><c r=\"XFE1\"><v>1</v></c></row>")), kLimit,
       "damaged workbook: cell reference \"XFE1\" in sheet Grt"},
  };
  for (const Refusal& c : cases) {
    Workbook out;
    out.sheets.push_back({"before", false, "kept\r\n", 7});
    std::string reason;
    EXPECT_FALSE(readZipWorkbook(c.bytes, c.limit, out, reason)) << c.what;
    EXPECT_EQ(reason, c.reason) << c.what;
    ASSERT_EQ(out.sheets.size(), 1u) << c.what;
    EXPECT_EQ(out.sheets[0].text, "kept\r\n") << c.what;
    EXPECT_EQ(out.formulasWithoutValue(), 7) << c.what;
  }
  // Nothing refused the good workbook itself.
  EXPECT_EQ(readOk(good).sheets.at(0).text, "1\r\n");
}

std::string odsOf(const std::string& styles, const std::string& body) {
  const std::string content =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
      "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
      "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\">"
      "<office:automatic-styles>" + styles + "</office:automatic-styles>"
      "<office:body><office:spreadsheet>" + body + "</office:spreadsheet></office:body>"
      "</office:document-content>";
  return zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                {"content.xml", content}});
}

TEST(OdsReaderTest, CellsRepeatsAndHiddenSheets) {
  const std::string styles =
      "<style:style style:name=\"ta1\" style:family=\"table\"><style:table-properties "
      "table:display=\"true\"/></style:style>"
      "<style:style style:name=\"ta2\" style:family=\"table\"><style:table-properties "
      "table:display=\"false\"/></style:style>";
  const std::string body =
      "<table:table table:name=\"Grt\" table:style-name=\"ta1\">"
      "<table:table-column table:number-columns-repeated=\"1024\"/>"
      "<table:table-row><table:table-cell table:number-columns-spanned=\"2\" office:value-type=\"string\">"
      "<text:p>Garnet <text:span>core</text:span></text:p><text:p>rim</text:p></table:table-cell>"
      "<table:covered-table-cell><text:p>hidden by the merge</text:p></table:covered-table-cell>"
      "<table:table-cell table:number-columns-repeated=\"16000\"/></table:table-row>"
      "<table:table-row table:number-rows-repeated=\"2\"/>"
      "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"40.267020000000002\">"
      "<text:p>40.27</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"percentage\" office:value=\"0.30000000000000004\"/>"
      "<table:table-cell office:value-type=\"date\" office:date-value=\"2023-03-15T12:30:00.6\"/>"
      "<table:table-cell office:value-type=\"date\" office:date-value=\"1850-01-02\"/>"
      "<table:table-cell office:value-type=\"time\" office:time-value=\"PT12H00M00S\"/>"
      "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"false\"/>"
      "<table:table-cell office:value-type=\"string\"><text:p>a<text:s text:c=\"2\"/>b<text:tab/>c"
      "<text:line-break/>d</text:p><office:annotation><text:p>a note</text:p></office:annotation>"
      "</table:table-cell></table:table-row>"
      "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell table:number-columns-repeated=\"2\" "
      "office:value-type=\"float\" office:value=\"-0\"/></table:table-row>"
      "<table:table-row table:number-rows-repeated=\"1048000\"><table:table-cell "
      "table:number-columns-repeated=\"16384\"/></table:table-row>"
      "</table:table>"
      "<table:table table:name=\"Bt\" table:style-name=\"ta2\"><table:table-row><table:table-cell "
      "office:value-type=\"float\" office:value=\"1\"/></table:table-row></table:table>"
      "<table:table table:name=\"Pl\" table:display=\"false\"/>";
  Workbook book = readOk(odsOf(styles, body));
  ASSERT_EQ(book.sheets.size(), 3u);
  EXPECT_EQ(book.sheets[0].name, "Grt");
  EXPECT_FALSE(book.sheets[0].hidden);
  EXPECT_EQ(book.sheets[0].text,
            "Garnet core rim\t\t\t\t\t\t\r\n\r\n\r\n"
            "40.26702\t0.3\t2023-03-15 12:30:01\t1850-01-02\t1899-12-31 12:00:00\tFALSE\ta  b c d\r\n"
            "0\t0\t\t\t\t\t\r\n0\t0\t\t\t\t\t\r\n");
  EXPECT_EQ(book.sheets[1].name, "Bt");
  EXPECT_TRUE(book.sheets[1].hidden);
  EXPECT_EQ(book.sheets[1].text, "1\r\n");
  EXPECT_TRUE(book.sheets[2].hidden);

  // A value repeated far and wide stops at the limit.
  Workbook out;
  std::string reason;
  EXPECT_FALSE(readZipWorkbook(
      odsOf("", "<table:table table:name=\"X\"><table:table-row table:number-rows-repeated=\"1000000\">"
                "<table:table-cell table:number-columns-repeated=\"16384\" office:value-type=\"string\">"
                "<text:p>x</text:p></table:table-cell></table:table-row></table:table>"),
      kLimit, out, reason));
  EXPECT_EQ(reason, "larger than 1 MiB");
  EXPECT_TRUE(out.sheets.empty());
}

// Workbooks as spreadsheet libraries write them (tests/data/workbooks/
// make_workbooks.py): both give the same sheets.
TEST(ZipWorkbookTest, WorkbooksWrittenByOtherProgramsReadAlike) {
  for (const char* name : {"analyses.xlsx", "analyses.ods"}) {
    SCOPED_TRACE(name);
    std::ifstream in(std::string(VESTRANE_SOURCE_DIR) + "/tests/data/workbooks/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    ASSERT_FALSE(bytes.str().empty());
    Workbook book = readOk(bytes.str());
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets[0].name, "Info");
    EXPECT_EQ(book.sheets[0].text, "Microprobe session March 2026\r\nOperator: K. Sand\r\n");
    EXPECT_FALSE(book.sheets[0].hidden);
    EXPECT_EQ(book.sheets[1].name, "Grt");
    EXPECT_FALSE(book.sheets[1].hidden);
    EXPECT_EQ(book.sheets[1].text,
              "Garnet analyses\t\t\t\t\t\t\r\n"
              "Sample\tPoint\tMineral\tComment\tSiO2\tAl2O3\tDate\r\n"
              "MP-12A\tA1\tGrt\tcore\t37.04\t20.86\t2026-03-15\r\n"
              "MP-12A\tA1\tGrt\trim\t40.26702\t<0.01\t2026-03-15 14:05:30\r\n"
              "MP-17\tC2\tGrt\tsum\t\t\t\r\n");
    EXPECT_EQ(book.sheets[2].name, "Old");
    EXPECT_TRUE(book.sheets[2].hidden);
    EXPECT_EQ(book.sheets[2].text, "Sample\tMineral\r\n");
    EXPECT_EQ(book.formulasWithoutValue(), 1);
  }
}

}  // namespace
}  // namespace vestrane
