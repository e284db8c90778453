// The EUT generator at its stated load: 50 EUTs at 30 frequencies, 1500 decks of 107 lines,
// every deck also added to the Data pane, written into a temporary tree. Compared with the
// same job done with plain calls: the folder removed and created, the same 1500 files
// written with std::ofstream. And the largest set, 2000 EUTs at 30 frequencies (60 000 decks),
// beside plain writes of its bytes in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_form.hpp"
#include "mainwindow/VarnelU.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/random.hpp"

namespace varnel {

namespace fs = std::filesystem;

namespace {

constexpr int kEuts = 50;
constexpr int kFrequencies = 30;

// A private drive c: with c:\4nec2\b_in\Ranges and a range file of 30 frequencies.
struct TempTree {
  TempTree() {
    std::string pattern = (fs::temp_directory_path() / "varnel-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
    fs::create_directories(dir / "drive_c" / "4nec2" / "b_in" / "Ranges");
    fs::create_directories(dir / "home");
    std::ofstream range(dir / "drive_c" / "4nec2" / "b_in" / "Ranges" / "bench.txt", std::ios::binary);
    for (int i = 0; i < kFrequencies; ++i) range << (10 + i) << ",5\r\n";
  }
  ~TempTree() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  PosixRoots Roots() const { return PosixRoots{(dir / "drive_c").string(), (dir / "home").string()}; }
  fs::path dir;
};

void QueueAnswers(ScriptedUi& ui, const char* euts = "50") {
  ui.AnswerOpen(std::string("c:\\4nec2\\b_in\\Ranges\\bench.txt"));
  for (const char* answer : {euts, "3", "1,5", "1", "1", "E_", ""}) ui.AnswerAsk(std::string(answer));
}

using Files = std::vector<std::pair<std::string, std::string>>;

// The names and bytes of the files in folder.
Files FilesIn(const fs::path& folder) {
  Files files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files.emplace_back(entry.path().filename().string(), bytes.str());
  }
  return files;
}

// The folder removed and made again, the files written into it with std::ofstream.
void WritePlainly(const fs::path& target, const Files& files) {
  fs::remove_all(target);
  fs::create_directory(target);
  for (const auto& [name, bytes] : files) {
    std::ofstream file(target / name, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
}

void BM_GenerateEuts(benchmark::State& state) {
  DecimalSeparator = ',';
  TempTree tree;
  BenchForm bench(tree.Roots());
  SeedRandom(1);
  for (auto _ : state) {
    state.PauseTiming();
    bench.form.Mdata.lines.clear();
    QueueAnswers(bench.ui);
    state.ResumeTiming();
    bench.form.MIGenerateEUTsClick();
    benchmark::DoNotOptimize(bench.form.Mdata.lines.size());
  }
  state.counters["decks"] = static_cast<double>(kEuts * kFrequencies);
  state.counters["Mdata lines"] = static_cast<double>(bench.form.Mdata.lines.size());
}
BENCHMARK(BM_GenerateEuts)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_PlainWritesOfTheSameBytes(benchmark::State& state) {
  DecimalSeparator = ',';
  TempTree tree;
  Files files;
  {
    // Produce the decks once with the command, then take their bytes.
    BenchForm bench(tree.Roots());
    QueueAnswers(bench.ui);
    bench.form.MIGenerateEUTsClick();
    files = FilesIn(tree.dir / "drive_c" / "4nec2" / "b_in" / "E_");
  }
  for (auto _ : state) WritePlainly(tree.dir / "plain", files);
  state.counters["files"] = static_cast<double>(files.size());
}
BENCHMARK(BM_PlainWritesOfTheSameBytes)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_GenerateEutsAgainstPlainWrites(benchmark::State& state) {
  DecimalSeparator = ',';
  TempTree tree;
  const std::string euts = std::to_string(state.range(0));
  using Clock = std::chrono::steady_clock;
  double generate = 0, plain = 0, bytes = 0;
  for (auto _ : state) {
    {
      BenchForm bench(tree.Roots());
      SeedRandom(1);
      QueueAnswers(bench.ui, euts.c_str());
      const auto start = Clock::now();
      bench.form.MIGenerateEUTsClick();
      generate += std::chrono::duration<double>(Clock::now() - start).count();
    }
    const Files files = FilesIn(tree.dir / "drive_c" / "4nec2" / "b_in" / "E_");
    const auto start = Clock::now();
    WritePlainly(tree.dir / "plain", files);
    plain += std::chrono::duration<double>(Clock::now() - start).count();
    for (const auto& file : files) bytes += static_cast<double>(file.second.size());
    state.SetIterationTime(generate + plain);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["s Generate EUTs"] = generate / n;
  state.counters["s plain writes"] = plain / n;
  state.counters["ratio"] = generate / plain;
  state.counters["MB"] = bytes / n / 1e6;
}
BENCHMARK(BM_GenerateEutsAgainstPlainWrites)
    ->Arg(200)
    ->Arg(2000)
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

// Cost per new file when a folder already holds many: n decks written into a new folder
// through the system (each new name is first looked up without case), beside the same n
// files written with plain calls in the same run. The per-deck cost and the ratio must stay
// flat as n grows.
void BM_NewDecksInOneFolder(benchmark::State& state) {
  TempTree tree;
  std::ostringstream out;
  PosixSystem system(tree.Roots());
  const std::string bytes(5000, 'x');
  const int n = static_cast<int>(state.range(0));
  using Clock = std::chrono::steady_clock;
  double platformSeconds = 0, plainSeconds = 0;
  int round = 0;
  for (auto _ : state) {
    const std::string name = "R" + std::to_string(round++);
    const std::string folder = "c:\\4nec2\\b_in\\" + name + "\\";
    system.CreateFolder(folder);
    auto start = Clock::now();
    for (int i = 0; i < n; ++i) WriteTextFile(system, bytes, folder + FormatInt("E_%3.3d.nec", i));
    platformSeconds += std::chrono::duration<double>(Clock::now() - start).count();

    const fs::path plain = tree.dir / ("plain" + name);
    fs::create_directory(plain);
    start = Clock::now();
    for (int i = 0; i < n; ++i) {
      std::ofstream file(plain / FormatInt("E_%3.3d.nec", i), std::ios::binary);
      file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    plainSeconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  const double decks = static_cast<double>(n) * static_cast<double>(state.iterations());
  state.counters["us per deck"] = platformSeconds / decks * 1e6;
  state.counters["plain us per file"] = plainSeconds / decks * 1e6;
  state.counters["ratio"] = platformSeconds / plainSeconds;
}
BENCHMARK(BM_NewDecksInOneFolder)
    ->Arg(300)
    ->Arg(3000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

}  // namespace varnel
