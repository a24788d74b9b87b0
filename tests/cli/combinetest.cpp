// SPDX-License-Identifier: MIT
// vestrane-combine from the outside: every mode, every exit status, with
// standard output, standard error and written files compared byte for byte.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

const QString kExe = QFileInfo(QStringLiteral(VESTRANE_COMBINE_EXE)).canonicalFilePath();
const QString kSourceDir = QStringLiteral(VESTRANE_SOURCE_DIR);

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string bytes(const QByteArray& a) { return std::string(a.constData(), static_cast<std::size_t>(a.size())); }

std::string readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<missing " + path.toStdString() + ">";
  return bytes(f.readAll());
}

void writeFile(const QString& path, const std::string& content) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  ASSERT_EQ(f.write(content.data(), static_cast<qint64>(content.size())),
            static_cast<qint64>(content.size()));
}

QStringList entries(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

// The aliases of the worked examples: one word per fixed column.
const char* kIni =
    "Sample=SAMPLE\r\nArea=AREA\r\nMineral=MINERAL\r\nAnalysis=ANALYSIS\r\nSelect=SELECT\r\n";

const char* kWorked =
    "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
    "1\tS1\tr1\tGrt\tg1\t37.5\r\n"
    "1\tS1\tr1\tBt\tb1\t35.0\r\n"
    "1\tS1\tr1\tGrt\tg2\t37.8\r\n"
    "0\tS1\tr1\tPl\tp1\t60.1\r\n";

const char* kWorkedOut =
    "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
    "1\tS1\tr1_00\tGrt\tg1\t37.5\r\n"
    "1\tS1\tr1_00\tBt\tb1\t35.0\r\n"
    "1\tS1\tr1_01\tGrt\tg2\t37.8\r\n"
    "1\tS1\tr1_01\tBt\tb1\t35.0\r\n";

// A second point S2 (Area "-") with two garnets.
const char* kSecond =
    "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
    "1\tS2\t-\tgarnet\tx1\t37.1\r\n"
    "1\tS2\t-\tGARNET\tx2\t37.2\r\n";

const char* kSecondLines =
    "1\tS2\t00\tGarnet\tx1\t37.1\r\n"
    "1\tS2\t01\tGarnet\tx2\t37.2\r\n";

class CombineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    // The tool names files by the real path of its working folder.
    root = QFileInfo(dir.path()).canonicalFilePath();
    writeFile(path("test.ini"), kIni);
    writeFile(path("worked.tab"), kWorked);
  }

  QString path(const QString& name) const { return root + "/" + name; }
  std::string stdPath(const QString& name) const { return QDir::toNativeSeparators(path(name)).toStdString(); }

  /// Runs the tool in the temporary folder, feeding @p input to standard input.
  Result run(const QStringList& args, const std::string& input = std::string(),
             const QString& exe = kExe, const QString& outputFile = QString()) const {
    QProcess p;
    p.setWorkingDirectory(root);
    if (!outputFile.isEmpty()) p.setStandardOutputFile(outputFile);
    p.start(exe, args);
    Result r;
    if (!p.waitForStarted(30000)) {
      r.err = "<did not start>";
      return r;
    }
    p.write(input.data(), static_cast<qint64>(input.size()));
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
      p.kill();
      r.err = "<crashed or timed out>";
      return r;
    }
    r.status = p.exitCode();
    r.out = bytes(p.readAllStandardOutput());
    r.err = bytes(p.readAllStandardError());
    return r;
  }

  /// The tool with the worked-example settings.
  Result tool(QStringList args, const std::string& input = std::string()) const {
    args.prepend(path("test.ini"));
    args.prepend("--settings");
    return run(args, input);
  }

  QTemporaryDir dir;
  QString root;
};

// ------------------------------------------------------------------ usage

TEST_F(CombineTest, HelpAndVersionGoToStandardOutput) {
  Result help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: vestrane-combine [--settings FILE]", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("--print-settings"), std::string::npos);
  EXPECT_EQ(help.err, "");

  Result version = run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "vestrane-combine 1.0.0.3\n");
  EXPECT_EQ(version.err, "");
}

TEST_F(CombineTest, WrongUsageExitsWithTwoAndTheUsageOnStandardError) {
  const std::string synopsis =
      "Usage: vestrane-combine [--settings FILE] [--exclude MINERAL]...\n"
      "                        [--delimiter C] [--sheet NAME]...\n"
      "                        [-o FILE | --separate DIR | --save FILE] TABLE...\n"
      "       vestrane-combine [--settings FILE] --print-settings\n"
      "       vestrane-combine --help | --version\n"
      "Try 'vestrane-combine --help' for more information.\n";
  Result none = run({});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "vestrane-combine: no table given\n" + synopsis);

  const std::vector<std::pair<QStringList, std::string>> cases = {
      {{"--bogus", "worked.tab"}, "unknown option --bogus"},
      {{"worked.tab", "-o"}, "option -o needs a value"},
      {{"-o", "a.tab", "--separate", ".", "worked.tab"}, "give only one of -o, --separate and --save"},
      {{"--save", "a.tab", "-o", "b.tab", "worked.tab"}, "give only one of -o, --separate and --save"},
      {{"--print-settings", "worked.tab"}, "--print-settings takes no tables and no other option but --settings"},
      {{"--exclude", "Grt", "--print-settings"}, "--print-settings takes no tables and no other option but --settings"},
      {{"-", "-"}, "standard input (-) can be read only once"},
      {{"--settings", "a.ini", "--settings=b.ini", "worked.tab"}, "--settings given more than once"},
  };
  for (const auto& [args, problem] : cases) {
    Result r = run(args);
    EXPECT_EQ(r.status, 2) << problem;
    EXPECT_EQ(r.out, "") << problem;
    EXPECT_EQ(r.err, "vestrane-combine: " + problem + "\n" + synopsis);
  }
  // Nothing was written by any of them.
  EXPECT_EQ(entries(root), QStringList({"test.ini", "worked.tab"}));
}

// ------------------------------------------------------ combined output

