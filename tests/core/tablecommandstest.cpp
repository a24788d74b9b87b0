// SPDX-License-Identifier: MIT
// Save, Copy, Paste and Clear: the text they write, the captions, the work
// directory and the dialogs' state, and that a failed save loses nothing;
// and what a command announces of its change.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/core/Workbench.h"
#include "fakes/FakeServices.h"
#include "table/TableWriter.h"

using namespace vestrane;
using vestrane::testing::FakeServices;
using vestrane::testing::readBytes;
using vestrane::testing::TempDir;
using vestrane::testing::writeBytes;

namespace {

class TableCommandsTest : public vestrane::testing::WorkbenchTest {
 protected:

  std::string loadFile(const std::string& name, const std::string& bytes) {
    std::string path = dir.file(name);
    writeBytes(path, bytes);
    services.openAnswers.push_back(path);
    bench.loadTableWithDialog();
    return path;
  }
};

/// Every change the document announced, and how many messages had been
/// shown by then.
struct Announcements : DocumentListener {
  explicit Announcements(const FakeServices& s) : services(s) {}
  void documentChanged(const DocumentChange& change) override {
    flags.push_back(change.flags);
    messagesShown.push_back(services.messages.size());
  }
  /// What the last command announced, forgotten for the next one.
  std::vector<unsigned> take() {
    std::vector<unsigned> taken;
    taken.swap(flags);
    return taken;
  }
  const FakeServices& services;
  std::vector<unsigned> flags;
  std::vector<std::size_t> messagesShown;
};

const char* kSaveExample = "Sample ID\tMineral\tSiO2\r\nKL-12\tGarnet\t37.52\r\n";
const char* kSaved =
    "Select\tSample ID\tArea\tMineral\tAnalysis\tSiO2\r\n"
    "1\tKL-12\t-\tGarnet\t-\t37.52\r\n";

}  // namespace

