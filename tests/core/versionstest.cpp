// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "update/core/uVersions.h"

using namespace vestrane;

namespace {

TVersion v(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
  return TVersion{a, b, c, d};
}

// Parses @p text over the version 9.9.9.9 and returns its dotted text.
std::string parsed(const std::string& text) {
  TVersion version = v(9, 9, 9, 9);
  StrToVersion(text, version);
  return VersionToStr(version);
}

TEST(VersionsTest, OwnVersionComesFromTheBuild) {
  OwnVersion = TVersion{};
  GetOwnVersion();
  EXPECT_EQ(VersionToStr(OwnVersion), "1.0.0.3");
}

TEST(VersionsTest, DottedTextIsUnsignedDecimal) {
  EXPECT_EQ(VersionToStr(TVersion{}), "0.0.0.0");
  EXPECT_EQ(VersionToStr(v(65535, 10, 0, 7)), "65535.10.0.7");
}

TEST(VersionsTest, PartsTheTextDoesNotReachKeepTheirValues) {
  EXPECT_EQ(parsed("1.2.3.4"), "1.2.3.4");
  EXPECT_EQ(parsed(" 7 . 8 . 9 .10"), "7.8.9.10");
  EXPECT_EQ(parsed("1.2"), "1.2.9.9");
  EXPECT_EQ(parsed("1.2.3.4."), "1.2.3.4");
  EXPECT_EQ(parsed(""), "9.9.9.9");
  EXPECT_EQ(parsed("1..2"), "1.0.2.9");
}

TEST(VersionsTest, PiecesConvertLikeNumbersWithTheirLowSixteenBits) {
  EXPECT_EQ(parsed("2.x.3"), "2.0.3.9");
  EXPECT_EQ(parsed("1.5a.0.0"), "1.5.0.0");
  EXPECT_EQ(parsed("1.0.0.12 beta"), "1.0.0.12");
  EXPECT_EQ(parsed("1.0.0.\t12"), "1.0.0.0");      // the last piece is not trimmed
  EXPECT_EQ(parsed("1.0.0.  12"), "1.0.0.12");     // but its leading blanks are skipped
  EXPECT_EQ(parsed("-1.65536.70000.-2"), "65535.0.4464.65534");
  EXPECT_EQ(parsed("$ff.0x10.X1f.+$A"), "255.16.31.10");
  EXPECT_EQ(parsed("-5a.-.+.$"), "5.0.0.0");        // sign ignored when the piece is not a number
  EXPECT_EQ(parsed("4294967297.-4294967297"), "1.65535.9.9");
}

TEST(VersionsTest, RangeErrorsKeepThePartsStoredBefore) {
  TVersion version = v(9, 9, 9, 9);
  EXPECT_THROW(StrToVersion("1.2.3.4.5", version), VersionRangeError);
  EXPECT_EQ(version, v(1, 2, 3, 4));

  const std::string longPiece(253, '0');
  EXPECT_EQ(parsed(longPiece + "1.2"), "1.2.9.9");  // first "." at position 255
  version = v(9, 9, 9, 9);
  EXPECT_THROW(StrToVersion(longPiece + "01.2", version), VersionRangeError);
  EXPECT_EQ(version, v(9, 9, 9, 9));
  EXPECT_THROW(StrToVersion("1." + longPiece + "00.3", version), VersionRangeError);
  EXPECT_EQ(version, v(1, 9, 9, 9));
}

TEST(VersionsTest, IsActualComparesPartByPart) {
  const TVersion own = v(1, 0, 0, 3);
  EXPECT_TRUE(IsActual(own, v(1, 0, 0, 3)));
  EXPECT_FALSE(IsActual(own, v(1, 0, 0, 4)));
  EXPECT_TRUE(IsActual(own, v(1, 0, 0, 2)));
  EXPECT_FALSE(IsActual(v(1, 2, 0, 0), v(1, 1, 5, 0)));
  EXPECT_FALSE(IsActual(v(2, 0, 0, 0), v(1, 5, 0, 0)));
  EXPECT_TRUE(IsActual(v(65535, 1, 1, 1), v(65535, 0, 0, 0)));
}

}  // namespace
