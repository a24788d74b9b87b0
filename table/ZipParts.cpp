// SPDX-License-Identifier: MIT
#include "table/ZipParts.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>
#include <unzip.h>

#include <limits>
#include <new>
#include <unordered_set>

#include "platform/core/Messages.h"
#include "table/XmlParser.h"

namespace vestrane {

std::string damagedZipReason(const std::string& part) {
  if (part.empty()) return "damaged zip archive";
  return "damaged zip archive: " + part;
}

std::string unpackedTooLargeReason(std::size_t limit) {
  return "unpacked parts " + tooLargeReason(limit);
}

namespace {

constexpr qint64 kChunk = 256 * 1024;

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

struct ZipParts::Archive {
  QByteArray data;
  QBuffer buffer;
  QuaZip zip;
  std::unordered_set<std::string> names;  ///< lower case

  explicit Archive(std::string_view bytes)
      : data(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()))),
        buffer(&data),
        zip(&buffer) {}
};

ZipParts::ZipParts(std::string_view bytes, std::size_t limit) : limit_(limit) {
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<qsizetype>::max())) {
    reason_ = tooLargeReason(limit);
    return;
  }
  archive_ = std::make_unique<Archive>(bytes);
  if (!archive_->buffer.open(QIODevice::ReadOnly) || !archive_->zip.open(QuaZip::mdUnzip)) {
    reason_ = damagedZipReason();
    return;
  }
  const QStringList names = archive_->zip.getFileNameList();
  if (archive_->zip.getZipError() != UNZ_OK) {
    reason_ = damagedZipReason();
    return;
  }
  for (const QString& name : names) archive_->names.insert(lowerAscii(name.toStdString()));
  open_ = true;
}

ZipParts::~ZipParts() = default;

bool ZipParts::fail(std::string reason) {
  reason_ = std::move(reason);
  return false;
}

bool ZipParts::has(const std::string& name) const {
  return open_ && archive_->names.count(lowerAscii(name)) != 0;
}

bool ZipParts::read(const std::string& name, XmlParser& parser) {
  if (!has(name) || !archive_->zip.setCurrentFile(QString::fromStdString(name), QuaZip::csInsensitive))
    return fail(damagedZipReason(name + " is missing"));
  QuaZipFileInfo64 info;
  if (archive_->zip.getCurrentFileInfo(&info) && info.isEncrypted())
    return fail("zip archive protected by a password");
  QuaZipFile file(&archive_->zip);
  if (!file.open(QIODevice::ReadOnly)) return fail(damagedZipReason(name));
  for (;;) {
    char* chunk = parser.buffer(static_cast<std::size_t>(kChunk));
    if (!chunk) return fail(parser.reason().empty() ? outOfMemoryReason() : parser.reason());
    const qint64 got = file.read(chunk, kChunk);
    if (got < 0) return fail(damagedZipReason(name));
    if (static_cast<std::size_t>(got) > limit_ - unpacked_) return fail(unpackedTooLargeReason(limit_));
    unpacked_ += static_cast<std::size_t>(got);
    if (!parser.parseBuffer(static_cast<std::size_t>(got), got == 0)) return fail(parser.reason());
    if (got == 0) break;
  }
  file.close();
  // A wrong checksum shows only once the whole part was unpacked.
  if (file.getZipError() != UNZ_OK) return fail(damagedZipReason(name));
  return true;
}

bool ZipParts::readSmall(const std::string& name, std::size_t most, std::string& out) {
  out.clear();
  if (!has(name) || !archive_->zip.setCurrentFile(QString::fromStdString(name), QuaZip::csInsensitive))
    return false;
  QuaZipFile file(&archive_->zip);
  if (!file.open(QIODevice::ReadOnly)) return false;
  out.resize(most);
  const qint64 got = file.read(&out[0], static_cast<qint64>(most));
  if (got < 0) return false;
  out.resize(static_cast<std::size_t>(got));
  return true;
}

}  // namespace vestrane
