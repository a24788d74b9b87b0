// SPDX-License-Identifier: MIT
#include "table/WorkbookTables.h"

#include <algorithm>

#include "platform/core/Messages.h"

namespace vestrane {

namespace {

/// The sheets' names, hidden ones marked: "Info, Garnet, Old garnet (hidden)".
std::string sheetList(const Workbook& workbook) {
  std::string list;
  for (const SheetTable& sheet : workbook.sheets) {
    if (!list.empty()) list += ", ";
    list += sheet.name;
    if (sheet.hidden) list += " (hidden)";
  }
  return list;
}

bool isSelected(const std::vector<std::string>& selected, const std::string& name) {
  return std::find(selected.begin(), selected.end(), name) != selected.end();
}

}  // namespace

TableReadResult readWorkbookTables(TableReader& reader, const std::string& path, Workbook& workbook,
                                   const std::vector<std::string>& selected) {
  TableReadResult result;
  for (const std::string& name : selected) {
    const bool found = std::any_of(workbook.sheets.begin(), workbook.sheets.end(),
                                   [&](const SheetTable& sheet) { return sheet.name == name; });
    if (!found) {
      result.messages.push_back(cannotReadFileMessage(
          path, "no sheet named " + name + "; its sheets: " + sheetList(workbook)));
      return result;
    }
  }

  std::string notRead;
  std::string ignored;  // the dropped lines of all sheets, each sheet's under its name
  int sheetsRead = 0;
  long long formulasWithoutValue = 0;  // in the sheets read
  const std::string ignoredHead = kMsgIgnoredLines;
  for (SheetTable& sheet : workbook.sheets) {
    const bool chosen = selected.empty() ? !sheet.hidden : isSelected(selected, sheet.name);
    if (!chosen) {
      if (selected.empty()) notRead += (notRead.empty() ? "" : ", ") + sheet.name + " (hidden)";
      continue;
    }
    TableReadResult read = reader.ParseTableText(sheet.text);
    std::string().swap(sheet.text);
    if (!read.read()) {
      notRead += (notRead.empty() ? "" : ", ") + sheet.name + " (no header)";
      continue;
    }
    ++sheetsRead;
    formulasWithoutValue += sheet.formulasWithoutValue;
    result.rowsAdded += read.rowsAdded;
    for (std::string& message : read.messages) {
      if (message.compare(0, ignoredHead.size(), ignoredHead) != 0) {
        result.messages.push_back(std::move(message));
        continue;
      }
      ignored += "\r\nSheet " + sheet.name + ":" + message.substr(ignoredHead.size());
    }
  }

  if (sheetsRead == 0) {
    result.status = TableReadStatus::NotATable;
    result.messages.push_back(std::string(kMsgNoHeader) + "\r\n" + path +
                              " (sheets: " + sheetList(workbook) + ")");
    return result;
  }
  result.status = TableReadStatus::Read;
  if (!ignored.empty()) result.messages.push_back(ignoredHead + ignored);
  if (!notRead.empty()) result.messages.push_back(kMsgSheetsNotRead + notRead);
  if (formulasWithoutValue > 0)
    result.messages.push_back("Warning! " + std::to_string(formulasWithoutValue) +
                              " formula cell(s) without a saved value read as empty cells.");
  return result;
}

}  // namespace vestrane
