// SPDX-License-Identifier: MIT
#pragma once
// The parts of an .xlsx/.xlsm workbook besides its sheets: the list of
// sheets (xl/workbook.xml), the relationships that locate the parts, the
// shared strings and which cell styles show dates (xl/styles.xml).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "table/NumberFormat.h"
#include "table/XmlParser.h"

namespace vestrane {

/// Decodes the _xHHHH_ escapes of workbook strings in place ("_x000D_" is
/// a CR, "_x005F_" an underscore).
void decodeXmlStringEscapes(std::string& text);

/// The workbook's strings, in one block of text.
class SharedStrings {
 public:
  std::size_t size() const { return ends_.size(); }
  std::string_view at(std::size_t index) const {
    std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_).substr(begin, ends_[index] - begin);
  }
  void add(std::string_view text) {
    text_.append(text);
    ends_.push_back(text_.size());
  }

 private:
  std::string text_;
  std::vector<std::size_t> ends_;
};

/// xl/sharedStrings.xml: each <si>'s text, its rich-text runs joined, its
/// phonetic runs (<rPh>) left out.
class SharedStringsParser : public XmlParser {
 public:
  SharedStringsParser(std::string part, SharedStrings& out) : XmlParser(std::move(part)), out_(out) {}

 protected:
  void startElement(std::string_view name, const char** attributes) override;
  void endElement(std::string_view name) override;
  void characters(std::string_view text) override;

 private:
  SharedStrings& out_;
  std::string item_;
  bool inItem_ = false;
  bool inText_ = false;
  int phonetic_ = 0;
};

/// xl/styles.xml: for each cell style (cellXfs), whether it shows a date.
class StylesParser : public XmlParser {
 public:
  explicit StylesParser(std::string part) : XmlParser(std::move(part)) {}
  /// Index: a cell's s attribute.
  std::vector<bool> dateStyles() const { return formats_.dateCellFormats(); }

 protected:
  void startElement(std::string_view name, const char** attributes) override;
  void endElement(std::string_view name) override;

 private:
  DateFormats formats_;
  bool inFormats_ = false;
  bool inCellStyles_ = false;
};

struct WorkbookSheetEntry {
  std::string name;
  bool hidden = false;
  std::string relationship;  ///< r:id
};

/// xl/workbook.xml: the sheets in order and the date system.
class WorkbookPartParser : public XmlParser {
 public:
  explicit WorkbookPartParser(std::string part) : XmlParser(std::move(part)) {}
  std::vector<WorkbookSheetEntry> sheets;
  bool date1904 = false;

 protected:
  void startElement(std::string_view name, const char** attributes) override;
  void endElement(std::string_view name) override;

 private:
  bool inSheets_ = false;
};

struct Relationship {
  std::string id;
  std::string type;    ///< its last path segment: "worksheet", "styles" ...
  std::string target;  ///< the part's name in the zip
};

/// A part's relationships (xl/_rels/workbook.xml.rels), targets resolved
/// against @p base, the folder of the part they belong to ("xl/").
class RelationshipsParser : public XmlParser {
 public:
  RelationshipsParser(std::string part, std::string base)
      : XmlParser(std::move(part)), base_(std::move(base)) {}
  std::vector<Relationship> relationships;

 protected:
  void startElement(std::string_view name, const char** attributes) override;
  void endElement(std::string_view) override {}

 private:
  std::string base_;
};

/// @p target relative to the folder @p base ("xl/"), or from the root when
/// it begins with '/'; "." and ".." segments resolved.
std::string resolvePartName(const std::string& base, std::string_view target);

}  // namespace vestrane
