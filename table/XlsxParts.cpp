// SPDX-License-Identifier: MIT
#include "table/XlsxParts.h"

#include <charconv>

#include "table/CellText.h"

namespace vestrane {

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

/// The code unit of "_xHHHH_" at @p text[at], or -1.
long escapeAt(const std::string& text, std::size_t at) {
  if (at + 7 > text.size() || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_') return -1;
  long unit = 0;
  for (std::size_t i = at + 2; i < at + 6; ++i) {
    int d = hexDigit(text[i]);
    if (d < 0) return -1;
    unit = unit * 16 + d;
  }
  return unit;
}

bool isTrue(const char* value) {
  return value && (std::string_view(value) == "1" || std::string_view(value) == "true");
}

long numberAttribute(const char** attributes, std::string_view name, long otherwise) {
  const char* value = attributeValue(attributes, name);
  if (!value) return otherwise;
  long n = otherwise;
  std::string_view text(value);
  auto result = std::from_chars(text.data(), text.data() + text.size(), n);
  return result.ec == std::errc() ? n : otherwise;
}

}  // namespace

void decodeXmlStringEscapes(std::string& text) {
  std::size_t at = text.find("_x");
  if (at == std::string::npos) return;
  std::string out(text, 0, at);
  while (at < text.size()) {
    long unit = escapeAt(text, at);
    if (unit < 0) {
      out += text[at++];
      continue;
    }
    unsigned long cp = static_cast<unsigned long>(unit);
    std::size_t length = 7;
    if (unit >= 0xD800 && unit < 0xDC00) {
      long low = escapeAt(text, at + 7);
      if (low < 0xDC00 || low >= 0xE000) {
        out += text[at++];  // a lone surrogate stays as written
        continue;
      }
      cp = 0x10000 + ((cp - 0xD800) << 10) + static_cast<unsigned long>(low - 0xDC00);
      length = 14;
    } else if (unit >= 0xDC00 && unit < 0xE000) {
      out += text[at++];
      continue;
    }
    appendUtf8(out, static_cast<char32_t>(cp));
    at += length;
  }
  text.swap(out);
}

// ----------------------------------------------------------- shared strings

void SharedStringsParser::startElement(std::string_view name, const char**) {
  if (name == "si") {
    inItem_ = true;
    item_.clear();
  } else if (name == "rPh") {
    ++phonetic_;
  } else if (name == "t" && inItem_ && phonetic_ == 0) {
    inText_ = true;
  }
}

void SharedStringsParser::endElement(std::string_view name) {
  if (name == "t") {
    inText_ = false;
  } else if (name == "rPh") {
    if (phonetic_ > 0) --phonetic_;
  } else if (name == "si" && inItem_) {
    decodeXmlStringEscapes(item_);
    out_.add(item_);
    inItem_ = false;
  }
}

void SharedStringsParser::characters(std::string_view text) {
  if (inText_) item_.append(text);
}

// ------------------------------------------------------------------ styles

void StylesParser::startElement(std::string_view name, const char** attributes) {
  if (name == "numFmts") {
    inFormats_ = true;
  } else if (name == "cellXfs") {
    inCellStyles_ = true;
  } else if (name == "numFmt" && inFormats_) {
    const char* code = attributeValue(attributes, "formatCode");
    formats_.addFormat(numberAttribute(attributes, "numFmtId", -1), code ? code : "");
  } else if (name == "xf" && inCellStyles_) {
    formats_.addCellFormat(numberAttribute(attributes, "numFmtId", 0));
  }
}

void StylesParser::endElement(std::string_view name) {
  if (name == "numFmts") inFormats_ = false;
  else if (name == "cellXfs") inCellStyles_ = false;
}

// ---------------------------------------------------------------- workbook

void WorkbookPartParser::startElement(std::string_view name, const char** attributes) {
  if (name == "workbookPr") {
    date1904 = isTrue(attributeValue(attributes, "date1904"));
  } else if (name == "sheets") {
    inSheets_ = true;
  } else if (name == "sheet" && inSheets_) {
    WorkbookSheetEntry entry;
    const char* sheetName = attributeValue(attributes, "name");
    const char* state = attributeValue(attributes, "state");
    const char* id = attributeValue(attributes, "id");
    if (sheetName) entry.name = sheetName;
    entry.hidden = state && (std::string_view(state) == "hidden" || std::string_view(state) == "veryHidden");
    if (id) entry.relationship = id;
    sheets.push_back(std::move(entry));
  }
}

void WorkbookPartParser::endElement(std::string_view name) {
  if (name == "sheets") inSheets_ = false;
}

// ----------------------------------------------------------- relationships

std::string resolvePartName(const std::string& base, std::string_view target) {
  std::string path = target.substr(0, 1) == "/" ? std::string(target.substr(1)) : base + std::string(target);
  std::vector<std::string> segments;
  std::size_t from = 0;
  while (from <= path.size()) {
    std::size_t slash = path.find('/', from);
    if (slash == std::string::npos) slash = path.size();
    std::string segment = path.substr(from, slash - from);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(std::move(segment));
    }
    from = slash + 1;
  }
  std::string out;
  for (const std::string& s : segments) {
    if (!out.empty()) out += '/';
    out += s;
  }
  return out;
}

void RelationshipsParser::startElement(std::string_view name, const char** attributes) {
  if (name != "Relationship") return;
  const char* id = attributeValue(attributes, "Id");
  const char* type = attributeValue(attributes, "Type");
  const char* target = attributeValue(attributes, "Target");
  const char* mode = attributeValue(attributes, "TargetMode");
  if (!id || !type || !target || (mode && std::string_view(mode) == "External")) return;
  std::string_view typeText(type);
  std::size_t slash = typeText.rfind('/');
  Relationship r;
  r.id = id;
  r.type = std::string(slash == std::string_view::npos ? typeText : typeText.substr(slash + 1));
  r.target = resolvePartName(base_, target);
  relationships.push_back(std::move(r));
}

}  // namespace vestrane
