// SPDX-License-Identifier: MIT
// Reads a workbook (.xlsx, .xlsm, .ods) as the program does and writes its
// sheets' table text, one sheet after the other, to OUT (or only counts it):
// the driver bench/workbook_read.py times against other readers.
// usage: workbook_to_text WORKBOOK [OUT]

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "app/core/Workbench.h"
#include "table/ZipWorkbook.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: workbook_to_text WORKBOOK [OUT]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  std::ifstream in(argv[1], std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  vestrane::Workbook book;
  std::string reason;
  if (!vestrane::readZipWorkbook(bytes, vestrane::tableSizeLimit(), book, reason)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], reason.c_str());
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::size_t bytesOut = 0;
  for (const vestrane::SheetTable& sheet : book.sheets) bytesOut += sheet.text.size();
  if (argc > 2) {
    std::ofstream out(argv[2], std::ios::binary);
    for (const vestrane::SheetTable& sheet : book.sheets) out << sheet.text;
  }
  std::fprintf(stderr, "%zu sheets, %zu bytes of text in %.3f s\n", book.sheets.size(), bytesOut, seconds);
  return 0;
}
