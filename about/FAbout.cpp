// SPDX-License-Identifier: MIT
#include "about/FAbout.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "about/AboutInfo.h"
#include "platform/core/Services.h"
#include "platform/qt/ProgramIcon.h"
#include "platform/qt/QtServices.h"
#include "platform/qt/WindowFont.h"
#include "update/core/UpdateCheck.h"

namespace vestrane {

namespace {

const char* const kTitle = "Vestrane v.";
const char* const kDescription = "Generate combinations of mineral analyses for Gorlanth";
const QColor kMaroon(0x80, 0x00, 0x00);

QFont pixelFont(const char* family, QFont::StyleHint hint, int pixels, bool bold) {
  QFont like;
  like.setPixelSize(pixels);
  like.setBold(bold);
  return designedFont(QString::fromLatin1(family), hint, like);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(font);
  return label;
}

void setTextColor(QLabel* label, const QColor& color) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
}

}  // namespace

TFAbout::TFAbout(Services& services, std::string helpFilePath, QWidget* parent)
    : QDialog(parent), services_(services), help_{std::move(helpFilePath), std::string()} {
  setObjectName(QStringLiteral("FAbout"));
  setWindowTitle(QStringLiteral("About"));
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(kWidth, kHeight);
  setSizeGripEnabled(false);
  QPalette background = palette();
  background.setColor(QPalette::Window, Qt::white);
  setPalette(background);
  setAutoFillBackground(true);
  createControls();
}

void TFAbout::createControls() {
  // The buttons use the window's own font.
  QFont buttonFont = pixelFont(kWindowFamily, QFont::SansSerif, 9, false);
  setFont(buttonFont);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(6, 14, 100, 100);
  Image1->setPixmap(programPicture(100));

  const QFont titleFont = pixelFont("Times New Roman", QFont::Serif, 19, true);
  Label1 = makeLabel(this, "Label1", QString::fromLatin1(kTitle), titleFont);
  setTextColor(Label1, kMaroon);
  placeTitle();

  const QString description = QString::fromLatin1(kDescription);
  const QRect descriptionBox(112, 26, 209, 36);
  Label2 = makeLabel(this, "Label2", description,
                     fittedWrappedFont(pixelFont("Times New Roman", QFont::Serif, 15, true),
                                       description, descriptionBox.size(), 8));
  setTextColor(Label2, kMaroon);
  Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Label2->setWordWrap(true);
  Label2->setGeometry(descriptionBox);

  const QFont arial = pixelFont("Arial", QFont::SansSerif, 11, true);
  const QString author = bytesToText(about::kAuthorLine);
  const QString affiliation = bytesToText(about::kAffiliationLine);
  Label3 = makeLabel(this, "Label3", author, fittedFont(arial, {{author, 220}}, 8));
  Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Label3->setGeometry(108, 65, 220, 15);
  Label4 = makeLabel(this, "Label4", affiliation, fittedFont(arial, {{affiliation, 184}}, 8));
  Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Label4->setGeometry(126, 81, 184, 16);

  Label5 = makeLabel(this, "Label5", QStringLiteral("E-mail:"), arial);
  Label5->setAlignment(Qt::AlignRight | Qt::AlignTop);
  Label5->adjustSize();
  Label5->move(145 - Label5->width(), 101);

  // The contact address, a link. It ends before the "Help" button however
  // long the address is: narrowed first, and an address too long even then
  // is shortened with "..." (its tool tip and the mail link keep it whole).
  constexpr int kLinkLeft = 147;
  constexpr int kButtonLeft = 222;
  constexpr int kLinkWidth = kButtonLeft - 2 - kLinkLeft;
  const QString address = bytesToText(about::kContactAddress);
  const QFont linkFont = fittedFont(arial, {{address, kLinkWidth}}, 8);
  const QString shown = QFontMetrics(linkFont).elidedText(address, Qt::ElideRight, kLinkWidth);
  Label6 = makeLabel(this, "Label6", shown, linkFont);
  if (shown != address) Label6->setToolTip(address);
  setTextColor(Label6, Qt::blue);
  Label6->setCursor(Qt::PointingHandCursor);
  Label6->adjustSize();
  Label6->move(kLinkLeft, 101);
  Label6->installEventFilter(this);

  Button1 = new QPushButton(QStringLiteral("Help"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(kButtonLeft, 100, 44, 20);
  Button1->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, &TFAbout::Button1Click);

  Button2 = new QPushButton(QStringLiteral("Updates"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(270, 100, 59, 20);
  Button2->setAutoDefault(false);
  connect(Button2, &QPushButton::clicked, this, &TFAbout::Button2Click);
}

void TFAbout::placeTitle() {
  // The title grows to the right from its place; a font wider than the one
  // it was drawn with is narrowed so that the version stays inside the window.
  QFont font = Label1->font();
  font.setStretch(QFont::AnyStretch);
  font.setPixelSize(19);
  Label1->setFont(fittedFont(font, {{Label1->text(), kWidth - 131 - 2}}, 12));
  Label1->adjustSize();
  Label1->move(131, 5);
}

void TFAbout::appendVersion(const std::string& version) {
  // The label reads "Vestrane v." and the version, however often the main
  // window is shown.
  Label1->setText(QString::fromLatin1(kTitle) + bytesToText(version));
  placeTitle();
}

void TFAbout::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    // Centred over the main window, or the screen when there is none.
    const QWidget* owner = parentWidget();
    QRect area;
    if (owner && owner->isVisible())
      area = owner->frameGeometry();
    else if (const QScreen* s = screen())
      area = s->availableGeometry();
    if (area.isValid()) move(area.center() - QPoint(width() / 2, height() / 2));
  }
  QDialog::showEvent(event);
}

bool TFAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Label6) {
    switch (event->type()) {
      case QEvent::Enter: Label6MouseEnter(); break;
      case QEvent::Leave: Label6MouseLeave(); break;
      case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Label6->rect().contains(mouse->position().toPoint()))
          Label6Click();
        break;
      }
      default: break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

// ------------------------------------------------------------------ events

void TFAbout::Label6MouseEnter() {
  QFont font = Label6->font();
  font.setUnderline(true);
  Label6->setFont(font);
}

void TFAbout::Label6MouseLeave() {
  QFont font = Label6->font();
  font.setUnderline(false);
  Label6->setFont(font);
}

void TFAbout::Label6Click() {
  // A new mail to the contact address; the window stays open.
  services_.openDocument(about::MailLink());
}

void TFAbout::Button1Click() {
  // The window closes once the help is on its way (or the message read).
  openHelp(help_, services_);
  close();
}

void TFAbout::Button2Click() {
  // The check runs while this window is still up; the Updates window may
  // open over it. Then this window closes.
  if (checker_) checker_->CheckUpdates(true);
  close();
}

}  // namespace vestrane
