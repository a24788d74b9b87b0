// SPDX-License-Identifier: MIT
#pragma once
// The date-time text form of LastUpdate in the settings file: the date as
// dd.mm.yyyy, then the time of day in the system locale's long time format.
// Date-times count days since 30 December 1899, the fraction being the time
// of day.

#include <string>

namespace vestrane {

/// Format of the date-time text form of LastUpdate: the system locale's time
/// settings, with the date always written dd.mm.yyyy.
struct DateSettings {
  char timeSeparator = ':';
  /// Long time format in Qt's pattern letters (h, hh, H, HH, m, mm, s, ss, AP, ap).
  std::string longTimeFormat = "hh:mm:ss";
  std::string amText = "AM";
  std::string pmText = "PM";

  /// The settings of the system's locale.
  static DateSettings fromSystemLocale();
};

/// @p dateTime as text: the date, then the time of day unless it is midnight.
std::string dateTimeToText(double dateTime, const DateSettings& format);
/// Reads what dateTimeToText writes, and a time of day with or without
/// seconds or an AM/PM designator. @return false for any other text.
bool textToDateTime(const std::string& text, const DateSettings& format, double& dateTime);

/// Now, as days since 30 December 1899 in local time.
double currentDateTime();

}  // namespace vestrane
