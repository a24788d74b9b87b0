// SPDX-License-Identifier: MIT
// vestrane-combine: Vestrane without its window. Loads tables the way "Load
// TAB file" does, then writes what "Generate Combinations" with "All at once"
// writes (one combined file, or one file per point), or the merged table the
// way "Save" writes it. Message boxes become lines on standard error.

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include "app/core/Workbench.h"
#include "cli/Console.h"
#include "cli/OperatingSystem.h"
#include "cli/RunOutput.h"
#include "cli/RunScreening.h"
#include "combine/GenerationRun.h"
#include "combine/PointsOverview.h"
#include "combine/RunPoints.h"
#include "combine/TotalFilter.h"
#include "platform/core/Files.h"
#include "platform/core/Messages.h"
#include "platform/core/Services.h"
#include "platform/core/TemporaryFiles.h"
#include "platform/core/Text.h"
#include "settings/Settings.h"
#include "settings/SettingsLocation.h"
#include "table/CsvText.h"
#include "table/TableFile.h"
#include "update/core/uVersions.h"

namespace {

using namespace vestrane;
using cli::Console;
using cli::kStandardStream;
using cli::writeAll;

constexpr const char* kProgram = "vestrane-combine";
constexpr const char* kDefaultSettingsName = "Vestrane.ini";

enum ExitStatus : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

constexpr const char* kSynopsis =
    "Usage: vestrane-combine [--settings FILE] [--exclude MINERAL]...\n"
    "                        [--delimiter C] [--sheet NAME]...\n"
    "                        [-o FILE | --separate DIR | --save FILE] TABLE...\n"
    "       vestrane-combine [--settings FILE] --print-settings\n"
    "       vestrane-combine --help | --version\n";

constexpr const char* kHelp =
    "\n"
    "Loads the TABLEs in the order given into one analysis table and writes every\n"
    "combination of the checked analyses of all points, as \"Generate Combinations\"\n"
    "with \"All at once\" does in Vestrane. A TABLE is TAB-delimited text, CSV text\n"
    "(a name ending in .csv, or no TAB in the first 50 lines; the delimiter is\n"
    "guessed among TAB ; , |) or a workbook (.xlsx, .xlsm, .ods, .xls), told by its\n"
    "content; each visible sheet of a workbook with a table header is read, in the\n"
    "workbook's order.\n"
    "\n"
    "  TABLE              a table file; - reads standard input (TAB or CSV text,\n"
    "                     or a workbook of any of these kinds)\n"
    "  --delimiter C      reads every text TABLE as CSV separated by C: one\n"
    "                     character (not a letter, digit or \"), or tab, space,\n"
    "                     comma, semicolon, pipe, \\t\n"
    "  --sheet NAME       reads only the sheet NAME of a workbook, hidden or not\n"
    "                     (repeatable; a workbook without it is an error)\n"
    "  --settings FILE    the settings file with the alias lists\n"
    "                     (default: Vestrane.ini beside this program; see below)\n"
    "  --exclude MINERAL  unchecks every analysis of MINERAL (repeatable)\n"
    "  --total-range MIN:MAX\n"
    "                     then unchecks every analysis whose total lies outside\n"
    "                     MIN to MAX, bounds kept (98.5:101.5; 98,5 reads as 98.5)\n"
    "  --total-range MINERAL=MIN:MAX\n"
    "                     a range of MINERAL's own (in any letter case; repeatable,\n"
    "                     as Bt=94:97.5); without MIN:MAX for all minerals, the\n"
    "                     other minerals are left alone. Each mineral's count goes\n"
    "                     to standard error, with a warning where more than half\n"
    "                     of its checked analyses were unchecked\n"
    "  --total-column NAME\n"
    "                     the column of the totals (default: the first whose name\n"
    "                     begins with Tot, else the sum of the columns after\n"
    "                     Analysis)\n"
    "  --require MINERALS\n"
    "                     leaves out every point without a checked analysis of\n"
    "                     each of MINERALS, separated by commas (as Grt,Bt;\n"
    "                     repeatable), and says how many on standard error\n"
    "  --points           writes nothing but lists every point: its minerals,\n"
    "                     combinations, lines and the size of its file, and with\n"
    "                     --require the required minerals it lacks (Missing); the\n"
    "                     totals and the combined file's size go to standard error\n"
    "  -o FILE            writes all combinations into one FILE\n"
    "                     (default: - , standard output)\n"
    "  --separate DIR     writes one file per point into DIR and lists the files\n"
    "                     on standard output\n"
    "  --save FILE        writes the loaded table instead of combinations\n"
    "                     (- : standard output)\n"
    "  --no-space-check   writes even when the run's exact size exceeds the free\n"
    "                     space of the disk it goes to (which is refused otherwise;\n"
    "                     a stream, a device or a FIFO is not checked)\n"
    "  --print-settings   prints the settings file as the program would write it\n"
    "  --help             prints this text\n"
    "  --version          prints the version\n"
    "\n"
    "A FILE is replaced whole once everything is written, keeping the earlier one\n"
    "should anything fail. A FILE that names an open descriptor (/dev/stdout,\n"
    "/dev/stderr, /dev/fd/N), a device or a FIFO is written into as a stream, as\n"
    "- is: \"-o /dev/stdout >> log.tab\" appends to log.tab.\n"
    "\n"
    "Messages go to standard error. Exit status: 0 done, 1 a table or the settings\n"
    "file could not be read, an output could not be written, the run does not fit\n"
    "its disk or there was nothing to write (no point has a checked analysis:\n"
    "nothing is written, an earlier FILE stays), 2 wrong usage.\n"
    "\n"
    "The settings file is Vestrane's: Vestrane.ini beside this program. An installed\n"
    "program (the shipped defaults in ../share/vestrane/ from this program's folder)\n"
    "with no Vestrane.ini beside it uses the user's own Vestrane/Vestrane.ini in the\n"
    "configuration folder ($XDG_CONFIG_HOME or ~/.config on Linux), made from the\n"
    "shipped defaults the first time; where it can be neither made nor read, the\n"
    "shipped defaults are read instead.\n";

// ------------------------------------------------------------------ output

/// The desktop as the batch tool sees it: messages go to standard error;
/// there is nobody to answer a dialog and no clipboard.
class BatchServices : public Services {
 public:
  explicit BatchServices(Console& console) : console_(console) {}
  void showMessage(const std::string& text) override { console_.message(text); }
  bool askOpenFile(const FileDialogRequest&, std::string&) override { return false; }
  bool askSaveFile(const FileDialogRequest&, std::string&) override { return false; }
  bool clipboardText(std::string&) override { return false; }
  bool setClipboardText(const std::string&) override { return false; }
  bool openDocument(const std::string&) override { return false; }

