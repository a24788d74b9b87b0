// SPDX-License-Identifier: MIT
// Delimited text to table text, the delimiter guess, the delimiter a user
// names, the kind of a file by its bytes, and CSV files reading as their
// TAB equivalents do.

#include <gtest/gtest.h>

#include <string>

#include "table/CsvText.h"
#include "table/InputKind.h"
#include "TestSupport.h"

using namespace vestrane;

namespace {

constexpr std::size_t kNoLimit = std::size_t{1} << 30;

std::string csv(std::string_view bytes, char delimiter) {
  std::string text = "left over";
  EXPECT_TRUE(csvTableText(bytes, delimiter, kNoLimit, text));
  return text;
}

TEST(CsvTextTest, RecordsEndAtLfOrCrLfAndBytesStayAsWritten) {
  // The last record needs no line end; an empty line stays one; a CR alone
  // is dropped as in a TAB file.
  EXPECT_EQ(csv("Sample,SiO2\nKL-1,37.04\r\n\nKL-2,3\r8.1", ','),
            "Sample\tSiO2\r\nKL-1\t37.04\r\n\r\nKL-2\t38.1\r\n");
  // Semicolons with decimal commas, a Windows-1252 micro sign, UTF-8: kept.
  EXPECT_EQ(csv("Sample;SiO2;Size \xB5m;Note\r\nKL-1;37,04;12,5;\xC3\xA9t\xC3\xA9\r\n", ';'),
            "Sample\tSiO2\tSize \xB5m\tNote\r\nKL-1\t37,04\t12,5\t\xC3\xA9t\xC3\xA9\r\n");
  // A byte-order mark is dropped at the start only.
  EXPECT_EQ(csv("\xEF\xBB\xBF" "a,b\n\xEF\xBB\xBF" "c,d\n", ','),
            "a\tb\r\n\xEF\xBB\xBF" "c\td\r\n");
  EXPECT_EQ(csv("\xEF\xBB\xBF", ','), "");
  EXPECT_EQ(csv("", ','), "");
}

TEST(CsvTextTest, QuotedFieldsHoldDelimitersQuotesAndLineEnds) {
  // One table text line per record: the line ends inside quotes (LF, CR LF)
  // become a space per byte, as TAB and Ctrl-Z do.
  EXPECT_EQ(csv("\"KL-1, rim\",\"say \"\"hi\"\"\",\"two\r\nlines\",\"a\tb\x1a\"\nx,\"\"\n", ','),
            "KL-1, rim\tsay \"hi\"\ttwo  lines\ta b \r\nx\t\r\n");
  // Only a quote that begins a field quotes; text after the closing quote is
  // taken literally.
  EXPECT_EQ(csv("5\" core,a\"b\", \"c,d\",\"e\"f,g\n", ','),
            "5\" core\ta\"b\"\t \"c\td\"\tef\tg\r\n");
  // A quote left open takes the rest of the input.
  EXPECT_EQ(csv("a,\"b\nc,d\n", ','), "a\tb c,d \r\n");
  // Quotes in long runs, where sixteen bytes are converted at a time.
  EXPECT_EQ(csv("abcdefghijklmnopqr,\"stu,vwxyz\"\"0123456789ab\",cdefghijklmnopqrstuvw\"xyz\n",
                ','),
            "abcdefghijklmnopqr\tstu,vwxyz\"0123456789ab\tcdefghijklmnopqrstuvw\"xyz\r\n");
}

TEST(CsvTextTest, TabsAndCtrlZFollowTheTableTextRules) {
  // A TAB in a field of a comma file is a space; with TAB as the delimiter
  // it separates fields, inside quotes it is a space again.
  EXPECT_EQ(csv("a\tb,c 0123456789abcdef\t,d\n", ','), "a b\tc 0123456789abcdef \td\r\n");
  EXPECT_EQ(csv("a\t\"b\tc\"\td;e\n", '\t'), "a\tb c\td;e\r\n");
  // The same where the table text has just outgrown the room made for it.
  EXPECT_EQ(csv("\n\n\n\t", '\t'), "\r\n\r\n\r\n\t\r\n");
  // A Ctrl-Z ends the input at the start of a record (even after a lone
  // CR), elsewhere it is a space.
  EXPECT_EQ(csv("a,b\x1a" "c\n\r\x1a" "d,e\n", ','), "a\tb c\r\n");
  EXPECT_EQ(csv("a,b\n\x1a", ','), "a\tb\r\n");
}

TEST(CsvTextTest, TableTextPastTheLimitIsRefused) {
  const std::string bytes = "a,b\n0123456789abcdefghij,\"c\"\n";  // 29 bytes of table text
  std::string text;
  ASSERT_TRUE(csvTableText(bytes, ',', 29, text));
  EXPECT_EQ(text.size(), 29u);
  EXPECT_FALSE(csvTableText(bytes, ',', 28, text));
  EXPECT_TRUE(text.empty());
  EXPECT_FALSE(csvTableText(bytes, ',', 0, text));
}

TEST(CsvTextTest, GuessesTheDelimiterThatSplitsMostRecordsAlike) {
  EXPECT_EQ(guessCsvDelimiter("Sample,SiO2,FeO\nKL-1,37.04,21.3\nKL-2,36.9,22\n"), ',');
  // Every value with a decimal comma: the comma splits the data records
  // alike too, but the header line decides for the semicolon.
  EXPECT_EQ(guessCsvDelimiter("Sample;SiO2;FeO\nKL-1;37,04;21,3\nKL-2;36,9;22,1\n"), ';');
  // Without a header the tie goes to the semicolon.
  EXPECT_EQ(guessCsvDelimiter("37,04;21,3\n36,9;22,1\n"), ';');
  EXPECT_EQ(guessCsvDelimiter("a|b|c\n1|2|3\n"), '|');
  EXPECT_EQ(guessCsvDelimiter("a\tb,c\t1\n1\t2,5\t3\n"), '\t');
  // Quotes respected: read line by line, the semicolon would win the tie.
  EXPECT_EQ(guessCsvDelimiter("a,\"x;y\"\nb,\"x;y\"\nc,\"p,q\nr\"\n"), ',');
  // Only the first records count: a comma on every later line changes nothing.
  std::string many;
  for (int i = 0; i < kCsvGuessRecords; ++i) many += "a;b\n";
  for (int i = 0; i < 2 * kCsvGuessRecords; ++i) many += "a,b,c\n";
  EXPECT_EQ(guessCsvDelimiter(many), ';');
  // No delimiter splits anything.
  EXPECT_EQ(guessCsvDelimiter("Sample\nKL-1\n"), ',');
  EXPECT_EQ(guessCsvDelimiter(""), ',');
}

TEST(CsvTextTest, DelimitersAUserCanName) {
  struct {
    const char* name;
    char delimiter;
  } accepted[] = {{",", ','}, {";", ';'}, {"|", '|'}, {":", ':'}, {" ", ' '},
                  {"\t", '\t'}, {"\\t", '\t'}, {"TAB", '\t'}, {"Semicolon", ';'},
                  {"comma", ','}, {"pipe", '|'}, {"space", ' '}};
  for (const auto& a : accepted) {
    char d = 0;
    EXPECT_TRUE(parseCsvDelimiter(a.name, d)) << a.name;
    EXPECT_EQ(d, a.delimiter) << a.name;
  }
  for (const char* refused :
       {"", "\"", "t", "7", ",,", "\n", "\r", "\x1a", "\xA7", "tabs", "\\n"}) {
    char d = 'x';
    EXPECT_FALSE(parseCsvDelimiter(refused, d)) << refused;
    EXPECT_EQ(d, 'x');
  }
}

TEST(InputKindTest, TellsFilesByTheirBytes) {
  EXPECT_EQ(inputFormatOf(std::string_view("PK\x03\x04\x14\0\0\0", 8), "a.tab").kind,
            InputKind::Zip);
  EXPECT_EQ(inputFormatOf("PK\x05\x06", "a.xlsx").kind, InputKind::Zip);
  EXPECT_EQ(inputFormatOf("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 rest", "a.xlsx").kind, InputKind::Ole2);
  // Text with TABs is TAB text, however it is named, but for .csv.
  EXPECT_EQ(inputFormatOf("Sample\tSiO2\r\nKL-1\t37.04\r\n", "a.txt").kind, InputKind::TabText);
  EXPECT_EQ(inputFormatOf("PK\tb\n", "a.xlsx").kind, InputKind::TabText);
  InputFormat csvNamed = inputFormatOf("Sample\tSiO2\r\nKL-1\t37.04\r\n", "/data/run 3.CsV");
  EXPECT_EQ(csvNamed.kind, InputKind::DelimitedText);
  EXPECT_EQ(csvNamed.delimiter, '\t');
  InputFormat noTab = inputFormatOf("Sample;SiO2\r\nKL-1;37,04\r\n", "export.txt");
  EXPECT_EQ(noTab.kind, InputKind::DelimitedText);
  EXPECT_EQ(noTab.delimiter, ';');
  // Only the first lines are looked at for a TAB.
  std::string late;
  for (int i = 0; i < kCsvGuessRecords; ++i) late += "a,b\r\n";
  EXPECT_EQ(inputFormatOf(late + "a\tb\r\n", "x.tab").kind, InputKind::DelimitedText);
  late.back() = '\t';
  EXPECT_EQ(inputFormatOf(late + "\n", "x.tab").kind, InputKind::TabText);
}

/// The saved table and the reader's messages after reading @p text, which is
/// table text already or, with a @p delimiter, delimited text.
std::string readThrough(const std::string& bytes, char delimiter = 0) {
  std::string text = bytes;
  if (delimiter) {
    EXPECT_TRUE(csvTableText(bytes, delimiter, kNoLimit, text));
  }
  return vestrane::testing::savedTableOf(text);
}

TEST(CsvTextTest, CsvFilesReadAsTheirTabEquivalents) {
  // Line 4 has no mineral: the CSV's record 4, whatever lines its quoted
  // note spans before it.
  const std::string tab =
      "Sample\tArea\tMineral\tAnalysis\tSiO2\tNote\r\n"
      "KL-1\tA1\tGrt\tcore\t37.04\tfresh, unaltered\r\n"
      "KL-1\tA1\tBt\trim\t35.2\tsaid \"rim\"  or core\r\n"
      "KL-2\tB\t\tmatrix grain\t1\t\r\n"
      "KL-2\tB\tPl\tmatrix\t61.38\tend\r\n";
  const std::string expected = readThrough(tab);
  ASSERT_NE(expected.find("\r\n4: Mineral is not specified"), std::string::npos) << expected;
  EXPECT_EQ(readThrough("\xEF\xBB\xBF" "Sample,Area,Mineral,Analysis,SiO2,Note\n"
                        "KL-1,A1,Grt,core,37.04,\"fresh, unaltered\"\n"
                        "KL-1,A1,Bt,rim,35.2,\"said \"\"rim\"\"\r\nor core\"\n"
                        "KL-2,B,,matrix grain,1,\n"
                        "\"KL-2\",B,Pl,matrix,61.38,end",
                        ','),
            expected);
  // Decimal commas stay: the saved table has them as written.
  const std::string tabComma =
      "Sample\tArea\tMineral\tAnalysis\tSiO2\r\n"
      "KL-1\tA1\tGrt\tcore\t37,04\r\n"
      "KL-2\tB\tPl\tmatrix\t61,38\r\n";
  EXPECT_EQ(readThrough("Sample;Area;Mineral;Analysis;SiO2\r\nKL-1;A1;Grt;core;37,04\r\n"
                        "KL-2;B;Pl;matrix;61,38\r\n",
                        ';'),
            readThrough(tabComma));
}

}  // namespace
