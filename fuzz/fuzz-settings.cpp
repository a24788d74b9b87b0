// SPDX-License-Identifier: MIT
// Fuzz target: the settings file. The input is read as a settings file with
// a 24-hour and a 12-hour time format; what the program would write back
// for the values read must read back without a message and write the same
// text again, since the program rewrites its settings file on every close.

#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "settings/Settings.h"

using namespace vestrane;

namespace {

void roundTrip(std::string_view input, const DateSettings& format) {
  Settings read;
  read.workDirectory = fuzz::scratchFolder();
  readSettingsText("fuzz.ini", input, read, format);
  const std::string written = settingsFileText(read, format);

  Settings back;
  back.workDirectory = fuzz::scratchFolder();
  const std::vector<std::string> again = readSettingsText("fuzz.ini", written, back, format);
  if (!again.empty()) std::fprintf(stderr, "%s\n", again.front().c_str());
  FUZZ_CHECK(again.empty());
  FUZZ_CHECK(back.workDirectory == read.workDirectory);
  FUZZ_CHECK(back.mainWindowBounds == read.mainWindowBounds);
  FUZZ_CHECK(back.aliases.sample == read.aliases.sample);
  FUZZ_CHECK(back.aliases.area == read.aliases.area);
  FUZZ_CHECK(back.aliases.mineral == read.aliases.mineral);
  FUZZ_CHECK(back.aliases.analysis == read.aliases.analysis);
  FUZZ_CHECK(back.aliases.select == read.aliases.select);
  FUZZ_CHECK(back.allAtOnce == read.allAtOnce && back.separateFiles == read.separateFiles);
  FUZZ_CHECK(back.checkForUpdates == read.checkForUpdates &&
             back.updateCheckPeriod == read.updateCheckPeriod);
  FUZZ_CHECK(settingsFileText(back, format) == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  roundTrip(input, DateSettings());
  DateSettings twelve;
  twelve.longTimeFormat = "h:mm:ss AP";
  roundTrip(input, twelve);
  return 0;
}
