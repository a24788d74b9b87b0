// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
// POSIX: FIFOs, file modes and user ids.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "settings/DateTimeText.h"
#include "settings/Settings.h"

namespace fs = std::filesystem;
using namespace vestrane;

namespace {

// Fixed formats, independent of the machine's locale.
const DateSettings kClock24{':', "hh:mm:ss", "AM", "PM"};
const DateSettings kClock12{'.', "h.mm.ss AP", "vorm.", "nachm."};

constexpr double kSecond = 1.0 / 86400.0;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937_64 rng(std::random_device{}());
    dir_ = fs::temp_directory_path() / ("vestrane-settings-" + std::to_string(rng()));
    fs::create_directories(dir_);
    defaults_.workDirectory = dir_.string();
    file_ = (dir_ / "Vestrane.ini").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Writes @p bytes as the settings file and reads it over the defaults.
  Settings read(const std::string& bytes, const DateSettings& format = kClock24) {
    std::ofstream(file_, std::ios::binary) << bytes;
    Settings s = defaults_;
    const SettingsReadResult result = ReadSettings(file_, s, format);
    EXPECT_TRUE(result.ok());
    messages_.insert(messages_.end(), result.messages.begin(), result.messages.end());
    return s;
  }

  fs::path dir_;
  std::string file_;
  Settings defaults_;
  std::vector<std::string> messages_;  ///< of every read, in order
};

TEST_F(SettingsTest, AMissingFileKeepsTheDefaultsSilently) {
  Settings s = defaults_;
  const SettingsReadResult result = ReadSettings((dir_ / "none.ini").string(), s, kClock24);
  EXPECT_TRUE(result.ok());
  EXPECT_EQ(result.state, SettingsFileState::Missing);
  EXPECT_TRUE(result.messages.empty());
  EXPECT_EQ(settingsFileText(s, kClock24), settingsFileText(defaults_, kClock24));
  EXPECT_TRUE(s.checkForUpdates);
  EXPECT_TRUE(s.aliases.sample.empty());
}

