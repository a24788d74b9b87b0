// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "table/CellText.h"
#include "table/SheetText.h"

namespace vestrane {
namespace {

TEST(CellTextTest, NumbersAreTheStoredValueAtFifteenDigitsInAnyLocale) {
  // A locale with a decimal comma must not leak into the text.
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(numberText(40.267020000000002), "40.26702");
  EXPECT_EQ(numberText(37.039999999999999), "37.04");
  EXPECT_EQ(numberText(0.30000000000000004), "0.3");
  EXPECT_EQ(numberText(100), "100");
  EXPECT_EQ(numberText(1e-7), "1E-07");
  EXPECT_EQ(numberText(-0.0), "0");
  EXPECT_EQ(numberText(-2.5), "-2.5");
  EXPECT_EQ(numberText(123456789012345678.0), "1.23456789012346E+17");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(CellTextTest, DatesInBothSystems) {
  EXPECT_EQ(dateText(1, false), "1900-01-01");
  EXPECT_EQ(dateText(59, false), "1900-02-28");
  EXPECT_EQ(dateText(60, false), "1900-02-29");
  EXPECT_EQ(dateText(61, false), "1900-03-01");
  EXPECT_EQ(dateText(45000, false), "2023-03-15");
  EXPECT_EQ(dateText(45000.5, false), "2023-03-15 12:00:00");
  EXPECT_EQ(dateText(45000.999999, false), "2023-03-16");  // rounds to midnight
  EXPECT_EQ(dateText(0, true), "1904-01-01");
  EXPECT_EQ(dateText(43538, true), "2023-03-15");
  EXPECT_EQ(dateText(-1, false), "-1");
}

TEST(CellTextTest, FieldsCannotCarryLineEndsOrTabs) {
  std::string out = "x";
  appendFieldText(out, "a\tb\r\nc\x1a" "d");
  EXPECT_EQ(out, "xa b  c d");
}

TEST(SheetTextTest, RowsArePaddedToTheWidestAndGapsStayEmptyLines) {
  SheetTextBuilder b(1000);
  ASSERT_TRUE(b.setCell(1, 1, "B2"));
  ASSERT_TRUE(b.setCell(1, 0, "A2"));  // cells of a row in any order
  ASSERT_TRUE(b.setCell(3, 3, "D4"));
  ASSERT_TRUE(b.setCell(3, 0, ""));  // no value
  ASSERT_TRUE(b.setCell(4, 0, "A\t5"));
  EXPECT_EQ(b.finish(), "\r\nA2\tB2\t\t\r\n\r\n\t\t\tD4\r\nA 5\t\t\t\r\n");
  // A later cell of the same place replaces the earlier one, in any order.
  ASSERT_TRUE(b.setCell(0, 2, "a"));
  ASSERT_TRUE(b.setCell(0, 0, "b"));
  ASSERT_TRUE(b.setCell(0, 2, "c"));
  ASSERT_TRUE(b.setCell(0, 0, "d"));
  EXPECT_EQ(b.finish(), "d\t\tc\r\n");
}

TEST(SheetTextTest, RefusesRowsOutOfOrderAndTextPastTheLimit) {
  SheetTextBuilder b(1000);
  ASSERT_TRUE(b.setCell(2, 0, "x"));
  ASSERT_TRUE(b.setCell(3, 0, "y"));
  EXPECT_FALSE(b.setCell(2, 1, "z"));
  EXPECT_TRUE(b.outOfOrder());

  SheetTextBuilder small(10);
  EXPECT_TRUE(small.setCell(0, 0, "12345"));
  EXPECT_FALSE(small.setCell(1, 0, "67890"));
  EXPECT_TRUE(small.tooLarge());
  // A far column reserves its TABs against the limit too.
  SheetTextBuilder wide(100);
  EXPECT_FALSE(wide.setCell(0, 1000, "x"));
}

}  // namespace
}  // namespace vestrane
