// SPDX-License-Identifier: MIT
#include "table/XlsReader.h"

#include <freexl.h>

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <algorithm>
#include <new>
#include <string_view>

#include "platform/core/Files.h"
#include "platform/core/Messages.h"
#include "platform/core/TemporaryFiles.h"
#include "table/CellText.h"
#include "table/CompoundFile.h"
#include "table/SheetText.h"
#include "table/XlsRecords.h"

namespace vestrane {

namespace {

/// Closes a FreeXL handle on every path out.
class FreeXlHandle {
 public:
  FreeXlHandle() = default;
  ~FreeXlHandle() {
    if (handle_) freexl_close(handle_);
  }
  FreeXlHandle(const FreeXlHandle&) = delete;
  FreeXlHandle& operator=(const FreeXlHandle&) = delete;
  int open(const std::string& path) { return freexl_open(path.c_str(), &handle_); }
  const void* get() const { return handle_; }

 private:
  const void* handle_ = nullptr;
};

std::string freeXlReason(int error) {
  switch (error) {
    case FREEXL_FILE_NOT_FOUND: return kReasonCannotOpenXls;
    case FREEXL_INSUFFICIENT_MEMORY: return outOfMemoryReason();
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER: return kReasonUnknownCharset;
    default: return kReasonXlsDamaged;
  }
}

/// What the file's compound-file container and the workbook's records say,
/// before FreeXL reads the cells; false with @p reason for a refusal.
bool readRecords(const std::string& path, std::size_t limit, XlsRecords& records,
                 std::string& reason) {
  FileBytes file;
  ReadResult read = file.open(path, false, limit, &reason);
  if (read == ReadResult::CannotOpen) {
    reason = kReasonCannotOpenXls;
    return false;
  }
  if (read != ReadResult::Ok) return false;
  CompoundFile container;
  if (!container.open(file.bytes())) {
    reason = kReasonXlsDamaged;
    return false;
  }
  // A password-protected .xlsx is a compound file with the encrypted zip in it.
  if (container.hasStream("EncryptedPackage")) {
    reason = kReasonPasswordProtected;
    return false;
  }
  std::string stream;
  if (!container.hasStream("Workbook")) {
    reason = container.hasStream("Book") ? kReasonOldExcel : kReasonNoWorkbook;
    return false;
  }
  if (!container.readStream("Workbook", stream) || !readXlsRecords(stream, records)) {
    reason = records.olderThanBiff8 ? kReasonOldExcel : kReasonXlsDamaged;
    return false;
  }
  if (records.encrypted) {
    reason = kReasonPasswordProtected;
    return false;
  }
  return true;
}

/// The records' sheet that FreeXL's sheet @p index is: FreeXL may list the
/// worksheets only.
const XlsSheetRecords* sheetRecords(const XlsRecords& records, unsigned index, unsigned count,
                                    const std::string& name) {
  if (records.sheets.size() == count) return &records.sheets[index];
  unsigned worksheets = 0;
  for (const XlsSheetRecords& s : records.sheets) {
    if (!s.worksheet) continue;
    if (worksheets == index) return s.name == name ? &s : nullptr;
    ++worksheets;
  }
  return nullptr;
}

/// Sheet @p sheet's cells into @p builder. A formula's value, a boolean and
/// an error value come from the records, which FreeXL gives empty or as 0
/// and 1; a number is the records' stored value, a date or a time (by the
/// records' number formats) its serial number through dateText.
bool readSheetCells(const void* xls, const XlsSheetRecords* extra, bool date1904,
                    SheetTextBuilder& builder, std::string& reason) {
  unsigned rows = 0;
  unsigned short columns = 0;
  // FreeXL's dimensions count the rows and columns (one past the last).
  if (freexl_worksheet_dimensions(xls, &rows, &columns) != FREEXL_OK) {
    reason = kReasonXlsDamaged;
    return false;
  }
  static const std::vector<XlsSheetRecords::Value> kNoValues;
  static const std::vector<XlsSheetRecords::Number> kNoNumbers;
  const auto& values = extra ? extra->values : kNoValues;
  const auto& numbers = extra ? extra->numbers : kNoNumbers;
  std::size_t nextValue = 0;
  std::size_t nextNumber = 0;  // numbers are by row, then column, as the cells are visited
  std::size_t lastRow = rows;
  if (!values.empty()) lastRow = std::max<std::size_t>(lastRow, values.back().row + std::size_t{1});
  std::string text;
  for (std::size_t row = 0; row < lastRow; ++row) {
    for (unsigned short column = 0; row < rows && column < columns; ++column) {
      FreeXL_CellValue cell;
      if (freexl_get_cell_value(xls, static_cast<unsigned>(row), column, &cell) != FREEXL_OK) {
        reason = kReasonXlsDamaged;
        return false;
      }
      text.clear();
      switch (cell.type) {
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
          if (cell.value.text_value) text = cell.value.text_value;
          break;
        case FREEXL_CELL_INT:
        case FREEXL_CELL_DOUBLE:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME: {
          // The records' number and number format decide between a number
          // and a date, by the rule of the other workbooks.
          while (nextNumber < numbers.size() &&
                 (numbers[nextNumber].row < row ||
                  (numbers[nextNumber].row == row && numbers[nextNumber].column < column))) {
            ++nextNumber;
          }
          if (nextNumber < numbers.size() && numbers[nextNumber].row == row &&
              numbers[nextNumber].column == column) {
            const XlsSheetRecords::Number& number = numbers[nextNumber];
            text = number.date ? dateText(number.value, date1904) : numberText(number.value);
          } else if (cell.type == FREEXL_CELL_INT) {
            text = numberText(cell.value.int_value);
          } else if (cell.type == FREEXL_CELL_DOUBLE) {
            text = numberText(cell.value.double_value);
          } else if (cell.value.text_value) {
            text = cell.value.text_value;
          }
          break;
        }
        default: break;
      }
      if (!builder.setCell(row, column, text)) break;
    }
    // The records' cells of this row replace what FreeXL gave for them.
    for (; nextValue < values.size() && values[nextValue].row == row; ++nextValue) {
      const auto& value = values[nextValue];
      if (value.text.empty()) {
        // Nothing to set: FreeXL gives a formula's cell empty.
        continue;
      }
      if (!builder.setCell(row, value.column, value.text)) break;
    }
    if (builder.tooLarge()) break;
  }
  return true;
}

}  // namespace

bool readXlsWorkbook(const std::string& path, std::size_t limit, Workbook& out,
                     std::string& reason) {
  out = Workbook();
  reason.clear();
  try {
    XlsRecords records;
    if (!readRecords(path, limit, records, reason)) return false;
    // FreeXL keeps every cell of a sheet's dimensions in memory, of 16
    // bytes each, even where the sheet is empty: a far cell of a crafted
    // file would make it take hundreds of megabytes.
    std::uint64_t cellSlots = 0;
    for (const XlsSheetRecords& sheet : records.sheets) cellSlots += sheet.cellSlots;
    if (cellSlots > limit / 16) {
      reason = tooLargeReason(limit);
      return false;
    }
    FreeXlHandle xls;
    int opened = xls.open(path);
    if (opened != FREEXL_OK) {
      reason = freeXlReason(opened);
      return false;
    }
    unsigned info = 0;
    if (freexl_get_info(xls.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
      reason = kReasonPasswordProtected;
      return false;
    }
    if (freexl_get_info(xls.get(), FREEXL_BIFF_VERSION, &info) != FREEXL_OK ||
        info != FREEXL_BIFF_VER_8) {
      reason = kReasonOldExcel;
      return false;
    }
    bool date1904 = freexl_get_info(xls.get(), FREEXL_BIFF_DATEMODE, &info) == FREEXL_OK &&
                    info == FREEXL_BIFF_DATEMODE_1904;
    unsigned count = 0;
    if (freexl_get_info(xls.get(), FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
      reason = kReasonXlsDamaged;
      return false;
    }
    Workbook book;
    std::size_t used = 0;
    for (unsigned index = 0; index < count; ++index) {
      const char* name = nullptr;
      const auto sheetIndex = static_cast<unsigned short>(index);
      if (freexl_get_worksheet_name(xls.get(), sheetIndex, &name) != FREEXL_OK ||
          freexl_select_active_worksheet(xls.get(), sheetIndex) != FREEXL_OK) {
        reason = kReasonXlsDamaged;
        return false;
      }
      SheetTable sheet;
      sheet.name = name ? name : "";
      const XlsSheetRecords* extra = sheetRecords(records, index, count, sheet.name);
      if (extra) {
        sheet.hidden = extra->hidden;
        sheet.formulasWithoutValue = extra->formulasWithoutValue;
      }
      SheetTextBuilder builder(limit - used);
      if (!readSheetCells(xls.get(), extra, date1904, builder, reason)) return false;
      if (builder.tooLarge()) {
        reason = tooLargeReason(limit);
        return false;
      }
      sheet.text = builder.finish();
      if (builder.tooLarge()) {
        reason = tooLargeReason(limit);
        return false;
      }
      used += sheet.text.size();
      book.sheets.push_back(std::move(sheet));
    }
    out = std::move(book);
    return true;
  } catch (const std::bad_alloc&) {
    out = Workbook();
    reason = outOfMemoryReason();
    return false;
  }
}

bool readXlsWorkbookBytes(std::string_view bytes, std::size_t limit, Workbook& out,
                          std::string& reason) {
  out = Workbook();
  reason.clear();
  if (bytes.size() > limit) {
    reason = tooLargeReason(limit);
    return false;
  }
  QTemporaryFile file(QDir::tempPath() + QStringLiteral("/vestrane-XXXXXX.xls"));
  if (!file.open()) {
    reason = "a temporary copy can not be written (" + file.errorString().toStdString() + ")";
    return false;
  }
  const std::string path = QFile::encodeName(file.fileName()).toStdString();
  const int remembered = rememberTemporaryFile(path);
  const bool written = file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                           static_cast<qint64>(bytes.size()) &&
                       file.flush();
  bool read = false;
  if (!written)
    reason = "a temporary copy can not be written (" + file.errorString().toStdString() + ")";
  file.close();
  if (written) read = readXlsWorkbook(file.fileName().toStdString(), limit, out, reason);
  file.remove();
  forgetTemporaryFile(remembered);
  return read;
}

}  // namespace vestrane
