// SPDX-License-Identifier: MIT
#include "table/XlsxSheet.h"

#include <charconv>
#include <cstring>

#include "platform/core/Messages.h"
#include "table/CellText.h"

namespace vestrane {

namespace {

/// "A" for column 0, "AA" for 26.
std::string columnName(std::size_t column) {
  std::string name;
  for (++column; column > 0; column = (column - 1) / 26)
    name.insert(name.begin(), static_cast<char>('A' + (column - 1) % 26));
  return name;
}

/// Reads "B7" as column 1, row 6. False for anything else, or a column
/// past XFD, or a row past what a size_t counts.
bool parseReference(const char* reference, std::size_t& row, std::size_t& column) {
  const char* p = reference;
  std::size_t c = 0;
  for (; *p >= 'A' && *p <= 'Z'; ++p) {
    c = c * 26 + static_cast<std::size_t>(*p - 'A' + 1);
    if (c > kMaxSheetColumns) return false;
  }
  if (c == 0) return false;
  std::size_t r = 0;
  const char* digits = p;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (r > (static_cast<std::size_t>(-1) - 9) / 10) return false;
    r = r * 10 + static_cast<std::size_t>(*p - '0');
  }
  if (*p != '\0' || p == digits || r == 0) return false;
  row = r - 1;
  column = c - 1;
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' ||
                           text.front() == '\r'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' ||
                           text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

}  // namespace

XlsxSheetParser::XlsxSheetParser(std::string part, std::string sheetName,
                                 const XlsxSheetContext& context, std::size_t limit,
                                 std::size_t textLimit)
    : XmlParser(std::move(part)),
      sheetName_(std::move(sheetName)),
      context_(context),
      limit_(limit),
      builder_(textLimit) {}

std::string XlsxSheetParser::finish() {
  std::string text = builder_.finish();
  if (builder_.tooLarge()) stop(tooLargeReason(limit_));
  return text;
}

void XlsxSheetParser::refuseReference(const char* reference) {
  stop("damaged workbook: cell reference \"" + std::string(reference) + "\" in sheet " + sheetName_);
}

void XlsxSheetParser::startElement(std::string_view name, const char** attributes) {
  if (inCell_) {
    if (name == "v") {
      inValue_ = hasValue_ = true;
      value_.clear();
    } else if (name == "f") {
      hasFormula_ = true;
    } else if (name == "is") {
      inInline_ = true;
      value_.clear();
    } else if (name == "rPh") {
      ++phonetic_;
    } else if (name == "t" && inInline_ && phonetic_ == 0) {
      inText_ = true;
    }
    return;
  }
  if (name == "sheetData") {
    inSheetData_ = true;
  } else if (!inSheetData_) {
    return;
  } else if (name == "row") {
    row_ = nextRow_;
    if (const char* r = attributeValue(attributes, "r")) {
      std::size_t n = 0;
      std::string_view text(r);
      auto result = std::from_chars(text.data(), text.data() + text.size(), n);
      if (result.ec != std::errc() || result.ptr != text.data() + text.size() || n == 0) {
        refuseReference(r);
        return;
      }
      row_ = n - 1;
    }
    nextRow_ = row_ + 1;
    nextColumn_ = 0;
  } else if (name == "c") {
    startCell(attributes);
  }
}

void XlsxSheetParser::startCell(const char** attributes) {
  inCell_ = true;
  hasFormula_ = hasValue_ = inValue_ = inInline_ = inText_ = false;
  phonetic_ = 0;
  value_.clear();
  cellRow_ = row_;
  cellColumn_ = nextColumn_;
  type_ = Type::Number;
  dateStyle_ = false;
  for (const char** a = attributes; a[0]; a += 2) {
    std::string_view attribute = localName(a[0]);
    const char* value = a[1];
    if (attribute == "r") {
      if (!parseReference(value, cellRow_, cellColumn_)) refuseReference(value);
    } else if (attribute == "t") {
      std::string_view t(value);
      if (t == "s") type_ = Type::Shared;
      else if (t == "inlineStr") type_ = Type::Inline;
      else if (t == "str") type_ = Type::FormulaString;
      else if (t == "b") type_ = Type::Boolean;
      else if (t == "e") type_ = Type::Error;
      else if (t == "d") type_ = Type::Date;
    } else if (attribute == "s") {
      std::size_t style = 0;
      std::string_view s(value);
      auto result = std::from_chars(s.data(), s.data() + s.size(), style);
      dateStyle_ = result.ec == std::errc() && context_.dateStyles &&
                   style < context_.dateStyles->size() && (*context_.dateStyles)[style];
    }
  }
  if (cellColumn_ >= kMaxSheetColumns) {
    refuseReference((columnName(cellColumn_) + std::to_string(cellRow_ + 1)).c_str());
    return;
  }
  nextColumn_ = cellColumn_ + 1;
}

void XlsxSheetParser::endElement(std::string_view name) {
  if (inCell_) {
    if (name == "v") inValue_ = false;
    else if (name == "t") inText_ = false;
    else if (name == "rPh") --phonetic_;
    else if (name == "is") inInline_ = false;
    else if (name == "c") finishCell();
    return;
  }
  if (name == "sheetData") inSheetData_ = false;
}

void XlsxSheetParser::characters(std::string_view text) {
  if (inValue_ || inText_) value_.append(text);
}

void XlsxSheetParser::setCell(std::string_view text) {
  if (builder_.setCell(cellRow_, cellColumn_, text)) return;
  if (builder_.outOfOrder())
    stop("damaged workbook: rows out of order in sheet " + sheetName_);
  else
    stop(tooLargeReason(limit_));
}

void XlsxSheetParser::finishCell() {
  inCell_ = false;
  // A formula keeps its last result in <v>; one written without it (by a
  // program that does not calculate) has no value to give.
  if (hasFormula_ && (!hasValue_ || (value_.empty() && type_ != Type::FormulaString))) {
    ++formulasWithoutValue_;
    return;
  }
  // Only an inline string has its value elsewhere than in <v>.
  if (!hasValue_ && type_ != Type::Inline) return;
  switch (type_) {
    case Type::Shared: {
      std::string_view index = trimmed(value_);
      std::size_t i = 0;
      auto result = std::from_chars(index.data(), index.data() + index.size(), i);
      const std::size_t count = context_.strings ? context_.strings->size() : 0;
      if (result.ec != std::errc() || result.ptr != index.data() + index.size() || i >= count) {
        stop("shared string index " + std::string(index) + " out of range (" + std::to_string(count) +
             " strings) in cell " + columnName(cellColumn_) + std::to_string(cellRow_ + 1) +
             " of sheet " + sheetName_);
        return;
      }
      setCell(context_.strings->at(i));
      return;
    }
    case Type::Inline:
    case Type::FormulaString:
      decodeXmlStringEscapes(value_);
      setCell(value_);
      return;
    case Type::Boolean: {
      std::string_view v = trimmed(value_);
      if (v == "1" || v == "true") setCell(booleanText(true));
      else if (v == "0" || v == "false") setCell(booleanText(false));
      else setCell(value_);
      return;
    }
    case Type::Error:
      setCell(value_);
      return;
    case Type::Date: {
      // An ISO 8601 date and time: "2023-03-15T12:30:00" -> "2023-03-15 12:30:00".
      std::string_view v = trimmed(value_);
      if (v.size() >= 19 && v[10] == 'T') {
        text_.assign(v.substr(0, 10));
        if (v.substr(11, 8) != "00:00:00") text_.append(" ").append(v.substr(11, 8));
        setCell(text_);
      } else {
        setCell(v);
      }
      return;
    }
    case Type::Number:
      break;
  }
  std::string_view v = trimmed(value_);
  if (v.empty()) return;
  // from_chars takes no leading '+', which a stored number may have.
  std::string_view digits = v.front() == '+' ? v.substr(1) : v;
  double number = 0;
  auto result = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
    setCell(value_);  // not a number after all: kept as written
    return;
  }
  text_ = dateStyle_ ? dateText(number, context_.date1904) : numberText(number);
  setCell(text_);
}

}  // namespace vestrane
