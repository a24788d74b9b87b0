// SPDX-License-Identifier: MIT
#pragma once
// One worksheet of an .xlsx/.xlsm workbook (xl/worksheets/sheetN.xml) to
// table text: each cell's stored value as the cell text rules make it, at
// the place its reference (r="B7") gives.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "table/SheetText.h"
#include "table/XlsxParts.h"
#include "table/XmlParser.h"

namespace vestrane {

/// What a sheet's cells need from the rest of the workbook.
struct XlsxSheetContext {
  const SharedStrings* strings = nullptr;
  const std::vector<bool>* dateStyles = nullptr;  ///< by the cells' s attribute
  bool date1904 = false;
};

/// The most columns a sheet may have (A to XFD).
inline constexpr std::size_t kMaxSheetColumns = 16384;

class XlsxSheetParser : public XmlParser {
 public:
  /// @p textLimit: the most bytes the sheet's text may take, what is left
  /// of @p limit, the bound named when it is passed.
  XlsxSheetParser(std::string part, std::string sheetName, const XlsxSheetContext& context,
                  std::size_t limit, std::size_t textLimit);

  /// The sheet's text, once the part was parsed to its end.
  std::string finish();
  /// Formula cells without a cached value seen so far.
  long long formulasWithoutValue() const { return formulasWithoutValue_; }

 protected:
  void startElement(std::string_view name, const char** attributes) override;
  void endElement(std::string_view name) override;
  void characters(std::string_view text) override;

 private:
  enum class Type { Number, Shared, Inline, FormulaString, Boolean, Error, Date };
  void startCell(const char** attributes);
  void finishCell();
  void setCell(std::string_view text);
  void refuseReference(const char* reference);

  std::string sheetName_;
  XlsxSheetContext context_;
  std::size_t limit_;
  SheetTextBuilder builder_;
  long long formulasWithoutValue_ = 0;

  bool inSheetData_ = false;
  std::size_t row_ = 0;         ///< the current <row>, from 0
  std::size_t nextRow_ = 0;     ///< for a <row> without r
  std::size_t nextColumn_ = 0;  ///< for a <c> without r

  bool inCell_ = false;
  std::size_t cellRow_ = 0, cellColumn_ = 0;
  Type type_ = Type::Number;
  bool dateStyle_ = false;
  bool hasFormula_ = false;
  bool hasValue_ = false;
  bool inValue_ = false;
  bool inInline_ = false;
  bool inText_ = false;
  int phonetic_ = 0;
  std::string value_;  ///< the <v>'s text or the inline string's
  std::string text_;   ///< scratch for the cell's text
};

}  // namespace vestrane
