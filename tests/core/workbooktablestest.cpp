// SPDX-License-Identifier: MIT
// A workbook's sheets read as tables given together, and a table file that a
// reader refuses: what is read, the note and the messages, and that a refused
// file leaves the table loaded before as it was.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/core/Workbench.h"
#include "table/TableWriter.h"
#include "table/WorkbookTables.h"

using namespace vestrane;
using vestrane::testing::readBytes;

namespace {

const char* kHeader = "Sample\tArea\tMineral\tAnalysis\tSiO2\r\n";

Workbook sheets() {
  Workbook book;
  book.sheets.push_back({"Info", false, "Metapelites of the Vestra valley\r\nOperator\tJ.\r\n"});
  book.sheets.push_back({"Garnet", false,
                         std::string("Garnet analyses\t\t\t\t\r\n") + kHeader +
                             "MP-1\tA1\tGrt\tg1\t37.04\r\n\tA1\tGrt\tg2 no sample\t37.28\r\n"});
  book.sheets.push_back({"Old", true, std::string(kHeader) + "MP-0\tX1\tGrt\told1\t36.00\r\n"});
  book.sheets.push_back({"Biotite", false,
                         std::string(kHeader) + "MP-1\tA1\t\tb1 no mineral\t35.12\r\n"
                                                "MP-1\tA1\tBt\tb2\t35.40\r\n"});
  // Formulas without a value: only those of the sheets read are counted.
  const long long formulas[] = {5, 2, 4, 1};
  for (std::size_t i = 0; i < book.sheets.size(); ++i) book.sheets[i].formulasWithoutValue = formulas[i];
  return book;
}

using WorkbookTablesTest = vestrane::testing::WorkbenchTest;

TEST_F(WorkbookTablesTest, SheetsWithAHeaderAreReadInOrderAndTheOthersNamedInOneNote) {
  AnalysisTable table;
  TableReader reader(table, settings.aliases);
  Workbook book = sheets();
  const TableReadResult result = readWorkbookTables(reader, "/data/mp.xlsx", book, {});
  EXPECT_EQ(result.status, TableReadStatus::Read);
  EXPECT_EQ(result.rowsAdded, 2);
  EXPECT_EQ(result.messages,
            (std::vector<std::string>{
                std::string(kMsgIgnoredLines) + "\r\nSheet Garnet:\r\n4: Sample ID is not specified"
                                                "\r\nSheet Biotite:\r\n2: Mineral is not specified",
                "Sheets not read: Info (no header), Old (hidden)",
                "Warning! 3 formula cell(s) without a saved value read as empty cells."}));
  EXPECT_EQ(SerializeTable(table),
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
            "1\tMP-1\tA1\tGrt\tg1\t37.04\r\n1\tMP-1\tA1\tBt\tb2\t35.40\r\n");

  // Chosen sheets only, a hidden one too; a name the workbook lacks reads nothing.
  AnalysisTable chosen;
  TableReader chosenReader(chosen, settings.aliases);
  book = sheets();
  EXPECT_EQ(readWorkbookTables(chosenReader, "/data/mp.xlsx", book, {"Old"}).messages,
            std::vector<std::string>{"Warning! 4 formula cell(s) without a saved value read as empty cells."});
  EXPECT_EQ(chosen.rowCount(), 1);
  book = sheets();
  const TableReadResult missing =
      readWorkbookTables(chosenReader, "/data/mp.xlsx", book, {"Biotite", "Pl"});
  EXPECT_EQ(missing.status, TableReadStatus::NotRead);
  EXPECT_EQ(missing.messages, std::vector<std::string>{
                                  "Error: can not read file /data/mp.xlsx (no sheet named Pl; its "
                                  "sheets: Info, Garnet, Old (hidden), Biotite)"});
  EXPECT_EQ(chosen.rowCount(), 1);

  // No sheet with a header: the format error names the file and its sheets.
  Workbook none;
  none.sheets.push_back({"Info", false, "Notes\r\n"});
  none.sheets.push_back({"Old", true, std::string(kHeader) + "MP-0\tX1\tGrt\told1\t36.00\r\n"});
  const TableReadResult notATable = readWorkbookTables(chosenReader, "/data/n.ods", none, {});
  EXPECT_EQ(notATable.status, TableReadStatus::NotATable);
  EXPECT_EQ(notATable.messages,
            std::vector<std::string>{std::string(kMsgNoHeader) +
                                     "\r\n/data/n.ods (sheets: Info, Old (hidden))"});
  EXPECT_EQ(chosen.rowCount(), 1);
}

TEST_F(WorkbookTablesTest, ARefusedWorkbookKeepsTheTableAndSaveNeverProposesASpreadsheet) {
  const std::string golden = std::string(VESTRANE_SOURCE_DIR) + "/tests/data/golden/";
  load(std::string(kHeader) + "MP-1\tA1\tGrt\tg1\t37.04\r\n");
  const std::string before = SerializeTable(table);
  const std::string refused = golden + "encrypted-package.xlsx";
  EXPECT_FALSE(bench.LoadTableFile(refused));
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].rfind("Error: can not read file " + refused + " (", 0), 0u)
      << services.messages[0];
  EXPECT_EQ(SerializeTable(table), before);

  // A workbook read, then saved: the proposal is its name with .tab.
  services.messages.clear();
  const std::string workbook = dir.file("analyses.Xlsx");
  vestrane::testing::writeBytes(workbook, readBytes(golden + "analyses.xlsx"));
  EXPECT_TRUE(bench.LoadTableFile(workbook));
  services.saveAnswers.clear();
  bench.SaveTableFile();
  ASSERT_EQ(services.saveRequests.size(), 1u);
  EXPECT_EQ(services.saveRequests[0].proposedName, dir.file("analyses.tab"));
  // A TAB file is proposed as it is.
  const std::string tab = dir.file("more.txt");
  vestrane::testing::writeBytes(tab, std::string(kHeader) + "MP-2\tA1\tGrt\tg1\t37.04\r\n");
  EXPECT_TRUE(bench.LoadTableFile(tab));
  bench.SaveTableFile();
  ASSERT_EQ(services.saveRequests.size(), 2u);
  EXPECT_EQ(services.saveRequests[1].proposedName, tab);
}

}  // namespace
