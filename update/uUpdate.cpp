// SPDX-License-Identifier: MIT
#include "update/uUpdate.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "platform/core/Services.h"
#include "platform/qt/FixedHeightDelegate.h"
#include "platform/qt/QtServices.h"
#include "platform/qt/WindowFont.h"
#include "settings/Settings.h"

namespace vestrane {

namespace {

constexpr int kItemHeight = 13;
constexpr int kListRows = 5;
constexpr int kMargin = 4;
constexpr int kControlWidth = TUpdate::kPanelWidth - 2 * kMargin;

const char* const kPeriods[] = {"Daily", "Weekly", "Monthly"};

}  // namespace

void CloseUpComboBox::hidePopup() {
  const bool wasOpen = view() && view()->isVisible();
  QComboBox::hidePopup();
  // The list closes before the item clicked in it becomes the current one,
  // so the report waits until the click has been handled.
  if (wasOpen) QTimer::singleShot(0, this, &CloseUpComboBox::closeUp);
}

TUpdate::TUpdate(Services& services, Settings& settings, HttpClient& http, QWidget* parent)
    : QDialog(parent), services_(services), checker_(settings, http, services, *this) {
  setObjectName(QStringLiteral("Update"));
  setWindowTitle(QStringLiteral("Updates"));
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(false);
  setMinimumSize(kMinSize, kMinSize);
  resize(kWidth, kHeight);
  createControls();
}

TUpdate::~TUpdate() = default;

void TUpdate::createControls() {
  QFont font = windowFont().font;
  // The panel's captions fit its width: a narrower face or a smaller size
  // where the system's font is wider than the one the window was drawn with.
  const int checkIndent = style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                          style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) + 4;
  QFont bold = font;
  bold.setBold(true);
  bold = fittedFont(bold, {{QStringLiteral("Download from:"), kControlWidth}});
  font = fittedFont(font, {{QStringLiteral("Auto checking"), kControlWidth - checkIndent},
                           {QStringLiteral("Check now"), kControlWidth - 12},
                           {QStringLiteral("Monthly"), kControlWidth - 30}});
  setFont(font);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);

  CheckBox1 = new QCheckBox(QStringLiteral("Auto checking"), Panel1);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox1->setGeometry(kMargin, 6, kControlWidth, 17);
  // Any change of the check mark counts, however made; FormShow blocks the
  // signal while it copies the setting in.
  connect(CheckBox1, &QCheckBox::toggled, this, &TUpdate::CheckBox1Click);

  ComboBox1 = new CloseUpComboBox(Panel1);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  for (const char* period : kPeriods) ComboBox1->addItem(QString::fromLatin1(period));
  ComboBox1->setCurrentIndex(0);
  ComboBox1->setGeometry(kMargin, 28, kControlWidth, 21);
  connect(ComboBox1, &CloseUpComboBox::closeUp, this, &TUpdate::ComboBox1CloseUp);

  Button1 = new QPushButton(QStringLiteral("Check now"), Panel1);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(kMargin, 56, kControlWidth, 25);
  Button1->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, &TUpdate::Button1Click);

  Label1 = new QLabel(QStringLiteral("Download from:"), Panel1);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(bold);
  Label1->setGeometry(kMargin, 90, kControlWidth, QFontMetrics(bold).height());

  ListBox1 = new QListWidget(Panel1);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setFrameShape(QFrame::NoFrame);
  ListBox1->setItemDelegate(new FixedHeightDelegate(kItemHeight, ListBox1));
  ListBox1->setUniformItemSizes(true);
  ListBox1->setFont(bold);
  ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListBox1->setTextElideMode(Qt::ElideRight);
  QPalette listPalette = ListBox1->palette();
  const QColor panelColor = Panel1->palette().color(QPalette::Window);
  listPalette.setColor(QPalette::Base, panelColor);
  listPalette.setColor(QPalette::Text, Qt::blue);
  ListBox1->setPalette(listPalette);
  // Five whole rows.
  const int rowHeight = std::max(kItemHeight, QFontMetrics(bold).height());
  ListBox1->setGeometry(kMargin, Label1->geometry().bottom() + 3, kControlWidth,
                        kListRows * rowHeight);
  ListBox1->viewport()->setMouseTracking(true);
  ListBox1->viewport()->installEventFilter(this);
  connect(ListBox1, &QListWidget::itemClicked, this, &TUpdate::ListBox1Click);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  layoutControls();
}