TEST_F(TableCommandsTest, SaveWritesHeaderAndRows) {
  std::string source = loadFile("source.tab", kSaveExample);
  std::string sub = dir.file("sub");
  std::filesystem::create_directory(sub);
  std::string target = dir.file("sub/saved.tab");
  services.saveAnswers.push_back(target);
  bench.SaveTableFile();
  ASSERT_EQ(services.saveRequests.size(), 1u);
  EXPECT_EQ(services.saveRequests[0].proposedName, source);
  EXPECT_TRUE(services.saveRequests[0].overwritePrompt);
  EXPECT_EQ(readBytes(target), kSaved);
  EXPECT_EQ(settings.workDirectory, sub);
  EXPECT_EQ(bench.openDialogInitialDir, sub);
  EXPECT_EQ(bench.caption(), "Vestrane - source.tab");  // saving keeps the caption
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(TableCommandsTest, SavedTableReadsBackTheSame) {
  loadFile("a.tab",
           "Select\tSample\tArea\tMineral\tAnalysis\tFeO\r\n"
           "1\tS1\tr1\tGrt\tg1\t30.1\r\n0\tS1\tr1\tBt\tb1\t20.2\r\n"
           "1\tS\xE9\tr1\tGrt\tg\xFF 22\t\"\"\r\n");
  std::string saved = SerializeTable(bench.table());
  EXPECT_EQ(saved,
            "Select\tSample\tArea\tMineral\tAnalysis\tFeO\r\n"
            "1\tS1\tr1\tGrt\tg1\t30.1\r\n0\tS1\tr1\tBt\tb1\t20.2\r\n"
            "1\tS\xE9\tr1\tGrt\tg\xFF 22\t\r\n");
  // Loading the saved text appends a second copy with the same flags.
  std::string text = saved;
  ASSERT_TRUE(bench.ParseTableText(text));
  ASSERT_EQ(bench.table().rowCount(), 6);
  // An empty cell in the last column ends its line with a TAB, and a line's
  // last TAB opens no further field: it reads back as missing.
  std::string rows = saved.substr(saved.find("\r\n") + 2);
  rows.insert(rows.size() - 2, "-");
  EXPECT_EQ(SerializeTable(bench.table()), saved + rows);
}

TEST_F(TableCommandsTest, SavedTableWithoutSelectAliasComesBackChecked) {
  settings.aliases.select = {"USE"};
  loadFile("a.tab", "Use\tSample\tMineral\tAnalysis\r\n0\tS1\tGrt\tg1 analysis\r\n");
  EXPECT_FALSE(bench.table().isChecked(0));
  std::string text = SerializeTable(bench.table());
  EXPECT_EQ(text.substr(0, 4), "Use\t");
  settings.aliases.select = {"PICK"};
  ASSERT_TRUE(bench.ParseTableText(text));
  EXPECT_TRUE(bench.table().isChecked(1));
  // The first field went to an extra column named after the caption.
  EXPECT_EQ(bench.table().caption(5), "Use");
}

TEST_F(TableCommandsTest, SaveFailuresKeepThePreviousFile) {
  loadFile("a.tab", kSaveExample);
  std::string folderPath = dir.file("a-folder");
  std::filesystem::create_directory(folderPath);
  services.saveAnswers.push_back(folderPath);
  bench.SaveTableFile();
  EXPECT_EQ(services.messages.back(), "Error: can not write " + folderPath + " (is a folder)");
  services.saveAnswers.push_back(std::nullopt);  // cancelled: nothing happens
  bench.SaveTableFile();
  EXPECT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(readBytes(dir.file("a.tab")), kSaveExample);
  EXPECT_EQ(settings.workDirectory, dir.path());
}

TEST_F(TableCommandsTest, CopyPasteAndCaptions) {
  bench.CopyTable();  // empty table: nothing
  bench.SaveTableFile();
  EXPECT_FALSE(services.clipboard.has_value());
  EXPECT_TRUE(services.saveRequests.empty());

  std::string source = loadFile("a.tab", kSaveExample);
  bench.CopyTable();
  ASSERT_TRUE(services.clipboard.has_value());
  EXPECT_EQ(*services.clipboard, kSaved);
  bench.PasteTable();
  EXPECT_EQ(bench.table().rowCount(), 2);
  EXPECT_EQ(bench.caption(), "Vestrane - <Not saved>");
  // The save dialog still proposes the file chosen for loading.
  services.saveAnswers.push_back(std::nullopt);
  bench.SaveTableFile();
  EXPECT_EQ(services.saveRequests.back().proposedName, source);

  // LF-only text is rejected and the caption stays; no text does nothing.
  bench.ClearTable();
  services.clipboard = "Sample\tMineral\nS1\tGrt\n";
  bench.PasteTable();
  EXPECT_EQ(services.messages.back(), kMsgLessThanTwoRows);
  EXPECT_EQ(bench.caption(), "Vestrane");
  services.clipboard.reset();
  bench.PasteTable();
  EXPECT_EQ(services.messages.size(), 1u);

  services.clipboardWritable = false;
  services.clipboard = kSaved;
  bench.PasteTable();
  bench.CopyTable();
  EXPECT_EQ(services.messages.back(), "Error: can not copy the table to the clipboard!");
}

TEST_F(TableCommandsTest, PasteKeepsNewColumnsOfDroppedLines) {
  services.clipboard = std::string("Sample\tMineral\tNewCol\r\n-\tGrt\tlong enough value\r\n");
  bench.PasteTable();
  EXPECT_EQ(bench.table().rowCount(), 0);
  EXPECT_EQ(bench.table().columnCount(), 6);
  EXPECT_EQ(bench.caption(), "Vestrane - <Not saved>");
  EXPECT_EQ(settings.workDirectory, "");  // pasting never moves the work directory
}

TEST_F(TableCommandsTest, ClearKeepsFixedCaptions) {
  loadFile("a.tab", "Sample ID\tMineral phase\tSiO2\tMgO\r\nS1\tGrt\t37.5\t5.5\r\n");
  bench.ClearTable();
  EXPECT_EQ(bench.table().rowCount(), 0);
  ASSERT_EQ(bench.table().columnCount(), 5);
  EXPECT_EQ(bench.table().caption(1), "Sample ID");
  EXPECT_EQ(bench.table().caption(3), "Mineral phase");
  EXPECT_EQ(bench.caption(), "Vestrane");
  EXPECT_EQ(bench.selectedRow(), -1);
  EXPECT_EQ(settings.workDirectory, dir.path());
  // A table loaded after clearing starts its labels at 0 and gets fresh columns.
  loadFile("b.tab", "Sample\tMineral\tAl2O3\r\nS2\tBiotite\t19.1 wt%\r\n");
  ASSERT_EQ(bench.table().rowCount(), 1);
  EXPECT_EQ(bench.table().rowLabel(0), "0");
  EXPECT_EQ(bench.table().caption(5), "Al2O3");
  EXPECT_EQ(bench.table().cell(0, 5), "19.1 wt%");
}

TEST_F(TableCommandsTest, EachCommandAnnouncesOneChangeBeforeItsMessages) {
  using C = DocumentChange;
  Announcements heard(services);
  bench.setListener(&heard);
  // The last line lacks its sample: the reader warns.
  services.clipboard =
      "Sample\tMineral\tSiO2\r\nKL-12\tGarnet\t37.52\r\nKL-12\tBiotite\t35.10\r\n\tGarnet (rim)\t38.07 wt%\r\n";
  bench.PasteTable();
  EXPECT_EQ(heard.take(), (std::vector<unsigned>{C::Rows | C::Columns | C::Point | C::Selection | C::Caption}));
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(heard.messagesShown.back(), 0u);  // the window showed the table before the warning

  EXPECT_EQ(bench.setRowChecked(1, false), std::vector<int>{1});
  EXPECT_EQ(heard.take(), std::vector<unsigned>{C::Checks | C::Point});
  EXPECT_TRUE(bench.setRowChecked(1, false).empty());
  EXPECT_EQ(heard.take(), std::vector<unsigned>{C::Point});  // no flip; the point is rebuilt
  bench.setRowSelected(0, true);
  EXPECT_TRUE(heard.take().empty());  // selected already

  bench.undo();
  EXPECT_EQ(heard.take(), std::vector<unsigned>{C::Checks | C::Point});
  bench.setRowSelected(1, true);
  EXPECT_EQ(heard.take(), std::vector<unsigned>{C::Selection});

  bench.ClearTable();
  EXPECT_EQ(heard.take(), (std::vector<unsigned>{C::Rows | C::Columns | C::Point | C::Selection | C::Caption}));
  bench.undo();
  EXPECT_EQ(heard.take(),
            (std::vector<unsigned>{C::Rows | C::Columns | C::Checks | C::Point | C::Selection | C::Caption}));
  EXPECT_EQ(bench.selectedRow(), 1);
  bench.setListener(nullptr);
}
