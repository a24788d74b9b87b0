// SPDX-License-Identifier: MIT
#include "table/NumberFormat.h"

#include <unordered_map>

namespace vestrane {

bool isDateFormatCode(std::string_view code) {
  for (std::size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    switch (c) {
      case ';':  // the other sections show negative numbers, zero and text
        return false;
      case '"': {
        std::size_t end = code.find('"', i + 1);
        if (end == std::string_view::npos) return false;
        i = end;
        break;
      }
      case '[': {
        // A colour, a condition, a locale ([$-409]) or an elapsed time.
        std::size_t end = code.find(']', i + 1);
        if (end == std::string_view::npos) return false;
        char first = end > i + 1 ? code[i + 1] : ']';
        if (first == 'h' || first == 'H' || first == 'm' || first == 'M' || first == 's' ||
            first == 'S') {
          return true;
        }
        i = end;
        break;
      }
      case '\\':  // the next character is shown as it is
      case '_':   // a space as wide as the next character
      case '*':   // the next character repeated to fill the cell
        ++i;
        break;
      case 'd': case 'D': case 'm': case 'M': case 'y': case 'Y':
      case 'h': case 'H': case 's': case 'S':
        return true;
      default:
        break;
    }
  }
  return false;
}

bool isBuiltInDateFormat(long id) {
  return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
         (id >= 50 && id <= 58);
}

void DateFormats::addFormat(long id, std::string_view code) {
  formats_.push_back({id, isDateFormatCode(code)});
}

std::vector<bool> DateFormats::dateCellFormats() const {
  // The last definition of an id counts, as a later attribute would.
  std::unordered_map<long, bool> defined;
  for (const Format& format : formats_) defined[format.id] = format.date;
  std::vector<bool> out;
  out.reserve(cellFormats_.size());
  for (long id : cellFormats_) {
    auto it = defined.find(id);
    out.push_back(it != defined.end() ? it->second : isBuiltInDateFormat(id));
  }
  return out;
}

}  // namespace vestrane