void TUpdate::layoutControls() {
  Panel1->setGeometry(0, 0, kPanelWidth, height());
  Memo1->setGeometry(kPanelWidth, 0, std::max(0, width() - kPanelWidth), height());
}

void TUpdate::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  layoutControls();
}

void TUpdate::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    // Centred on the screen each time it comes up.
    QScreen* screen = mainWindow_ ? mainWindow_->screen() : QGuiApplication::primaryScreen();
    if (screen) {
      const QRect area = screen->availableGeometry();
      move(area.center() - QPoint(width() / 2, height() / 2));
    }
    FormShow();
  }
  QDialog::showEvent(event);
}

bool TUpdate::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ListBox1->viewport() && event->type() == QEvent::MouseMove)
    ListBox1MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
  return QDialog::eventFilter(watched, event);
}

std::vector<std::string> TUpdate::messageLines() const {
  std::vector<std::string> lines;
  const QString text = Memo1->toPlainText();
  if (text.isEmpty() && Memo1->document()->blockCount() <= 1) return lines;
  for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(textToBytes(line));
  return lines;
}

// ------------------------------------------------------------------ events

void TUpdate::FormShow() {
  setWindowTitle(QStringLiteral("Updates: ") + bytesToText(checker_.ProgName));
  {
    // Copying the settings into the check box is no click: it starts no check.
    const QSignalBlocker filling(CheckBox1);
    CheckBox1->setChecked(checker_.ChkUpdates());
  }
  const int period = checker_.CUPeriod();
  ComboBox1->setCurrentIndex(period <= 2 ? period : -1);
}

void TUpdate::CheckBox1Click() {
  checker_.ChkUpdates() = CheckBox1->isChecked();
  checker_.AutoCheckUpdates();
}

void TUpdate::ComboBox1CloseUp() {
  // No selection (-1) is kept as 255: no automatic checks.
  checker_.CUPeriod() = static_cast<std::uint8_t>(ComboBox1->currentIndex() & 0xFF);
  checker_.AutoCheckUpdates();
}

void TUpdate::Button1Click() { checker_.CheckUpdates(false); }

void TUpdate::ListBox1MouseMove(const QPoint& pos) {
  // The hand over a row that holds a link, the arrow below the last one.
  const QModelIndex index = ListBox1->indexAt(pos);
  if (index.isValid())
    ListBox1->viewport()->setCursor(Qt::PointingHandCursor);
  else
    ListBox1->viewport()->unsetCursor();
}

void TUpdate::ListBox1Click() {
  const int row = ListBox1->currentRow();
  if (row < 0 || row >= static_cast<int>(checker_.LinkList.size())) return;
  checker_.OpenLink(checker_.LinkList[static_cast<std::size_t>(row)]);
}

// ---------------------------------------------------- what the check shows

void TUpdate::clearMessages() { Memo1->clear(); }

void TUpdate::addMessageLines(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  QStringList all;
  const QString current = Memo1->toPlainText();
  if (!current.isEmpty() || Memo1->document()->blockCount() > 1) all << current;
  for (const std::string& line : lines) all << bytesToText(line);
  Memo1->setPlainText(all.join(QLatin1Char('\n')));
}

void TUpdate::setLinkCaptions(const std::vector<std::string>& captions) {
  ListBox1->clear();
  for (const std::string& caption : captions) ListBox1->addItem(bytesToText(caption));
}

bool TUpdate::isShown() const { return isVisible(); }

void TUpdate::showModal() {
  setWindowModality(Qt::ApplicationModal);
  exec();
}

void TUpdate::bringToFront() {
  QWidget* window = mainWindow_ ? mainWindow_ : QApplication::activeWindow();
  if (!window || !window->isVisible()) return;
  if (window->isMinimized()) window->showNormal();
  window->raise();
  window->activateWindow();
}

}  // namespace vestrane
