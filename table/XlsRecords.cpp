// SPDX-License-Identifier: MIT
#include "table/XlsRecords.h"

#include <algorithm>
#include <cstring>

#include "table/CellText.h"
#include "table/LittleEndian.h"
#include "table/NumberFormat.h"

namespace vestrane {

namespace {

enum : std::uint16_t {
  kFormula = 0x0006,
  kEof = 0x000A,
  kFilePass = 0x002F,
  kContinue = 0x003C,
  kBoundSheet = 0x0085,
  kMulRk = 0x00BD,
  kNumber = 0x0203,
  kBoolErr = 0x0205,
  kString = 0x0207,
  kRk = 0x027E,
  kBof = 0x0809,
  kDateMode = 0x0022,
  kFormat = 0x041E,
  kXf = 0x00E0,
  kDimensions = 0x0200,
  kBlank = 0x0201,
  kLabel = 0x0204,
  kRichString = 0x00D6,
  kLabelSst = 0x00FD,
  kMulBlank = 0x00BE,
  kSharedFormula = 0x04BC,
  kArray = 0x0221,
  kDataTable = 0x0236,
};

double readDouble(std::string_view b, std::size_t at) {
  std::uint64_t bits = std::uint64_t(read32(b, at)) | std::uint64_t(read32(b, at + 4)) << 32;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

/// The number of an RK value: a 30-bit integer or the high bits of a
/// double, either of them maybe hundredfold.
double rkValue(std::uint32_t rk) {
  double value;
  if (rk & 2) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    std::uint64_t bits = std::uint64_t(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 1) ? value / 100 : value;
}

/// Appends @p count characters from @p data at @p at, one byte each (the
/// first 256 code points) or UTF-16LE, as UTF-8; stops at the data's end.
/// @return the characters read.
std::size_t appendChars(std::string& out, std::string_view data, std::size_t at, std::size_t count,
                        bool wide, std::uint16_t& pendingHigh) {
  std::size_t read = 0;
  for (; read < count; ++read) {
    if (!wide) {
      if (at >= data.size()) break;
      appendUtf8(out, static_cast<unsigned char>(data[at++]));
      continue;
    }
    if (at + 2 > data.size()) break;
    std::uint16_t unit = read16(data, at);
    at += 2;
    if (pendingHigh != 0 && unit >= 0xDC00 && unit < 0xE000) {
      appendUtf8(out, 0x10000 + ((std::uint32_t(pendingHigh) - 0xD800) << 10) + (unit - 0xDC00));
      pendingHigh = 0;
    } else if (unit >= 0xD800 && unit < 0xDC00) {
      if (pendingHigh != 0) appendUtf8(out, 0xFFFD);
      pendingHigh = unit;
    } else {
      if (pendingHigh != 0) appendUtf8(out, 0xFFFD);
      pendingHigh = 0;
      appendUtf8(out, unit >= 0xDC00 && unit < 0xE000 ? 0xFFFD : unit);
    }
  }
  return read;
}

const char* errorText(unsigned code) {
  switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    case 0x2B: return "#GETTING_DATA";
    default: return "#N/A";
  }
}

/// The records of a stream, one after the other.
class Records {
 public:
  explicit Records(std::string_view stream, std::size_t from = 0) : stream_(stream), next_(from) {}
  /// Moves to the next record; false at the end of the stream or when a
  /// record would pass it (damaged).
  bool next() {
    if (next_ + 4 > stream_.size()) return false;
    id_ = read16(stream_, next_);
    std::size_t size = read16(stream_, next_ + 2);
    if (next_ + 4 + size > stream_.size()) {
      damaged_ = true;
      return false;
    }
    data_ = stream_.substr(next_ + 4, size);
    at_ = next_;
    next_ += 4 + size;
    return true;
  }
  /// Where the record begins in the stream.
  std::size_t offset() const { return at_; }
  /// The id of the record after this one, or 0 at the end.
  std::uint16_t peekId() const { return next_ + 4 <= stream_.size() ? read16(stream_, next_) : 0; }
  std::uint16_t id() const { return id_; }
  std::string_view data() const { return data_; }
  bool damaged() const { return damaged_; }

