// SPDX-License-Identifier: MIT
// Fuzz target: an .xls workbook. FreeXL opens workbooks by their path, so
// the input is written to a scratch file and read from there by the .xls
// reader, whose own reading of the compound file and the workbook's records
// must refuse what FreeXL would read out of bounds (damaged directory
// entries and sector chains, records longer than their stream, cells
// outside a sheet's dimensions, dimensions too large to hold).
//
// Checked besides the sanitizers: a read workbook stays within the limit,
// every sheet's text has CR LF line ends, no other CR, LF or Ctrl-Z, and
// the same number of fields in every line with a value, the last line
// holding one; a refused read says why and gives no sheets.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "table/XlsReader.h"

using namespace vestrane;

namespace {

constexpr std::size_t kLimit = 1 << 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = fuzz::scratchFolder() + "/input.xls";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, file) == size);
  FUZZ_CHECK(std::fclose(file) == 0);

  Workbook book;
  std::string reason;
  if (readXlsWorkbook(path, kLimit, book, reason)) {
    FUZZ_CHECK(reason.empty());
    std::size_t total = 0;
    for (const SheetTable& sheet : book.sheets) {
      fuzz::checkSheetText(sheet.text);
      total += sheet.text.size();
    }
    FUZZ_CHECK(total <= kLimit);
    for (const SheetTable& sheet : book.sheets) FUZZ_CHECK(sheet.formulasWithoutValue >= 0);
  } else {
    FUZZ_CHECK(!reason.empty());
    FUZZ_CHECK(book.sheets.empty());
  }
  return 0;
}
