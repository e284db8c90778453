// The window's cost beside the same work headless, offscreen. Each batch benchmark runs the
// command once in the model alone and once in the window (files, folder and command alike) and
// reports both times and their ratio; the time of record is the window's.
//
//   BM_BatchOf1500SmallFiles   Batch-Analyse Nearfield over 1500 copies of the sample output
//   BM_BatchOf30LargeFiles     the same over 30 files of about 10 MB
//   BM_LoadOf128000Lines       Load of one output file of 128 000 lines into pane M
//   BM_DataPaneOf160000LinesAppears  160 000 lines put into the data pane, one redraw and paint
//   BM_ClickIntoDataPaneOfDecks/60000  a click into the Data pane as Generate EUTs of 60 000
//                          decks leaves it, beside drawing the pane once; the process's memory
//                          after the click against the decks' bytes
//                          (and Enter typed there, a line inserted before all the others)
//   BM_ClickIntoEditPaneOf1000000Lines  the same for a loaded text of a million lines in pane M
//   BM_CopyIntoEditorControlOf6000Decks  what a click cost when it copied the whole pane into
//                          an editor control (the way before the panes were edited in place)
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>
#include <sstream>

#include "decks/cards.hpp"
#include "decks/generators.hpp"
#include "mainwindow/VarnelU.hpp"
#include "platform/qt/pane_view.hpp"
#include "util/random.hpp"
#include "platform/qt/main_window.hpp"
#include "platform/posix/posix_sample_tree.hpp"
#include "platform/qt/qt_ui.hpp"
#include "platform/scripted/scripted_ui.hpp"

using namespace varnel;