 private:
  std::string_view stream_;
  std::size_t next_;
  std::size_t at_ = 0;
  std::uint16_t id_ = 0;
  std::string_view data_;
  bool damaged_ = false;
};

/// Whether a string of @p count characters whose flags byte is at @p flagsAt
/// of record @p d lies wholly in the record: its characters one or two
/// bytes each, after a count of rich-text runs and a size of phonetic text
/// when the flags say so. FreeXL copies such strings by the count given.
bool stringFits(std::string_view d, std::size_t flagsAt, std::size_t count) {
  if (flagsAt >= d.size()) return false;
  const unsigned flags = static_cast<unsigned char>(d[flagsAt]);
  const std::size_t at = flagsAt + 1 + ((flags & 8) ? 2 : 0) + ((flags & 4) ? 4 : 0);
  return at <= d.size() && count * ((flags & 1) ? 2 : 1) <= d.size() - at;
}

/// The text of a STRING record (a formula's string result), continued in
/// CONTINUE records, each of which begins with its own width flag.
std::string stringRecordText(Records& records) {
  std::string out;
  std::string_view data = records.data();
  if (data.size() < 3) return out;
  std::size_t count = read16(data, 0);
  std::uint16_t pendingHigh = 0;
  std::size_t done = appendChars(out, data, 3, count, (data[2] & 1) != 0, pendingHigh);
  while (done < count && records.peekId() == kContinue && records.next()) {
    std::string_view more = records.data();
    if (more.empty()) break;
    done += appendChars(out, more, 1, count - done, (more[0] & 1) != 0, pendingHigh);
  }
  return out;
}

/// What the workbook globals tell about dates, for cells that hold numbers.
struct DateSettings {
  bool date1904 = false;
  std::vector<bool> xfIsDate;  ///< by cell format (XF) index
  bool isDate(std::uint16_t xf) const { return xf < xfIsDate.size() && xfIsDate[xf]; }
};

bool byPlace(std::uint32_t rowA, std::uint16_t colA, std::uint32_t rowB, std::uint16_t colB) {
  return rowA != rowB ? rowA < rowB : colA < colB;
}

/// Whether a record of @p id is a cell: row and column in its first four
/// bytes (a MUL record's last column in its last two).
bool isCellRecord(std::uint16_t id) {
  switch (id) {
    case kFormula:
    case kMulRk:
    case kRichString:
    case kLabelSst:
    case kMulBlank:
    case kBlank:
    case kNumber:
    case kLabel:
    case kBoolErr:
    case kRk: return true;
    default: return false;
  }
}

/// A cell's place as one number that orders cells by row, then column;
/// the first cell (A1) is 1.
std::uint64_t cellKey(std::uint32_t row, std::uint16_t column) {
  return (std::uint64_t(row) << 16 | column) + 1;
}

/// Whether no cell of the sheet whose substream begins at @p offset (read
/// by readSheet already, so whole) is given by two records. FreeXL keeps
/// only the later of two, without freeing the text it made for the first.
/// Writers give the cells in order, which readSheet checks as it goes;
/// only a sheet given out of order comes here.
bool cellsGivenOnce(std::string_view stream, std::size_t offset, std::uint64_t cellSlots) {
  Records records(stream, offset);
  std::vector<std::uint64_t> cells;
  int depth = 0;
  while (records.next()) {
    const std::uint16_t id = records.id();
    if (id == kBof) ++depth;
    else if (id == kEof && --depth == 0) break;
    if (depth != 1 || !isCellRecord(id)) continue;
    std::string_view d = records.data();
    std::uint16_t column = read16(d, 2);
    std::uint16_t lastColumn = id == kMulRk || id == kMulBlank ? read16(d, d.size() - 2) : column;
    for (std::uint32_t c = column; c <= lastColumn; ++c) {
      // More cells than the dimensions hold: some cell is given twice.
      if (cells.size() >= cellSlots) return false;
      cells.push_back(cellKey(read16(d, 0), static_cast<std::uint16_t>(c)));
    }
  }
  std::sort(cells.begin(), cells.end());
  return std::adjacent_find(cells.begin(), cells.end()) == cells.end();
}

/// Reads one sheet's substream, from its BOF record to its EOF record;
/// substreams inside it (an embedded chart) are passed over.
/// FreeXL keeps the cells in a table of the sheet's dimensions and takes a
/// cell's place from its record unchecked: a sheet with a cell outside its
/// dimensions (or before them, or with dimensions given twice), or with a
/// cell given twice, is damaged.
bool readSheet(std::string_view stream, std::size_t offset, const DateSettings& dates,
               XlsSheetRecords& sheet) {
  Records records(stream, offset);
  if (!records.next() || records.id() != kBof) return false;
  int depth = 1;
  bool haveDimensions = false;
  bool cellsInOrder = true;  // each cell after the one before, by row and column
  std::uint64_t lastCell = 0;
  std::uint32_t rowsEnd = 0;
  std::uint16_t columnsEnd = 0;
  while (depth > 0) {
    if (!records.next()) return false;
    std::string_view d = records.data();
    const std::uint16_t id = records.id();
    if (id == kBof) {
      ++depth;
      continue;
    }
    if (id == kEof) {
      --depth;
      continue;
    }
    if (depth != 1) continue;
    if (isCellRecord(id)) {
      if (!haveDimensions || d.size() < 6) return false;
      const std::uint16_t row = read16(d, 0);
      std::uint16_t lastColumn = read16(d, 2);
      if (id == kMulRk || id == kMulBlank) lastColumn = read16(d, d.size() - 2);
      if (row >= rowsEnd || lastColumn >= columnsEnd || lastColumn < read16(d, 2)) return false;
      if ((id == kLabel || id == kRichString) && (d.size() < 9 || !stringFits(d, 8, read16(d, 6))))
        return false;
      const std::uint64_t first = cellKey(row, read16(d, 2));
      if (first <= lastCell) cellsInOrder = false;
      lastCell = cellKey(row, lastColumn);
    }
    if (id == kDimensions) {
      // One past the last row (32 bits) and column (16 bits) that hold a
      // cell; FreeXL counts from the first row and column.
      if (haveDimensions || d.size() < 12) return false;
      haveDimensions = true;
      rowsEnd = read32(d, 4);
      columnsEnd = read16(d, 10);
      sheet.cellSlots = std::uint64_t(rowsEnd) * columnsEnd;
    } else if (id == kNumber && d.size() >= 14) {
      sheet.numbers.push_back(
          {read16(d, 0), read16(d, 2), dates.isDate(read16(d, 4)), readDouble(d, 6)});
    } else if (id == kRk && d.size() >= 10) {
      sheet.numbers.push_back(
          {read16(d, 0), read16(d, 2), dates.isDate(read16(d, 4)), rkValue(read32(d, 6))});
    } else if (id == kMulRk && d.size() >= 6) {
      const std::uint32_t row = read16(d, 0);
      std::uint16_t column = read16(d, 2);
      for (std::size_t at = 4; at + 6 + 2 <= d.size(); at += 6, ++column) {
        sheet.numbers.push_back(
            {row, column, dates.isDate(read16(d, at)), rkValue(read32(d, at + 2))});
      }
    } else if (id == kBoolErr && d.size() >= 8) {
      const unsigned value = static_cast<unsigned char>(d[6]);
      std::string text = d[7] ? errorText(value) : booleanText(value != 0);
      sheet.values.push_back({read16(d, 0), read16(d, 2), std::move(text)});
    } else if (id == kFormula && d.size() >= 20) {
      XlsSheetRecords::Value cell{read16(d, 0), read16(d, 2), std::string()};
      // The result: a double, or when its last two bytes are FFFF a typed
      // value whose first byte tells the type.
      if (read16(d, 12) != 0xFFFF) {
        const double number = readDouble(d, 6);
        const bool date = dates.isDate(read16(d, 4));
        cell.text = date ? dateText(number, dates.date1904) : numberText(number);
      } else {
        const unsigned type = static_cast<unsigned char>(d[6]);
        const unsigned value = static_cast<unsigned char>(d[8]);
        if (type == 0) {
          // A string: it follows in a STRING record (after any records of
          // a shared or array formula).
          while ((records.peekId() == kSharedFormula || records.peekId() == kArray ||
                  records.peekId() == kDataTable) &&
                 records.next()) {
          }
          if (records.peekId() == kString && records.next()) cell.text = stringRecordText(records);
        } else if (type == 1) {
          cell.text = booleanText(value != 0);
        } else if (type == 2) {
          cell.text = errorText(value);
        }
        // Type 3, an empty value, is what writers that compute nothing
        // leave in every formula: a formula without a value.
        if (type == 3 || type > 3) ++sheet.formulasWithoutValue;
      }
      sheet.values.push_back(std::move(cell));
    }
  }
  if (!cellsInOrder && !cellsGivenOnce(stream, offset, sheet.cellSlots)) return false;
  auto numberOrder = [](const XlsSheetRecords::Number& a, const XlsSheetRecords::Number& b) {
    return byPlace(a.row, a.column, b.row, b.column);
  };
  auto valueOrder = [](const XlsSheetRecords::Value& a, const XlsSheetRecords::Value& b) {
    return byPlace(a.row, a.column, b.row, b.column);
  };
  if (!std::is_sorted(sheet.numbers.begin(), sheet.numbers.end(), numberOrder)) {
    std::stable_sort(sheet.numbers.begin(), sheet.numbers.end(), numberOrder);
  }
  if (!std::is_sorted(sheet.values.begin(), sheet.values.end(), valueOrder)) {
    std::stable_sort(sheet.values.begin(), sheet.values.end(), valueOrder);
  }
  return true;
}

/// Whether the substreams after the workbook globals (@p records is at
/// their EOF) are the sheets', one after the other: each at its sheet's
/// offset, of its kind (a worksheet's BOF says so, another sheet's does
/// not), with no further substream after the last. FreeXL takes the
/// substreams in the order they come and the kind of each from its BOF,
/// while the sheets' offsets lead readSheet; a stream in which the two
/// differ would let FreeXL read cells that were never checked.
bool substreamsInOrder(Records& records, const std::vector<XlsSheetRecords>& sheets,
                       const std::vector<std::uint32_t>& offsets) {
  constexpr std::uint16_t kWorksheetBof = 0x0010;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    if (!records.next() || records.id() != kBof || records.offset() != offsets[i] ||
        records.data().size() < 4) {
      return false;
    }
    if ((read16(records.data(), 2) == kWorksheetBof) != sheets[i].worksheet) return false;
    for (int depth = 1; depth > 0;) {
      if (!records.next()) return false;
      if (records.id() == kBof) ++depth;
      else if (records.id() == kEof) --depth;
    }
  }
  while (records.next()) {
    if (records.id() == kBof) return false;
  }
  return true;
}

}  // namespace