 private:
  Console& console_;
};

/// Points done and lines written, at most a few times a second. With
/// separate files only the points are shown.
class TerminalProgress : public Progress {
 public:
  TerminalProgress(Console& console, bool showLines) : console_(console), showLines_(showLines) {}

  bool report(long long pointsDone, long long pointsTotal, long long linesWritten) override {
    const auto now = std::chrono::steady_clock::now();
    if (now < next_) return true;
    next_ = now + std::chrono::milliseconds(200);
    std::string line = std::to_string(pointsDone) + " of " + std::to_string(pointsTotal) + " points";
    if (showLines_) line += ", " + std::to_string(linesWritten) + " lines written";
    console_.showProgress(line);
    return true;
  }

 private:
  Console& console_;
  bool showLines_;
  std::chrono::steady_clock::time_point next_{};
};

// ----------------------------------------------------------------- options

enum class Action { Generate, PrintSettings, Help, Version, Usage };
enum class Output { Combined, Separate, Save };

struct Options {
  Action action = Action::Generate;
  std::string problem;  ///< what is wrong, for Action::Usage
  std::string settingsFile;
  bool settingsGiven = false;
  std::vector<std::string> excluded;
  Output output = Output::Combined;
  std::string target = std::string(kStandardStream);  ///< -o FILE, --separate DIR or --save FILE
  bool outputGiven = false;
  std::vector<std::string> tables;
  bool points = false;  ///< --points
  bool totalRangeGiven = false;
  TotalRange totalRange;    ///< --total-range; the column is found once the tables are read
  std::string totalColumn;  ///< --total-column; empty: the default column
  bool allMineralsRangeGiven = false;  ///< --total-range MIN:MAX, not only MINERAL=MIN:MAX
  std::vector<std::string> required;   ///< --require
  bool spaceCheck = true;              ///< no --no-space-check
  char delimiter = 0;                  ///< --delimiter; 0: as each file's kind says
  std::vector<std::string> sheets;     ///< --sheet
};

/// Takes --total-range and --total-column. @return what is wrong, or nothing.
std::string takeTotalOption(const std::string& name, const std::string& value, Options& o) {
  if (name == "--total-column") {
    o.totalColumn = value;
    return value.empty() ? "--total-column needs a column name" : "";
  }
  o.totalRangeGiven = true;
  if (value.find('=') != std::string::npos) return cli::takeMineralTotalRange(value, o.totalRange);
  o.allMineralsRangeGiven = true;
  if (!parseTotalRange(value, o.totalRange.lowest, o.totalRange.highest))
    return "--total-range needs MIN:MAX, two numbers with MIN <= MAX, not " + value;
  return "";
}

Options usageError(std::string problem) {
  Options o;
  o.action = Action::Usage;
  o.problem = std::move(problem);
  return o;
}

/// The options the tool knows, for Qt's command-line parser.
class OptionParser {
 public:
  OptionParser() {
    for (const QCommandLineOption* option : all_) parser_.addOption(*option);
  }

