// SPDX-License-Identifier: MIT
#pragma once
// An OpenDocument spreadsheet (.ods) to its sheets' table text: content.xml
// holds every sheet (table:table), its cells' values and the styles that
// hide sheets.

#include <cstddef>
#include <string>
#include <string_view>
#include <optional>
#include <unordered_set>
#include <vector>

#include "table/SheetText.h"
#include "table/Workbook.h"
#include "table/XmlParser.h"

namespace vestrane {

class ZipParts;

/// An OpenDocument date-value ("2023-03-15" or "2023-03-15T12:30:00.5") as
/// the text rules write dates: "YYYY-MM-DD", or "YYYY-MM-DD hh:mm:ss" to
/// the nearest second when it has a time of day. Anything else as it is.
std::string odsDateText(std::string_view value);

/// An OpenDocument time-value (a duration, "PT12H30M00S") as a time of the
/// 1900 date system would be: dateText of the fraction of days.
std::string odsTimeText(std::string_view value);

class OdsContentParser : public XmlParser {
 public:
  /// @p limit: the most bytes all sheets' text may take together.
  OdsContentParser(std::string part, std::size_t limit, Workbook& out);

 protected:
  void startElement(std::string_view name, const char** attributes) override;
  void endElement(std::string_view name) override;
  void characters(std::string_view text) override;

 private:
  struct Run {
    std::size_t column;
    std::size_t count;
    std::string text;
  };
  void startCell(const char** attributes, bool covered);
  void finishCell();
  void finishRow();
  void finishTable();
  void refuse(const std::string& reason);

  std::size_t limit_;
  Workbook& out_;
  std::size_t used_ = 0;
  std::unordered_set<std::string> hiddenStyles_;
  std::string styleName_;  ///< the table style being read
  bool inTableStyle_ = false;

  int tableDepth_ = 0;  ///< tables inside cells are not sheets
  std::optional<SheetTextBuilder> builder_;  ///< the current sheet's
  std::size_t row_ = 0;
  std::size_t rowRepeat_ = 1;
  bool inRow_ = false;
  std::vector<Run> runs_;  ///< the row's cells with values
  std::size_t rowBytes_ = 0;
  std::size_t rowFormulasWithoutValue_ = 0;
  std::size_t column_ = 0;

  bool inCell_ = false;
  bool covered_ = false;
  int cellDepth_ = 0;       ///< elements open inside the cell
  int paragraphDepth_ = 0;  ///< the cell depth of the open <text:p>, or 0
  int skipDepth_ = 0;       ///< inside a note, annotation or frame
  std::size_t cellRepeat_ = 1;
  std::string valueType_, value_;
  std::string text_;
  bool hasParagraph_ = false;
  bool hasFormula_ = false;
};

/// Reads content.xml of the spreadsheet in @p zip.
bool readOds(ZipParts& zip, std::size_t limit, Workbook& out, std::string& reason);

}  // namespace vestrane
