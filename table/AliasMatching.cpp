// SPDX-License-Identifier: MIT
#include "table/AliasMatching.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "platform/core/Text.h"

namespace vestrane {

// ------------------------------------------------------------ alias tests

bool LineHasAlias(const AliasList& list, std::string_view upperLine) {
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (it->empty()) continue;
    std::size_t p = upperLine.find(*it);
    if (p == std::string_view::npos) continue;
    if (p == 0 || upperLine[p - 1] == '\t') return true;
  }
  return false;
}

bool FieldMatchesAlias(const AliasList& list, std::string_view upperField) {
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (!it->empty() && upperField.compare(0, it->size(), *it) == 0) return true;
  }
  return false;
}

bool IsHeaderLine(const AliasLists& aliases, std::string_view line) {
  if (aliases.mineral.empty() && aliases.sample.empty()) return false;
  std::string upper = upperText(line);
  return LineHasAlias(aliases.mineral, upper) || LineHasAlias(aliases.sample, upper);
}

// ------------------------------------------------------------ long alias lists

void AliasIndex::AliasSet::assign(std::initializer_list<const AliasList*> lists) {
  aliases.clear();
  lengths.clear();
  for (const AliasList* list : lists)
    for (const std::string& alias : *list)
      if (!alias.empty() && aliases.insert(alias).second) lengths.push_back(alias.size());
  std::sort(lengths.begin(), lengths.end());
  lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
}

bool AliasIndex::AliasSet::beginsWithAlias(std::string_view upper) const {
  for (std::size_t length : lengths) {
    if (length > upper.size()) break;
    if (aliases.count(upper.substr(0, length))) return true;
  }
  return false;
}

bool AliasIndex::AliasSet::lineHasAlias(std::string_view upperLine) const {
  // Only an alias found at the start of some field can have its first
  // occurrence there, so those are the only ones searched for.
  for (std::size_t start = 0; start <= upperLine.size();) {
    const std::string_view rest = upperLine.substr(start);
    for (std::size_t length : lengths) {
      if (length > rest.size()) break;
      const std::string_view alias = rest.substr(0, length);
      if (!aliases.count(alias)) continue;
      const std::size_t first = upperLine.find(alias);
      if (first == 0 || upperLine[first - 1] == '\t') return true;
    }
    const std::size_t tab = upperLine.find('\t', start);
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return false;
}

// ------------------------------------------------------------ the index

namespace {

// The field byte that reads as alias byte @p a besides @p a itself: its
// small letter for an upper-case ASCII letter (aliases are upper-case).
unsigned caseTwin(unsigned char a) { return a >= 'A' && a <= 'Z' ? a + 32u : a; }

char upperAsciiChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// The lists of the fixed columns, in the order in which a header field is
// tested against them: Select, Sample, Area, Mineral, Analysis.
using FixedLists = std::array<const AliasList*, kFixedColumns>;
FixedLists fixedListsOf(const AliasLists& l) { return {&l.select, &l.sample, &l.area, &l.mineral, &l.analysis}; }

}  // namespace

void AliasIndex::build() {
  // Long alias lists (a settings file can give thousands of aliases) are
  // looked up by hashing, so that testing a line costs the same however
  // many aliases there are.
  const FixedLists fixedLists = fixedListsOf(lists_);
  std::size_t aliasCount = 0;
  for (const AliasList* list : fixedLists) aliasCount += list->size();
  indexed_ = aliasCount > kLinearAliases;
  if (indexed_) {
    headerSet_.assign({&lists_.sample, &lists_.mineral});
    for (int c = 0; c < kFixedColumns; ++c) fixedSets_[c].assign({fixedLists[c]});
  }

  headerAliases_.clear();
  std::fill(std::begin(headerAliasStart_), std::end(headerAliasStart_), false);
  headerAliasPair_.reset();
  for (const AliasList* list : {&lists_.sample, &lists_.mineral})
    for (const std::string& alias : *list)
      if (!alias.empty()) {
        headerAliases_.push_back(alias);
        // Both letter cases, so a field's first bytes can be looked up as
        // they are; an alias of one byte lets any second byte follow.
        auto first = static_cast<unsigned char>(alias[0]);
        headerAliasStart_[first] = true;
        if (first >= 'A' && first <= 'Z') headerAliasStart_[first + 32] = true;
        const auto second = static_cast<unsigned char>(alias.size() > 1 ? alias[1] : 0);
        for (unsigned f : {static_cast<unsigned>(first), caseTwin(first)})
          for (unsigned g = 0; g < 256; ++g)
            if (alias.size() == 1 || g == second || g == caseTwin(second)) headerAliasPair_.set(f << 8 | g);
      }
}

bool AliasIndex::isHeaderLine(std::string_view line) const {
  if (!indexed_) return IsHeaderLine(lists_, line);
  return headerSet_.lineHasAlias(upperText(line));
}

bool AliasIndex::isHeaderLineScreened(std::string_view line, std::string& scratch) const {
  // In an ASCII line a header needs a field that begins with a Sample or
  // Mineral alias, letter case aside; only lines that have one are
  // upper-cased for the full test.
  if (!isAscii(line)) return isHeaderLine(line);
  for (std::size_t start = 0; start < line.size();) {
    if (startsWithHeaderAlias(line.substr(start), scratch)) return isHeaderLine(line);
    std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return false;
}

bool AliasIndex::matchesHeaderAlias(std::string_view rest, std::string& scratch) const {
  if (indexed_) {
    if (headerSet_.lengths.empty()) return false;
    const std::size_t n = std::min(rest.size(), headerSet_.lengths.back());
    scratch.resize(n);
    for (std::size_t i = 0; i < n; ++i) scratch[i] = upperAsciiChar(rest[i]);
    return headerSet_.beginsWithAlias(scratch);
  }
  for (std::string_view alias : headerAliases_) {
    if (alias.size() > rest.size()) continue;
    std::size_t i = 0;
    while (i < alias.size() && upperAsciiChar(rest[i]) == alias[i]) ++i;
    if (i == alias.size()) return true;
  }
  return false;
}

int AliasIndex::fixedColumnOf(std::string_view upperField) const {
  const FixedLists fixedLists = fixedListsOf(lists_);
  for (int c = 0; c < kFixedColumns; ++c)
    if (indexed_ ? fixedSets_[c].beginsWithAlias(upperField) : FieldMatchesAlias(*fixedLists[c], upperField))
      return c;
  return -1;
}

}  // namespace vestrane
