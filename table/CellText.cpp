// SPDX-License-Identifier: MIT
#include "table/CellText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vestrane {

void appendFieldText(std::string& out, std::string_view text) {
  std::size_t from = out.size();
  out.resize(from + text.size());
  copyFieldText(out.data() + from, text);
}

char* copyFieldText(char* out, std::string_view text) {
  for (char c : text) *out++ = c == '\t' || c == '\r' || c == '\n' || c == '\x1a' ? ' ' : c;
  return out;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string numberText(double value) {
  if (value == 0) return "0";  // also negative zero
  // to_chars with a precision formats as printf's %g does, but never
  // with the locale's decimal separator.
  char buffer[40];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text(buffer, result.ptr);
  for (char& c : text) {
    if (c == 'e') c = 'E';
    else if (c == 'n' || c == 'a' || c == 'i' || c == 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

namespace {

// Days since 1 January 1970 of a civil date, and back (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp + (mp < 10 ? 3 : -9);
  y += m <= 2;
}

/// "YYYY-MM-DD", with " hh:mm:ss" when @p timeOfDay (seconds) is not 0.
std::string dateTextOf(long long year, unsigned month, unsigned day, long long timeOfDay) {
  char buffer[64];
  if (timeOfDay == 0) {
    std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u", year, month, day);
  } else {
    std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u %02lld:%02lld:%02lld", year, month, day,
                  timeOfDay / 3600, timeOfDay / 60 % 60, timeOfDay % 60);
  }
  return buffer;
}

}  // namespace

std::string dateText(double serial, bool date1904) {
  // Up to 31 December 9999 in either system.
  const double last = date1904 ? 2957003.0 : 2958465.0;
  if (!(serial >= 0) || serial >= last + 1) return numberText(serial);
  long long seconds = std::llround(serial * 86400.0);
  long long days = seconds / 86400;
  long long timeOfDay = seconds % 86400;
  long long year;
  unsigned month, day;
  if (date1904) {
    civilFromDays(daysFromCivil(1904, 1, 1) + days, year, month, day);
  } else if (days == 60) {
    // The 1900 system counts a 29 February 1900 that the calendar has not.
    year = 1900, month = 2, day = 29;
  } else {
    // Serial 1 is 1 January 1900; from serial 61 on the extra day is counted.
    long long base = daysFromCivil(1899, 12, 31);
    civilFromDays(base + days - (days > 60 ? 1 : 0), year, month, day);
  }
  return dateTextOf(year, month, day, timeOfDay);
}

std::string calendarText(long long year, unsigned month, unsigned day, long long seconds) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || seconds < 0)
    return std::string();
  long long days = daysFromCivil(year, month, day);
  long long y;
  unsigned m, d;
  civilFromDays(days, y, m, d);
  if (m != month) return std::string();  // a day the month has not
  civilFromDays(days + seconds / 86400, y, m, d);
  return dateTextOf(y, m, d, seconds % 86400);
}

}  // namespace vestrane
