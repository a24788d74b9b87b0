// SPDX-License-Identifier: MIT
#include "combine/PointFileName.h"

#include "platform/core/Text.h"
#include "table/AnalysisTable.h"

namespace vestrane {

namespace {
bool replacedInFileName(unsigned char c) {
  switch (c) {
    case ' ': case '"': case '*': case ',': case '/': case ':':
    case ';': case '<': case '>': case '?': case '\\': case '|':
      return true;
    default:
      return c < 32;
  }
}
}  // namespace

std::string pointFileName(std::string_view sample, std::string_view area) {
  std::string name;
  if (sample != kMissing) name.assign(sample.data(), sample.size());
  if (area != kMissing) {
    if (!name.empty()) name += '_';
    name.append(area.data(), area.size());
  }
  for (char& c : name)
    if (replacedInFileName(static_cast<unsigned char>(c))) c = '-';
  return name + ".tab";
}

std::string RunFileNames::take(const std::string& name) {
  if (taken_.insert(upperAscii(name)).second) return name;
  constexpr std::string_view kExtension = ".tab";
  const std::string stem = name.substr(0, name.size() - kExtension.size());
  for (unsigned long long n = 2;; ++n) {
    std::string numbered = stem + " (" + std::to_string(n) + ")" + std::string(kExtension);
    if (taken_.insert(upperAscii(numbered)).second) return numbered;
  }
}

}  // namespace vestrane
