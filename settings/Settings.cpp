// SPDX-License-Identifier: MIT
#include "settings/Settings.h"

#include <cstddef>
#include <iterator>
#include <string_view>

#include "platform/core/AtomicFile.h"
#include "platform/core/FileReading.h"
#include "platform/core/Messages.h"
#include "platform/core/Paths.h"
#include "platform/core/Text.h"
#include "settings/CollectedMessages.h"

namespace vestrane {

namespace {

// ---------------------------------------------------------------------------
// The key table, in the order of the lines of a written file.

enum class Key { Path, WinMain, Sample, Area, Mineral, Analysis, Select, All, Separate,
                 ChkUpdates, CUPeriod, LastUpdate };

struct KeyEntry {
  const char* name;
  Key key;
};

constexpr KeyEntry kKeys[] = {
    {"Path", Key::Path},         {"WinMain", Key::WinMain},
    {"Sample", Key::Sample},     {"Area", Key::Area},
    {"Mineral", Key::Mineral},   {"Analysis", Key::Analysis},
    {"Select", Key::Select},     {"All", Key::All},
    {"Separate", Key::Separate}, {"ChkUpdates", Key::ChkUpdates},
    {"CUPeriod", Key::CUPeriod}, {"LastUpdate", Key::LastUpdate},
};

AliasList& aliasListOf(AliasLists& lists, Key key) {
  switch (key) {
    case Key::Sample: return lists.sample;
    case Key::Area: return lists.area;
    case Key::Mineral: return lists.mineral;
    case Key::Analysis: return lists.analysis;
    default: return lists.select;
  }
}

// Integer text form: the digits after the optional sign and hexadecimal prefix.
bool readIntegerDigits(std::string_view s, std::size_t pos, bool negative, std::int32_t& value) {
  int base = 10;
  if (pos < s.size() && (s[pos] == '$' || s[pos] == 'x' || s[pos] == 'X')) {
    base = 16;
    ++pos;
  } else if (pos + 1 < s.size() && s[pos] == '0' && (s[pos + 1] == 'x' || s[pos + 1] == 'X')) {
    base = 16;
    pos += 2;
  }
  if (pos >= s.size()) return false;
  const long long limit = negative ? 2147483648LL : 2147483647LL;
  long long magnitude = 0;
  for (; pos < s.size(); ++pos) {
    const int digit = digitValue(s[pos], base);
    if (digit < 0) return false;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return false;
  }
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------

void setStartUpSettings(Settings& settings, const std::string& exePath) {
  settings.aliases = AliasLists{};
  settings.workDirectory = folderOf(exePath);
  settings.checkForUpdates = true;
}

std::string settingsFileBesideProgram(const std::string& exePath) {
  return replaceExtension(exePath, ".ini");
}

bool parseSettingsInteger(const std::string& text, std::int32_t& value) {
  std::string_view s(text);
  std::size_t pos = 0;
  while (pos < s.size() && s[pos] == ' ') ++pos;
  bool negative = false;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    negative = s[pos] == '-';
    ++pos;
  }
  return readIntegerDigits(s, pos, negative, value);
}

SettingsFileState readSettingsBytes(const std::string& fileName, std::string& bytes,
                                    std::string& reason) {
  bytes.clear();
  if (!pathExists(fileName)) return SettingsFileState::Missing;
  if (!fileExists(fileName) && !directoryExists(fileName)) {
    reason = notRegularFileReason();
    return SettingsFileState::Unreadable;
  }
  if (readWholeFile(fileName, bytes, kSettingsFileLimit, &reason) != ReadResult::Ok) {
    bytes.clear();
    if (reason.empty()) reason = systemReason(0);
    return SettingsFileState::Unreadable;
  }
  return SettingsFileState::Read;
}

SettingsReadResult ReadSettings(const std::string& fileName, Settings& settings,
                                const DateSettings& format) {
  SettingsReadResult result;
  std::string bytes, reason;
  result.state = readSettingsBytes(fileName, bytes, reason);
  if (result.state == SettingsFileState::Unreadable)
    result.messages.push_back(cannotReadMessage(fileName, reason));
  else if (result.state == SettingsFileState::Read)
    result.messages = readSettingsText(fileName, bytes, settings, format);
  return result;
}

std::vector<std::string> readSettingsText(const std::string& fileName, std::string_view bytes,
                                          Settings& settings, const DateSettings& format) {
  std::vector<std::string> said;
  CollectedMessages messages;
  // A missing work directory is reported once, ahead of the collected problems.
  bool workDirectoryReported = false;
  std::size_t lineStart = 0;
  while (lineStart < bytes.size()) {
    // A line ends at LF, CR LF or a lone CR.
    std::size_t lineEnd = bytes.find_first_of("\r\n", lineStart);
    std::size_t next;
    if (lineEnd == std::string::npos) {
      lineEnd = next = bytes.size();
    } else {
      next = lineEnd + 1;
      if (bytes[lineEnd] == '\r' && next < bytes.size() && bytes[next] == '\n') ++next;
    }
    const std::string_view line(bytes.data() + lineStart, lineEnd - lineStart);
    lineStart = next;

    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string key = upperAscii(trimControls(line.substr(0, eq)));
    const std::string value(trimControls(line.substr(eq + 1)));

    const KeyEntry* entry = nullptr;
    for (const KeyEntry& k : kKeys) {
      if (upperAscii(k.name) == key) {
        entry = &k;
        break;
      }
    }
    if (!entry) {
      messages.add("\rUnknown variable: " + key);
      continue;
    }

    switch (entry->key) {
      case Key::Path:
        if (directoryExists(value)) {
          settings.workDirectory = value;
        } else if (!workDirectoryReported) {
          workDirectoryReported = true;
          said.push_back("Work directory changed to " + settings.workDirectory);
        }
        break;
      case Key::WinMain: {
        std::string rest = value;
        for (std::int32_t& bound : settings.mainWindowBounds) {
          const std::string token = SplitToken(rest, ' ');
          if (!parseSettingsInteger(token, bound))
            messages.add(std::string("\rIncorrect ") + entry->name + " value: " + token);
        }
        break;
      }
      case Key::Sample:
      case Key::Area:
      case Key::Mineral:
      case Key::Analysis:
      case Key::Select: {
        // Each alias is upper-cased by itself: whether its bytes count as
        // UTF-8 or Windows-1252 must not depend on the other aliases of its
        // line, since the file is written back with a whole list on one
        // line. The splitter works on a view, as cutting each alias off the
        // front of a string would move the rest of a long line once per alias.
        AliasList& list = aliasListOf(settings.aliases, entry->key);
        std::string_view rest = value;
        while (!rest.empty()) list.push_back(upperText(SplitToken(rest, ' ')));
        break;
      }
      case Key::All:
      case Key::Separate:
      case Key::ChkUpdates: {
        const bool on = !value.empty() && (value[0] == 'Y' || value[0] == 'y');
        if (entry->key == Key::All)
          settings.allAtOnce = on;
        else if (entry->key == Key::Separate)
          settings.separateFiles = on;
        else
          settings.checkForUpdates = on;
        break;
      }
      case Key::CUPeriod: {
        std::int32_t period = 0;
        if (parseSettingsInteger(value, period))
          settings.updateCheckPeriod =
              static_cast<std::uint8_t>(static_cast<std::uint32_t>(period) & 0xFFu);
        else
          messages.add(std::string("\rIncorrect ") + entry->name + " value: " + value);
        break;
      }
      case Key::LastUpdate:
        // An unreadable date counts as a check made just now.
        if (!textToDateTime(value, format, settings.lastUpdate))
          settings.lastUpdate = currentDateTime();
        break;
    }
  }

  if (!messages.empty()) said.push_back("Errors in " + fileName + ":\r" + messages.text());
  return said;
}

std::string settingsFileText(const Settings& settings, const DateSettings& format) {
  auto joined = [](const AliasList& list) {
    std::string out;
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (i > 0) out += ' ';
      out += list[i];
    }
    return out;
  };
  auto flag = [](bool on) { return std::string(on ? "Y" : "N"); };
  const auto& w = settings.mainWindowBounds;
  const AliasLists& a = settings.aliases;
  const std::string values[] = {
      settings.workDirectory,
      std::to_string(w[0]) + " " + std::to_string(w[1]) + " " + std::to_string(w[2]) + " " +
          std::to_string(w[3]),
      joined(a.sample),
      joined(a.area),
      joined(a.mineral),
      joined(a.analysis),
      joined(a.select),
      flag(settings.allAtOnce),
      flag(settings.separateFiles),
      flag(settings.checkForUpdates),
      std::to_string(static_cast<unsigned>(settings.updateCheckPeriod)),
      dateTimeToText(settings.lastUpdate, format),
  };
  std::string text;
  for (std::size_t i = 0; i < std::size(kKeys); ++i)
    text += std::string(kKeys[i].name) + "=" + values[i] + "\r\n";
  return text;
}

bool WriteSettings(const std::string& fileName, const Settings& settings,
                   const DateSettings& format, std::string& error) {
  std::string reason;
  if (!writeFileAtomically(fileName, settingsFileText(settings, format), &reason)) {
    error = cannotWriteMessage(fileName, reason);
    return false;
  }
  return true;
}

}  // namespace vestrane
