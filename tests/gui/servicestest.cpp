// SPDX-License-Identifier: MIT
// The Qt side of the engine's services: text conversion, the clipboard, the
// message box and the file dialogs as the user meets them.

#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include "GuiTestSupport.h"
#include "platform/qt/QtServices.h"

namespace vestrane::testing {
namespace {

TEST(QtServicesText, ValidUtf8IsReadAsUtf8AndOtherBytesAsWindows1252) {
  EXPECT_EQ(bytesToText("Gr\xC3\xBCn"), QStringLiteral(u"Grün"));
  EXPECT_EQ(bytesToText("Gr\xFCn"), QStringLiteral(u"Grün"));
  EXPECT_EQ(bytesToText("\x80 \x9F \x81"), QStringLiteral(u"€ Ÿ \u0081"));
  // One invalid sequence makes the whole text Windows-1252.
  EXPECT_EQ(bytesToText("\xC3\xBC \xFC"), QStringLiteral(u"Ã¼ ü"));
  EXPECT_EQ(bytesToText(std::string("a\0b", 3)), QString::fromLatin1("a\0b", 3));
  EXPECT_EQ(textToBytes(QStringLiteral(u"€ü")), "\xE2\x82\xAC\xC3\xBC");
}

TEST(QtServicesText, FilterBecomesQtNameFilters) {
  const QStringList filters = toQtNameFilters("TAB-delimited tables (*.tab)|*.tab|All files (*.*)|*.*");
#ifdef Q_OS_WIN
  EXPECT_EQ(filters, (QStringList{"TAB-delimited tables (*.tab)", "All files (*.*)"}));
#else
  EXPECT_EQ(filters, (QStringList{"TAB-delimited tables (*.tab)", "All files (*)"}));
#endif
  EXPECT_EQ(toQtNameFilters("Tables|*.tab;*.txt"), (QStringList{"Tables (*.tab *.txt)"}));
  // The open dialog of "Load TAB file" shows every kind it reads first.
  EXPECT_EQ(toQtNameFilters(kOpenTableFilter),
            (QStringList{"Tables (*.tab *.txt *.tsv *.csv *.xlsx *.xlsm *.ods *.xls)",
                         "TAB-delimited tables (*.tab)", "CSV files (*.csv)",
                         "Spreadsheets (*.xlsx *.xlsm *.ods *.xls)", "All files (*)"}));
}

TEST(QtServicesClipboard, TextGoesOutReadableAndComesBackAsUtf8WithCrLf) {
  QtServices services;
  ASSERT_TRUE(services.setClipboardText("Sample\tMineral\r\nS\xFC\tGrt\r\n"));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral(u"Sample\tMineral\r\nSü\tGrt\r\n"));
  std::string text;
  ASSERT_TRUE(services.clipboardText(text));
  EXPECT_EQ(text, "Sample\tMineral\r\nS\xC3\xBC\tGrt\r\n");

  // Text with LF line ends, as the clipboard gives it on most desktops.
  QGuiApplication::clipboard()->setText(QStringLiteral("a\tb\nc\td\n"));
  ASSERT_TRUE(services.clipboardText(text));
  EXPECT_EQ(text, "a\tb\r\nc\td\r\n");

  QGuiApplication::clipboard()->clear();
  EXPECT_FALSE(services.clipboardText(text));
}

TEST(QtServicesDialogs, AMessageBoxHasTheProgramTitleAndOneOkButton) {
  QtServices services;
  bool seen = false;
  whenModalOpens<QMessageBox>([&](QMessageBox* box) {
    seen = true;
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Gorlanth Combinations"));
    EXPECT_EQ(box->text(), QStringLiteral("Files written:\na.tab\nb.tab"));
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_TRUE(box->isModal());
    box->button(QMessageBox::Ok)->click();
  });
  services.showMessage("Files written:\r\na.tab\rb.tab");
  EXPECT_TRUE(seen);
}

TEST(QtServicesDialogs, FileDialogsShowTheRequestedFolderNameAndFilter) {
  TempDir dir;
  writeBytes(dir.file("old.tab"), "x");
  QtServices services;
  FileDialogRequest request;
  request.initialDir = dir.path();
  request.proposedName = "S1_r1.tab";
  request.overwritePrompt = true;

  whenModalOpens<QFileDialog>([&](QFileDialog* dialog) {
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("tab"));
    EXPECT_EQ(dialog->nameFilters().size(), 2);
    EXPECT_EQ(dialog->directory().absolutePath(), QString::fromStdString(dir.path()));
    EXPECT_EQ(dialog->selectedFiles().value(0), QString::fromStdString(dir.file("S1_r1.tab")));
    static_cast<QDialog*>(dialog)->accept();
  });
  std::string path;
  EXPECT_TRUE(services.askSaveFile(request, path));
  EXPECT_EQ(path, dir.file("S1_r1.tab"));

  request.proposedName = dir.file("old.tab");
  request.overwritePrompt = false;
  whenModalOpens<QFileDialog>([&](QFileDialog* dialog) {
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->selectedFiles().value(0), QString::fromStdString(dir.file("old.tab")));
    dialog->reject();
  });
  EXPECT_FALSE(services.askOpenFile(request, path));
}

}  // namespace
}  // namespace vestrane::testing
