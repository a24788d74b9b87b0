// SPDX-License-Identifier: MIT
// Fuzz target: the XML of a workbook's sheet. The input is a shared-strings
// part, a NUL, and the sheet's bytes; without a NUL it is all sheet, with no
// shared strings. The sheet goes through the .xlsx sheet reader (whole, and
// again cut into chunks where the input says) and through the .ods content
// reader, each with a small limit.
//
// Checked besides the sanitizers: the text stays within the limit; every
// line ends with CR LF and holds no other CR, LF or Ctrl-Z; every line with
// a value has the same number of fields and the last line has one; a
// refused read says why; read in chunks, the sheet gives the same text,
// count and reason as read whole.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "table/OdsReader.h"
#include "table/XlsxParts.h"
#include "table/XlsxSheet.h"

using namespace vestrane;

namespace {

constexpr std::size_t kLimit = 1 << 16;

void checkText(const std::string& text) {
  FUZZ_CHECK(text.size() <= kLimit);
  fuzz::checkSheetText(text);
}

struct SheetResult {
  bool ok;
  std::string text;
  std::string reason;
  long long formulas;
};

SheetResult readSheet(std::string_view bytes, const XlsxSheetContext& context, std::size_t chunk) {
  XlsxSheetParser parser("sheet.xml", "Fuzz", context, kLimit, kLimit);
  bool ok = true;
  std::size_t at = 0;
  do {
    std::size_t n = std::min(chunk, bytes.size() - at);
    ok = parser.parse(bytes.substr(at, n), at + n == bytes.size());
    at += n;
  } while (ok && at < bytes.size());
  SheetResult r{ok, ok ? parser.finish() : std::string(), parser.reason(), parser.formulasWithoutValue()};
  if (!parser.reason().empty()) r.ok = false;
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view stringsXml, sheetXml = input;
  if (std::size_t nul = input.find('\0'); nul != std::string_view::npos) {
    stringsXml = input.substr(0, nul);
    sheetXml = input.substr(nul + 1);
  }

  SharedStrings strings;
  if (!stringsXml.empty()) {
    SharedStringsParser parser("sharedStrings.xml", strings);
    if (!parser.parse(stringsXml, true)) FUZZ_CHECK(!parser.reason().empty());
  }
  // Style 1 shows dates, as a workbook's styles part would say.
  const std::vector<bool> dateStyles = {false, true, false};
  XlsxSheetContext context;
  context.strings = &strings;
  context.dateStyles = &dateStyles;
  context.date1904 = size % 2 == 1;

  const SheetResult whole = readSheet(sheetXml, context, sheetXml.size() + 1);
  if (whole.ok) checkText(whole.text);
  else FUZZ_CHECK(!whole.reason.empty());
  FUZZ_CHECK(whole.formulas >= 0);
  const SheetResult chunks = readSheet(sheetXml, context, 1 + size % 13);
  FUZZ_CHECK(chunks.ok == whole.ok);
  FUZZ_CHECK(chunks.text == whole.text);
  // expat may name another error, or another line, for damaged XML cut
  // elsewhere; the reader's own reasons are the same.
  if (whole.reason.rfind("damaged XML", 0) != 0) FUZZ_CHECK(chunks.reason == whole.reason);
  if (whole.ok) FUZZ_CHECK(chunks.formulas == whole.formulas);

  // The same bytes as an OpenDocument spreadsheet's content.
  Workbook book;
  OdsContentParser ods("content.xml", kLimit, book);
  if (ods.parse(sheetXml, true)) {
    std::size_t total = 0;
    for (const SheetTable& sheet : book.sheets) {
      checkText(sheet.text);
      total += sheet.text.size();
    }
    FUZZ_CHECK(total <= kLimit);
    for (const SheetTable& sheet : book.sheets) FUZZ_CHECK(sheet.formulasWithoutValue >= 0);
  } else {
    FUZZ_CHECK(!ods.reason().empty());
  }
  return 0;
}
