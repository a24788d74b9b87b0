// SPDX-License-Identifier: MIT
#include "platform/qt/QtServices.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStringDecoder>
#include <QUrl>

#include "platform/qt/DocumentHandler.h"

namespace vestrane {

namespace {

// Windows-1252 differs from ISO-8859-1 only in 0x80..0x9F. The five codes
// it leaves undefined keep their C1 control meaning, so every byte maps to
// one character and nothing is lost.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromCp1252(std::string_view bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    *out++ = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
  }
  return text;
}

/// Message text for a label: CR LF and a lone CR become line breaks.
QString messageText(const std::string& bytes) {
  QString text = bytesToText(bytes);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

/// Clipboard text as the table reader expects it: every line ended by CR LF.
/// Qt hands out text with LF line ends on every platform (on Windows it
/// strips the CR of the clipboard's CR LF pairs), so the pairs are restored.
QString withCrLf(const QString& text) {
  QString out;
  out.reserve(text.size() + text.size() / 32 + 2);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == QLatin1Char('\n') && (i == 0 || text.at(i - 1) != QLatin1Char('\r')))
      out += QLatin1Char('\r');
    out += c;
  }
  return out;
}

}  // namespace

QString bytesToText(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8,
                      QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) return text;
  return fromCp1252(bytes);
}

std::string textToBytes(const QString& text) { return text.toUtf8().toStdString(); }

QStringList toQtNameFilters(const std::string& filter) {
  const QStringList parts = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
                                .split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString caption = parts.at(i).trimmed();
    QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
#ifndef Q_OS_WIN
    for (QString& p : patterns)
      if (p.trimmed() == QLatin1String("*.*")) p = QStringLiteral("*");
#endif
    // Qt reads the patterns from the caption's last parentheses, so a caption
    // that already shows them gets the patterns actually used instead.
    const qsizetype open = caption.lastIndexOf(QLatin1Char('('));
    if (open > 0 && caption.endsWith(QLatin1Char(')'))) caption = caption.left(open).trimmed();
    filters << caption + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

QWidget* QtServices::dialogParent() const {
  return window_ && window_->isVisible() ? window_ : nullptr;
}

void QtServices::showMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), messageText(text),
                  QMessageBox::Ok, dialogParent());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

bool QtServices::askYesNo(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(kAppTitle), messageText(text),
                  QMessageBox::Yes | QMessageBox::No, dialogParent());
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec() == QMessageBox::Yes;
}

bool QtServices::showMessageOffering(const std::string& text, const std::string& action) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), messageText(text),
                  QMessageBox::Ok, dialogParent());
  QPushButton* offered = box.addButton(bytesToText(action), QMessageBox::ActionRole);
  offered->setObjectName(QStringLiteral("offeredButton"));
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  return box.clickedButton() == offered;
}

bool QtServices::runFileDialog(const FileDialogRequest& request, bool save, std::string& path) {
  QFileDialog dialog(dialogParent(), QString(), QString::fromStdString(request.initialDir));
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  dialog.setNameFilters(toQtNameFilters(request.filter));
  dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
  if (!request.proposedName.empty()) dialog.selectFile(QString::fromStdString(request.proposedName));
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return false;
  path = textToBytes(files.first());
  return true;
}

bool QtServices::askOpenFile(const FileDialogRequest& request, std::string& path) {
  return runFileDialog(request, false, path);
}

bool QtServices::askSaveFile(const FileDialogRequest& request, std::string& path) {
  return runFileDialog(request, true, path);
}

bool QtServices::clipboardText(std::string& text) {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  if (!data || !data->hasText()) return false;
  text = textToBytes(withCrLf(data->text()));
  return true;
}

bool QtServices::setClipboardText(const std::string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return false;
  clipboard->setText(bytesToText(text));
  return true;
}

bool QtServices::openDocument(const std::string& target) {
  const QString text = QString::fromStdString(target);
  const bool localFile = QFileInfo::exists(text);
  // A file no program is registered for does not open: say so, rather than
  // let the desktop fail where nobody sees it.
  if (localFile && !desktopHasProgramFor(text)) return false;
  const QUrl url = localFile ? QUrl::fromLocalFile(text) : QUrl(text);
  return url.isValid() && QDesktopServices::openUrl(url);
}

bool QtServices::openWebAddress(const std::string& url) {
  const QUrl address(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size())),
                     QUrl::StrictMode);
  const QString scheme = address.scheme();
  if (!address.isValid() || address.host().isEmpty() ||
      (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
    return false;
  return QDesktopServices::openUrl(address);
}

}  // namespace vestrane
