// SPDX-License-Identifier: MIT
// Figures of the desktop program under Qt's offscreen platform: the main
// window loading a table of 200,000 rows and scrolling to its end, clearing
// it and undoing the clear, unchecking a third of it by total and showing
// those rows; and the update check against servers that flood
// it with headers or an endless body: how long the check takes to hang up
// and how much resident memory it grows by meanwhile.
// Run: build/bin/window_bench

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QAction>
#include <QPushButton>
#include <QTableView>
#include <QDialogButtonBox>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#ifdef __linux__
#include <unistd.h>
#endif

#include "app/TotalDialog.h"
#include "app/Unit1.h"
#include "platform/qt/QtHttpClient.h"
#include "tests/fakes/FakeServices.h"
#include "tests/gui/HostileHttpServer.h"

using namespace vestrane;
using vestrane::testing::FakeServices;
using vestrane::testing::HostileHttpServer;

namespace {

/// The resident memory of this process in kilobytes; 0 where the system
/// does not tell.
long residentKb() {
#ifdef __linux__
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
#else
  return 0;
#endif
}

/// The highest resident memory of this process while it lives, sampled
/// every millisecond.
class PeakMemory {
 public:
  PeakMemory() : sampler_([this] {
    while (!stop_) {
      peak_ = std::max<long>(peak_, residentKb());
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }) {}
  ~PeakMemory() { stopped(); }
  /// Stops sampling. @return the peak in kilobytes.
  long stopped() {
    if (!stop_.exchange(true)) sampler_.join();
    return peak_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<long> peak_{0};
  std::thread sampler_;
};

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

/// A main window in a folder of its own that plays the executable's, with
/// alias lists for the table below.
struct Window {
  QTemporaryDir dir;
  FakeServices services;
  std::unique_ptr<TForm1> form;

  std::string file(const std::string& name) const {
    return dir.filePath(QString::fromStdString(name)).toStdString();
  }

  Window() {
    writeFile(file("Vestrane.ini"), "Sample=SAMPLE\r\nArea=AREA\r\nMineral=MINERAL\r\n"
                                    "Analysis=ANALYSIS\r\nSelect=SELECT\r\n");
    form = std::make_unique<TForm1>(services, file("Vestrane"));
    form->applyBounds();
    form->show();
    QApplication::processEvents();
  }
  /// "Load TAB file" of @p path, then the view scrolled to its end.
  void load(const std::string& path) {
    services.openAnswers.push_back(path);
    form->Button1->click();
    form->ListView1->scrollToBottom();
    QApplication::processEvents();
  }
};

/// 200,000 rows in 5,000 points of two minerals.
const std::string& bigTableFile() {
  struct File {
    QTemporaryDir dir;
    std::string path = dir.filePath(QStringLiteral("big.tab")).toStdString();
    File() {
      std::string text = "Sample\tArea\tMineral\tAnalysis\tSiO2\tFeO\tTotal\r\n";
      text.reserve(200000 * 52);
      for (int i = 0; i < 200000; ++i)
        text += "S" + std::to_string(i / 40) + "\tA\t" + (i % 2 ? "Grt" : "Bt") + "\tan" +
                std::to_string(i) + "\t37.5\t30.1\t" + (i % 3 ? "99.5" : "97.0") + "\r\n";
      writeFile(path, text);
    }
  };
  static const File file;
  return file.path;
}

// "Load TAB file" of 200,000 rows into an empty window, and the view at its end.
void BM_WindowLoad200k(benchmark::State& state) {
  const std::string& path = bigTableFile();
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<Window>();
    state.ResumeTiming();
    window->load(path);
    state.PauseTiming();
    benchmark::DoNotOptimize(window->form->ListView1->model()->rowCount());
    window.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_WindowLoad200k)->Unit(benchmark::kMillisecond)->Iterations(3);

// "Clear" of 200,000 rows and its undo, which brings every row back.
void BM_WindowClearAndUndo200k(benchmark::State& state) {
  Window window;
  window.load(bigTableFile());
  for (auto _ : state) {
    window.form->Clear1->trigger();
    window.form->undoItem->trigger();
    QApplication::processEvents();
  }
  benchmark::DoNotOptimize(window.form->ListView1->model()->rowCount());
}
BENCHMARK(BM_WindowClearAndUndo200k)->Unit(benchmark::kMillisecond)->Iterations(5);

// "Uncheck by total" with the range for all minerals, which unchecks every
// third of the 200,000 rows, then "Show" of those 66,667 rows, none next to
// another: the selection, the redraw and a step with F3; then the undo.
void BM_WindowShowUnchecked200k(benchmark::State& state) {
  Window window;
  window.load(bigTableFile());
  window.form->ListView1->scrollToTop();
  for (auto _ : state) {
    // The dialog, once open, is answered with its ranges as they stand.
    auto* answer = new QTimer;
    QObject::connect(answer, &QTimer::timeout, [answer] {
      auto* dialog = qobject_cast<TotalDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      answer->stop();
      answer->deleteLater();
      dialog->buttons->button(QDialogButtonBox::Ok)->click();
    });
    answer->start(1);
    window.services.offerAnswers = {true};
    window.form->uncheckByTotalItem->trigger();
    QApplication::processEvents();
    window.form->nextShownRowAction->trigger();
    QApplication::processEvents();
    state.PauseTiming();
    window.form->undoItem->trigger();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  benchmark::DoNotOptimize(window.form->workbench().shownRows().size());
}
BENCHMARK(BM_WindowShowUnchecked200k)->Unit(benchmark::kMillisecond)->Iterations(3);

// One request of the update check against a server that floods it with
// header lines (arg 0) or sends a body without end (arg 1); the server
// would go on for ten seconds, the time limit is twenty.
void BM_UpdateCheckAgainstFlood(benchmark::State& state) {
  const auto kind = state.range(0) == 0 ? HostileHttpServer::Kind::HeaderFlood
                                        : HostileHttpServer::Kind::EndlessBody;
  long grownKb = 0;
  double sentMb = 0;
  for (auto _ : state) {
    state.PauseTiming();
    HostileHttpServer hostile(kind, 10000);
    QtHttpClient http;
    http.setTimeout(20000);
    std::string body;
    const long before = residentKb();
    PeakMemory peak;
    state.ResumeTiming();
    const bool got = http.get("http://" + hostile.host() + "/vestrane.vrs", body);
    state.PauseTiming();
    grownKb = std::max(grownKb, peak.stopped() - before);
    hostile.waitUntilStopped();
    sentMb = static_cast<double>(hostile.bytesSent()) / 1e6;
    if (got || !hostile.clientClosed()) state.SkipWithError("the check did not hang up by itself");
    state.ResumeTiming();
  }
  state.counters["memory_grown_MB"] = static_cast<double>(grownKb) / 1024;
  state.counters["server_sent_MB"] = sentMb;
}
BENCHMARK(BM_UpdateCheckAgainstFlood)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