namespace {

namespace fs = std::filesystem;

fs::path TemporaryRoot() {
  std::string pattern = (fs::temp_directory_path() / "varnel-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  fs::create_directories(fs::path(pattern) / "drive_c");
  fs::create_directories(fs::path(pattern) / "home");
  return pattern;
}

PosixRoots RootsOf(const fs::path& root) {
  return PosixRoots{(root / "drive_c").string(), (root / "home").string()};
}

// The window's interface with the folder chooser and the file dialogs answered and boxes counted.
class BenchUi : public QtUi {
 public:
  explicit BenchUi(System& system) : QtUi(system), system_(system) {}
  std::string answer;
  int boxes = 0;
  std::optional<std::string> ChooseFolder(const std::string&) override {
    system_.SetCurrentFolder(answer);
    return answer;
  }
  std::optional<std::string> FileDialog(FileDialogKind, const FileDialogSpec&) override { return answer; }
  void ShowMessage(MessageKind, const std::string&, const std::string&) override { ++boxes; }

 private:
  System& system_;
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The sample output made by the program's own tree, padded at its start with plain text lines
// until it holds about `lines` lines (none of them holds a keyword the reader looks for).
std::string SampleOutput(const fs::path& root, std::size_t lines) {
  PosixSystem system(RootsOf(root));
  CreateSampleTree(system);
  std::ifstream in(root / "drive_c" / "4nec2" / "out" / "dipol.out", std::ios::binary);
  std::stringstream sample;
  sample << in.rdbuf();
  std::string text;
  for (std::size_t i = 0; i < lines; ++i)
    text += "   padding line " + std::to_string(i) + " of a long run, kept as plain text only\r\n";
  return text + sample.str();
}

void WriteCopies(const fs::path& folder, const std::string& text, int count) {
  fs::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    std::ofstream out(folder / ("f" + std::to_string(10000 + i) + ".out"), std::ios::binary);
    out << text;
  }
}

// Runs `first` then times `command`, headless and in the window, over the same files.
void CompareWithHeadless(benchmark::State& state, const fs::path& root, const std::string& answer,
                         const char* first, const char* command) {
  std::ostringstream sink;
  double headless = 0, window = 0;
  int runs = 0;
  for (auto _ : state) {
    {
      PosixSystem system(RootsOf(root));
      ScriptedUi ui(sink, system);
      TForm1 form({system, ui});
      ui.AnswerFolder(answer);
      ui.AnswerOpen(answer);
      if (*first) form.Run(first);
      const auto start = std::chrono::steady_clock::now();
      form.Run(command);
      headless += Seconds(start);
      sink.str("");
    }
    {
      PosixSystem system(RootsOf(root));
      BenchUi ui(system);
      ui.answer = answer;
      TForm1 form({system, ui});
      VarnelWindow view(form, ui);
      view.show();
      QApplication::processEvents();
      if (*first) view.RunCommand(first);
      QApplication::processEvents();
      const auto start = std::chrono::steady_clock::now();
      view.RunCommand(command);
      QApplication::processEvents();
      const double seconds = Seconds(start);
      window += seconds;
      state.SetIterationTime(seconds);
    }
    ++runs;
  }
  state.counters["headless_ms"] = headless / runs * 1000;
  state.counters["window_ms"] = window / runs * 1000;
  state.counters["ratio"] = window / headless;
}

void BM_BatchOf1500SmallFiles(benchmark::State& state) {
  const fs::path root = TemporaryRoot();
  const fs::path folder = root / "drive_c" / "4nec2" / "b_out" / "small";
  WriteCopies(folder, SampleOutput(root, 0), 1500);
  CompareWithHeadless(state, root, "c:\\4nec2\\b_out\\small", "MIAddBatchFolderClick", "MIBatchLoadClick");
  fs::remove_all(root);
}
BENCHMARK(BM_BatchOf1500SmallFiles)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_BatchOf30LargeFiles(benchmark::State& state) {
  const fs::path root = TemporaryRoot();
  const fs::path folder = root / "drive_c" / "4nec2" / "b_out" / "large";
  WriteCopies(folder, SampleOutput(root, 155000), 30);  // about 10 MB each
  CompareWithHeadless(state, root, "c:\\4nec2\\b_out\\large", "MIAddBatchFolderClick", "MIBatchLoadClick");
  fs::remove_all(root);
}
BENCHMARK(BM_BatchOf30LargeFiles)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

void BM_LoadOf128000Lines(benchmark::State& state) {
  const fs::path root = TemporaryRoot();
  WriteCopies(root / "drive_c" / "4nec2" / "b_out" / "one", SampleOutput(root, 128000), 1);
  CompareWithHeadless(state, root, "c:\\4nec2\\b_out\\one\\f10000.out", "", "Load1Click");
  fs::remove_all(root);
}
BENCHMARK(BM_LoadOf128000Lines)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// A shown window over a temporary root of its own.
struct ShownWindow {
  fs::path root = TemporaryRoot();
  PosixSystem system{RootsOf(root)};
  QtUi ui{system};
  TForm1 form{{system, ui}};
  VarnelWindow window{form, ui};
  ShownWindow() {
    window.show();
    QApplication::processEvents();
  }
  ~ShownWindow() { fs::remove_all(root); }
};

void BM_DataPaneOf160000LinesAppears(benchmark::State& state) {
  ShownWindow shown;
  TForm1& form = shown.form;
  VarnelWindow& window = shown.window;
  const std::string line = "GW 100 3  0.512 -1.250  3.000  0.800 -0.900  3.400 0.001";
  for (auto _ : state) {
    state.PauseTiming();
    ClearPane(form.Mdata);
    window.SyncFromModel();
    QApplication::processEvents();
    for (int i = 0; i < 160000; ++i) AddLine(form.Mdata, line);
    state.ResumeTiming();
    window.SyncFromModel();
    QApplication::processEvents();
  }
  state.counters["lines"] = 160000;
}
BENCHMARK(BM_DataPaneOf160000LinesAppears)->Unit(benchmark::kMillisecond)->Iterations(5);

// The resident memory of the process (Linux).
double ResidentMegabytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

// An EUT deck as Generate EUTs writes it and shows it in the Data pane: 50 wires and their
// sources, the frequency and the near-field grid.
std::string EutDeck(double megahertz) {
  std::string deck;
  AppendCard(deck, "CM");
  AppendCard(deck, "CE");
  std::vector<EutWire> wires;
  for (int w = 0; w < kWiresPerEut; ++w) wires.push_back(DrawEutWire(0.5, 1.0, 0.8));
  for (int w = 0; w < kWiresPerEut; ++w)
    AppendCard(deck,
               "GW " + std::to_string(100 + w) + " 3" + EutGeometryText(wires[w]) + " " + WireRadiusText());
  for (const char* card : {"GE 1", "GN 1", "EK"}) AppendCard(deck, card);
  for (int w = 0; w < kWiresPerEut; ++w)
    AppendCard(deck, "EX 0 " + std::to_string(100 + w) + " 2 0 " + EutSourceText(wires[w]) + " 0");
  AppendCard(deck, FrequencyCard(std::to_string(megahertz)));
  AppendCard(deck, EutGrid{}.Card());
  deck += "EN";
  return deck;
}

// A left click at the top left of a pane, and the redraw after it.
double ClickSeconds(PaneView* pane) {
  const auto start = std::chrono::steady_clock::now();
  const QPointF at(8, 8);
  QMouseEvent press(QEvent::MouseButtonPress, at, pane->viewport()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, pane->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(pane->viewport(), &press);
  QApplication::sendEvent(pane->viewport(), &release);
  QApplication::processEvents();
  return Seconds(start);
}

// Fills a pane of a shown window, draws it once (the anchor) and clicks into it.
void ClickIntoPane(benchmark::State& state, const char* name, const std::function<double(TForm1&)>& fill) {
  ShownWindow shown;
  VarnelWindow& window = shown.window;
  const double bytes = fill(shown.form);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    window.SyncFromModel();
    window.PaneWidget(name)->viewport()->repaint();
    state.counters["draw_ms"] = Seconds(start) * 1000;
    const double click = ClickSeconds(window.PaneWidget(name));
    state.SetIterationTime(click);
    state.counters["click_ms"] = click * 1000;
    state.counters["click_per_draw"] = click / (state.counters["draw_ms"] / 1000);
    // Then Enter at the caret: a line inserted before all the others, and the redraw.
    const auto typed = std::chrono::steady_clock::now();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(window.PaneWidget(name), &enter);
    QApplication::processEvents();
    state.counters["enter_ms"] = Seconds(typed) * 1000;
  }
  state.counters["text_MB"] = bytes / 1e6;
  state.counters["resident_MB"] = ResidentMegabytes();
  state.counters["resident_per_text"] = ResidentMegabytes() * 1e6 / bytes;
}

void BM_ClickIntoDataPaneOfDecks(benchmark::State& state) {
  ClickIntoPane(state, "Mdata", [&](TForm1& form) {
    SeedRandom(1);
    double bytes = 0;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
      const std::string deck = EutDeck(30 + static_cast<double>(i % 30));
      AddLine(form.Mdata, deck);
      bytes += static_cast<double>(deck.size());
    }
    return bytes;
  });
}
BENCHMARK(BM_ClickIntoDataPaneOfDecks)
    ->Arg(60000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

void BM_ClickIntoEditPaneOf1000000Lines(benchmark::State& state) {
  ClickIntoPane(state, "M", [](TForm1& form) {
    std::string text;
    for (int i = 0; i < 1000000; ++i)
      text += "  " + std::to_string(i) + "  7.0000E+00  1.0000E+00  2.5000E-01  -1.2000E-03  4.4000E+01\r\n";
    const double bytes = static_cast<double>(text.size());
    AddSharedLines(form.M, SharedText(std::move(text)));
    return bytes;
  });
}
BENCHMARK(BM_ClickIntoEditPaneOf1000000Lines)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The way a click went before: the pane's whole text joined and handed to an editor control.
void BM_CopyIntoEditorControlOf6000Decks(benchmark::State& state) {
  Pane pane;
  SeedRandom(1);
  for (int i = 0; i < 6000; ++i) AddLine(pane, EutDeck(30 + i % 30));
  QPlainTextEdit editor;
  editor.setLineWrapMode(QPlainTextEdit::NoWrap);
  editor.show();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::string joined;
    for (std::string_view line : pane.lines) (joined += line) += '\n';
    editor.setPlainText(QString::fromLatin1(joined.data(), static_cast<qsizetype>(joined.size())));
    QApplication::processEvents();
    state.SetIterationTime(Seconds(start));
    editor.clear();
  }
}
BENCHMARK(BM_CopyIntoEditorControlOf6000Decks)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