  /// Reads one argument, or one option and its value as two arguments.
  /// Arguments go to the parser as Latin-1, one character per byte, so that
  /// every byte of a name or value comes back as it was.
  bool parse(const std::vector<std::string>& arguments) {
    QStringList line{QString::fromLatin1(kProgram)};
    for (const std::string& argument : arguments)
      line << QString::fromLatin1(argument.data(), static_cast<qsizetype>(argument.size()));
    return parser_.parse(line);
  }
  bool unknownOption() const { return !parser_.unknownOptionNames().isEmpty(); }
  QStringList optionsFound() const { return parser_.optionNames(); }
  bool isSet(const QCommandLineOption& option) const { return parser_.isSet(option); }
  std::string value(const QCommandLineOption& option) const {
    const QByteArray bytes = parser_.value(option).toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  bool takesValue(const QString& name) const {
    for (const QCommandLineOption* option : all_)
      if (option->names().contains(name)) return !option->valueName().isEmpty();
    return false;
  }

  const QCommandLineOption settings{QStringLiteral("settings"), QString(), QStringLiteral("FILE")};
  const QCommandLineOption exclude{QStringLiteral("exclude"), QString(), QStringLiteral("MINERAL")};
  const QCommandLineOption output{QStringLiteral("o"), QString(), QStringLiteral("FILE")};
  const QCommandLineOption separate{QStringLiteral("separate"), QString(), QStringLiteral("DIR")};
  const QCommandLineOption save{QStringLiteral("save"), QString(), QStringLiteral("FILE")};
  const QCommandLineOption printSettings{QStringLiteral("print-settings"), QString()};
  const QCommandLineOption points{QStringLiteral("points"), QString()};
  const QCommandLineOption totalRange{QStringLiteral("total-range"), QString(), QStringLiteral("MIN:MAX")};
  const QCommandLineOption totalColumn{QStringLiteral("total-column"), QString(), QStringLiteral("NAME")};
  const QCommandLineOption require{QStringLiteral("require"), QString(),
                                   QStringLiteral("MINERALS")};
  const QCommandLineOption noSpaceCheck{QStringLiteral("no-space-check"), QString()};
  const QCommandLineOption delimiter{QStringLiteral("delimiter"), QString(), QStringLiteral("C")};
  const QCommandLineOption sheet{QStringLiteral("sheet"), QString(), QStringLiteral("NAME")};
  const QCommandLineOption help{QStringLiteral("help"), QString()};
  const QCommandLineOption version{QStringLiteral("version"), QString()};

 private:
  const QCommandLineOption* const all_[15] = {&settings,    &exclude,       &output,  &separate,
                                              &save,        &points,        &totalRange,
                                              &totalColumn, &require,       &noSpaceCheck,
                                              &delimiter,   &sheet,         &help,
                                              &printSettings, &version};
  QCommandLineParser parser_;
};

// The parser reads the arguments one at a time, an option together with a
// value that stands in the next argument: so the first problem on the line
// is the one reported, and --help and --version answer at once unless a
// problem comes before them, as the tool always did. Three rules of the
// tool's own are kept by hand: "--" ends the options (a table named like an
// option follows it), a one-letter option is written with one dash and a
// longer name with two ("--o" is unknown), and "-o=FILE" writes to "=FILE",
// the text after "-o" as in "-oFILE".
Options parseOptions(const std::vector<std::string>& args) {
  Options o;
  bool printSettings = false;
  int standardInputs = 0;
  OptionParser parser;

  auto addTable = [&](const std::string& arg) {
    if (arg == kStandardStream && ++standardInputs > 1) return false;
    o.tables.push_back(arg);
    return true;
  };
  const char* const standardInputTwice = "standard input (-) can be read only once";

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      while (++i < args.size())
        if (!addTable(args[i])) return usageError(standardInputTwice);
      break;
    }
    std::vector<std::string> piece{arg};
    if (arg.size() > 2 && arg.rfind("-o=", 0) == 0) piece = {"-o", arg.substr(2)};
    bool parsed = parser.parse(piece);
    if (parser.unknownOption()) return usageError("unknown option " + arg);
    const QStringList found = parser.optionsFound();
    const bool longForm = arg.rfind("--", 0) == 0;
    for (const QString& name : found)
      if ((name.size() == 1) == longForm) return usageError("unknown option " + arg);
    if (!parsed && found.size() == 1 && parser.takesValue(found[0])) {
      // No value in the argument itself: the value is the next argument,
      // whatever it looks like.
      if (i + 1 >= args.size()) return usageError("option " + arg + " needs a value");
      parsed = parser.parse({arg, args[++i]});
    }
    if (!parsed) return usageError("unknown option " + arg);
    if (found.isEmpty()) {
      if (!addTable(arg)) return usageError(standardInputTwice);
      continue;
    }

