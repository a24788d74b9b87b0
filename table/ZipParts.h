// SPDX-License-Identifier: MIT
#pragma once
// The parts of a workbook's zip archive, read from bytes in memory. A part
// is unpacked in chunks straight into an XML parser, never whole into
// memory, and all parts read together may unpack to at most a bound: a zip
// bomb stops there.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vestrane {

class XmlParser;

class ZipParts {
 public:
  /// @p bytes stay the caller's and must outlive this object. @p limit:
  /// the most bytes all parts read may unpack to.
  ZipParts(std::string_view bytes, std::size_t limit);
  ~ZipParts();
  ZipParts(const ZipParts&) = delete;
  ZipParts& operator=(const ZipParts&) = delete;

  /// Whether the bytes are a zip archive whose directory could be read;
  /// reason() tells why not.
  bool isOpen() const { return open_; }

  /// Whether the archive holds the part @p name (letter case ignored, as
  /// part names in workbooks are).
  bool has(const std::string& name) const;

  /// Unpacks the part @p name into @p parser to its end.
  /// @return false when the part is missing or damaged, the bound is
  /// passed or the parser stopped; reason() tells why.
  bool read(const std::string& name, XmlParser& parser);

  /// Up to @p most bytes of the part @p name (a small part such as a
  /// mimetype); false when it is missing or damaged.
  bool readSmall(const std::string& name, std::size_t most, std::string& out);

  const std::string& reason() const { return reason_; }

 private:
  struct Archive;
  bool fail(std::string reason);

  std::unique_ptr<Archive> archive_;
  std::size_t limit_;
  std::size_t unpacked_ = 0;
  bool open_ = false;
  std::string reason_;
};

/// The reasons a workbook's zip is refused for.
std::string damagedZipReason(const std::string& part = std::string());
std::string unpackedTooLargeReason(std::size_t limit);

}  // namespace vestrane
