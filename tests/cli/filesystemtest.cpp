// SPDX-License-Identifier: MIT
// vestrane-combine against a hostile or unlucky file system: colliding point
// names, protected files and their modes, links, FIFOs, devices and open
// descriptors as targets, signals, closed pipes and a file-size limit in the
// middle of a write, long names, inputs that never end and paths through
// linked folders. Each run starts the tool
// through /bin/sh (for ulimit and setpriv), is bounded by a time-out, and
// its exit status, signal, standard output and standard error are compared.

#include <gtest/gtest.h>

#ifndef _WIN32

// POSIX: spawning with default signals, FIFOs, devices and file modes.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::string kTool = VESTRANE_COMBINE_EXE;
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

#ifdef VESTRANE_SANITIZED_BUILD
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

const char* kIni = "Sample=SAMPLE\r\nArea=AREA\r\nMineral=MINERAL\r\nAnalysis=ANALYSIS\r\nSelect=SELECT\r\n";
const char* kHeader = "Select\tSample\tArea\tMineral\tAnalysis\r\n";
const std::string kPrevious = "The file that was here before\r\n";

/// Signals whose default action ends the process, as a run meets them.
const int kDefaultSignals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1,
                               SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF, SIGXFSZ};

/// A table of one point S1/r1 with @p minerals minerals of @p analyses
/// analyses each: analyses to the power of minerals combinations.
std::string tableOfOnePoint(int minerals, int analyses) {
  std::string text = kHeader;
  for (int m = 0; m < minerals; ++m)
    for (int a = 0; a < analyses; ++a)
      text += "1\tS1\tr1\tPhase" + std::to_string(m) + "\tanalysis " + std::to_string(a) + "\r\n";
  return text;
}

// Two points, S1/r1 and S2/r1, of two combinations each.
const std::string kTwoPoints = std::string(kHeader) +
                               "1\tS1\tr1\tGrt\tfirst garnet\r\n1\tS1\tr1\tGrt\tsecond garnet\r\n"
                               "1\tS2\tr1\tBt\tfirst biotite\r\n1\tS2\tr1\tBt\tsecond biotite\r\n";

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing " + path + ">";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

mode_t modeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::vector<std::string> names(const std::string& folder) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

struct Outcome {
  int status = -1;  ///< exit status, or -1 when the tool did not exit
  int signal = 0;   ///< the signal that ended the tool, or 0
  std::string out;
  std::string err;
};

