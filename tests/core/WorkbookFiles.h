// SPDX-License-Identifier: MIT
#pragma once
// Workbooks made in memory for the tests: zip archives of inline XML parts.

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <string>
#include <utility>
#include <vector>

namespace vestrane::testing {

using ZipEntries = std::vector<std::pair<std::string, std::string>>;

/// A zip archive of @p entries, deflated, or stored as they are when
/// @p stored.
inline std::string zipOf(const ZipEntries& entries, bool stored = false) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QuaZip zip(&buffer);
    zip.setAutoClose(false);
    if (!zip.open(QuaZip::mdCreate)) return std::string();
    for (const auto& [name, text] : entries) {
      QuaZipFile file(&zip);
      if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromStdString(name)), nullptr, 0,
                     stored ? 0 : Z_DEFLATED))
        return {};
      file.write(text.data(), static_cast<qint64>(text.size()));
      file.close();
    }
    zip.close();
  }
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

/// The parts of an .xlsx workbook around its sheets.
struct XlsxFile {
  struct Sheet {
    std::string name;
    std::string xml;  ///< the worksheet part
    std::string state;
  };
  std::vector<Sheet> sheets;
  std::string sharedStrings;  ///< the <sst> part, or none
  std::string styles;         ///< the <styleSheet> part, or none
  bool date1904 = false;

  ZipEntries entries() const {
    const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    std::string workbook = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook " + ns + ">";
    if (date1904) workbook += "<workbookPr date1904=\"1\"/>";
    workbook += "<sheets>";
    std::string rels = "<?xml version=\"1.0\"?><Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    ZipEntries parts;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      const std::string id = "rId" + std::to_string(i + 1);
      // Parts named in reverse: the workbook's list gives the order.
      const std::string part = "worksheets/sheet" + std::to_string(sheets.size() - i) + ".xml";
      workbook += "<sheet name=\"" + sheets[i].name + "\" sheetId=\"" + std::to_string(i + 1) + "\"" +
                  (sheets[i].state.empty() ? "" : " state=\"" + sheets[i].state + "\"") +
                  " r:id=\"" + id + "\"/>";
      rels += "<Relationship Id=\"" + id + "\" Type=\"" + rel + "worksheet\" Target=\"" + part + "\"/>";
      parts.emplace_back("xl/" + part, sheets[i].xml);
    }
    workbook += "</sheets></workbook>";
    if (!sharedStrings.empty()) {
      rels += "<Relationship Id=\"rIdS\" Type=\"" + rel + "sharedStrings\" Target=\"sharedStrings.xml\"/>";
      parts.emplace_back("xl/sharedStrings.xml", sharedStrings);
    }
    if (!styles.empty()) {
      rels += "<Relationship Id=\"rIdY\" Type=\"" + rel + "styles\" Target=\"/xl/styles.xml\"/>";
      parts.emplace_back("xl/styles.xml", styles);
    }
    rels += "</Relationships>";
    parts.emplace_back("xl/workbook.xml", workbook);
    parts.emplace_back("xl/_rels/workbook.xml.rels", rels);
    return parts;
  }
  std::string zip() const { return zipOf(entries()); }
};

/// A worksheet part with @p rows inside its sheetData.
inline std::string worksheet(const std::string& rows) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
         "<sheetData>" + rows + "</sheetData></worksheet>";
}

}  // namespace vestrane::testing