    if (parser.isSet(parser.help)) {
      o.action = Action::Help;
      return o;
    }
    if (parser.isSet(parser.version)) {
      o.action = Action::Version;
      return o;
    }
    if (parser.isSet(parser.printSettings)) {
      printSettings = true;
    } else if (parser.isSet(parser.points)) {
      o.points = true;
    } else if (parser.isSet(parser.noSpaceCheck)) {
      o.spaceCheck = false;
    } else if (parser.isSet(parser.delimiter)) {
      const std::string value = parser.value(parser.delimiter);
      if (o.delimiter != 0) return usageError("--delimiter given more than once");
      if (!parseCsvDelimiter(value, o.delimiter))
        return usageError("--delimiter needs one character (not a letter, a digit or \") or "
                          "tab, space, comma, semicolon, pipe, not " + value);
    } else if (parser.isSet(parser.sheet)) {
      const std::string value = parser.value(parser.sheet);
      if (value.empty()) return usageError("--sheet needs a sheet name");
      o.sheets.push_back(value);
    } else if (parser.isSet(parser.require)) {
      const std::string problem =
          cli::takeRequiredMinerals(parser.value(parser.require), o.required);
      if (!problem.empty()) return usageError(problem);
    } else if (parser.isSet(parser.totalRange) || parser.isSet(parser.totalColumn)) {
      const bool range = parser.isSet(parser.totalRange);
      const std::string problem =
          takeTotalOption(range ? "--total-range" : "--total-column",
                          parser.value(range ? parser.totalRange : parser.totalColumn), o);
      if (!problem.empty()) return usageError(problem);
    } else if (parser.isSet(parser.settings)) {
      if (o.settingsGiven) return usageError("--settings given more than once");
      o.settingsGiven = true;
      o.settingsFile = parser.value(parser.settings);
    } else if (parser.isSet(parser.exclude)) {
      o.excluded.push_back(parser.value(parser.exclude));
    } else {
      if (o.outputGiven) return usageError("give only one of -o, --separate and --save");
      o.outputGiven = true;
      const QCommandLineOption& given = parser.isSet(parser.output)     ? parser.output
                                        : parser.isSet(parser.separate) ? parser.separate
                                                                        : parser.save;
      o.output = &given == &parser.output     ? Output::Combined
                 : &given == &parser.separate ? Output::Separate
                                              : Output::Save;
      o.target = parser.value(given);
    }
  }