/// How a run is launched beyond its arguments.
struct Launch {
  std::string shell;                 ///< shell commands before the tool (ulimit ...)
  std::vector<std::string> wrapper;  ///< a command the tool runs under (setpriv ...)
  std::string input = "/dev/null";   ///< standard input
  std::string output;                ///< standard output, when not a file of the run's own
  bool errorIntoClosedPipe = false;  ///< standard error a pipe that nobody reads
  std::string tool = kTool;          ///< the executable run
  /// Called again and again while the tool runs, with its process id.
  std::function<void(pid_t)> whileRunning;
};

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/vestrane-files-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    base_ = folder;
    ::chmod(folder, 0755);  // open to a user the tool may run as
    root = base_ + "/work";
    fs::create_directory(root);
    fs::create_directory(base_ + "/streams");
    writeFile(path("test.ini"), kIni);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(base_, ec);
  }

  std::string path(const std::string& name) const { return root + "/" + name; }

  /// Runs the tool in @p folder (the work folder by default) with the test
  /// settings, within 30 seconds.
  Outcome run(const std::vector<std::string>& args, const Launch& setup = Launch(),
              const std::string& folder = std::string()) const {
    std::vector<std::string> words = {"/bin/sh", "-c",
                                      "cd \"$1\" || exit 125; shift; " + setup.shell + "\nexec \"$@\"",
                                      "sh", folder.empty() ? root : folder};
    words.insert(words.end(), setup.wrapper.begin(), setup.wrapper.end());
    words.push_back(setup.tool);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    const std::string outFile = setup.output.empty() ? base_ + "/streams/out" : setup.output;
    const std::string errFile = base_ + "/streams/err";
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, setup.input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, outFile.c_str(),
                                     setup.output.empty() ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY, 0644);
    int closedPipe[2] = {-1, -1};
    if (setup.errorIntoClosedPipe && ::pipe2(closedPipe, O_CLOEXEC) == 0) {
      ::close(closedPipe[0]);
      posix_spawn_file_actions_adddup2(&files, closedPipe[1], 2);
    } else {
      posix_spawn_file_actions_addopen(&files, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0644);
    }
    // The tool starts with the signals it may meet at their defaults, as
    // from a terminal, whatever this test program inherited.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int s : kDefaultSignals) sigaddset(&defaults, s);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    Outcome o;
    const int spawned = posix_spawn(&pid, argv[0], &files, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    if (closedPipe[1] >= 0) ::close(closedPipe[1]);
    if (spawned != 0) {
      o.err = "<did not start>";
      return o;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        o.err = "<timed out>";
        return o;
      }
      if (setup.whileRunning)
        setup.whileRunning(pid);
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (WIFEXITED(status)) o.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) o.signal = WTERMSIG(status);
    if (setup.output.empty()) o.out = readFile(outFile);
    if (closedPipe[1] < 0) o.err = readFile(errFile);
    return o;
  }

  Outcome tool(std::vector<std::string> args, const Launch& setup = Launch(),
               const std::string& folder = std::string()) const {
    args.insert(args.begin(), {"--settings", path("test.ini")});
    return run(args, setup, folder);
  }

  /// A FIFO, opened for reading without waiting: a writer's open does not
  /// block, and what it writes stays here to be read.
  int fifoWithReader(const std::string& at) const {
    if (::mkfifo(at.c_str(), 0666) != 0) return -1;
    return ::open(at.c_str(), O_RDONLY | O_NONBLOCK);
  }

  static std::string drain(int fd) {
    std::string bytes;
    char buffer[65536];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
      bytes.append(buffer, static_cast<std::size_t>(got));
    return bytes;
  }

  std::string root;

 private:
  std::string base_;
};

}  // namespace

// ------------------------------------------------------ colliding names