#ifndef _WIN32
TEST_F(SettingsTest, AFileThatIsThereButCannotBeReadIsReportedAndKeepsTheDefaults) {
  // A folder, a FIFO without a writer (opening it would wait for one), a
  // regular file over the 16 MiB bound and a file this user may not read.
  const std::string folder = (dir_ / "folder.ini").string();
  const std::string fifo = (dir_ / "fifo.ini").string();
  const std::string large = (dir_ / "large.ini").string();
  fs::create_directory(folder);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::ofstream(large, std::ios::binary) << "Sample=SAMPLE\r\n";
  fs::resize_file(large, kSettingsFileLimit + 1);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {folder, "is a folder"}, {fifo, "not a regular file"}, {large, "larger than 16 MiB"}};
  for (const auto& [file, reason] : cases) {
    Settings s = defaults_;
    // Should the reading wait in open(), a writer of the FIFO ends the wait.
    auto reading = std::async(std::launch::async, [&] { return ReadSettings(file, s, kClock24); });
    if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      ADD_FAILURE() << file << " was still being opened after 10 s";
      ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    }
    const SettingsReadResult result = reading.get();
    EXPECT_FALSE(result.ok()) << file;
    EXPECT_EQ(result.messages, std::vector<std::string>{"Error: can not read " + file + " (" + reason + ")"});
    EXPECT_EQ(settingsFileText(s, kClock24), settingsFileText(defaults_, kClock24));
  }

  // Mode 000: root reads it all the same, so a child process reads it as
  // nobody, in a folder nobody may enter.
  const std::string locked = (dir_ / "locked.ini").string();
  std::ofstream(locked, std::ios::binary) << "Sample=SAMPLE\r\n";
  ::chmod(locked.c_str(), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(dir_.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chown(locked.c_str(), 65534, 65534), 0);
  }
  EXPECT_EXIT(
      {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
          std::exit(2);
        Settings s = defaults_;
        const SettingsReadResult result = ReadSettings(locked, s, kClock24);
        const bool said = result.messages ==
                          std::vector<std::string>{"Error: can not read " + locked + " (Permission denied)"};
        std::exit(!result.ok() && said && s.aliases.sample.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

TEST_F(SettingsTest, FileNameReplacesTheExtension) {
  EXPECT_EQ(settingsFileBesideProgram("/opt/v.d/Vestrane.exe"), "/opt/v.d/Vestrane.ini");
  EXPECT_EQ(settingsFileBesideProgram("/opt/v.d/Vestrane"), "/opt/v.d/Vestrane.ini");
}

TEST_F(SettingsTest, KeysAndValuesAreTrimmedAndFlagsTakeTheFirstLetter) {
  Settings s = read(" \t chkupdates \t=  no \r\nALL=\r\nseparate=yes\r\n");
  EXPECT_FALSE(s.checkForUpdates);
  EXPECT_FALSE(s.allAtOnce);
  EXPECT_TRUE(s.separateFiles);

  const std::vector<std::pair<std::string, bool>> flags = {
      {"y", true}, {"Yes", true}, {"YES", true}, {"N", false}, {"1", false}, {"True", false}};
  for (const auto& [value, on] : flags)
    EXPECT_EQ(read("All=" + value + "\r\n").allAtOnce, on) << value;
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SettingsTest, LinesEndAtLfCrLfOrALoneCr) {
  Settings s = read("All=Y\rSeparate=Y\nChkUpdates=N\r\n\r\nCUPeriod=2");
  EXPECT_TRUE(s.allAtOnce);
  EXPECT_TRUE(s.separateFiles);
  EXPECT_FALSE(s.checkForUpdates);
  EXPECT_EQ(s.updateCheckPeriod, 2);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SettingsTest, ProblemsAreCollectedIntoOneMessage) {
  defaults_.mainWindowBounds = {1, 2, 3, 4};
  defaults_.updateCheckPeriod = 2;
  Settings s = read("Foo=1\r\n=x\r\nno equals sign\r\nWinMain=10 20 30\r\nCUPeriod=abc\r\n"
                    "WinMain=10  20 30 40\r\n");
  EXPECT_EQ(s.mainWindowBounds, (std::array<std::int32_t, 4>{10, 20, 20, 30}));
  EXPECT_EQ(s.updateCheckPeriod, 2);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Errors in " + file_ +
                                       ":\r\rUnknown variable: FOO\rUnknown variable: "
                                       "\rIncorrect WinMain value: \rIncorrect CUPeriod value: abc"
                                       "\rIncorrect WinMain value: ");
}

TEST_F(SettingsTest, WinMainAndCuPeriodUseTheIntegerForm) {
  Settings s = read("WinMain=-5 $10 0x20 7 99\r\n");
  EXPECT_EQ(s.mainWindowBounds, (std::array<std::int32_t, 4>{-5, 16, 32, 7}));
  EXPECT_EQ(read("CUPeriod=300\r\n").updateCheckPeriod, 44);
  EXPECT_EQ(read("CUPeriod=-1\r\n").updateCheckPeriod, 255);
  EXPECT_TRUE(messages_.empty());

  std::int32_t v = 7;
  EXPECT_TRUE(parseSettingsInteger("  -2147483648", v));
  EXPECT_EQ(v, std::numeric_limits<std::int32_t>::min());
  EXPECT_TRUE(parseSettingsInteger("+X7fffFFFF", v));
  EXPECT_EQ(v, std::numeric_limits<std::int32_t>::max());
  EXPECT_TRUE(parseSettingsInteger("-0Xa", v));
  EXPECT_EQ(v, -10);
  for (const char* bad : {"", "   ", "-", "$", "0x", "12a", "1 2", "2147483648", "$80000000",
                          "-2147483649", "--1", "0x-1"}) {
    EXPECT_FALSE(parseSettingsInteger(bad, v)) << bad;
  }
  EXPECT_EQ(v, -10);
}

TEST_F(SettingsTest, AliasListsAreUpperCasedSplitAndAppended) {
  Settings s = read("Sample=sample id\r\nMineral=grt  cpx\r\nmineral=Opx\r\nSelect=\r\n"
                    "Area=gr\xC3\xBCn\r\n");
  EXPECT_EQ(s.aliases.sample, (AliasList{"SAMPLE", "ID"}));
  EXPECT_EQ(s.aliases.mineral, (AliasList{"GRT", "", "CPX", "OPX"}));
  EXPECT_EQ(s.aliases.area, (AliasList{"GR\xC3\x9CN"}));
  EXPECT_TRUE(s.aliases.select.empty());
  EXPECT_TRUE(s.aliases.analysis.empty());
}

TEST_F(SettingsTest, PathMustNameAnExistingFolder) {
  const std::string sub = (dir_ / "tables").string();
  const std::string missing = (dir_ / "missing").string();
  fs::create_directories(sub);
  Settings s = read("Path=" + missing + "\r\nPath= " + sub + " \r\nPath=" + missing +
                    "\r\nFoo=\r\n");
  EXPECT_EQ(s.workDirectory, sub);
  // A missing folder is reported once, however many Path lines name one.
  EXPECT_EQ(messages_,
            (std::vector<std::string>{"Work directory changed to " + dir_.string(),
                                      "Errors in " + file_ + ":\r\rUnknown variable: FOO"}));
}

TEST_F(SettingsTest, LastUpdateIsReadOrBecomesNow) {
  EXPECT_NEAR(read("LastUpdate=15.03.2024 12:30:45\r\n").lastUpdate, 45366 + 45045 * kSecond,
              1e-9);
  EXPECT_EQ(read("LastUpdate=15.03.2024\r\n").lastUpdate, 45366.0);
  const double before = currentDateTime();
  const double now = read("LastUpdate=yesterday\r\n").lastUpdate;
  EXPECT_LE(before, now);
  EXPECT_LE(now, currentDateTime());
  EXPECT_TRUE(messages_.empty());
}

TEST(DateTimeTextTest, WritesAndReadsTheTextForm) {
  EXPECT_EQ(dateTimeToText(0.0, kClock24), "30.12.1899");
  EXPECT_EQ(dateTimeToText(36526.0, kClock24), "01.01.2000");
  EXPECT_EQ(dateTimeToText(45366 + 45045 * kSecond, kClock24), "15.03.2024 12:30:45");
  EXPECT_EQ(dateTimeToText(45366 + 3723 * kSecond, kClock12), "15.03.2024 1.02.03 VORM.");
  EXPECT_EQ(dateTimeToText(45366 + 0.5, kClock12), "15.03.2024 12.00.00 NACHM.");
  EXPECT_EQ(dateTimeToText(-1.25, kClock24), "29.12.1899 06:00:00");
  EXPECT_EQ(dateTimeToText(1.0 - 0.0001 * kSecond, kClock24), "31.12.1899");

  double t = -7;
  EXPECT_TRUE(textToDateTime("29.12.1899 06:00:00", kClock24, t));
  EXPECT_DOUBLE_EQ(t, -1.25);
  EXPECT_TRUE(textToDateTime("15.03.2024 1.02.03 vorm.", kClock12, t));
  EXPECT_NEAR(t, 45366 + 3723 * kSecond, 1e-9);
  EXPECT_TRUE(textToDateTime("15.03.2024 12:00 nachm.", kClock12, t));  // ':' and no seconds
  EXPECT_NEAR(t, 45366.5, 1e-9);
  EXPECT_TRUE(textToDateTime("15.03.2024 PM 1:05", kClock24, t));
  EXPECT_NEAR(t, 45366 + (13 * 3600 + 300) * kSecond, 1e-9);
  for (const char* bad : {"", "15.03.24", "31.02.2024", "15.03.2024x", "15.03.2024 ",
                          "15.03.2024 25:00", "15.03.2024 13:00 PM", "15.03.2024 12", "1/2/2024"}) {
    EXPECT_FALSE(textToDateTime(bad, kClock24, t)) << bad;
  }
}

TEST(DateTimeTextTest, SystemLocaleFormatReadsBackWhatItWrites) {
  const DateSettings system = DateSettings::fromSystemLocale();
  EXPECT_FALSE(system.longTimeFormat.empty());
  const double value = 45366 + 45045 * kSecond;
  const std::string text = dateTimeToText(value, system);
  EXPECT_NE(text.back(), ' ') << text;
  double back = 0;
  ASSERT_TRUE(textToDateTime(text, system, back)) << text;
  EXPECT_NEAR(back, value, 1e-9);
}

TEST_F(SettingsTest, SettingsTextIsTwelveLinesInKeyOrder) {
  Settings s;
  s.workDirectory = "C:\\Data";
  s.mainWindowBounds = {-8, 20, 470, 145};
  s.aliases.sample = {"SAMPLE", "", "ID"};
  s.aliases.mineral = {"MIN"};
  s.separateFiles = true;
  s.updateCheckPeriod = 255;
  s.lastUpdate = 45366 + 45045 * kSecond;
  EXPECT_EQ(settingsFileText(s, kClock24),
            "Path=C:\\Data\r\nWinMain=-8 20 470 145\r\nSample=SAMPLE  ID\r\nArea=\r\n"
            "Mineral=MIN\r\nAnalysis=\r\nSelect=\r\nAll=N\r\nSeparate=Y\r\nChkUpdates=Y\r\n"
            "CUPeriod=255\r\nLastUpdate=15.03.2024 12:30:45\r\n");
}

TEST_F(SettingsTest, ReadAfterWriteGivesBackTheValues) {
  Settings s = defaults_;
  s.mainWindowBounds = {-3, 4, 900, 600};
  s.aliases.select = {"SEL", "", "CHK"};
  for (int i = 0; i < 300; ++i) s.aliases.analysis.push_back("A" + std::to_string(i));
  s.allAtOnce = true;
  s.checkForUpdates = false;
  s.updateCheckPeriod = 2;
  s.lastUpdate = 45366 + 45045 * kSecond;
  std::string error;
  ASSERT_TRUE(WriteSettings(file_, s, kClock12, error)) << error;

  std::ifstream in(file_, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, settingsFileText(s, kClock12));

  Settings back;
  back.workDirectory = "elsewhere";
  const SettingsReadResult result = ReadSettings(file_, back, kClock12);
  ASSERT_TRUE(result.ok());
  EXPECT_TRUE(result.messages.empty());
  EXPECT_EQ(back.aliases.select, s.aliases.select);
  EXPECT_EQ(back.aliases.analysis, s.aliases.analysis);
  EXPECT_EQ(settingsFileText(back, kClock12), written);
}

TEST_F(SettingsTest, AliasesThatAreNotUtf8ReadBackAsWritten) {
  // Not UTF-8 (0xEE needs two continuation bytes), so upper-cased as
  // Windows-1252: 0xEE becomes 0xCE, and CE A8 is UTF-8. The written file
  // then read back upper-cased by Unicode rules, and the first alias changed
  // from one run to the next.
  Settings s = read("Select=\xC3\xA9l\xEE\xA8ve\r\nMineral=\xEE\xA8 x\r\n");
  const std::string written = settingsFileText(s, kClock24);
  std::ofstream(file_, std::ios::binary | std::ios::trunc) << written;
  Settings back = defaults_;
  ASSERT_TRUE(ReadSettings(file_, back, kClock24).ok());
  EXPECT_EQ(back.aliases.select, s.aliases.select);
  EXPECT_EQ(back.aliases.mineral, s.aliases.mineral);
  EXPECT_EQ(settingsFileText(back, kClock24), written);
  EXPECT_EQ(s.aliases.select, AliasList{"\xC3\x89L\xCE\xA8VE"});  // ÉLΨVE

  // One line in UTF-8 and one not: written on one line, the first line's
  // alias was upper-cased again as Windows-1252 (0xE0 became 0xC0).
  s = read("Analysis=ana\xE0\xBC\xB0x\r\nAnalysis=\xE0\xBC\xB0\xB0y\r\n");
  EXPECT_EQ(s.aliases.analysis, (AliasList{"ANA\xE0\xBC\xB0X", "\xC0\xBC\xB0\xB0Y"}));
  std::ofstream(file_, std::ios::binary | std::ios::trunc) << settingsFileText(s, kClock24);
  back = defaults_;
  ASSERT_TRUE(ReadSettings(file_, back, kClock24).ok());
  EXPECT_EQ(back.aliases.analysis, s.aliases.analysis);
}

TEST_F(SettingsTest, WriteFailureIsReported) {
  const std::string target = (dir_ / "missing" / "Vestrane.ini").string();
  std::string error;
  EXPECT_FALSE(WriteSettings(target, defaults_, kClock24, error));
  const std::string head = "Error: can not write " + target + " (";
  EXPECT_EQ(error.substr(0, head.size()), head);
  EXPECT_GT(error.size(), head.size() + 1);
  EXPECT_EQ(error.back(), ')');
  EXPECT_FALSE(fs::exists(target));
}

}  // namespace