  if (o.settingsGiven) {
    // A settings file named on the command line must be there: without it
    // no table header would be recognised, for a reason the user could
    // not see.
    o.settingsFile = absolutePath(o.settingsFile);
    if (directoryExists(o.settingsFile))
      return usageError("settings file " + o.settingsFile + " is a folder");
    if (!pathExists(o.settingsFile)) return usageError("settings file " + o.settingsFile + " not found");
  }
  if (printSettings) {
    if (!o.tables.empty() || o.outputGiven || !o.excluded.empty() || o.points || o.totalRangeGiven ||
        !o.totalColumn.empty() || !o.required.empty() || !o.spaceCheck || o.delimiter != 0 ||
        !o.sheets.empty())
      return usageError("--print-settings takes no tables and no other option but --settings");
    o.action = Action::PrintSettings;
    return o;
  }
  if (o.tables.empty()) return usageError("no table given");
  if (o.points && o.outputGiven) return usageError("--points writes nothing: give no -o, --separate or --save");
  if (!o.totalColumn.empty() && !o.totalRangeGiven) return usageError("--total-column needs --total-range");
  o.totalRange.allMinerals = o.allMineralsRangeGiven;
  if (o.output == Output::Separate && o.target == kStandardStream)
    return usageError("--separate needs a folder");

  // Messages name files by their full paths, as they do in the window.
  for (std::string& table : o.tables)
    if (table != kStandardStream) table = absolutePath(table);
  if (o.target != kStandardStream) o.target = absolutePath(o.target);
  return o;
}

// -------------------------------------------------------------------- run

/// Reads standard input as a table file and appends it, as LoadTableFile
/// does for a file (there is no folder or caption to follow), up to the
/// same limit: the bytes come in whole, then are read by their kind.
bool loadStandardInput(Workbench& bench, Console& console) {
  const std::string what = "standard input";
  std::string bytes;
  std::string reason;
  if (readTableStandardInput(bytes, reason) != ReadResult::Ok) {
    console.message(cannotReadMessage(what, reason));
    return false;
  }
  return bench.loadTableBytes(bytes, what);
}

/// Whether the run has a combination to write: a point with a checked
/// analysis. A run without one writes nothing at all, neither an empty
/// combined file in place of an earlier one nor an empty list of files;
/// it fails, and says why.
bool hasCombinations(const Workbench& bench, Console& console) {
  if (!runPoints(bench.table()).empty()) return true;
  const char* why = bench.table().rowCount() == 0 ? "the table has no rows"
                                                  : "no point has a checked analysis";
  console.message(std::string("Error: no combinations to write (") + why + ")");
  return false;
}

/// Unchecks the analyses whose total lies outside the range of --total-range
/// and says how many (the engine's message, on standard error). @return
/// false when --total-column names no column.
bool uncheckByTotal(Workbench& bench, const Options& o) {
  TotalRange range = o.totalRange;
  range.column = defaultTotalColumn(bench.table());
  if (!o.totalColumn.empty()) {
    range.column = columnNamed(bench.table(), o.totalColumn);
    if (range.column < 0) return false;
  }
  // The engine says what the ranges did, mineral by mineral.
  bench.uncheckByTotal(range, false);
  return true;
}

/// --points: the points of the run on standard output, the totals on
/// standard error. With --require every point is listed with what it
/// lacks, and the totals are those of the points that would be written.
int listPoints(Workbench& bench, const Options& o, Console& console) {
  const PointsOverview overview = bench.pointsOverview();
  errno = 0;
  const std::string listing =
      o.required.empty() ? pointsListing(overview) : pointsListing(overview, o.required);
  if (!writeAll(stdout, listing) || std::fflush(stdout) != 0) {
    console.message(cannotWriteMessage("standard output", systemReason(errno)));
    return kExitFailed;
  }
  if (o.required.empty()) {
    console.message(pointsSummary(overview));
    return kExitOk;
  }
  cli::leaveOutPointsLacking(bench, o.required, console);
  console.message(pointsSummary(bench.pointsOverview()));
  return kExitOk;
}

int wrongUsage(const std::string& problem) {
  writeAll(stderr, std::string(kProgram) + ": " + problem + "\n");
  writeAll(stderr, kSynopsis);
  writeAll(stderr, std::string("Try '") + kProgram + " --help' for more information.\n");
  return kExitUsage;
}