TEST_F(CombineTest, CombinedFileGoesToStandardOutputByDefault) {
  Result r = tool({"worked.tab"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kWorkedOut);
  EXPECT_EQ(r.err, "");

  Result dash = tool({"-o", "-", "worked.tab"});
  EXPECT_EQ(dash.out, kWorkedOut);
}

TEST_F(CombineTest, TablesAreAppendedInTheOrderGivenAndPointsFollowThatOrder) {
  writeFile(path("second.tab"), kSecond);
  Result r = tool({"worked.tab", "second.tab"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, std::string(kWorkedOut) + kSecondLines);

  // Only the first point carries the header; the second starts again at 00.
  Result reversed = tool({"second.tab", "worked.tab"});
  EXPECT_EQ(reversed.out, "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n" + std::string(kSecondLines) +
                              std::string(kWorkedOut).substr(std::string(kWorkedOut).find("\r\n") + 2));
}

TEST_F(CombineTest, OutputFileIsReplacedWholeAndNothingElseIsLeftBehind) {
  writeFile(path("out.tab"), "old content that is longer than the new one ... ... ... ... ... ... ...");
  Result r = tool({"-o", "out.tab", "worked.tab"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(readFile(path("out.tab")), kWorkedOut);
  EXPECT_EQ(entries(root), QStringList({"out.tab", "test.ini", "worked.tab"}));

  // "-oFILE" and "--opt=VALUE" spellings.
  Result joined = tool({"-oout2.tab", "worked.tab"});
  EXPECT_EQ(joined.status, 0);
  EXPECT_EQ(readFile(path("out2.tab")), kWorkedOut);
}

TEST_F(CombineTest, StandardInputIsReadLikeAFile) {
  // LF line ends, a lone CR inside a field, no line end at the end, and text
  // after a Ctrl-Z that is never read: the rules for table files.
  std::string input =
      "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\n"
      "1\tS1\tr1\tGrt\tg\r1\t37.5\n"
      "1\tS1\tr1\tBt\tb1\t35.0\n"
      "1\tS1\tr1\tGrt\tg2\t37.8\n"
      "0\tS1\tr1\tPl\tp1\t60.1\n"
      "\x1a"
      "1\tS1\tr1\tBt\tb9\t99.9";
  Result r = tool({"-"}, input);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kWorkedOut);
  EXPECT_EQ(r.err, "");

  // Standard input between two files is appended in its place.
  writeFile(path("second.tab"), kSecond);
  Result mixed = tool({"second.tab", "-", "worked.tab"}, "Sample\tArea\tMineral\r\nS3\tA\tqz\r\n");
  EXPECT_EQ(mixed.status, 0);
  // S3 has fewer than 18 characters on its data line and is passed over.
  EXPECT_EQ(mixed.out.find("S3"), std::string::npos);
  EXPECT_EQ(mixed.out.rfind("Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n1\tS2\t00\t", 0), 0u)
      << mixed.out;

  // Like a table file, standard input without rows leaves no extra column behind.
  Result noRows = tool({"--save", "-", "-", "worked.tab"}, "Sample\tMineral\tExtra\r\n\r\n");
  EXPECT_EQ(noRows.status, 0);
  EXPECT_EQ(noRows.out.substr(0, noRows.out.find("\r\n")),
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2");
}

TEST_F(CombineTest, ExcludeUnchecksAMineralEverywhereByItsCapitalisedName) {
  writeFile(path("second.tab"), kSecond);
  Result r = tool({"--exclude", "bT", "--exclude=GARNET", "worked.tab", "second.tab"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
            "1\tS1\tr1_00\tGrt\tg1\t37.5\r\n"
            "1\tS1\tr1_01\tGrt\tg2\t37.8\r\n");
  EXPECT_EQ(r.err, "");

  // A mineral that no row has changes nothing.
  Result none = tool({"--exclude", "Ky", "worked.tab"});
  EXPECT_EQ(none.out, kWorkedOut);
}

TEST_F(CombineTest, MessagesGoToStandardErrorWithLineFeeds) {
  // Line 4 has no mineral, line 5 no sample; both are dropped with a warning.
  writeFile(path("dropped.tab"),
            "Select\tSample\tArea\tMineral\tAnalysis\r\n"
            "1\tS1\tr1\tGrt\tg1 analysis\r\n"
            "1\tS1\tr1\tGrt\tg2 analysis\r\n"
            "1\tS1\tr1\t\tunknown phase\r\n"
            "1\t-\tr1\tBt\tlost sample\r\n");
  Result r = tool({"dropped.tab"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "Warning! Ignored lines with mineral analyses:\n"
            "4: Mineral is not specified\n"
            "5: Sample ID is not specified\n");
  EXPECT_EQ(r.out,
            "Select\tSample\tArea\tMineral\tAnalysis\r\n"
            "1\tS1\tr1_00\tGrt\tg1 analysis\r\n"
            "1\tS1\tr1_01\tGrt\tg2 analysis\r\n");

  // The settings reader's collected message: its CR pieces become LFs.
  writeFile(path("odd.ini"), std::string(kIni) + "Foo=1\r\nCUPeriod=abc\r\n");
  Result odd = run({"--settings", "odd.ini", "worked.tab"});
  EXPECT_EQ(odd.status, 0);
  EXPECT_EQ(odd.out, kWorkedOut);
  EXPECT_EQ(odd.err, "Errors in " + stdPath("odd.ini") +
                         ":\n\nUnknown variable: FOO\nIncorrect CUPeriod value: abc\n");

  // A work directory that does not exist falls back to the executable's folder.
  writeFile(path("gone.ini"), std::string(kIni) + "Path=" + stdPath("no-such-folder") + "\r\n");
  Result gone = run({"--settings", "gone.ini", "--print-settings"});
  const std::string exeFolder = QDir::toNativeSeparators(QFileInfo(kExe).absolutePath()).toStdString();
  EXPECT_EQ(gone.status, 0);
  EXPECT_EQ(gone.err, "Work directory changed to " + exeFolder + "\n");
  EXPECT_EQ(gone.out.rfind("Path=" + exeFolder + "\r\n", 0), 0u) << gone.out;
}

// --------------------------------------------------------- separate files

TEST_F(CombineTest, SeparateFilesAreListedOnStandardOutput) {
  writeFile(path("second.tab"), kSecond);
  QDir(root).mkdir("points");
  Result r = tool({"--separate", "points", "worked.tab", "second.tab"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "S1_r1.tab\nS2.tab\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(entries(path("points")), QStringList({"S1_r1.tab", "S2.tab"}));
  EXPECT_EQ(readFile(path("points/S1_r1.tab")), kWorkedOut);
  EXPECT_EQ(readFile(path("points/S2.tab")),
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n" + std::string(kSecondLines));

  // A run without any checked row writes no file, lists nothing and fails.
  Result empty = tool({"--separate", "points", "--exclude", "grt", "--exclude", "bt",
                       "--exclude", "garnet", "worked.tab", "second.tab"});
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.out, "");
  EXPECT_EQ(empty.err, "Error: no combinations to write (no point has a checked analysis)\n");
  EXPECT_EQ(entries(path("points")), QStringList({"S1_r1.tab", "S2.tab"}));
}

TEST_F(CombineTest, SeparateFilesThatCannotBeWrittenFailTheRun) {
  Result missing = tool({"--separate", "no-such-folder", "worked.tab"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "Error: can not write " + stdPath("no-such-folder") + " (folder not found)\n");

  // A folder in the way of one point file: the other point is still written.
  writeFile(path("second.tab"), kSecond);
  QDir(root).mkpath("points/S1_r1.tab");
  Result blocked = tool({"--separate", "points", "worked.tab", "second.tab"});
  EXPECT_EQ(blocked.status, 1);
  EXPECT_EQ(blocked.out, "S2.tab\n");
  EXPECT_EQ(blocked.err, "Error: can not write " + stdPath("points/S1_r1.tab") + " (is a folder)\n");
  EXPECT_EQ(readFile(path("points/S2.tab")),
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n" + std::string(kSecondLines));
}

// ----------------------------------------------------------- saved table

TEST_F(CombineTest, SaveWritesTheLoadedTable) {
  // The save example: Sample ID, Mineral and SiO2 only.
  writeFile(path("short.tab"), "Sample ID\tMineral\tSiO2\r\nMP-12A\tgarnet\t37.51\r\n");
  const std::string saved =
      "Select\tSample ID\tArea\tMineral\tAnalysis\tSiO2\r\n"
      "1\tMP-12A\t-\tGarnet\t-\t37.51\r\n";
  Result r = tool({"--save", "saved.tab", "short.tab"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(readFile(path("saved.tab")), saved);

  // Two tables, the second with one more column: rows appended, columns merged.
  writeFile(path("more.tab"), "Sample\tMineral\tMgO\tsio2\r\nMP-12B\tbiotite\t9.10\t35.20\r\n");
  Result merged = tool({"--save", "-", "short.tab", "more.tab"});
  EXPECT_EQ(merged.status, 0);
  EXPECT_EQ(merged.out,
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tMgO\r\n"
            "1\tMP-12A\t-\tGarnet\t-\t37.51\t-\r\n"
            "1\tMP-12B\t-\tBiotite\t-\t35.20\t9.10\r\n");
}

TEST_F(CombineTest, SaveOfATableWithoutRowsFailsAndWritesNothing) {
  writeFile(path("norows.tab"), "Sample\tMineral\tSiO2\r\n\r\n");
  Result r = tool({"--save", "saved.tab", "norows.tab"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: can not write " + stdPath("saved.tab") + " (the table has no rows)\n");
  EXPECT_FALSE(QFileInfo::exists(path("saved.tab")));
  // A file of that name stays as it was; standard output gets nothing.
  writeFile(path("saved.tab"), "previous");
  EXPECT_EQ(tool({"--save", "saved.tab", "norows.tab"}).status, 1);
  EXPECT_EQ(readFile(path("saved.tab")), "previous");
  Result toStdout = tool({"--save", "-", "norows.tab"});
  EXPECT_EQ(toStdout.status, 1);
  EXPECT_EQ(toStdout.out, "");
  EXPECT_EQ(toStdout.err, "Error: can not write standard output (the table has no rows)\n");
  // Nor are combinations of no rows (the window writes the empty file the
  // user confirmed).
  Result combined = tool({"-o", "comb.tab", "norows.tab"});
  EXPECT_EQ(combined.status, 1);
  EXPECT_EQ(combined.err, "Error: no combinations to write (the table has no rows)\n");
  EXPECT_FALSE(QFileInfo::exists(path("comb.tab")));
}

// -------------------------------------------------------------- settings

TEST_F(CombineTest, PrintSettingsWritesTheValuesRead) {
  writeFile(path("mixed.ini"),
            "  sample = sample id\n"
            "winmain=10 20 30\r\n"
            "Separate=yes\r"
            "Mineral=mineral\r\nMineral=phase  min\r\n"
            "chkupdates=no\r\nCUPeriod=300\r\nLastUpdate=05.03.2021\r\nline without equals\r\n");
  Result r = run({"--settings", "mixed.ini", "--print-settings"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "Path=" + QDir::toNativeSeparators(QFileInfo(kExe).absolutePath()).toStdString() + "\r\n"
            "WinMain=10 20 30 0\r\n"
            "Sample=SAMPLE ID\r\n"
            "Area=\r\n"
            "Mineral=MINERAL PHASE  MIN\r\n"
            "Analysis=\r\n"
            "Select=\r\n"
            "All=N\r\n"
            "Separate=Y\r\n"
            "ChkUpdates=N\r\n"
            "CUPeriod=44\r\n"
            "LastUpdate=05.03.2021\r\n");
  EXPECT_EQ(r.err, "Errors in " + stdPath("mixed.ini") + ":\n\nIncorrect WinMain value: \n");
}

TEST_F(CombineTest, DefaultSettingsFileIsTheOneBesideTheExecutable) {
  // A copy of the tool in a folder of its own, first without a settings file.
  QDir(root).mkdir("tool");
  const QString copy = path("tool/" + QFileInfo(kExe).fileName());
  ASSERT_TRUE(QFile::copy(kExe, copy));
  QFile::setPermissions(copy, QFile::permissions(kExe));
  const std::string toolDir = stdPath("tool");

  Result defaults = run({"--print-settings"}, std::string(), copy);
  EXPECT_EQ(defaults.status, 0);
  EXPECT_EQ(defaults.err, "");
  EXPECT_EQ(defaults.out, "Path=" + toolDir +
                              "\r\nWinMain=0 0 0 0\r\nSample=\r\nArea=\r\nMineral=\r\nAnalysis=\r\n"
                              "Select=\r\nAll=N\r\nSeparate=N\r\nChkUpdates=Y\r\nCUPeriod=0\r\n"
                              "LastUpdate=30.12.1899\r\n");
  // Without alias lists no header is recognised.
  Result rejected = run({"-o", "out.tab", "worked.tab"}, std::string(), copy);
  EXPECT_EQ(rejected.status, 1);
  EXPECT_EQ(rejected.err,
            "Error: incorrect table format (columns with required Sample ID and Minerals not found)!\n");
  EXPECT_FALSE(QFileInfo::exists(path("out.tab")));

  // With the shipped defaults beside it, they are read back unchanged.
  const std::string shipped = readFile(kSourceDir + "/app/Vestrane.ini");
  writeFile(path("tool/Vestrane.ini"), shipped);
  Result printed = run({"--print-settings"}, std::string(), copy);
  EXPECT_EQ(printed.status, 0);
  EXPECT_EQ(printed.err, "");
  EXPECT_EQ(printed.out, shipped);
  Result works = run({"worked.tab"}, std::string(), copy);
  EXPECT_EQ(works.status, 0);
  EXPECT_EQ(works.out, kWorkedOut);
}

// -------------------------------------------------------------- failures

TEST_F(CombineTest, ATableThatCannotBeReadWritesNothing) {
  writeFile(path("out.tab"), "previous");
  writeFile(path("empty.tab"), "");
  writeFile(path("oneline.tab"), "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n");
  writeFile(path("noheader.tab"), "Project X\r\nS1\tr1\tGrt\tg1\t37.5\r\nS1\tr1\tBt\tb1\t35.0\r\n");

  const std::vector<std::pair<QString, std::string>> cases = {
      {"missing.tab", "Error: can not open file " + stdPath("missing.tab") + "\n"},
      {"empty.tab", "Error: incorrect table format (less than two rows detected)!\n"},
      {"oneline.tab",
       "Error: incorrect table format (columns with required Sample ID and Minerals not found)!\n"},
      {"noheader.tab",
       "Error: incorrect table format (columns with required Sample ID and Minerals not found)!\n"},
  };
  for (const auto& [table, message] : cases) {
    // The bad table comes after a good one: still nothing is written.
    Result r = tool({"-o", "out.tab", "worked.tab", table});
    EXPECT_EQ(r.status, 1) << table.toStdString();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, message);
    EXPECT_EQ(readFile(path("out.tab")), "previous");

    Result toStdout = tool({"worked.tab", table});
    EXPECT_EQ(toStdout.status, 1);
    EXPECT_EQ(toStdout.out, "");
  }
  EXPECT_EQ(tool({"-"}, "").err, "Error: incorrect table format (less than two rows detected)!\n");
  EXPECT_EQ(entries(root),
            QStringList({"empty.tab", "noheader.tab", "oneline.tab", "out.tab", "test.ini", "worked.tab"}));
}

TEST_F(CombineTest, ARunWithNothingToWriteFailsAndKeepsTheEarlierFile) {
  ASSERT_EQ(tool({"-o", "good.tab", "worked.tab"}).status, 0);
  // Every analysis unchecked by its total (the sum of SiO2 here).
  Result unchecked = tool({"--total-range", "1,000:2,000", "-o", "good.tab", "worked.tab"});
  EXPECT_EQ(unchecked.status, 1);
  EXPECT_EQ(unchecked.err,
            "3 analyses unchecked, 0 without a number\n"
            "Grt: 2 of 2 unchecked, 0 without a number\nBt: 1 of 1 unchecked, 0 without a number\n"
            "Warning: Grt: 2 of 2 unchecked, more than half of its checked analyses\n"
            "Warning: Bt: 1 of 1 unchecked, more than half of its checked analyses\n"
            "Error: no combinations to write (no point has a checked analysis)\n");
  EXPECT_EQ(readFile(path("good.tab")), kWorkedOut);
  // Every line ignored: no rows at all; to standard output neither.
  writeFile(path("ignored.tab"),
            "Sample\tArea\tMineral\tAnalysis\r\n\tr1\tGrt\tan analysis of nobody\r\n");
  const std::string ignored =
      "Warning! Ignored lines with mineral analyses:\n2: Sample ID is not specified\n"
      "Error: no combinations to write (the table has no rows)\n";
  for (const QStringList& output :
       {QStringList{"-o", "good.tab"}, QStringList{"-o", "-"}, QStringList{}}) {
    Result r = tool(output + QStringList{"ignored.tab"});
    EXPECT_EQ(r.status, 1) << output.join(' ').toStdString();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, ignored);
  }
  EXPECT_EQ(readFile(path("good.tab")), kWorkedOut);
  EXPECT_EQ(entries(root), QStringList({"good.tab", "ignored.tab", "test.ini", "worked.tab"}));
}

TEST_F(CombineTest, AnOutputThatCannotBeWrittenExitsWithOne) {
  Result combined = tool({"-o", "no-such-folder/out.tab", "worked.tab"});
  EXPECT_EQ(combined.status, 1);
  EXPECT_EQ(combined.out, "");
  EXPECT_EQ(combined.err,
            "Error: can not write " + stdPath("no-such-folder/out.tab") + " (folder not found)\n");

  Result saved = tool({"--save", "no-such-folder/saved.tab", "worked.tab"});
  EXPECT_EQ(saved.status, 1);
  EXPECT_EQ(saved.err, "Error: can not write " + stdPath("no-such-folder/saved.tab") + " (folder not found)\n");

  // A folder in place of the output file.
  QDir(root).mkdir("taken.tab");
  Result taken = tool({"-o", "taken.tab", "worked.tab"});
  EXPECT_EQ(taken.status, 1);
  EXPECT_EQ(taken.err, "Error: can not write " + stdPath("taken.tab") + " (is a folder)\n");
}

TEST_F(CombineTest, AFullStandardOutputExitsWithOne) {
  if (!QFileInfo::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  const QStringList settings = {"--settings", path("test.ini")};
  for (const QStringList& args : {QStringList{"worked.tab"}, QStringList{"--save", "-", "worked.tab"},
                                  QStringList{"--print-settings"}}) {
    Result r = run(settings + args, std::string(), kExe, "/dev/full");
    EXPECT_EQ(r.status, 1) << args.join(' ').toStdString();
    EXPECT_EQ(r.err, "Error: can not write standard output (No space left on device)\n");
  }
}

// ------------------------------------------------- totals and the points list

// The worked example with a Total column, one total with a decimal comma.
const char* kTotals =
    "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tTotal\r\n"
    "1\tS1\tr1\tGrt\tg1\t37.5\t100.46\r\n"
    "1\tS1\tr1\tBt\tb1\t35.0\t95,0\r\n"
    "1\tS1\tr1\tGrt\tg2\t37.8\tn.a.\r\n"
    "1\tS1\tr1\tBt\tb2\t35.2\t99.1\r\n";

TEST_F(CombineTest, TotalRangeUnchecksAnalysesBeforeAnythingIsWritten) {
  writeFile(path("totals.tab"), kTotals);
  // b1 lies below the range; g2 has no number and stays.
  Result r = tool({"--total-range", "98.5:101.5", "totals.tab"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "1 analysis unchecked, 1 without a number\n"
            "Grt: 0 of 2 unchecked, 1 without a number\nBt: 1 of 2 unchecked, 0 without a number\n");
  EXPECT_EQ(r.out,
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tTotal\r\n"
            "1\tS1\tr1_00\tGrt\tg1\t37.5\t100.46\r\n"
            "1\tS1\tr1_00\tBt\tb2\t35.2\t99.1\r\n"
            "1\tS1\tr1_01\tGrt\tg2\t37.8\tn.a.\r\n"
            "1\tS1\tr1_01\tBt\tb2\t35.2\t99.1\r\n");

  // --save writes the flags as filtered; bounds are kept, "," reads as ".".
  Result saved = tool({"--total-range=95,0:100.46", "--save", "-", "totals.tab"});
  EXPECT_EQ(saved.status, 0);
  EXPECT_EQ(saved.err,
            "0 analyses unchecked, 1 without a number\n"
            "Grt: 0 of 2 unchecked, 1 without a number\nBt: 0 of 2 unchecked, 0 without a number\n");
  EXPECT_EQ(saved.out, kTotals);

  // Another column by its name in any letter case; --exclude goes first.
  Result column = tool({"--exclude", "grt", "--total-column", "sIo2", "--total-range", "35.1:40", "totals.tab"});
  EXPECT_EQ(column.status, 0);
  EXPECT_EQ(column.err, "1 analysis unchecked, 0 without a number\nBt: 1 of 2 unchecked, 0 without a number\n");
  EXPECT_EQ(column.out,
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tTotal\r\n"
            "1\tS1\tr1\tBt\tb2\t35.2\t99.1\r\n");

  // Without a Total column the sum of the columns after Analysis counts.
  Result sum = tool({"--total-range", "37:38", "worked.tab"});
  EXPECT_EQ(sum.err,
            "1 analysis unchecked, 0 without a number\n"
            "Grt: 0 of 2 unchecked, 0 without a number\nBt: 1 of 1 unchecked, 0 without a number\n"
            "Warning: Bt: 1 of 1 unchecked, more than half of its checked analyses\n");
  EXPECT_EQ(sum.out,
            "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n"
            "1\tS1\tr1_00\tGrt\tg1\t37.5\r\n"
            "1\tS1\tr1_01\tGrt\tg2\t37.8\r\n");
}

TEST_F(CombineTest, PointsListsTheRunInsteadOfWritingIt) {
  writeFile(path("second.tab"), kSecond);
  writeFile(path("totals.tab"), kTotals);
  // Bytes: the sizes of the files --separate and -o write.
  const std::size_t header = std::string("Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n").size();
  Result r = tool({"--points", "worked.tab", "second.tab"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "Sample\tArea\tMinerals\tCombinations\tLines\tBytes\n"
            "S1\tr1\tGrt:2 Bt:1\t2\t4\t" + std::to_string(std::string(kWorkedOut).size()) + "\n"
            "S2\t-\tGarnet:2\t2\t2\t" + std::to_string(header + std::string(kSecondLines).size()) + "\n");
  EXPECT_EQ(r.err, "2 points, 4 combinations, 6 lines, " +
                       std::to_string(std::string(kWorkedOut).size() + std::string(kSecondLines).size()) +
                       " bytes in one combined file\n");
  EXPECT_EQ(entries(root), QStringList({"second.tab", "test.ini", "totals.tab", "worked.tab"}));

  // After the total range; no point at all.
  Result filtered = tool({"--points", "--total-range", "98.5:101.5", "totals.tab"});
  const std::size_t written = tool({"--total-range", "98.5:101.5", "totals.tab"}).out.size();
  EXPECT_EQ(filtered.err, "1 analysis unchecked, 1 without a number\n"
                          "Grt: 0 of 2 unchecked, 1 without a number\nBt: 1 of 2 unchecked, 0 without a number\n"
                          "1 points, 2 combinations, 4 lines, " +
                              std::to_string(written) + " bytes in one combined file\n");
  Result none = tool({"--points", "--exclude", "grt", "--exclude", "bt", "worked.tab"});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "Sample\tArea\tMinerals\tCombinations\tLines\tBytes\n");
  EXPECT_EQ(none.err, "0 points, 0 combinations, 0 lines, 0 bytes in one combined file\n");

  // A table that can not be read: the usual message and status.
  Result bad = tool({"--points", "missing.tab"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err, "Error: can not open file " + stdPath("missing.tab") + "\n");
}

TEST_F(CombineTest, WrongUsageOfPointsAndTotals) {
  writeFile(path("totals.tab"), kTotals);
  const std::string synopsisAndHint =
      "Usage: vestrane-combine [--settings FILE] [--exclude MINERAL]...\n"
      "                        [--delimiter C] [--sheet NAME]...\n"
      "                        [-o FILE | --separate DIR | --save FILE] TABLE...\n"
      "       vestrane-combine [--settings FILE] --print-settings\n"
      "       vestrane-combine --help | --version\n"
      "Try 'vestrane-combine --help' for more information.\n";
  const std::vector<std::pair<QStringList, std::string>> cases = {
      {{"--total-range", "101.5:98.5", "totals.tab"},
       "--total-range needs MIN:MAX, two numbers with MIN <= MAX, not 101.5:98.5"},
      {{"--total-range", "98.5", "totals.tab"}, "--total-range needs MIN:MAX, two numbers with MIN <= MAX, not 98.5"},
      {{"--total-range=n.a.:101", "totals.tab"},
       "--total-range needs MIN:MAX, two numbers with MIN <= MAX, not n.a.:101"},
      {{"--total-column", "Total", "totals.tab"}, "--total-column needs --total-range"},
      {{"--total-range", "Bt=97:94", "totals.tab"},
       "--total-range needs MINERAL=MIN:MAX, two numbers with MIN <= MAX, not Bt=97:94"},
      {{"--total-range", "=94:97", "totals.tab"},
       "--total-range needs MINERAL=MIN:MAX, two numbers with MIN <= MAX, not =94:97"},
      {{"--total-range", "Bt=94:97", "--total-range", "BT=95:96", "totals.tab"},
       "--total-range gives Bt more than one range"},
      {{"--require", " , ", "totals.tab"}, "--require needs minerals separated by commas, as Grt,Bt"},
      {{"--require", "Grt", "--print-settings"},
       "--print-settings takes no tables and no other option but --settings"},
      {{"--points", "-o", "out.tab", "totals.tab"}, "--points writes nothing: give no -o, --separate or --save"},
      {{"--points", "--print-settings"}, "--print-settings takes no tables and no other option but --settings"},
      // Known only once the tables are read.
      {{"--total-range", "1:2", "--total-column", "Totals", "-o", "out.tab", "totals.tab"},
       "--total-column Totals: the tables have no such column"},
  };
  for (const auto& [args, problem] : cases) {
    Result r = tool(args);
    EXPECT_EQ(r.status, 2) << problem;
    EXPECT_EQ(r.out, "") << problem;
    EXPECT_EQ(r.err, "vestrane-combine: " + problem + "\n" + synopsisAndHint);
  }
  EXPECT_EQ(entries(root), QStringList({"test.ini", "totals.tab", "worked.tab"}));

  Result help = run({"--help"});
  for (const char* option : {"--points", "--total-range MIN:MAX", "--total-range MINERAL=MIN:MAX",
                             "--total-column NAME", "--require MINERALS", "--no-space-check"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST_F(CombineTest, TotalRangesPerMineralGiveTheRowsTheRuleGives) {
  // A generated table; each row's mineral in a letter case of its own.
  const char* const spellings[][3] = {{"grt", "GRT", "Grt"}, {"bt", "BT", "Bt"}, {"ms", "MS", "mS"}};
  std::mt19937 random(12);
  std::string text = "Select\tSample\tArea\tMineral\tAnalysis\tTotal\r\n";
  std::vector<int> minerals;
  std::vector<int> tenths;  // -1: no number
  std::vector<bool> checked;
  for (int row = 0; row < 300; ++row) {
    minerals.push_back(static_cast<int>(random() % 3));
    checked.push_back(random() % 5 != 0);
    tenths.push_back(random() % 12 == 0 ? -1 : 880 + static_cast<int>(random() % 150));
    const std::string total =
        tenths.back() < 0 ? "-" : std::to_string(tenths.back() / 10) + "." + std::to_string(tenths.back() % 10);
    text += std::string(checked.back() ? "1" : "0") + "\tS" + std::to_string(random() % 3) + "\tA\t" +
            spellings[minerals.back()][random() % 3] + "\tanalysis " + std::to_string(row) + "\t" + total + "\r\n";
  }
  writeFile(path("generated.tab"), text);

  // Tenths of wt%: Grt, Bt, Ms; a mineral without a range is left alone.
  const int noRange = -1;
  const struct {
    QStringList ranges;
    int lowest[3];
    int highest[3];
  } runs[] = {{{"--total-range", "BT=94:97", "--total-range", "Ms=94,5:96.5"}, {noRange, 940, 945}, {0, 970, 965}},
              {{"--total-range", "98.5:101.5", "--total-range", "bt=94:97"}, {985, 940, 985}, {1015, 970, 1015}}};
  for (const auto& run : runs) {
    std::string flags;
    int unchecked = 0;
    int withoutNumber = 0;
    for (std::size_t row = 0; row < minerals.size(); ++row) {
      const int m = minerals[row];
      bool keep = checked[row];
      if (keep && run.lowest[m] != noRange) {
        if (tenths[row] < 0) {
          ++withoutNumber;
        } else if (tenths[row] < run.lowest[m] || tenths[row] > run.highest[m]) {
          keep = false;
          ++unchecked;
        }
      }
      flags += keep ? '1' : '0';
    }
    const Result r = tool(run.ranges + QStringList{"--save", "-", "generated.tab"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string saved;
    for (std::size_t at = r.out.find('\n'); at != std::string::npos && at + 1 < r.out.size();
         at = r.out.find('\n', at + 1))
      saved += r.out[at + 1];
    EXPECT_EQ(saved, flags) << run.ranges.join(' ').toStdString();
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')),
              std::to_string(unchecked) + " analyses unchecked, " + std::to_string(withoutNumber) +
                  " without a number");
  }
}

TEST_F(CombineTest, PointsLackingARequiredMineralAreLeftOut) {
  // P1 has all; P2 has no biotite; P3 only an unchecked one; P4 no garnet.
  const std::string header = "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n";
  const std::string complete =
      "1\tP1\tA\tGrt\tgarnet 1\t37.5\r\n1\tP1\tA\tBt\tbiotite 1\t35.0\r\n1\tP1\tA\tPl\tplag 1\t60.1\r\n";
  writeFile(path("complete.tab"), header + complete);
  writeFile(path("points.tab"), header + "1\tP2\tA\tGrt\tgarnet 2\t37.5\r\n" + complete +
                                    "1\tP3\tA\tGrt\tgarnet 3\t37.5\r\n0\tP3\tA\tBt\tbiotite 3\t35.0\r\n"
                                    "1\tP4\tA\tbt\tbiotite 4\t35.0\r\n");
  Result r = tool({"--require", "grt,BT", "-o", "out.tab", "points.tab"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "Points left out for lacking a required mineral (grt, BT): 3 of 4\n");
  EXPECT_EQ(readFile(path("out.tab")), tool({"complete.tab"}).out);

  Result listed = tool({"--points", "--require", "Grt", "--require", "Bt,grt", "points.tab"});
  EXPECT_EQ(listed.status, 0);
  // Every point is listed with what it lacks; the totals count those written.
  const Result plain = tool({"--points", "points.tab"});
  std::string expected;
  const char* const missing[] = {"\tMissing\n", "\tBt\n", "\t-\n", "\tBt\n", "\tGrt\n"};
  std::size_t begin = 0;
  for (const char* end : missing) {
    const std::size_t lineEnd = plain.out.find('\n', begin);
    expected += plain.out.substr(begin, lineEnd - begin) + end;
    begin = lineEnd + 1;
  }
  EXPECT_EQ(listed.out, expected);
  const Result completeListed = tool({"--points", "complete.tab"});
  EXPECT_EQ(listed.err, "Points left out for lacking a required mineral (Grt, Bt): 3 of 4\n" + completeListed.err);

  // Nothing left to write: the usual failure, nothing written.
  Result none = tool({"--require", "Zrn", "-o", "none.tab", "points.tab"});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err,
            "Points left out for lacking a required mineral (Zrn): 4 of 4\n"
            "Error: no combinations to write (no point has a checked analysis)\n");
  EXPECT_FALSE(QFileInfo::exists(path("none.tab")));
}

TEST_F(CombineTest, ARunThatDoesNotFitItsDiskIsRefused) {
  const QString disk = path("disk");
  ASSERT_TRUE(QDir(root).mkdir("disk"));
  QProcess mount;
  mount.start("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", disk});
  if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0)
    GTEST_SKIP() << "a tmpfs of 1 MiB can not be mounted here: "
                 << mount.readAllStandardError().trimmed().toStdString();
  struct Unmount {
    QString folder;
    ~Unmount() { QProcess::execute("umount", {folder}); }
  } unmount{disk};

  // One point of four minerals with ten analyses each: 10,000 combinations,
  // about 1.8 MB in one file, on a disk of 1 MiB.
  std::string text = "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\r\n";
  for (const char* mineral : {"Grt", "Bt", "Pl", "Ms"})
    for (int i = 0; i < 10; ++i)
      text += std::string("1\tBIG\tA1\t") + mineral + "\tanalysis " + std::to_string(i) + "\t37.5\r\n";
  writeFile(path("big.tab"), text);
  const std::string refused = "; the disk has 1.0 MB free (--no-space-check writes anyway)\n";
  for (const QStringList& output : {QStringList{"-o", "disk/out.tab"}, QStringList{"--separate", "disk"}}) {
    Result r = tool(output + QStringList{"big.tab"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err.rfind("Error: the run needs 1.", 0), 0u) << r.err;
    EXPECT_EQ(r.err.size() > refused.size() ? r.err.substr(r.err.size() - refused.size()) : r.err, refused);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_TRUE(entries(disk).isEmpty());

  // Asked to write anyway, the disk fills up: the write fails, no file stays.
  Result anyway = tool({"--no-space-check", "-o", "disk/out.tab", "big.tab"});
  EXPECT_EQ(anyway.status, 1);
  EXPECT_NE(anyway.err.find("No space left on device"), std::string::npos) << anyway.err;
  EXPECT_TRUE(entries(disk).isEmpty());

  // A stream is not checked: standard output into a file on that disk.
  Result stream = run({"--settings", path("test.ini"), "-o", "/dev/stdout", "big.tab"}, std::string(), kExe,
                      disk + "/stream.tab");
  EXPECT_EQ(stream.status, 1);
  EXPECT_EQ(stream.err.find("Error: the run needs"), std::string::npos) << stream.err;
  EXPECT_NE(stream.err.find("No space left on device"), std::string::npos) << stream.err;
  QFile::remove(disk + "/stream.tab");

  // A run that fits is written.
  Result small = tool({"-o", "disk/out.tab", "worked.tab"});
  EXPECT_EQ(small.status, 0) << small.err;
  EXPECT_EQ(readFile(disk + "/out.tab"), kWorkedOut);
}

// ------------------------------------------------- shipped defaults, examples

class ShippedTest : public CombineTest {
 protected:
  Result shipped(QStringList args) const {
    args.prepend(kSourceDir + "/app/Vestrane.ini");
    args.prepend("--settings");
    return run(args);
  }
};

TEST_F(ShippedTest, DefaultAliasesRecogniseMicroprobeHeadersAndLeaveOxidesAlone) {
  const std::string oxides = "SiO2\tTiO2\tAl2O3\tCr2O3\tFeO\tMnO\tMgO\tCaO\tNa2O\tK2O\tP2O5\tNiO\tTotal";
  const std::string values = "37.2\t0.1\t20.9\t0.0\t33.1\t1.9\t2.9\t2.8\t0.0\t0.0\t0.0\t0.0\t98.9";
  // Each header names the five fixed columns in another common way; the
  // saved header shows which field went where.
  const std::vector<std::pair<std::string, std::string>> headers = {
      {"Sample ID\tPoint\tPhase\tComment\t" + oxides + "\tUse",
       "Use\tSample ID\tPoint\tPhase\tComment\t" + oxides},
      {"SampleID\tSpot\tMineral\tLabel\t" + oxides + "\tSelect",
       "Select\tSampleID\tSpot\tMineral\tLabel\t" + oxides},
      {"Sample\tArea\tMineral\tAnalysis\t" + oxides + "\tUse",
       "Use\tSample\tArea\tMineral\tAnalysis\t" + oxides},
  };
  for (const auto& [header, savedHeader] : headers) {
    writeFile(path("probe.tab"), "JXA export\r\n" + header + "\r\nM1\tp1\tgrt\tcore\t" + values + "\t1\r\n");
    Result r = shipped({"--save", "-", "probe.tab"});
    EXPECT_EQ(r.status, 0) << header;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, savedHeader + "\r\n1\tM1\tp1\tGrt\tcore\t" + values + "\r\n");
  }
}

TEST_F(ShippedTest, ExamplesGiveTheWalkThroughOutput) {
  const QString first = kSourceDir + "/examples/metapelite.tab";
  const QString more = kSourceDir + "/examples/metapelite-more.tab";
  Result r = shipped({first});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "Warning! Ignored lines with mineral analyses:\n"
            "18: Mineral is not specified\n"
            "26: Sample ID is not specified\n");
  // Five points: 12, 4, 4, 2 and 1 combinations of up to four minerals.
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1 + 4 * (12 + 4 + 4 + 2 + 1));
  EXPECT_EQ(r.out.rfind("Use\tSample ID\tPoint\tPhase\tComment\tSiO2\tTiO2\tAl2O3\tCr2O3\tFeO\tMnO\t"
                        "MgO\tCaO\tNa2O\tK2O\tTotal\r\n1\tMP-12A\tA1_00\tGrt\tcore\t",
                        0),
            0u)
      << r.out.substr(0, 200);
  EXPECT_NE(r.out.find("\r\n1\tMP-12A\tA1_0B\tGrt\trim\t"), std::string::npos);
  EXPECT_NE(r.out.find("\r\n1\tMP-17\tC2\tMs\tmatrix\t"), std::string::npos);

  // The second file appends a sample and a column; muscovite left out.
  Result both = shipped({"--exclude", "MS", first, more});
  EXPECT_EQ(both.status, 0);
  EXPECT_EQ(both.err,
            "Warning! Ignored lines with mineral analyses:\n"
            "18: Mineral is not specified\n"
            "26: Sample ID is not specified\n"
            "Warning! Ignored lines with mineral analyses:\n"
            "9: Mineral is not specified\n");
  EXPECT_EQ(both.out.rfind("Select\tSampleID\tSpot\tMineral\tLabel\tSiO2", 0), 0u);
  EXPECT_EQ(both.out.find("\tMs\t"), std::string::npos);
  EXPECT_EQ(std::count(both.out.begin(), both.out.end(), '\n'),
            1 + 3 * (12 + 4 + 4 + 2 + 1) + 3 * 2);
}

TEST_F(ShippedTest, PointsListTheExamplesWithTheSizesOfTheFilesARunWrites) {
  const QString first = kSourceDir + "/examples/metapelite.tab";
  Result r = shipped({"--points", first});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "Sample\tArea\tMinerals\tCombinations\tLines\tBytes\n"
            "MP-12A\tA1\tGrt:3 Bt:2 Pl:2 Ms:1\t12\t48\t4220\n"
            "MP-12A\tA2\tGrt:2 Bt:2 Pl:1 Ms:1\t4\t16\t1444\n"
            "MP-12B\tB1\tGrt:2 Bt:1 Pl:2 Ms:1\t4\t16\t1428\n"
            "MP-17\tC1\tGrt:1 Bt:2 Pl:1 Ms:1\t2\t8\t756\n"
            "MP-17\tC2\tGrt:1 Bt:1 Pl:1 Ms:1\t1\t4\t409\n");
  EXPECT_EQ(r.err,
            "Warning! Ignored lines with mineral analyses:\n"
            "18: Mineral is not specified\n"
            "26: Sample ID is not specified\n"
            "5 points, 23 combinations, 92 lines, 7905 bytes in one combined file\n");

  // The files the run writes have exactly those sizes.
  QDir(root).mkdir("points");
  ASSERT_EQ(shipped({"--separate", "points", first}).status, 0);
  ASSERT_EQ(shipped({"-o", "all.tab", first}).status, 0);
  const std::vector<std::pair<QString, qint64>> sizes = {
      {"MP-12A_A1.tab", 4220}, {"MP-12A_A2.tab", 1444}, {"MP-12B_B1.tab", 1428},
      {"MP-17_C1.tab", 756},   {"MP-17_C2.tab", 409},   {"../all.tab", 7905}};
  for (const auto& [name, size] : sizes)
    EXPECT_EQ(QFileInfo(path("points/" + name)).size(), size) << name.toStdString();
}

// ------------------------------------------------- CSV files and workbooks

TEST_F(ShippedTest, EveryFormatOfTheGoldenAnalysesSavesAndCombinesAsTheTabFile) {
  const QString golden = kSourceDir + "/tests/data/golden/";
  const Result tabSaved = shipped({"--save", "-", golden + "analyses.tab"});
  const Result tabCombined = shipped({"-o", "-", golden + "analyses.tab"});
  ASSERT_EQ(tabSaved.status, 0) << tabSaved.err;
  ASSERT_EQ(tabCombined.status, 0) << tabCombined.err;
  ASSERT_NE(tabCombined.out, "");
  for (const char* name : {"analyses-comma.csv", "analyses-quoted.csv", "analyses.xlsx",
                           "analyses.ods", "analyses.xls"}) {
    const Result saved = shipped({"--save", "-", golden + name});
    const Result combined = shipped({"-o", "-", golden + name});
    EXPECT_EQ(saved.status, 0) << name;
    EXPECT_EQ(saved.err, "") << name;
    EXPECT_EQ(saved.out, tabSaved.out) << name;
    EXPECT_EQ(combined.out, tabCombined.out) << name;
  }
  // Semicolons with decimal commas give what the same values in a TAB file give.
  const Result commaSaved = shipped({"--save", "-", golden + "analyses-decimal-comma.tab"});
  const Result semicolon = shipped({"--save", "-", golden + "analyses-semicolon.csv"});
  EXPECT_EQ(semicolon.err, "");
  EXPECT_EQ(semicolon.out, commaSaved.out);
  EXPECT_EQ(shipped({"-o", "-", golden + "analyses-semicolon.csv"}).out,
            shipped({"-o", "-", golden + "analyses-decimal-comma.tab"}).out);

  // CSV on standard input, told by its content; a forced delimiter reads a
  // TAB file's name and content as CSV.
  const std::string csv = readFile(golden + "analyses-comma.csv");
  QStringList fromInput{"--settings", kSourceDir + "/app/Vestrane.ini", "--save", "-", "-"};
  EXPECT_EQ(run(fromInput, csv).out, tabSaved.out);
  // Workbooks on standard input too; an .xls goes through a temporary copy.
  for (const char* name : {"analyses.xlsx", "analyses.xls"}) {
    const Result fromPipe = run(fromInput, readFile(golden + name));
    EXPECT_EQ(fromPipe.err, "") << name;
    EXPECT_EQ(fromPipe.out, tabSaved.out) << name;
  }
  writeFile(path("named.tab"), csv);
  EXPECT_EQ(shipped({"--delimiter", "comma", "--save", "-", "named.tab"}).out, tabSaved.out);
  const Result wrongDelimiter = shipped({"--delimiter", "ab", "named.tab"});
  EXPECT_EQ(wrongDelimiter.status, 2);
  EXPECT_EQ(wrongDelimiter.err.rfind("vestrane-combine: --delimiter needs one character", 0), 0u)
      << wrongDelimiter.err;
}

TEST_F(ShippedTest, WorkbookSheetsWithoutAHeaderAndHiddenOnesAreNamedAndSheetChooses) {
  const QString golden = kSourceDir + "/tests/data/golden/";
  const std::string rows =
      "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tAl2O3\tFeO\tTotal\tDate\r\n"
      "1\tMP-12A\tA1\tGrt\tg1\t37.04\t20.86\t29.7\t87.6\t2023-03-15\r\n"
      "1\tMP-12A\tA1\tGrt\tg2\t37.28\t21.02\t32.99\t91.29\t2023-03-15\r\n"
      "1\tMP-12A\tA1\tBt\tb1\t35.12\t19.37\t20.11\t-\t2023-03-15\r\n"
      "1\tMP-17\tB1\tBt\tb3\t35.4\t19.1\t20.5\t-\t2024-01-09\r\n"
      "1\tMP-12A\tA1\tPl\tp1\t60.85\t24.67\t0.09\t85.61\t2023-03-16\r\n";
  for (const char* name : {"sheets.xlsx", "sheets.ods", "sheets.xls"}) {
    const Result r = shipped({"--save", "-", golden + name});
    EXPECT_EQ(r.status, 0) << name;
    EXPECT_EQ(r.out, rows) << name;
    EXPECT_EQ(r.err,
              "Sheets not read: Info (no header), Old garnet (hidden)\n"
              "Warning! 2 formula cell(s) without a saved value read as empty cells.\n")
        << name;
  }
  const Result chosen =
      shipped({"--sheet", "Old garnet", "--sheet", "Biotite", "--save", "-", golden + "sheets.xlsx"});
  EXPECT_EQ(chosen.status, 0);
  EXPECT_EQ(chosen.out.substr(chosen.out.find("\r\n") + 2),
            "1\tMP-12A\tA1\tBt\tb1\t35.12\t19.37\t20.11\t-\t2023-03-15\r\n"
            "1\tMP-17\tB1\tBt\tb3\t35.4\t19.1\t20.5\t-\t2024-01-09\r\n"
            "1\tMP-01\tX1\tGrt\told1\t36\t20\t30\t86\t2019-06-01\r\n");
  writeFile(path("out.tab"), "previous");
  const Result missing = shipped({"--sheet", "Pl", "-o", "out.tab", golden + "sheets.ods"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Error: can not read file " +
                             QDir::toNativeSeparators(golden + "sheets.ods").toStdString() +
                             " (no sheet named Pl; its sheets: Info, Garnet, Biotite, Old garnet "
                             "(hidden), Plagioclase)\n");
  EXPECT_EQ(readFile(path("out.tab")), "previous");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
