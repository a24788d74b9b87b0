// SPDX-License-Identifier: MIT
#pragma once
// The streams of an OLE2 compound file, the container of .xls workbooks and
// of password-protected .xlsx workbooks (which hold an "EncryptedPackage"
// stream instead of a zip). Read from the file's bytes in memory; every
// sector chain is checked, so a damaged or crafted file is refused, never
// followed out of bounds or in circles.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestrane {

class CompoundFile {
 public:
  /// The eight bytes every compound file begins with.
  static bool hasSignature(std::string_view bytes);

  /// Reads the header, the sector table and the directory of @p bytes,
  /// which must stay in place while the object is used.
  /// @return false for a file that is no compound file or is damaged.
  bool open(std::string_view bytes);

  /// Whether a stream of that name (ASCII, any case) is in the file.
  bool hasStream(std::string_view name) const { return find(name) != nullptr; }

  /// The bytes of the stream of that name into @p out.
  /// @return false when there is none or its sectors are damaged.
  bool readStream(std::string_view name, std::string& out) const;

 private:
  struct Entry {
    std::string name;  ///< ASCII letters as they are, others as '?'
    int type = 0;      ///< 1 storage, 2 stream, 5 root
    std::uint32_t start = 0;
    std::uint64_t size = 0;
  };
  const Entry* find(std::string_view name) const;
  /// Follows the chain from @p start in @p table, appending each sector's
  /// bytes (of @p sectorSize, taken from @p data) to @p out.
  static bool readChain(std::string_view data, std::size_t sectorSize, std::size_t firstOffset,
                        const std::vector<std::uint32_t>& table, std::uint32_t start,
                        std::uint64_t size, std::string& out);

  std::string_view bytes_;
  std::size_t sectorSize_ = 512;
  std::uint32_t miniCutoff_ = 4096;
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> miniFat_;
  std::vector<Entry> entries_;
};

}  // namespace vestrane
