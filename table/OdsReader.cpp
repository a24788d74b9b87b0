// SPDX-License-Identifier: MIT
#include "table/OdsReader.h"

#include <charconv>
#include <cmath>

#include "platform/core/Messages.h"
#include "table/CellText.h"
#include "table/XlsxSheet.h"
#include "table/ZipParts.h"

namespace vestrane {

namespace {

constexpr const char* kContentPart = "content.xml";

/// Reads the digits at @p p into @p n (at most @p most of them, at least 1).
bool readNumber(std::string_view text, std::size_t& p, long long& n, std::size_t most = 18) {
  std::size_t begin = p;
  n = 0;
  while (p < text.size() && p - begin < most && text[p] >= '0' && text[p] <= '9')
    n = n * 10 + (text[p++] - '0');
  return p > begin;
}

/// A fraction of a second, ".5" -> 0.5; none gives 0.
double readFraction(std::string_view text, std::size_t& p) {
  if (p >= text.size() || (text[p] != '.' && text[p] != ',')) return 0;
  double fraction = 0, scale = 0.1;
  for (++p; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p, scale /= 10)
    fraction += (text[p] - '0') * scale;
  return fraction;
}

std::size_t repeatAttribute(const char** attributes, std::string_view name) {
  const char* value = attributeValue(attributes, name);
  if (!value) return 1;
  std::string_view text(value);
  std::size_t n = 1;
  auto result = std::from_chars(text.data(), text.data() + text.size(), n);
  if (result.ec == std::errc::result_out_of_range) return static_cast<std::size_t>(-1) / 4;
  return result.ec == std::errc() && n > 0 ? n : 1;
}

std::size_t saturatedAdd(std::size_t a, std::size_t b) {
  constexpr std::size_t kMost = static_cast<std::size_t>(-1) / 4;
  return a > kMost - (b > kMost ? kMost : b) ? kMost : a + b;
}

}  // namespace

std::string odsDateText(std::string_view value) {
  std::size_t p = 0;
  long long year, month, day, hour = 0, minute = 0, second = 0;
  double fraction = 0;
  if (!readNumber(value, p, year, 4) || p != 4 || p >= value.size() || value[p++] != '-' ||
      !readNumber(value, p, month, 2) || p >= value.size() || value[p++] != '-' ||
      !readNumber(value, p, day, 2))
    return std::string(value);
  if (p < value.size() && value[p] == 'T') {
    ++p;
    if (!readNumber(value, p, hour, 2) || p >= value.size() || value[p++] != ':' ||
        !readNumber(value, p, minute, 2) || p >= value.size() || value[p++] != ':' ||
        !readNumber(value, p, second, 2))
      return std::string(value);
    fraction = readFraction(value, p);
  }
  long long seconds = hour * 3600 + minute * 60 + second + std::llround(fraction);
  std::string text = calendarText(year, static_cast<unsigned>(month), static_cast<unsigned>(day),
                                  seconds);
  return text.empty() ? std::string(value) : text;
}

std::string odsTimeText(std::string_view value) {
  // [-]P[nD][T[nH][nM][n[.f]S]]
  std::size_t p = 0;
  bool negative = p < value.size() && value[p] == '-';
  if (negative) ++p;
  if (p >= value.size() || value[p++] != 'P') return std::string(value);
  double seconds = 0;
  bool inTime = false, any = false;
  while (p < value.size()) {
    if (value[p] == 'T') {
      inTime = true;
      ++p;
      continue;
    }
    long long n;
    if (!readNumber(value, p, n)) return std::string(value);
    double amount = static_cast<double>(n) + readFraction(value, p);
    if (p >= value.size()) return std::string(value);
    char unit = value[p++];
    if (unit == 'D' && !inTime) seconds += amount * 86400;
    else if (unit == 'H' && inTime) seconds += amount * 3600;
    else if (unit == 'M' && inTime) seconds += amount * 60;
    else if (unit == 'S' && inTime) seconds += amount;
    else return std::string(value);
    any = true;
  }
  if (!any) return std::string(value);
  return dateText((negative ? -seconds : seconds) / 86400.0, false);
}

OdsContentParser::OdsContentParser(std::string part, std::size_t limit, Workbook& out)
    : XmlParser(std::move(part)), limit_(limit), out_(out) {}

void OdsContentParser::refuse(const std::string& reason) { stop(reason); }

void OdsContentParser::startElement(std::string_view name, const char** attributes) {
  if (inCell_) {
    ++cellDepth_;
    if (covered_) return;
    if (skipDepth_ != 0 || name == "annotation" || name == "note" || name == "frame") {
      ++skipDepth_;
      return;
    }
    if (name == "p" && paragraphDepth_ == 0) {
      if (hasParagraph_) text_ += ' ';
      hasParagraph_ = true;
      paragraphDepth_ = cellDepth_;
    } else if (paragraphDepth_ != 0) {
      if (name == "s") {
        std::size_t spaces = repeatAttribute(attributes, "c");
        if (spaces > limit_ - text_.size()) {
          refuse(tooLargeReason(limit_));
          return;
        }
        text_.append(spaces, ' ');
      } else if (name == "tab" || name == "line-break") {
        text_ += ' ';
      }
    }
    return;
  }
  if (name == "table") {
    if (++tableDepth_ != 1) return;
    SheetTable sheet;
    if (const char* n = attributeValue(attributes, "name")) sheet.name = n;
    const char* display = attributeValue(attributes, "display");
    const char* style = attributeValue(attributes, "style-name");
    sheet.hidden = (display && std::string_view(display) == "false") ||
                   (style && hiddenStyles_.count(style) != 0);
    out_.sheets.push_back(std::move(sheet));
    builder_.emplace(limit_ - used_);
    row_ = 0;
    return;
  }
  if (tableDepth_ == 0) {
    if (name == "style") {
      const char* family = attributeValue(attributes, "family");
      const char* styleName = attributeValue(attributes, "name");
      inTableStyle_ = family && std::string_view(family) == "table" && styleName;
      if (inTableStyle_) styleName_ = styleName;
    } else if (name == "table-properties" && inTableStyle_) {
      const char* display = attributeValue(attributes, "display");
      if (display && std::string_view(display) == "false") hiddenStyles_.insert(styleName_);
    }
    return;
  }
  if (tableDepth_ != 1) return;
  if (name == "table-row") {
    inRow_ = true;
    rowRepeat_ = repeatAttribute(attributes, "number-rows-repeated");
    runs_.clear();
    rowBytes_ = 0;
    rowFormulasWithoutValue_ = 0;
    column_ = 0;
  } else if (inRow_ && (name == "table-cell" || name == "covered-table-cell")) {
    startCell(attributes, name == "covered-table-cell");
  }
}

void OdsContentParser::startCell(const char** attributes, bool covered) {
  inCell_ = true;
  covered_ = covered;
  cellDepth_ = paragraphDepth_ = skipDepth_ = 0;
  hasParagraph_ = false;
  text_.clear();
  valueType_.clear();
  value_.clear();
  cellRepeat_ = repeatAttribute(attributes, "number-columns-repeated");
  if (covered) return;
  hasFormula_ = attributeValue(attributes, "formula") != nullptr;
  const char* type = attributeValue(attributes, "value-type");
  if (!type) return;
  valueType_ = type;
  const char* value = nullptr;
  if (valueType_ == "float" || valueType_ == "percentage" || valueType_ == "currency")
    value = attributeValue(attributes, "value");
  else if (valueType_ == "date")
    value = attributeValue(attributes, "date-value");
  else if (valueType_ == "time")
    value = attributeValue(attributes, "time-value");
  else if (valueType_ == "boolean")
    value = attributeValue(attributes, "boolean-value");
  else if (valueType_ == "string")
    value = attributeValue(attributes, "string-value");
  if (value) value_ = value;
}

void OdsContentParser::characters(std::string_view text) {
  if (!inCell_ || covered_ || paragraphDepth_ == 0 || skipDepth_ != 0) return;
  if (text.size() > limit_ - text_.size()) {
    refuse(tooLargeReason(limit_));
    return;
  }
  text_.append(text);
}

void OdsContentParser::finishCell() {
  inCell_ = false;
  std::string text;
  const bool formula = hasFormula_;
  hasFormula_ = false;
  if (covered_) {
    // The merged cell's value stands in its first cell only.
  } else if (valueType_ == "float" || valueType_ == "percentage" || valueType_ == "currency") {
    double number = 0;
    auto result = std::from_chars(value_.data(), value_.data() + value_.size(), number);
    if (!value_.empty() && result.ec == std::errc() && result.ptr == value_.data() + value_.size())
      text = numberText(number);
    else
      text = value_.empty() ? text_ : value_;
  } else if (valueType_ == "date") {
    text = value_.empty() ? text_ : odsDateText(value_);
  } else if (valueType_ == "time") {
    text = value_.empty() ? text_ : odsTimeText(value_);
  } else if (valueType_ == "boolean") {
    if (value_ == "true" || value_ == "false") text = booleanText(value_ == "true");
    else text = value_.empty() ? text_ : value_;
  } else {
    text = hasParagraph_ || value_.empty() ? text_ : value_;
  }
  // A formula keeps its last result as the cell's value; one written
  // without it (by a program that does not calculate) has none to give.
  if (text.empty() && formula && valueType_.empty())
    rowFormulasWithoutValue_ = saturatedAdd(rowFormulasWithoutValue_, cellRepeat_);
  if (!text.empty()) {
    if (column_ >= kMaxSheetColumns) {
      refuse("damaged workbook: more than " + std::to_string(kMaxSheetColumns) +
             " columns in sheet " + out_.sheets.back().name);
      return;
    }
    std::size_t count = cellRepeat_;
    if (count > kMaxSheetColumns - column_) count = kMaxSheetColumns - column_;
    // The row's cells wait for its end: together they stay within the limit.
    if (text.size() > limit_ - rowBytes_) {
      refuse(tooLargeReason(limit_));
      return;
    }
    rowBytes_ += text.size();
    runs_.push_back(Run{column_, count, std::move(text)});
  }
  // A repeated empty tail costs nothing: only the column moves on.
  column_ = saturatedAdd(column_, cellRepeat_);
}

void OdsContentParser::finishRow() {
  inRow_ = false;
  if (!runs_.empty()) {
    for (std::size_t r = 0; r < rowRepeat_; ++r) {
      for (const Run& run : runs_) {
        for (std::size_t c = 0; c < run.count; ++c) {
          if (!builder_->setCell(row_ + r, run.column + c, run.text)) {
            refuse(builder_->outOfOrder() ? "damaged workbook: rows out of order in sheet " +
                                                out_.sheets.back().name
                                          : tooLargeReason(limit_));
            return;
          }
        }
      }
    }
  }
  if (rowFormulasWithoutValue_ != 0) {
    const long long most = static_cast<long long>(static_cast<std::size_t>(-1) / 4);
    const double count = static_cast<double>(rowFormulasWithoutValue_) * static_cast<double>(rowRepeat_);
    long long& sheetCount = out_.sheets.back().formulasWithoutValue;
    sheetCount = count >= static_cast<double>(most - sheetCount) ? most : sheetCount + static_cast<long long>(count);
  }
  row_ = saturatedAdd(row_, rowRepeat_);
}

void OdsContentParser::finishTable() {
  out_.sheets.back().text = builder_->finish();
  if (builder_->tooLarge()) {
    refuse(tooLargeReason(limit_));
    return;
  }
  used_ += out_.sheets.back().text.size();
  builder_.reset();
}

void OdsContentParser::endElement(std::string_view name) {
  if (inCell_) {
    if (cellDepth_ == 0) {
      finishCell();
      return;
    }
    if (skipDepth_ != 0) --skipDepth_;
    else if (cellDepth_ == paragraphDepth_) paragraphDepth_ = 0;
    --cellDepth_;
    return;
  }
  if (tableDepth_ == 0) {
    if (name == "style") inTableStyle_ = false;
    return;
  }
  if (name == "table") {
    if (--tableDepth_ == 0) finishTable();
    return;
  }
  if (tableDepth_ == 1 && inRow_ && name == "table-row") finishRow();
}

bool readOds(ZipParts& zip, std::size_t limit, Workbook& out, std::string& reason) {
  Workbook result;
  OdsContentParser parser(kContentPart, limit, result);
  if (!zip.read(kContentPart, parser)) {
    reason = zip.reason();
    return false;
  }
  out = std::move(result);
  return true;
}

}  // namespace vestrane
