// SPDX-License-Identifier: MIT
#include "table/XlsxReader.h"

#include "table/XlsxParts.h"
#include "table/XlsxSheet.h"
#include "table/ZipParts.h"

namespace vestrane {

namespace {

constexpr const char* kWorkbookPart = "xl/workbook.xml";
constexpr const char* kWorkbookRelationships = "xl/_rels/workbook.xml.rels";

const Relationship* findById(const std::vector<Relationship>& list, const std::string& id) {
  for (const Relationship& r : list)
    if (r.id == id) return &r;
  return nullptr;
}

/// The part of the workbook's relationship of @p type, or @p fallback when
/// the archive holds it, or "".
std::string partOfType(const ZipParts& zip, const std::vector<Relationship>& list,
                       const std::string& type, const std::string& fallback) {
  for (const Relationship& r : list)
    if (r.type == type && zip.has(r.target)) return r.target;
  return zip.has(fallback) ? fallback : std::string();
}

}  // namespace

bool readXlsx(ZipParts& zip, std::size_t limit, Workbook& out, std::string& reason) {
  auto fail = [&](const std::string& why) {
    reason = why;
    return false;
  };
  WorkbookPartParser workbook(kWorkbookPart);
  if (!zip.read(kWorkbookPart, workbook)) return fail(zip.reason());
  RelationshipsParser relationships(kWorkbookRelationships, "xl/");
  if (!zip.read(kWorkbookRelationships, relationships)) return fail(zip.reason());
  const std::vector<Relationship>& parts = relationships.relationships;

  std::vector<bool> dateStyles;
  const std::string stylesPart = partOfType(zip, parts, "styles", "xl/styles.xml");
  if (!stylesPart.empty()) {
    StylesParser styles(stylesPart);
    if (!zip.read(stylesPart, styles)) return fail(zip.reason());
    dateStyles = styles.dateStyles();
  }
  SharedStrings strings;
  const std::string stringsPart = partOfType(zip, parts, "sharedStrings", "xl/sharedStrings.xml");
  if (!stringsPart.empty()) {
    SharedStringsParser parser(stringsPart, strings);
    if (!zip.read(stringsPart, parser)) return fail(zip.reason());
  }

  XlsxSheetContext context;
  context.strings = &strings;
  context.dateStyles = &dateStyles;
  context.date1904 = workbook.date1904;
  Workbook result;
  std::size_t used = 0;
  for (const WorkbookSheetEntry& entry : workbook.sheets) {
    SheetTable sheet;
    sheet.name = entry.name;
    sheet.hidden = entry.hidden;
    const Relationship* part = findById(parts, entry.relationship);
    if (!part) return fail("damaged workbook: no part for sheet " + entry.name);
    // Chart and dialog sheets hold no cells: they stay empty.
    if (part->type == "worksheet") {
      XlsxSheetParser parser(part->target, entry.name, context, limit, limit - used);
      if (!zip.read(part->target, parser)) return fail(zip.reason());
      sheet.text = parser.finish();
      if (!parser.reason().empty()) return fail(parser.reason());
      used += sheet.text.size();
      sheet.formulasWithoutValue = parser.formulasWithoutValue();
    }
    result.sheets.push_back(std::move(sheet));
  }
  out = std::move(result);
  return true;
}

}  // namespace vestrane
