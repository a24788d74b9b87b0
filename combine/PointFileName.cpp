#include "combine/PointFileName.h"

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

std::string PointFileName(std::string_view sample, std::string_view area) {
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

}  // namespace vestrane
