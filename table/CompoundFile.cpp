// SPDX-License-Identifier: MIT
#include "table/CompoundFile.h"

#include "table/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace vestrane {

namespace {

constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;

bool sameAsciiName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

bool CompoundFile::hasSignature(std::string_view bytes) {
  return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

bool CompoundFile::readChain(std::string_view data, std::size_t sectorSize, std::size_t firstOffset,
                             const std::vector<std::uint32_t>& table, std::uint32_t start,
                             std::uint64_t size, std::string& out) {
  // A chain visits each sector once at most: more steps mean a loop.
  std::size_t steps = 0;
  std::uint64_t left = size;
  for (std::uint32_t sector = start; left != 0; ++steps) {
    if (sector >= table.size() || steps > table.size()) return false;
    std::uint64_t offset = firstOffset + std::uint64_t(sector) * sectorSize;
    if (offset >= data.size()) return false;
    std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, sectorSize));
    // The last sector of a file may be cut short after the stream's end.
    if (data.size() - offset < take) return false;
    out.append(data.data() + offset, take);
    left -= take;
    sector = table[sector];
  }
  return true;
}

bool CompoundFile::open(std::string_view bytes) {
  bytes_ = bytes;
  fat_.clear();
  miniFat_.clear();
  entries_.clear();
  if (bytes.size() < 512 || !hasSignature(bytes)) return false;
  const unsigned shift = read16(bytes, 0x1E);
  if (shift != 9 && shift != 12) return false;
  sectorSize_ = std::size_t(1) << shift;
  if (read16(bytes, 0x20) != 6) return false;  // mini sectors of 64 bytes
  miniCutoff_ = read32(bytes, 0x38);
  const std::size_t sectors = bytes.size() / sectorSize_;  // after the header, at most this many
  const std::uint32_t fatSectors = read32(bytes, 0x2C);
  if (fatSectors > sectors) return false;

  // The sectors of the sector table: 109 in the header, the rest in a chain
  // of further lists whose last entry points to the next list.
  std::vector<std::uint32_t> fatSectorList;
  for (std::size_t i = 0; i < 109; ++i) {
    const std::uint32_t sector = read32(bytes, 0x4C + 4 * i);
    if (fatSectorList.size() < fatSectors) {
      fatSectorList.push_back(sector);
    } else if (sector != kFreeSector) {
      // The header's unused places are free; FreeXL reads them as sectors
      // of the table and loses memory on the error that follows.
      return false;
    }
  }
  std::uint32_t difat = read32(bytes, 0x44);
  const std::size_t perList = sectorSize_ / 4 - 1;
  for (std::size_t lists = 0; fatSectorList.size() < fatSectors; ++lists) {
    std::uint64_t offset = (std::uint64_t(difat) + 1) * sectorSize_;
    if (lists > sectors || difat >= kEndOfChain - 1 || offset + sectorSize_ > bytes.size())
      return false;
    for (std::size_t i = 0; i < perList && fatSectorList.size() < fatSectors; ++i) {
      fatSectorList.push_back(read32(bytes, static_cast<std::size_t>(offset) + 4 * i));
    }
    difat = read32(bytes, static_cast<std::size_t>(offset) + 4 * perList);
  }
  fat_.reserve(fatSectors * (sectorSize_ / 4));
  for (std::uint32_t sector : fatSectorList) {
    std::uint64_t offset = (std::uint64_t(sector) + 1) * sectorSize_;
    if (offset + sectorSize_ > bytes.size()) return false;
    for (std::size_t i = 0; i < sectorSize_ / 4; ++i) {
      fat_.push_back(read32(bytes, static_cast<std::size_t>(offset) + 4 * i));
    }
  }

  // The directory: a chain of 128-byte entries.
  std::string directory;
  std::uint32_t sector = read32(bytes, 0x30);
  for (std::size_t steps = 0; sector != kEndOfChain; ++steps) {
    std::uint64_t offset = (std::uint64_t(sector) + 1) * sectorSize_;
    if (sector >= fat_.size() || steps > fat_.size() || offset + sectorSize_ > bytes.size())
      return false;
    directory.append(bytes.data() + offset, sectorSize_);
    sector = fat_[sector];
  }
  const bool version4 = read16(bytes, 0x1A) == 4;
  for (std::size_t at = 0; at + 128 <= directory.size(); at += 128) {
    Entry e;
    e.type = static_cast<unsigned char>(directory[at + 0x42]);
    // A name takes at most the 64 bytes of its field. FreeXL converts
    // every entry's name by the length given, even past the field.
    const std::size_t nameBytes = read16(directory, at + 0x40);
    if (nameBytes > 64 || nameBytes % 2 != 0) return false;
    if (e.type == 0) continue;  // unused
    for (std::size_t i = 0; i + 1 < nameBytes; i += 2) {
      std::uint16_t c = read16(directory, at + i);
      if (c == 0) break;
      e.name += c < 0x80 ? static_cast<char>(c) : '?';
    }
    // An entry in use has a name; FreeXL takes one without a name for the
    // stream it looks for and reads the workbook once more.
    if (e.name.empty()) return false;
    e.start = read32(directory, at + 0x74);
    e.size = read32(directory, at + 0x78);
    // Version 3 files may leave garbage in the size's high half.
    if (version4) e.size |= std::uint64_t(read32(directory, at + 0x7C)) << 32;
    entries_.push_back(std::move(e));
  }
  if (entries_.empty() || entries_[0].type != 5) return false;

  // The table of the small streams' 64-byte sectors.
  std::string miniFatBytes;
  const std::uint32_t miniFatStart = read32(bytes, 0x3C);
  const std::uint64_t miniFatSize = std::uint64_t(read32(bytes, 0x40)) * sectorSize_;
  if (miniFatStart != kEndOfChain && miniFatStart != kFreeSector && miniFatSize != 0) {
    if (miniFatSize > bytes.size() || !readChain(bytes, sectorSize_, sectorSize_, fat_,
                                                 miniFatStart, miniFatSize, miniFatBytes)) {
      return false;
    }
  }
  miniFat_.reserve(miniFatBytes.size() / 4);
  for (std::size_t i = 0; i + 4 <= miniFatBytes.size(); i += 4)
    miniFat_.push_back(read32(miniFatBytes, i));
  return true;
}

const CompoundFile::Entry* CompoundFile::find(std::string_view name) const {
  for (const Entry& e : entries_) {
    if (e.type == 2 && sameAsciiName(e.name, name)) return &e;
  }
  return nullptr;
}

bool CompoundFile::readStream(std::string_view name, std::string& out) const {
  out.clear();
  const Entry* e = find(name);
  if (!e || e->size > bytes_.size()) return false;
  out.reserve(static_cast<std::size_t>(e->size));
  if (e->size >= miniCutoff_)
    return readChain(bytes_, sectorSize_, sectorSize_, fat_, e->start, e->size, out);
  // A small stream lies in 64-byte sectors inside the root entry's stream.
  const Entry& root = entries_[0];
  if (root.size > bytes_.size()) return false;
  std::string mini;
  if (!readChain(bytes_, sectorSize_, sectorSize_, fat_, root.start, root.size, mini)) return false;
  return readChain(mini, 64, 0, miniFat_, e->start, e->size, out);
}

}  // namespace vestrane