TEST_F(FileSystemTest, CollidingPointNamesAreNumberedAndListedAsWritten) {
  // (A/B, 1), (A-B, 1) and (a-b, 1) give one name, the last ignoring letter
  // case; (A_B, C) and (A, B_C) another.
  writeFile(path("t.tab"), std::string(kHeader) +
                               "1\tA/B\t1\tGrt\tfirst analysis\r\n"
                               "1\tA/B\t1\tGrt\tsecond analysis\r\n"
                               "1\tA-B\t1\tBt\tthird analysis\r\n"
                               "1\tA_B\tC\tPl\tfourth analysis\r\n"
                               "1\tA\tB_C\tQz\tfifth analysis\r\n"
                               "1\ta-b\t1\tKy\tsixth analysis\r\n");
  fs::create_directory(path("out"));
  writeFile(path("out/A-B_1.tab"), kPrevious);  // from an earlier run: replaced
  Outcome r = tool({"t.tab", "--separate", "out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "A-B_1.tab\nA-B_1 (2).tab\nA_B_C.tab\nA_B_C (2).tab\na-b_1 (3).tab\n");
  EXPECT_EQ(names(path("out")), (std::vector<std::string>{"A-B_1 (2).tab", "A-B_1.tab", "A_B_C (2).tab",
                                                          "A_B_C.tab", "a-b_1 (3).tab"}));
  EXPECT_EQ(readFile(path("out/A-B_1.tab")), std::string(kHeader) +
                                                 "1\tA/B\t1_00\tGrt\tfirst analysis\r\n"
                                                 "1\tA/B\t1_01\tGrt\tsecond analysis\r\n");
  EXPECT_EQ(readFile(path("out/A-B_1 (2).tab")), std::string(kHeader) + "1\tA-B\t1\tBt\tthird analysis\r\n");
  EXPECT_EQ(readFile(path("out/A_B_C.tab")), std::string(kHeader) + "1\tA_B\tC\tPl\tfourth analysis\r\n");
  EXPECT_EQ(readFile(path("out/A_B_C (2).tab")), std::string(kHeader) + "1\tA\tB_C\tQz\tfifth analysis\r\n");
  EXPECT_EQ(readFile(path("out/a-b_1 (3).tab")), std::string(kHeader) + "1\ta-b\t1\tKy\tsixth analysis\r\n");
}

// --------------------------------------------------------- protection

TEST_F(FileSystemTest, ProtectedTargetsAreNotReplaced) {
  // Root may write any file: the tool runs as nobody then, in a folder of
  // nobody's.
  Launch asUser;
  if (::geteuid() == 0) {
    if (::access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "running as root without setpriv to drop to nobody";
    asUser.wrapper = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  }
  writeFile(path("t.tab"), kTwoPoints);
  for (const char* name : {"ro.tab", "S1_r1.tab"}) {
    writeFile(path(name), kPrevious);
    ::chmod(path(name).c_str(), 0444);
  }
  if (!asUser.wrapper.empty()) {
    for (const std::string& p : {root, path("ro.tab"), path("S1_r1.tab")})
      ASSERT_EQ(::chown(p.c_str(), kNobody, kNoGroup), 0) << p;
  }
  const std::string denied = "Error: can not write " + path("ro.tab") + " (Permission denied)\n";
  Outcome combined = tool({"t.tab", "-o", "ro.tab"}, asUser);
  EXPECT_EQ(combined.status, 1);
  EXPECT_EQ(combined.err, denied);
  Outcome saved = tool({"t.tab", "--save", "ro.tab"}, asUser);
  EXPECT_EQ(saved.status, 1);
  EXPECT_EQ(saved.err, denied);
  // In a folder of point files the other point is still written.
  Outcome separate = tool({"t.tab", "--separate", "."}, asUser);
  EXPECT_EQ(separate.status, 1);
  EXPECT_EQ(separate.out, "S2_r1.tab\n");
  EXPECT_EQ(separate.err, "Error: can not write " + path("S1_r1.tab") + " (Permission denied)\n");
  for (const char* name : {"ro.tab", "S1_r1.tab"}) {
    EXPECT_EQ(readFile(path(name)), kPrevious) << name;
    EXPECT_EQ(modeOf(path(name)), 0444u) << name;
  }
  EXPECT_EQ(names(root), (std::vector<std::string>{"S1_r1.tab", "S2_r1.tab", "ro.tab", "t.tab", "test.ini"}));
}

// ------------------------------------------------- links, FIFOs, devices

TEST_F(FileSystemTest, NamedTargetsAreWrittenThroughLinksAndDevices) {
  writeFile(path("t.tab"), kTwoPoints);
  fs::create_directories(path("real"));
  fs::create_directories(path("out"));
  writeFile(path("real/out.tab"), kPrevious);
  writeFile(path("real/saved.tab"), kPrevious);
  fs::create_symlink("../real/out.tab", path("out/link.tab"));  // relative to the link's folder
  fs::create_symlink("real/saved.tab", path("saved-link.tab"));
  Outcome combined = tool({"t.tab", "-o", "out/link.tab"});
  Outcome saved = tool({"t.tab", "--save", "saved-link.tab"});
  EXPECT_EQ(combined.status, 0);
  EXPECT_EQ(combined.err, "");
  EXPECT_EQ(saved.status, 0);
  EXPECT_EQ(saved.err, "");
  EXPECT_TRUE(fs::is_symlink(path("out/link.tab")));
  EXPECT_TRUE(fs::is_symlink(path("saved-link.tab")));
  EXPECT_EQ(readFile(path("real/saved.tab")), kTwoPoints);
  const std::string start = std::string(kHeader) + "1\tS1\tr1_00\tGrt";
  EXPECT_EQ(readFile(path("real/out.tab")).substr(0, start.size()), start);
  EXPECT_EQ(names(path("real")), (std::vector<std::string>{"out.tab", "saved.tab"}));

  // /dev/stdout on a FIFO, and /dev/null: fed, not replaced.
  const int fifo = fifoWithReader(path("stdout.fifo"));
  ASSERT_GE(fifo, 0);
  Launch toFifo;
  toFifo.output = path("stdout.fifo");
  Outcome devStdout = tool({"t.tab", "--save", "/dev/stdout"}, toFifo);
  EXPECT_EQ(devStdout.status, 0);
  EXPECT_EQ(devStdout.err, "");
  EXPECT_EQ(drain(fifo), kTwoPoints);
  ::close(fifo);
  EXPECT_EQ(tool({"t.tab", "-o", "/dev/null"}).status, 0);
  struct stat st {};
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(FileSystemTest, OpenDescriptorsNamedAsTargetsAreWrittenAsStreams) {
  // What the shell opened is written into where it stands, never replaced:
  // "-o /dev/stdout >> log.tab" appends, as does a descriptor of its own.
  writeFile(path("t.tab"), kTwoPoints);
  const Outcome combined = tool({"t.tab"});
  ASSERT_EQ(combined.status, 0);
  writeFile(path("log.tab"), kPrevious);
  const std::pair<const char*, std::vector<std::string>> runs[] = {
      {"exec >>log.tab", {"t.tab", "-o", "/dev/stdout"}},
      {"exec 3>>log.tab", {"t.tab", "-o", "/dev/fd/3"}},
      {"exec 3>>log.tab", {"t.tab", "--save", "/proc/self/fd/3"}}};
  for (const auto& [shell, args] : runs) {
    Launch opened;
    opened.shell = shell;
    Outcome r = tool(args, opened);
    EXPECT_EQ(r.status, 0) << shell;
    EXPECT_EQ(r.err, "") << shell;
  }
  EXPECT_EQ(readFile(path("log.tab")), kPrevious + combined.out + combined.out + kTwoPoints);
  // "{ echo HEAD; vestrane-combine ... --save /dev/stdout; ... } > all.tab":
  // the tool writes on from where the group's output stands.
  Launch group;
  group.shell = "exec >all.tab; echo HEAD";
  EXPECT_EQ(tool({"t.tab", "--save", "/dev/stdout"}, group).status, 0);
  EXPECT_EQ(readFile(path("all.tab")), "HEAD\n" + kTwoPoints);
  // A descriptor that is not open, or not for writing.
  Outcome closed = tool({"t.tab", "-o", "/dev/fd/7"});
  EXPECT_EQ(closed.status, 1);
  EXPECT_EQ(closed.err, "Error: can not write /dev/fd/7 (Bad file descriptor)\n");
  EXPECT_EQ(tool({"t.tab", "-o", "/dev/stdin"}).err,
            "Error: can not write /dev/stdin (Bad file descriptor)\n");
  EXPECT_EQ(names(root), (std::vector<std::string>{"all.tab", "log.tab", "t.tab", "test.ini"}));
}

TEST_F(FileSystemTest, PointFilesAreNeverWrittenThroughLinksFifosOrDevices) {
  // Three points; the first's name is a link to a file outside the folder,
  // the second's a FIFO, the third's a device (where this user may make
  // one). None is written through, each is reported, the run fails.
  writeFile(path("t.tab"), kTwoPoints + "1\tS3\tr1\tPl\tfirst plagioclase\r\n");
  writeFile(path("outside.tab"), kPrevious);
  fs::create_directory(path("points"));
  fs::create_symlink(path("outside.tab"), path("points/S1_r1.tab"));
  const int fifo = fifoWithReader(path("points/S2_r1.tab"));
  ASSERT_GE(fifo, 0);
  const bool device = ::mknod(path("points/S3_r1.tab").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  if (!device) std::cout << "[   NOTE   ] no device node: mknod is not permitted here\n";

  Outcome r = tool({"t.tab", "--separate", "points"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, device ? "" : "S3_r1.tab\n");
  std::string expected;
  for (const char* name : {"S1_r1.tab", "S2_r1.tab", "S3_r1.tab"})
    if (device || std::string(name) != "S3_r1.tab")
      expected += "Error: can not write " + path("points/") + name + " (not a regular file)\n";
  EXPECT_EQ(r.err, expected);
  EXPECT_EQ(readFile(path("outside.tab")), kPrevious);
  EXPECT_TRUE(fs::is_symlink(path("points/S1_r1.tab")));
  EXPECT_EQ(drain(fifo), "");
  ::close(fifo);
  if (device) {
    struct stat st {};
    ASSERT_EQ(::lstat(path("points/S3_r1.tab").c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
  }
}

// -------------------------------------- signals and limits during a write

TEST_F(FileSystemTest, SignalsDuringAWriteLeaveNoTemporaryFile) {
  // A million combinations of six lines, about 200 MB: the signal comes as
  // soon as the temporary file is there, long before the end.
  writeFile(path("t.tab"), tableOfOnePoint(6, 10));
  writeFile(path("out.tab"), kPrevious);
  const std::vector<std::string> before = names(root);
  for (int signal : kDefaultSignals) {
    if (signal == SIGPIPE || signal == SIGXFSZ) continue;  // ignored by the tool
    bool sent = false;
    Launch interrupted;
    interrupted.shell = "ulimit -c 0";  // no core file from SIGQUIT or SIGXCPU
    interrupted.whileRunning = [&](pid_t pid) {
      if (!sent && names(root).size() > before.size()) {
        ::kill(pid, signal);
        sent = true;
      }
    };
    Outcome r = tool({"t.tab", "-o", "out.tab"}, interrupted);
    EXPECT_TRUE(sent) << "no temporary file seen, signal " << signal;
    EXPECT_EQ(r.signal, signal) << r.err;
    EXPECT_EQ(names(root), before) << "signal " << signal;
    EXPECT_EQ(readFile(path("out.tab")), kPrevious);
  }

  // A signal ignored when the tool starts (as nohup leaves SIGHUP) stays
  // ignored: the write goes on to its end.
  bool sent = false;
  Launch ignoring;
  ignoring.shell = "trap '' USR1";
  ignoring.whileRunning = [&](pid_t pid) {
    if (!sent && names(root).size() > before.size()) {
      ::kill(pid, SIGUSR1);
      sent = true;
    }
  };
  Outcome r = tool({"t.tab", "-o", "out.tab"}, ignoring);
  EXPECT_TRUE(sent);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(names(root), before);
  EXPECT_GT(fs::file_size(path("out.tab")), std::uintmax_t{100} << 20);
}

TEST_F(FileSystemTest, AFileSizeLimitEndsTheWriteWithItsMessage) {
  // 4096 combinations of four lines, about 300 KB, under a limit of 100
  // blocks (50 or 100 KB, as the shell counts them).
  writeFile(path("t.tab"), tableOfOnePoint(4, 8));
  writeFile(path("out.tab"), kPrevious);
  Launch limited;
  limited.shell = "ulimit -f 100 || exit 126";
  Outcome r = tool({"t.tab", "-o", "out.tab"}, limited);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: can not write " + path("out.tab") + " (File too large)\n");
  EXPECT_EQ(readFile(path("out.tab")), kPrevious);
  EXPECT_EQ(names(root), (std::vector<std::string>{"out.tab", "t.tab", "test.ini"}));

  // The same with the message going into a pipe that nobody reads any more,
  // as in "( vestrane-combine ... 2>&1 >/dev/null ) | true": the message
  // cannot be written, the run still cancels its file and fails.
  limited.errorIntoClosedPipe = true;
  Outcome unheard = tool({"t.tab", "-o", "out.tab"}, limited);
  EXPECT_EQ(unheard.signal, 0);
  EXPECT_EQ(unheard.status, 1);
  EXPECT_EQ(readFile(path("out.tab")), kPrevious);
  EXPECT_EQ(names(root), (std::vector<std::string>{"out.tab", "t.tab", "test.ini"}));
}

TEST_F(FileSystemTest, TargetNamesOf250Bytes) {
  // Legal names, with room for nothing more: the temporary file's name
  // must not grow from them.
  const std::string sample(246, 's');
  writeFile(path("t.tab"), std::string(kHeader) + "1\t" + sample + "\t-\tGrt\tfirst garnet\r\n" +
                               "1\t" + sample + "\t-\tGrt\tsecond garnet\r\n");
  const std::string combined = std::string(246, 'c') + ".tab";
  const std::string saved = std::string(246, 'v') + ".tab";
  EXPECT_EQ(tool({"t.tab", "-o", combined}).err, "");
  EXPECT_EQ(tool({"t.tab", "--save", saved}).err, "");
  fs::create_directory(path("points"));
  Outcome separate = tool({"t.tab", "--separate", "points"});
  EXPECT_EQ(separate.status, 0);
  EXPECT_EQ(separate.err, "");
  EXPECT_EQ(separate.out, sample + ".tab\n");
  EXPECT_EQ(names(root), (std::vector<std::string>{combined, "points", "t.tab", "test.ini", saved}));
  EXPECT_EQ(readFile(path(saved)).substr(0, 6), "Select");
  EXPECT_EQ(names(path("points")), std::vector<std::string>{sample + ".tab"});
}

// ------------------------------------------------------------- inputs

TEST_F(FileSystemTest, InputsThatNeverEndStopAtTheirBound) {
  // Text without a line end in its first 16 MiB is no table: /dev/zero is
  // refused once that much has come, named or as standard input.
  Launch zeros;
  zeros.input = "/dev/zero";
  for (const std::string& table : {std::string("/dev/zero"), std::string("-")}) {
    Outcome refused = tool({table, "-o", "out.tab"}, zeros);
    EXPECT_EQ(refused.status, 1) << table;
    EXPECT_EQ(refused.err, "Error: can not read " +
                               std::string(table == "-" ? "standard input" : "file /dev/zero") +
                               " (not a table: no line end in its first 16 MiB)\n");
  }
  // Lines that never end are read up to a quarter of the memory the tool
  // may use: here a quarter of the address space it is given, 512 MiB.
  if (kSanitized) GTEST_SKIP() << "a sanitizer's shadow memory does not fit under an address-space limit";
  Launch limited;
  limited.shell = "ulimit -v 524288 || exit 126; yes | \"$@\"; exit $?";
  Outcome file = tool({"/dev/stdin", "-o", "out.tab"}, limited);
  EXPECT_EQ(file.status, 1);
  EXPECT_EQ(file.err, "Error: can not read file /dev/stdin (larger than 128 MiB)\n");
  Outcome input = tool({"-", "-o", "out.tab"}, limited);
  EXPECT_EQ(input.status, 1);
  EXPECT_EQ(input.err, "Error: can not read standard input (larger than 128 MiB)\n");
  EXPECT_EQ(names(root), std::vector<std::string>{"test.ini"});
}

TEST_F(FileSystemTest, TablesAreReadFromFifosAndPipes) {
  // A FIFO made by mkfifo, with a writer that comes once the tool opens it.
  writeFile(path("t.tab"), kTwoPoints);
  const std::string fifo = path("fifo.tab");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::thread writer([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int fd = -1;
    while ((fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) < 0 && errno == ENXIO &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (fd < 0) return;
    ::fcntl(fd, F_SETFL, 0);
    const ssize_t written = ::write(fd, kTwoPoints.data(), kTwoPoints.size());
    (void)written;
    ::close(fd);
  });
  Outcome fromFifo = tool({"--save", "-", "fifo.tab"});
  writer.join();
  EXPECT_EQ(fromFifo.status, 0);
  EXPECT_EQ(fromFifo.err, "");
  EXPECT_EQ(fromFifo.out, kTwoPoints);

  // A process substitution, where a shell has them.
  if (::access("/bin/bash", X_OK) != 0) GTEST_SKIP() << "no bash for <(command)";
  Launch substituted;
  substituted.wrapper = {"/bin/bash", "-c", "exec \"$@\" <(cat t.tab)", "bash"};
  Outcome fromPipe = tool({"--save", "-"}, substituted);
  EXPECT_EQ(fromPipe.status, 0);
  EXPECT_EQ(fromPipe.err, "");
  EXPECT_EQ(fromPipe.out, kTwoPoints);
}

// ----------------------------------------------------------- settings

TEST_F(FileSystemTest, ASettingsFileThatCannotBeReadEndsTheRun) {
  writeFile(path("t.tab"), kTwoPoints);
  // Not a regular file (a device that never ends, a FIFO that nobody
  // writes: neither is opened), a regular file over the 16 MiB bound, and
  // a file of mode 000 read as a user who may not read it.
  ASSERT_EQ(::mkfifo(path("fifo.ini").c_str(), 0644), 0);
  writeFile(path("large.ini"), kIni);
  fs::resize_file(path("large.ini"), (std::uintmax_t(16) << 20) + 1);
  writeFile(path("locked.ini"), kIni);
  ::chmod(path("locked.ini").c_str(), 0);
  Launch asUser;
  if (::geteuid() == 0) {
    if (::access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "running as root without setpriv to drop to nobody";
    asUser.wrapper = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  }
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/dev/zero", "not a regular file"},
      {path("fifo.ini"), "not a regular file"},
      {path("large.ini"), "larger than 16 MiB"},
      {path("locked.ini"), "Permission denied"}};
  for (const auto& [file, reason] : cases) {
    const std::string said = "Error: can not read " + file + " (" + reason + ")\n";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--print-settings"}, std::vector<std::string>{"t.tab", "-o", "out.tab"}}) {
      std::vector<std::string> line = {"--settings", file};
      line.insert(line.end(), args.begin(), args.end());
      Outcome r = run(line, asUser);
      EXPECT_EQ(r.status, 1) << file;
      EXPECT_EQ(r.out, "") << file;
      EXPECT_EQ(r.err, said);
    }
  }
  EXPECT_FALSE(fs::exists(path("out.tab")));
}

TEST_F(FileSystemTest, AnInstalledToolWhoseUsersFileCanBeNeitherMadeNorReadUsesTheShippedDefaults) {
  // An installed layout of the tool's own: inst/bin and inst/share/vestrane.
  const std::string inst = path("inst");
  fs::create_directories(inst + "/bin");
  fs::create_directories(inst + "/share/vestrane");
  const std::string shipped = inst + "/share/vestrane/Vestrane.ini";
  writeFile(shipped, kIni);
  fs::copy_file(kTool, inst + "/bin/vestrane-combine");
  fs::permissions(inst + "/bin/vestrane-combine", fs::perms(0755));
  writeFile(path("t.tab"), kTwoPoints);
  const std::string note =
      "\nThe shipped settings " + shipped + " are used instead, and changes to them are not saved.\n";
  const bool root = ::geteuid() == 0;
  const bool setpriv = ::access("/usr/bin/setpriv", X_OK) == 0;
  // Runs the installed tool on t.tab after the shell commands @p environment;
  // as nobody where the test runs as root and @p asUser.
  auto installed = [&](const std::string& environment, bool asUser) {
    Launch launch;
    launch.tool = inst + "/bin/vestrane-combine";
    launch.shell = environment;
    if (asUser && root) launch.wrapper = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    Outcome r = run({"--save", "-", "t.tab"}, launch);
    EXPECT_EQ(r.status, 0) << environment;
    EXPECT_EQ(r.out, kTwoPoints) << environment;
    return r.err;
  };
  auto cannotWrite = [&](const std::string& folder) {
    return "Error: can not write " + folder + "/Vestrane.ini (can not create the folder " + folder + ")" + note;
  };

  // XDG_CONFIG_HOME a file.
  writeFile(path("config"), "a file");
  EXPECT_EQ(installed("export XDG_CONFIG_HOME=" + path("config"), false), cannotWrite(path("config/Vestrane")));
  // A relative XDG_CONFIG_HOME is ignored: the user's file goes into HOME.
  fs::create_directory(path("home"));
  EXPECT_EQ(installed("export HOME=" + path("home") + " XDG_CONFIG_HOME=config", false), "");
  EXPECT_EQ(readFile(path("home/.config/Vestrane/Vestrane.ini")), kIni);
  EXPECT_FALSE(fs::exists(path("config/Vestrane")));
  fs::remove_all(path("home/.config"));

  if (root && !setpriv) GTEST_SKIP() << "running as root without setpriv to drop to nobody";
  // A HOME the user may not write (root's, or read-only).
  if (!root) fs::permissions(path("home"), fs::perms(0555));
  EXPECT_EQ(installed("unset XDG_CONFIG_HOME; export HOME=" + path("home"), true),
            cannotWrite(path("home/.config/Vestrane")));
  // A user's file of mode 000.
  fs::permissions(path("home"), fs::perms(0755));
  fs::create_directories(path("home/.config/Vestrane"));
  writeFile(path("home/.config/Vestrane/Vestrane.ini"), kIni);
  ::chmod(path("home/.config/Vestrane/Vestrane.ini").c_str(), 0);
  if (root || ::access(path("home/.config/Vestrane/Vestrane.ini").c_str(), R_OK) != 0) {
    EXPECT_EQ(installed("unset XDG_CONFIG_HOME; export HOME=" + path("home"), true),
              "Error: can not read " + path("home/.config/Vestrane/Vestrane.ini") + " (Permission denied)" + note);
  }
  // Without HOME the account's home from the user database: nobody's
  // (/nonexistent on Debian), which nobody can not make.
  const struct passwd* nobody = ::getpwuid(kNobody);
  if (!root || !nobody || fs::exists(nobody->pw_dir)) {
    std::cout << "[   NOTE   ] HOME unset is tried as nobody, whose home must not exist\n";
  } else {
    const std::string folder = std::string(nobody->pw_dir) + "/.config/Vestrane";
    EXPECT_EQ(installed("unset XDG_CONFIG_HOME HOME", true), cannotWrite(folder));
    EXPECT_FALSE(fs::exists(nobody->pw_dir));
  }
  EXPECT_EQ(readFile(shipped), kIni);
  EXPECT_EQ(names(inst + "/bin"), std::vector<std::string>{"vestrane-combine"});
}

// -------------------------------------------------------- usage, paths

TEST_F(FileSystemTest, AMissingSettingsFileIsWrongUsage) {
  writeFile(path("t.tab"), kTwoPoints);
  fs::create_directory(path("folder.ini"));
  for (const auto& [name, problem] : {std::pair<std::string, std::string>{"missing.ini", " not found"},
                                      {"folder.ini", " is a folder"}}) {
    Outcome r = run({"--settings", name, "t.tab", "-o", "out.tab"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1),
              "vestrane-combine: settings file " + path(name) + problem + "\n");
  }
  EXPECT_FALSE(fs::exists(path("out.tab")));
}

TEST_F(FileSystemTest, DotDotAfterALinkedFolderIsLeftToTheSystem) {
  // linkdir is real/sub, so linkdir/.. is real, not this folder.
  fs::create_directories(path("real/sub"));
  fs::create_directory_symlink("real/sub", path("linkdir"));
  writeFile(path("real/x.tab"), kTwoPoints);
  writeFile(path("x.tab"), std::string(kHeader) + "1\tWRONG\tr1\tGrt\tnot this one\r\n");
  Outcome r = tool({"linkdir/../x.tab", "--save", "linkdir/../saved.tab"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(readFile(path("real/saved.tab")), kTwoPoints);
  EXPECT_FALSE(fs::exists(path("saved.tab")));
  // Messages name the path as given, made absolute.
  Outcome missing = tool({"linkdir/../gone.tab"});
  EXPECT_EQ(missing.err, "Error: can not open file " + path("linkdir/../gone.tab") + "\n");
}

#endif  // _WIN32
