// SPDX-License-Identifier: MIT
#include "settings/DateTimeText.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <cctype>
#include <cmath>
#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/core/Text.h"

namespace vestrane {

namespace {

// Time patterns: the long time format cut into its fields and literal text.

enum class Field { Hour12, Hour24, Minute, Second, AmPm, Zone, Literal };

struct TimeToken {
  Field field = Field::Literal;
  int width = 1;          ///< 1 or 2 digits for hours, minutes and seconds
  int amPmCase = 0;       ///< 0 upper-case, 1 lower-case, 2 as the locale writes it
  std::string text;       ///< the literal text (quotes resolved)
  std::string raw;        ///< the pattern letters as they stood in the format
};

bool isBlankLiteral(const TimeToken& t) {
  return t.field == Field::Literal && !t.text.empty() &&
         t.text.find_first_not_of(' ') == std::string::npos;
}

std::vector<TimeToken> tokenizeTimeFormat(const std::string& format) {
  std::vector<TimeToken> tokens;
  std::size_t i = 0;
  const std::size_t n = format.size();
  while (i < n) {
    const char c = format[i];
    TimeToken t;
    std::size_t start = i;
    if (c == '\'') {
      // Quoted text; two quotes stand for one quote, inside or outside quotes.
      ++i;
      if (i < n && format[i] == '\'') {
        t.text = "'";
        ++i;
      } else {
        while (i < n) {
          if (format[i] == '\'') {
            if (i + 1 < n && format[i + 1] == '\'') {
              t.text += '\'';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          t.text += format[i++];
        }
      }
    } else if (c == 'h' || c == 'H' || c == 'm' || c == 's') {
      t.field = c == 'h' ? Field::Hour12 : c == 'H' ? Field::Hour24 : c == 'm' ? Field::Minute
                                                                               : Field::Second;
      t.width = (i + 1 < n && format[i + 1] == c) ? 2 : 1;
      i += static_cast<std::size_t>(t.width);
    } else if (c == 'A' || c == 'a') {
      t.field = Field::AmPm;
      const bool pair = i + 1 < n && (format[i + 1] == 'P' || format[i + 1] == 'p');
      const bool upper = c == 'A';
      if (pair && (format[i + 1] == 'P') != upper)
        t.amPmCase = 2;
      else
        t.amPmCase = upper ? 0 : 1;
      i += pair ? 2 : 1;
    } else if (c == 't') {
      t.field = Field::Zone;
      while (i < n && format[i] == 't') ++i;
    } else {
      t.text = std::string(1, c);
      ++i;
    }
    t.raw = format.substr(start, i - start);
    tokens.push_back(std::move(t));
  }
  return tokens;
}

bool usesAmPm(const std::vector<TimeToken>& tokens) {
  for (const TimeToken& t : tokens)
    if (t.field == Field::AmPm) return true;
  return false;
}

std::string twoDigits(int value) {
  std::string s = std::to_string(value);
  return s.size() < 2 ? "0" + s : s;
}

std::string number(int value, int width) {
  return width == 2 ? twoDigits(value) : std::to_string(value);
}

std::string formatTime(int hour, int minute, int second, const DateSettings& format) {
  const std::vector<TimeToken> tokens = tokenizeTimeFormat(format.longTimeFormat);
  const bool twelveHours = usesAmPm(tokens);
  std::string out;
  for (const TimeToken& t : tokens) {
    switch (t.field) {
      case Field::Hour12: {
        int h = hour;
        if (twelveHours) h = hour % 12 == 0 ? 12 : hour % 12;
        out += number(h, t.width);
        break;
      }
      case Field::Hour24: out += number(hour, t.width); break;
      case Field::Minute: out += number(minute, t.width); break;
      case Field::Second: out += number(second, t.width); break;
      case Field::AmPm: {
        const std::string& text = hour < 12 ? format.amText : format.pmText;
        out += t.amPmCase == 0 ? upperText(text) : t.amPmCase == 1 ? lowerText(text) : text;
        break;
      }
      case Field::Zone: break;
      case Field::Literal: out += t.text; break;
    }
  }
  return out;
}

// Reads one or two decimal digits at @p pos.
bool readDigits(std::string_view text, std::size_t& pos, int maxDigits, int& value) {
  std::size_t start = pos;
  value = 0;
  while (pos < text.size() && pos - start < static_cast<std::size_t>(maxDigits) &&
         text[pos] >= '0' && text[pos] <= '9')
    value = value * 10 + (text[pos++] - '0');
  return pos > start;
}

// Reads the AM or PM designator at @p pos, letter case ignored.
bool readAmPm(std::string_view text, std::size_t& pos, const DateSettings& format, bool& pm) {
  const std::string* texts[2] = {&format.amText, &format.pmText};
  // The longer designator first, so that one being the start of the other does no harm.
  const int first = format.pmText.size() > format.amText.size() ? 1 : 0;
  for (int k : {first, 1 - first}) {
    const std::string& d = *texts[k];
    if (d.empty() || text.size() - pos < d.size()) continue;
    if (upperText(text.substr(pos, d.size())) == upperText(d)) {
      pos += d.size();
      pm = k == 1;
      return true;
    }
  }
  return false;
}

struct TimeOfDay {
  int hour = 0, minute = 0, second = 0;
};

// Applies the designator to an hour read on the 12-hour clock and checks the ranges.
bool finishTime(TimeOfDay& t, bool twelveHours, bool hasDesignator, bool pm) {
  if (twelveHours && hasDesignator) {
    if (t.hour > 12) return false;
    if (t.hour == 12) t.hour = 0;
    if (pm) t.hour += 12;
  }
  return t.hour <= 23 && t.minute <= 59 && t.second <= 59;
}

// Reads a time of day written in the long time format itself.
bool parseTimeByFormat(std::string_view text, const DateSettings& format, TimeOfDay& out) {
  const std::vector<TimeToken> tokens = tokenizeTimeFormat(format.longTimeFormat);
  TimeOfDay t;
  bool twelveHours = false, hasDesignator = false, pm = false, hasHour = false;
  std::size_t pos = 0;
  for (const TimeToken& tok : tokens) {
    switch (tok.field) {
      case Field::Hour12:
      case Field::Hour24:
        if (!readDigits(text, pos, 2, t.hour)) return false;
        twelveHours = tok.field == Field::Hour12;
        hasHour = true;
        break;
      case Field::Minute:
        if (!readDigits(text, pos, 2, t.minute)) return false;
        break;
      case Field::Second:
        if (!readDigits(text, pos, 2, t.second)) return false;
        break;
      case Field::AmPm:
        if (!readAmPm(text, pos, format, pm)) return false;
        hasDesignator = true;
        break;
      case Field::Zone: break;
      case Field::Literal:
        if (text.substr(pos, tok.text.size()) != tok.text) return false;
        pos += tok.text.size();
        break;
    }
  }
  if (!hasHour || pos != text.size() || !finishTime(t, twelveHours, hasDesignator, pm))
    return false;
  out = t;
  return true;
}

// Reads hours and minutes, optionally seconds, separated by the locale's time
// separator or ":", with an optional AM/PM designator before or after them.
bool parseTimeGeneric(std::string_view text, const DateSettings& format, TimeOfDay& out) {
  TimeOfDay t;
  std::size_t pos = 0;
  bool hasDesignator = false, pm = false;
  auto skipBlanks = [&] {
    while (pos < text.size() && text[pos] == ' ') ++pos;
  };
  auto readSeparator = [&] {
    if (pos < text.size() && (text[pos] == format.timeSeparator || text[pos] == ':')) {
      ++pos;
      return true;
    }
    return false;
  };
  if (readAmPm(text, pos, format, pm)) {
    hasDesignator = true;
    skipBlanks();
  }
  if (!readDigits(text, pos, 2, t.hour) || !readSeparator() || !readDigits(text, pos, 2, t.minute))
    return false;
  if (readSeparator() && !readDigits(text, pos, 2, t.second)) return false;
  if (!hasDesignator) {
    skipBlanks();
    hasDesignator = readAmPm(text, pos, format, pm);
  }
  if (pos != text.size() || !finishTime(t, true, hasDesignator, pm)) return false;
  out = t;
  return true;
}

// The first day of the date-time count: 30 December 1899.
const QDate& dayZero() {
  static const QDate zero(1899, 12, 30);
  return zero;
}

// Largest count of days written as a date; beyond it a value cannot stem from
// a real check and is written as the zero date.
constexpr double kMaxDays = 1e8;

}  // namespace

DateSettings DateSettings::fromSystemLocale() {
  const QLocale locale = QLocale::system();
  DateSettings result;
  result.amText = locale.amText().toStdString();
  result.pmText = locale.pmText().toStdString();

  // The long time format without its time-zone field and the blank beside it.
  std::vector<TimeToken> tokens =
      tokenizeTimeFormat(locale.timeFormat(QLocale::LongFormat).toStdString());
  for (std::size_t i = 0; i < tokens.size();) {
    if (tokens[i].field != Field::Zone) {
      ++i;
      continue;
    }
    tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i));
    if (i > 0 && isBlankLiteral(tokens[i - 1])) {
      while (i > 0 && isBlankLiteral(tokens[i - 1])) {
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i - 1));
        --i;
      }
    } else {
      while (i < tokens.size() && isBlankLiteral(tokens[i]))
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  std::string format;
  for (const TimeToken& t : tokens) format += t.raw;
  const std::size_t b = format.find_first_not_of(' ');
  const std::size_t e = format.find_last_not_of(' ');
  format = b == std::string::npos ? std::string() : format.substr(b, e - b + 1);
  if (!format.empty()) result.longTimeFormat = format;

  // The time separator: the first mark that follows the hours.
  bool afterHour = false;
  for (const TimeToken& t : tokenizeTimeFormat(result.longTimeFormat)) {
    if (t.field == Field::Hour12 || t.field == Field::Hour24) {
      afterHour = true;
    } else if (afterHour && t.field == Field::Literal && !isBlankLiteral(t)) {
      const unsigned char c = static_cast<unsigned char>(t.text.empty() ? 0 : t.text[0]);
      if (c > 32 && c < 0x80 && !std::isalnum(c)) result.timeSeparator = static_cast<char>(c);
      break;
    } else if (afterHour && t.field != Field::Literal) {
      break;
    }
  }
  return result;
}

std::string dateTimeToText(double dateTime, const DateSettings& format) {
  if (!std::isfinite(dateTime) || std::fabs(dateTime) > kMaxDays) dateTime = 0.0;
  const double dayPart = std::trunc(dateTime);
  long long day = static_cast<long long>(dayPart);
  long long ms = std::llround(std::fabs(dateTime - dayPart) * 86400000.0);
  if (ms >= 86400000LL) {  // rounded up to the next midnight
    ms -= 86400000LL;
    ++day;
  }
  const QDate date = dayZero().addDays(day);
  std::string year = std::to_string(date.year());
  if (year.size() < 4) year.insert(0, 4 - year.size(), '0');
  std::string text = twoDigits(date.day()) + "." + twoDigits(date.month()) + "." + year;

  const int seconds = static_cast<int>(ms / 1000);
  if (seconds != 0)
    text += " " + formatTime(seconds / 3600, seconds / 60 % 60, seconds % 60, format);
  return text;
}

bool textToDateTime(const std::string& text, const DateSettings& format, double& dateTime) {
  std::string_view s(text);
  std::size_t pos = 0;
  int day = 0, month = 0, year = 0;
  if (!readDigits(s, pos, 2, day) || pos >= s.size() || s[pos++] != '.') return false;
  if (!readDigits(s, pos, 2, month) || pos >= s.size() || s[pos++] != '.') return false;
  const std::size_t yearStart = pos;
  if (!readDigits(s, pos, 4, year) || pos - yearStart != 4) return false;
  const QDate date(year, month, day);
  if (!date.isValid()) return false;

  TimeOfDay time;
  if (pos < s.size()) {
    if (s[pos] != ' ') return false;
    while (pos < s.size() && s[pos] == ' ') ++pos;
    const std::string_view timeText = s.substr(pos);
    if (!parseTimeByFormat(timeText, format, time) && !parseTimeGeneric(timeText, format, time))
      return false;
  }
  const double days = static_cast<double>(dayZero().daysTo(date));
  const double fraction = (time.hour * 3600 + time.minute * 60 + time.second) / 86400.0;
  // Before day zero the fraction still counts forward from that day's midnight.
  dateTime = days >= 0 ? days + fraction : days - fraction;
  return true;
}

double currentDateTime() {
  const QDateTime now = QDateTime::currentDateTime();
  return static_cast<double>(dayZero().daysTo(now.date())) +
         now.time().msecsSinceStartOfDay() / 86400000.0;
}

}  // namespace vestrane
