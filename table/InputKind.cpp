// SPDX-License-Identifier: MIT
#include "table/InputKind.h"

#include <cstring>

#include "table/CsvText.h"

namespace vestrane {

namespace {

bool startsWith(std::string_view bytes, std::string_view magic) {
  return bytes.size() >= magic.size() && std::memcmp(bytes.data(), magic.data(), magic.size()) == 0;
}

bool endsWithCsv(std::string_view name) {
  if (name.size() < 4) return false;
  const std::string_view end = name.substr(name.size() - 4);
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return end[0] == '.' && lower(end[1]) == 'c' && lower(end[2]) == 's' && lower(end[3]) == 'v';
}

/// Whether one of the first kCsvGuessRecords lines (ended by LF) holds a TAB.
bool tabInFirstLines(std::string_view bytes) {
  std::size_t end = 0;
  for (int line = 0; line < kCsvGuessRecords && end < bytes.size(); ++line) {
    const std::size_t lf = bytes.find('\n', end);
    end = lf == std::string_view::npos ? bytes.size() : lf + 1;
  }
  return end > 0 && std::memchr(bytes.data(), '\t', end) != nullptr;
}

/// A local file header begins a zip with entries, the end record one
/// without any (which no workbook is, as its reader then says).
bool isZipStart(std::string_view bytes) {
  return startsWith(bytes, std::string_view("PK\x03\x04", 4)) ||
         startsWith(bytes, std::string_view("PK\x05\x06", 4));
}

bool isOle2Start(std::string_view bytes) {
  return startsWith(bytes, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
}

}  // namespace

bool isWorkbookStart(std::string_view bytes) { return isZipStart(bytes) || isOle2Start(bytes); }

InputFormat inputFormatOf(std::string_view bytes, std::string_view fileName) {
  InputFormat format;
  if (isZipStart(bytes)) {
    format.kind = InputKind::Zip;
  } else if (isOle2Start(bytes)) {
    format.kind = InputKind::Ole2;
  } else if (endsWithCsv(fileName) || !tabInFirstLines(bytes)) {
    format.kind = InputKind::DelimitedText;
    format.delimiter = guessCsvDelimiter(bytes);
  }
  return format;
}

}  // namespace vestrane
