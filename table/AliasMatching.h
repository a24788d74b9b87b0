// SPDX-License-Identifier: MIT
#pragma once
// Header and alias matching: whether a line is a header line and which
// fixed column a header field names, by the alias lists of the settings
// file; and an index of the lists that keeps these tests fast for long
// lists and long tables.

#include <bitset>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "settings/Settings.h"
#include "table/AnalysisTable.h"

namespace vestrane {

/// Whether an alias of @p list starts a field of @p upperLine: its first
/// occurrence stands at the start of the line or right after a TAB.
bool LineHasAlias(const AliasList& list, std::string_view upperLine);

/// Whether @p upperField begins with a non-empty alias of @p list.
bool FieldMatchesAlias(const AliasList& list, std::string_view upperField);

/// Whether @p line is a header line: a Mineral or a Sample alias starts one of its fields.
bool IsHeaderLine(const AliasLists& aliases, std::string_view line);

/// The alias lists arranged for the tests of one parse: the bytes that can
/// begin a Sample or Mineral alias, and, for long lists, the aliases by
/// hashing. Built at the start of a parse and only read until its end, so
/// readers in other threads share it. It holds views of the lists, which
/// must not change from build() to release().
class AliasIndex {
 public:
  explicit AliasIndex(const AliasLists& lists) : lists_(lists) {}
  AliasIndex(const AliasIndex&) = delete;
  AliasIndex& operator=(const AliasIndex&) = delete;

  /// Arranges the lists as they stand now.
  void build();
  /// Tests by the lists themselves again, as outside a parse, where the
  /// lists may change.
  void release() { indexed_ = false; }

  /// IsHeaderLine over the lists.
  bool isHeaderLine(std::string_view line) const;
  /// The same answer, given at once for an ASCII line in which no field
  /// begins with a Sample or Mineral alias, letter case aside.
  /// @p scratch: a buffer of the caller's own.
  bool isHeaderLineScreened(std::string_view line, std::string& scratch) const;
  /// Whether @p rest (a field and what follows it in its line) begins with
  /// a Sample or Mineral alias, ASCII letter case aside. Most fields are
  /// answered by their first two bytes. @p scratch: a buffer of the caller's own.
  bool startsWithHeaderAlias(std::string_view rest, std::string& scratch) const {
    if (rest.empty() || !headerAliasStart_[static_cast<unsigned char>(rest[0])]) return false;
    if (rest.size() >= 2 &&
        !headerAliasPair_[static_cast<unsigned char>(rest[0]) << 8 | static_cast<unsigned char>(rest[1])])
      return false;
    return matchesHeaderAlias(rest, scratch);
  }
  /// The fixed column (ColSelect to ColAnalysis) of the first list, in that
  /// order, that FieldMatchesAlias finds for @p upperField; -1 for none.
  int fixedColumnOf(std::string_view upperField) const;

 private:
  /// Non-empty aliases of one or more lists, found by hashing: a look-up per
  /// distinct alias length instead of a comparison per alias.
  struct AliasSet {
    std::unordered_set<std::string_view> aliases;
    std::vector<std::size_t> lengths;  ///< distinct, ascending
    void assign(std::initializer_list<const AliasList*> lists);
    /// FieldMatchesAlias over the set.
    bool beginsWithAlias(std::string_view upper) const;
    /// LineHasAlias over the set.
    bool lineHasAlias(std::string_view upperLine) const;
  };
  /// startsWithHeaderAlias past its test of the first two bytes.
  bool matchesHeaderAlias(std::string_view rest, std::string& scratch) const;

  /// Up to this many aliases in all the lists are compared one by one.
  static constexpr std::size_t kLinearAliases = 64;

  const AliasLists& lists_;
  bool indexed_ = false;  ///< built from lists with more aliases than that
  AliasSet headerSet_;    ///< the Sample and Mineral aliases
  AliasSet fixedSets_[kFixedColumns];
  // The non-empty Sample and Mineral aliases, and which bytes begin one.
  std::vector<std::string_view> headerAliases_;
  bool headerAliasStart_[256] = {};
  std::bitset<65536> headerAliasPair_;  ///< the first two bytes (first << 8 | second) that can begin one
};

}  // namespace vestrane
