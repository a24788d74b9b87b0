// SPDX-License-Identifier: MIT
#include "table/ZipWorkbook.h"

#include <new>

#include "platform/core/Messages.h"
#include "table/OdsReader.h"
#include "table/XlsxReader.h"
#include "table/ZipParts.h"

namespace vestrane {

std::string binaryWorkbookReason() {
  return "a binary workbook (.xlsb): save it as .xlsx in the spreadsheet program";
}

namespace {

constexpr std::string_view kOdsMimeType = "application/vnd.oasis.opendocument.spreadsheet";

bool readWorkbook(std::string_view bytes, std::size_t limit, Workbook& out, std::string& reason) {
  ZipParts zip(bytes, limit);
  if (!zip.isOpen()) {
    reason = zip.reason();
    return false;
  }
  if (zip.has("xl/workbook.bin")) {
    reason = binaryWorkbookReason();
    return false;
  }
  if (zip.has("xl/workbook.xml")) return readXlsx(zip, limit, out, reason);
  std::string mimeType;
  if (zip.readSmall("mimetype", 100, mimeType) && mimeType == kOdsMimeType)
    return readOds(zip, limit, out, reason);
  reason = "a zip archive without a workbook";
  return false;
}

}  // namespace

bool readZipWorkbook(std::string_view bytes, std::size_t limit, Workbook& out, std::string& reason) {
  try {
    Workbook result;
    if (!readWorkbook(bytes, limit, result, reason)) return false;
    out = std::move(result);
    return true;
  } catch (const std::bad_alloc&) {
    reason = outOfMemoryReason();
    return false;
  }
}

}  // namespace vestrane
