// SPDX-License-Identifier: MIT
// The About window: its title with the program's version, "Help" with and
// without the help file, the contact link, and "Updates".

#include <QEnterEvent>
#include <QLabel>
#include <QPushButton>

#include "UpdateTestSupport.h"
#include "about/AboutInfo.h"

namespace vestrane::testing {
namespace {

using Lines = std::vector<std::string>;

class AboutTest : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingServices services;
  std::string helpFile = dir.file("Vestrane.chm");
  std::unique_ptr<TFAbout> about = std::make_unique<TFAbout>(services, helpFile);

  void showAbout() {
    about->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about.get()));
  }
};

TEST_F(AboutTest, LooksAsDesignedAndEverythingFitsTheWindow) {
  EXPECT_EQ(about->objectName().toStdString(), "FAbout");
  EXPECT_EQ(about->windowTitle().toStdString(), "About");
  EXPECT_EQ(about->size(), QSize(332, 125));
  EXPECT_EQ(about->minimumSize(), about->maximumSize());
  EXPECT_EQ(about->palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_EQ(about->Label1->text().toStdString(), "Vestrane v.");
  EXPECT_EQ(about->Label2->text().toStdString(),
            "Generate combinations of mineral analyses for Gorlanth");
  EXPECT_EQ(about->Label3->text().toStdString(), about::kAuthorLine);
  EXPECT_EQ(about->Label4->text().toStdString(), about::kAffiliationLine);
  EXPECT_EQ(about->Label5->text().toStdString(), "E-mail:");
  EXPECT_EQ(about->Label5->geometry().right() + 1, 145);
  EXPECT_EQ(about->Label6->text().toStdString(), about::kContactAddress);
  EXPECT_EQ(about->Label6->pos(), QPoint(147, 101));
  EXPECT_EQ(about->Label6->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(about->Label6->palette().color(QPalette::WindowText), QColor(Qt::blue));
  EXPECT_EQ(about->Image1->geometry(), QRect(6, 14, 100, 100));
  EXPECT_EQ(about->Image1->pixmap().size(), QSize(100, 100));
  EXPECT_EQ(about->Button1->geometry(), QRect(222, 100, 44, 20));
  EXPECT_EQ(about->Button1->text().toStdString(), "Help");
  EXPECT_EQ(about->Button2->geometry(), QRect(270, 100, 59, 20));
  EXPECT_EQ(about->Button2->text().toStdString(), "Updates");

  // A long version still fits, and the label reads the version once however
  // often the main window completes it.
  about->appendVersion("65535.65535.65535.65535");
  about->appendVersion("1.0.0.3");
  EXPECT_EQ(about->Label1->text().toStdString(), "Vestrane v.1.0.0.3");
  about->appendVersion("65535.65535.65535.65535");
  EXPECT_LE(about->Label1->geometry().right(), 332);

  // Every text is shown whole inside its label, and the link ends before "Help".
  for (QLabel* label : {about->Label1, about->Label3, about->Label4, about->Label5, about->Label6})
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
        << label->objectName().toStdString();
  const QRect needed = about->Label2->fontMetrics().boundingRect(
      QRect(0, 0, about->Label2->width(), 1000), Qt::TextWordWrap, about->Label2->text());
  EXPECT_LE(needed.height(), about->Label2->height());
  EXPECT_LT(about->Label6->geometry().right(), about->Button1->geometry().left());
}

TEST_F(AboutTest, HelpOpensTheHelpFileAndClosesTheWindow) {
  writeBytes(helpFile, "ITSF");
  showAbout();
  QTest::mouseClick(about->Button1, Qt::LeftButton);
  EXPECT_EQ(services.opened, Lines{helpFile});
  EXPECT_TRUE(services.messages.empty());
  EXPECT_FALSE(about->isVisible());
}

TEST_F(AboutTest, WithoutTheHelpFileHelpNamesThePathItLookedFor) {
  showAbout();
  QTest::mouseClick(about->Button1, Qt::LeftButton);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0], "Error: can not find help-file " + helpFile + "!");
  EXPECT_EQ(services.messages[0].substr(services.messages[0].size() - 13), "Vestrane.chm!");
  // The message comes while the window is still up; then it closes.
  EXPECT_EQ(services.windowVisibleAtMessage, std::vector<bool>{true});
  EXPECT_FALSE(about->isVisible());
  EXPECT_TRUE(services.opened.empty());
  // The help file's name does not follow the executable's.
  EXPECT_EQ(about::HelpFilePath(dir.file("renamed-program")), helpFile);
}

TEST_F(AboutTest, TheContactLinkIsUnderlinedUnderThePointerAndStartsAMail) {
  showAbout();
  EXPECT_FALSE(about->Label6->font().underline());
  const QPointF inside(3, 3);
  QEnterEvent enter(inside, inside, about->Label6->mapToGlobal(inside));
  QApplication::sendEvent(about->Label6, &enter);
  EXPECT_TRUE(about->Label6->font().underline());
  EXPECT_TRUE(about->Label6->font().bold());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(about->Label6, &leave);
  EXPECT_FALSE(about->Label6->font().underline());
  EXPECT_TRUE(about->Label6->font().bold());

  QTest::mouseClick(about->Label6, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(services.opened,
            Lines{"mailto:" + std::string(about::kContactAddress) + "?subject=Vestrane"});
  EXPECT_TRUE(about->isVisible());
}

// ------------------------------------------------------------- the program

using AboutInProgramTest = ProgramTest;

TEST_F(AboutInProgramTest, AboutShowsTheVersionAndUpdatesRunsAManualCheck) {
  server.serve("1.0.0.3\r\nURL=Mirror;http://mirror.example/v.zip\r\n");
  now = [] { return 45000.5; };
  // Automatic checks are off; "Updates" checks all the same.
  startProgram(std::string(kAliasLines) + "ChkUpdates=N\r\nLastUpdate=01.02.2020\r\n");
  EXPECT_EQ(about->Label1->text().toStdString(), "Vestrane v.1.0.0.3");
  ASSERT_TRUE(server.requests.empty());

  bool aboutUpWhileChecking = false;
  Lines memo;
  ModalWatcher updates(update.get(), [&] {
    aboutUpWhileChecking = about->isVisible();
    memo = update->messageLines();
  });
  bool aboutWasModal = false;
  ModalWatcher aboutWatcher(about.get(), [&] {
    aboutWasModal = about->isModal();
    QTest::mouseClick(about->Button2, Qt::LeftButton);
  });
  QTest::mouseClick(form->Button3, Qt::LeftButton);

  EXPECT_EQ(aboutWatcher.shown, 1);
  EXPECT_TRUE(aboutWasModal);
  EXPECT_FALSE(about->isVisible());
  EXPECT_EQ(server.requests.size(), 1u);
  // A manual check shows an up-to-date result too, over the About window.
  EXPECT_EQ(updates.shown, 1);
  EXPECT_TRUE(aboutUpWhileChecking);
  EXPECT_EQ(memo, (Lines{"Your version of Vestrane (1.0.0.3) is actual", ""}));
  EXPECT_EQ(form->settings().lastUpdate, 45000.5);
  EXPECT_TRUE(services.messages.empty());
}

}  // namespace
}  // namespace vestrane::testing