bool readXlsRecords(std::string_view stream, XlsRecords& out) {
  out = XlsRecords();
  Records records(stream);
  // The workbook globals: a BOF of BIFF8 (version 0600), ended by EOF.
  if (!records.next() || records.id() != kBof || records.data().size() < 4) return false;
  if (read16(records.data(), 0) != 0x0600) {
    out.olderThanBiff8 = read16(records.data(), 0) < 0x0600;
    return false;
  }
  std::vector<std::uint32_t> offsets;
  DateSettings dates;
  DateFormats formats;
  while (records.next() && records.id() != kEof) {
    std::string_view d = records.data();
    if (records.id() == kDateMode && d.size() >= 2) dates.date1904 = read16(d, 0) == 1;
    if (records.id() == kFormat) {
      if (d.size() < 5 || !stringFits(d, 4, read16(d, 2))) return false;
      std::string code;
      std::uint16_t pendingHigh = 0;
      appendChars(code, d, 5, read16(d, 2), (d[4] & 1) != 0, pendingHigh);
      formats.addFormat(read16(d, 0), code);
    }
    if (records.id() == kXf && d.size() >= 4) {
      formats.addCellFormat(read16(d, 2));
    }
    if (records.id() == kFilePass) {
      // Everything after this record is encrypted.
      out.encrypted = true;
      return true;
    }
    if (records.id() == kBoundSheet) {
      if (d.size() < 8 || !stringFits(d, 7, static_cast<unsigned char>(d[6]))) return false;
      XlsSheetRecords sheet;
      sheet.hidden = (d[4] & 3) != 0;
      sheet.worksheet = d[5] == 0;
      std::uint16_t pendingHigh = 0;
      appendChars(sheet.name, d, 8, static_cast<unsigned char>(d[6]), (d[7] & 1) != 0, pendingHigh);
      offsets.push_back(read32(d, 0));
      out.sheets.push_back(std::move(sheet));
    }
  }
  if (records.damaged() || records.id() != kEof) return false;
  if (!substreamsInOrder(records, out.sheets, offsets)) return false;
  dates.xfIsDate = formats.dateCellFormats();
  for (std::size_t i = 0; i < out.sheets.size(); ++i) {
    // Only worksheets hold cells; a chart sheet's substream is not read.
    if (out.sheets[i].worksheet && !readSheet(stream, offsets[i], dates, out.sheets[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace vestrane