int run(const std::vector<std::string>& args, const std::string& exePath) {
  Console console(cli::standardErrorIsTerminal());
  const Options o = parseOptions(args);

  switch (o.action) {
    case Action::Help:
      writeAll(stdout, kSynopsis);
      writeAll(stdout, kHelp);
      return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
    case Action::Version:
      GetOwnVersion();
      writeAll(stdout, std::string(kProgram) + " " + VersionToStr(OwnVersion) + "\n");
      return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
    case Action::Usage:
      return wrongUsage(o.problem);
    case Action::PrintSettings:
    case Action::Generate:
      break;
  }

  // Settings, as the program reads them at start-up: the work directory
  // starts as the executable's folder.
  BatchServices services(console);
  Settings settings;
  setStartUpSettings(settings, exePath);
  const DateSettings format = DateSettings::fromSystemLocale();
  // A settings file that could not be read is reported; without its alias
  // lists no table would be read as it should, so nothing is.
  bool settingsRead;
  std::vector<std::string> settingsMessages;
  if (o.settingsGiven) {
    SettingsReadResult read = ReadSettings(o.settingsFile, settings, format);
    settingsRead = read.ok();
    settingsMessages = std::move(read.messages);
  } else {
    SettingsInUse inUse =
        readSettingsInUse(joinPath(folderOf(exePath), kDefaultSettingsName), settings, format);
    settingsRead = inUse.read;
    settingsMessages = std::move(inUse.messages);
  }
  for (const std::string& message : settingsMessages) console.message(message);
  if (!settingsRead) return kExitFailed;

  if (o.action == Action::PrintSettings) {
    if (!writeAll(stdout, settingsFileText(settings, format)) || std::fflush(stdout) != 0) {
      console.message(cannotWriteMessage("standard output", systemReason(errno)));
      return kExitFailed;
    }
    return kExitOk;
  }

  // Every table is read before anything is written.
  Workbench bench(settings, services);
  bench.setMapTableFiles(true);
  bench.setLoadsStreams(true);
  bench.setKeepUndoSteps(false);
  bench.setCsvDelimiter(o.delimiter);
  bench.setSheets(o.sheets);
  for (const std::string& table : o.tables) {
    if (table != kStandardStream)
      cli::reportBusErrorsAs(cannotReadFileMessage(table, "it changed while it was read"));
    const bool ok = table == kStandardStream ? loadStandardInput(bench, console)
                                             : bench.LoadTableFile(table);
    if (!ok) return kExitFailed;
  }
  std::vector<std::string> excluded;
  for (const std::string& mineral : o.excluded) excluded.push_back(capitalizeFirst(mineral));
  bench.uncheckMineralsEverywhere(excluded);
  if (o.totalRangeGiven && !uncheckByTotal(bench, o))
    return wrongUsage("--total-column " + o.totalColumn + ": the tables have no such column");
  if (o.points) return listPoints(bench, o, console);

  // Points that lack a required mineral are unchecked like --exclude's
  // analyses, so a saved table keeps them unchecked too.
  if (!o.required.empty()) cli::leaveOutPointsLacking(bench, o.required, console);
  if (o.output != Output::Save) {
    if (!hasCombinations(bench, console)) return kExitFailed;
    SystemDiskSpace disk;
    const bool separate = o.output == Output::Separate;
    if (o.spaceCheck && !cli::runFitsDisk(bench, separate, o.target, disk, console))
      return kExitFailed;
  }

  if (o.output == Output::Save) return cli::writeTable(bench, o.target, console) ? kExitOk : kExitFailed;
  TerminalProgress terminalProgress(console, o.output == Output::Combined);
  // The run moves the point as the window's does; here nobody looks at it.
  PointState point = bench.point();
  GenerationRun run(bench.table(), point, bench.selectedRow(),
                    console.isTerminal() ? &terminalProgress : nullptr);
  const bool written = o.output == Output::Combined ? cli::writeCombined(run, o.target, console)
                                                    : cli::writeSeparate(run, o.target, console);
  return written ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  cli::ignoreClosedPipes();
  removeTemporaryFilesOnSignals();
  cli::setBinaryStandardStreams();
  // Generated output is written in large pieces; a bigger buffer saves calls.
  static char stdoutBuffer[1 << 16];
  std::setvbuf(stdout, stdoutBuffer, _IOFBF, sizeof stdoutBuffer);
  try {
    return run(cli::commandLineArguments(argc, argv), cli::executablePath(argc > 0 ? argv[0] : nullptr));
  } catch (const std::bad_alloc&) {
    // Whatever ran out of memory has let go of it, and of its files.
    writeAll(stderr, "Error: " + outOfMemoryReason() + "\n");
  } catch (const std::exception& e) {
    writeAll(stderr, std::string("Error: ") + e.what() + "\n");
  }
  return kExitFailed;
}
