// SPDX-License-Identifier: MIT
// Table text: the file-reading rules that turn bytes into it, and the check
// that bytes already are it, with the capacity counted for their rows.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "table/TableText.h"

using namespace vestrane;

namespace {

// The capacity for the lines of @p bytes longer than kShortLineLength
// characters, cut at each CR (the byte after it passed over), counted one by one.
RowCapacity capacityOfLines(const std::string& bytes) {
  RowCapacity lines;
  for (std::size_t pos = 0; pos < bytes.size();) {
    std::size_t cr = std::min(bytes.find('\r', pos), bytes.size());
    if (cr - pos > kShortLineLength) {
      ++lines.rows;
      lines.bytes += cr - pos;
    }
    pos = cr + 2;
  }
  return lines;
}

}  // namespace

TEST(TableTextTest, FileReadingRules) {
  // LF, CR LF, a lone CR dropped inside a line, a last line without line end.
  EXPECT_EQ(tableTextFromBytes("a\nb\r\nc\rd\ne"), "a\r\nb\r\ncd\r\ne\r\n");
  EXPECT_EQ(tableTextFromBytes("a\n"), "a\r\n");
  EXPECT_EQ(tableTextFromBytes(""), "");
  EXPECT_EQ(tableTextFromBytes("\n"), "\r\n");
  // Ctrl-Z inside a line ends the line; at the start of a line it ends the input.
  EXPECT_EQ(tableTextFromBytes("ab\x1a" "cd\nef\n\x1agh\nij"), "ab\r\nef\r\n");
  // Text fed in pieces gives the same result, even with CR LF split apart.
  TableTextBuilder b;
  b.feed("x\r", 2);
  b.feed("\ny\r", 3);
  b.feed("z", 1);
  EXPECT_EQ(b.finish(), "x\r\nyz\r\n");
}

TEST(TableTextTest, InPlaceAndChunkedAgree) {
  // Random texts of the bytes that matter: the three ways of reading agree.
  std::mt19937 random(12345);
  const char alphabet[] = {'a', 'b', '\t', '\r', '\n', '\x1a'};
  for (int round = 0; round < 2000; ++round) {
    std::string bytes;
    for (int n = static_cast<int>(random() % 40); n > 0; --n) bytes += alphabet[random() % 6];
    std::string whole = tableTextFromBytes(bytes);
    std::string inPlace = bytes;
    tableTextInPlace(inPlace);
    TableTextBuilder chunked;
    for (std::size_t i = 0; i < bytes.size();) {
      std::size_t n = std::min<std::size_t>(1 + random() % 5, bytes.size() - i);
      chunked.feed(bytes.data() + i, n);
      i += n;
    }
    ASSERT_EQ(inPlace, whole) << ::testing::PrintToString(bytes);
    ASSERT_EQ(chunked.finish(), whole) << ::testing::PrintToString(bytes);
  }
}

TEST(TableTextTest, TableTextIsRecognisedAsTheBuilderSeesIt) {
  // Bytes are their own table text exactly when the builder gives them back
  // unchanged (with CR LF after an open last line). Texts long enough for
  // the wide scans, mostly well-formed, with a stray CR, LF or Ctrl-Z now
  // and then at any position.
  std::mt19937 random(777);
  const char* tokens[] = {"\r\n", "ab", "\t", "x", "a long field of text", "\r", "\n", "\x1a"};
  int yes = 0, no = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string bytes;
    for (int n = static_cast<int>(random() % 120); n > 0; --n)
      bytes += tokens[random() % 100 < 97 ? random() % 5 : 5 + random() % 3];
    std::string closed = bytes.empty() || bytes.back() == '\n' ? bytes : bytes + "\r\n";
    bool expected = tableTextFromBytes(bytes) == closed;
    RowCapacity capacity;
    ASSERT_EQ(isTableText(bytes, &capacity), expected) << ::testing::PrintToString(bytes);
    (expected ? yes : no) += 1;
    if (!expected) continue;
    // The capacity counted on the way: the lines longer than kShortLineLength.
    const RowCapacity lines = capacityOfLines(bytes);
    EXPECT_EQ(capacity.rows, lines.rows) << ::testing::PrintToString(bytes);
    EXPECT_EQ(capacity.bytes, lines.bytes) << ::testing::PrintToString(bytes);
  }
  // Both answers were given many times, so both ways were put to the test.
  EXPECT_GT(yes, 500);
  EXPECT_GT(no, 500);
}

TEST(TableTextTest, LargeTextsAreRecognisedInPartsAsAWhole) {
  // A text of several megabytes is checked in two parts at once, cut after
  // the line end nearest past its middle. A CR, LF or Ctrl-Z out of place
  // anywhere around that cut, or at either end, is found as in a small text,
  // and the capacity counted is that of the whole.
  std::string text;
  for (int line = 0; text.size() < (4u << 20) + 4096; ++line)
    text += "S" + std::to_string(line % 97) + "\tr1\tGrt\tanalysis " + std::to_string(line) +
            (line % 5 ? "\t37.25\t12.5" : "") + "\r\n";
  RowCapacity capacity;
  ASSERT_TRUE(isTableText(text, &capacity));
  const RowCapacity expected = capacityOfLines(text);
  EXPECT_EQ(capacity.rows, expected.rows);
  EXPECT_EQ(capacity.bytes, expected.bytes);

  const std::size_t middle = text.size() / 2;
  const std::size_t cut = text.find('\n', middle) + 1;
  std::vector<std::size_t> places = {0, 1, text.size() - 2, text.size() - 1};
  for (std::size_t at = middle - 2; at < cut + 8; ++at) places.push_back(at);
  int refused = 0;
  for (std::size_t at : places) {
    for (char c : {'\n', '\r', '\x1a', 'x'}) {
      std::string bytes = text;
      bytes[at] = c;
      const bool expectedOk = tableTextFromBytes(bytes) == bytes;
      RowCapacity inParts;
      ASSERT_EQ(isTableText(bytes, &inParts), expectedOk) << at << " " << int(c);
      if (expectedOk) {
        const RowCapacity whole = capacityOfLines(bytes);
        EXPECT_EQ(inParts.rows, whole.rows) << at;
        EXPECT_EQ(inParts.bytes, whole.bytes) << at;
      }
      refused += !expectedOk;
    }
  }
  EXPECT_GT(refused, 40);
}

