// SPDX-License-Identifier: MIT
#include "platform/core/Text.h"

#include <QChar>

#include <cstdint>
#include <cstring>

namespace vestrane {

namespace {

// Windows-1252 letters outside ASCII that have a partner of the other case.
unsigned char upper1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c < 0x80) return c;
  switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: break;
  }
  if (c >= 0xE0 && c != 0xF7) return static_cast<unsigned char>(c - 32);
  return c;
}

unsigned char lower1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c < 0x80) return c;
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: break;
  }
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  return c;
}

// Decodes one code point of valid UTF-8 at @p i, advancing @p i.
char32_t decodeUtf8(std::string_view s, std::size_t& i) {
  auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    ++i;
    return b;
  }
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
  char32_t cp = b & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += static_cast<std::size_t>(extra) + 1;
  return cp;
}

void encodeUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

enum class Case { Upper, Lower };

char32_t mapCodePoint(char32_t cp, Case c) {
  return c == Case::Upper ? QChar::toUpper(cp) : QChar::toLower(cp);
}

unsigned char mapByte(unsigned char b, Case c) {
  return c == Case::Upper ? upper1252(b) : lower1252(b);
}

// Maps the characters of @p text from @p from on; the ones before are copied.
std::string mapCase(std::string_view text, Case first, Case rest, std::size_t restFrom) {
  std::string out;
  if (isAscii(text)) {
    out.assign(text.data(), text.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
      char& c = out[i];
      if ((i < restFrom ? first : rest) == Case::Upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      } else if (c >= 'A' && c <= 'Z') {
        c = static_cast<char>(c + 32);
      }
    }
    return out;
  }
  out.reserve(text.size());
  if (!isValidUtf8(text)) {
    for (std::size_t i = 0; i < text.size(); ++i)
      out += static_cast<char>(mapByte(static_cast<unsigned char>(text[i]), i < restFrom ? first : rest));
    // Windows-1252 letters can come out as UTF-8 (0xEE, i circumflex, becomes
    // 0xCE, which starts a two-byte character). Such a result is mapped once
    // more as UTF-8, so that mapping it again changes nothing: aliases in the
    // settings file and minerals in a saved table read back as written.
    if (isValidUtf8(out)) return mapCase(out, first, rest, restFrom);
    return out;
  }
  std::size_t index = 0;
  for (std::size_t i = 0; i < text.size(); ++index)
    encodeUtf8(mapCodePoint(decodeUtf8(text, i), index < restFrom ? first : rest), out);
  return out;
}

}  // namespace

bool isAscii(std::string_view text) {
  // Eight bytes at a time: any byte with its top bit set is not ASCII.
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (word & 0x8080808080808080ULL) return false;
  }
  for (; i < text.size(); ++i)
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  return true;
}

bool isValidUtf8(std::string_view s) {
  std::size_t i = 0, n = s.size();
  while (i < n) {
    auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    int extra;
    char32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      cp = b & 0x07;
    } else {
      return false;
    }
    if (i + static_cast<std::size_t>(extra) >= n) return false;
    for (int k = 1; k <= extra; ++k) {
      auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

std::string upperText(std::string_view text) {
  return mapCase(text, Case::Upper, Case::Upper, 0);
}

std::string lowerText(std::string_view text) {
  return mapCase(text, Case::Lower, Case::Lower, 0);
}

std::string capitalizeFirst(std::string_view text) {
  return mapCase(text, Case::Upper, Case::Lower, 1);
}

std::string upperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

int digitValue(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view trimControls(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  return text.substr(b, e - b);
}

std::string_view SplitToken(std::string_view& source, char separator) {
  std::size_t p = source.find(separator);
  std::string_view token;
  if (p == std::string_view::npos) {
    token = source;
    source = std::string_view();
  } else {
    token = source.substr(0, p);
    source.remove_prefix(p + 1);
  }
  return trimControls(token);
}

std::string SplitToken(std::string& source, char separator) {
  std::string_view view(source);
  std::string token(SplitToken(view, separator));
  source.erase(0, source.size() - view.size());
  return token;
}

}  // namespace vestrane
