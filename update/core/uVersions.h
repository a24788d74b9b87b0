// SPDX-License-Identifier: MIT
#pragma once
// Four-part version numbers: the program's own, the one published in the
// version file, their dotted text and the up-to-date test.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vestrane {

struct TVersion {
  std::uint16_t Major = 0;
  std::uint16_t Minor = 0;
  std::uint16_t Release = 0;
  std::uint16_t Build = 0;
  bool operator==(const TVersion& o) const {
    return Major == o.Major && Minor == o.Minor && Release == o.Release && Build == o.Build;
  }
};

/// Thrown by StrToVersion for a fifth part or a first "." beyond the 255th character.
class VersionRangeError : public std::range_error {
 public:
  using std::range_error::range_error;
};

/// The program's own version; 0.0.0.0 until GetOwnVersion has run.
extern TVersion OwnVersion;

/// Sets OwnVersion from the version built into the program.
void GetOwnVersion();

std::string VersionToStr(const TVersion& version);

/// Updates @p version in place from dotted @p text; parts the text does not
/// reach keep their values. Throws VersionRangeError.
void StrToVersion(const std::string& text, TVersion& version);

/// StrToVersion for callers that go on after a rejected text: @return false
/// where StrToVersion throws, with the parts stored before that point kept.
bool readVersion(const std::string& text, TVersion& version);

/// True when @p own counts as up to date against @p published: no part of
/// the published version is greater than the same part of the own one.
bool IsActual(const TVersion& own, const TVersion& published);

}  // namespace vestrane
