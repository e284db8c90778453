// Where users wait on a whole file or a whole folder, each beside its anchor from the same run
// (wall and processor times, each as a ratio):
//  - Load + Analyse Nearfield of a 128 000-row output file by the whole program
//    (`varnel --script`, start-up included), beside `wc -l` of the same file;
//  - Analyse EUTs over 1500 copies of a real test-object output (the engine stand-in over nec2c
//    writes it once), beside a plain whole-file read of the same files;
//  - the same Load + Analyse Nearfield of that file with LF line ends beside CR LF;
//  - the completeness of 1200 such outputs (each "whole and made from its deck"), by Resume's check
//    of a folder (on the processor's cores, as Resume and the cluster account decide it), beside
//    a plain whole-file read of the same files.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <ctime>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "../tests/support/classic_output.hpp"
#include "engine/conversion.hpp"
#include "mainwindow/VarnelU.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "util/random.hpp"

namespace varnel {

namespace fs = std::filesystem;

#ifndef VARNEL_BINARY
#define VARNEL_BINARY "varnel"  // found through PATH
#endif
#ifndef VARNEL_ENGINE_BINARY
#define VARNEL_ENGINE_BINARY "varnel_engine"
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct TempTree {
  TempTree() {
    std::string pattern = (fs::temp_directory_path() / "varnel-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
    for (const char* folder : {"drive_c/4nec2/b_in/Ranges", "drive_c/4nec2/b_out", "drive_c/4nec2/exe",
                               "drive_c/4nec2/out", "home/DeskTop/add"})
      fs::create_directories(dir / folder);
  }
  ~TempTree() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  PosixRoots Roots() const { return PosixRoots{(dir / "drive_c").string(), (dir / "home").string()}; }
  fs::path dir;
};

// Processor seconds (user and system) of the children that have ended, and of this process (all
// its threads: the analyses use several cores).
double ChildrenProcessorSeconds() {
  rusage usage;
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
double ProcessProcessorSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Wall seconds of the command; cpu gets its processor seconds added (the shell's included, as
// for every command measured).
double Seconds(const std::string& command, double* cpu = nullptr) {
  const double before = ChildrenProcessorSeconds();
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  if (cpu) *cpu += ChildrenProcessorSeconds() - before;
  return wall;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void BM_LoadAndAnalyseNearfieldWholeProgram(benchmark::State& state) {
  TempTree tree;
  ClassicOutput run;
  run.nearField = ClassicGrid(80, 80, 20, -40, -40, 0, 1.0, ClassicDipoleField);  // 128 000 rows
  const fs::path file = tree.dir / "drive_c/4nec2/out/big.out";
  std::ofstream(file, std::ios::binary) << ClassicOutputText(run);
  std::ofstream(tree.dir / "load.vsc") << "answer open \"c:\\4nec2\\out\\big.out\"\nrun Load1Click\n"
                                          "run AnalyseNearfield1Click\n";
  const std::string varnel = "env WINEPREFIX='" + tree.dir.string() + "' HOME='" +
                             (tree.dir / "home").string() + "' '" VARNEL_BINARY "' --script '" +
                             (tree.dir / "load.vsc").string() + "' >/dev/null";
  const std::string wc = "wc -l '" + file.string() + "' >/dev/null";
  Seconds(varnel);  // the first start creates the sample tree
  // Wall times, and processor times, which a busy machine disturbs far less; the medians of the
  // wall times too, which a single slow start (the kernel compacting memory for huge pages,
  // another process) does not move.
  double program = 0, count = 0, programCpu = 0, countCpu = 0;
  std::vector<double> programRuns, countRuns;
  for (auto _ : state) {
    programRuns.push_back(Seconds(varnel, &programCpu));
    countRuns.push_back(Seconds(wc, &countCpu));
    program += programRuns.back();
    count += countRuns.back();
    state.SetIterationTime(programRuns.back() + countRuns.back());
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ms program"] = program / n * 1e3;
  state.counters["ms wc -l"] = count / n * 1e3;
  state.counters["ratio"] = program / count;
  state.counters["median ratio"] = Median(programRuns) / Median(countRuns);
  state.counters["cpu ms program"] = programCpu / n * 1e3;
  state.counters["cpu ms wc -l"] = countCpu / n * 1e3;
  state.counters["cpu ratio"] = programCpu / countCpu;
  state.counters["MB"] = static_cast<double>(fs::file_size(file)) / 1e6;
}
BENCHMARK(BM_LoadAndAnalyseNearfieldWholeProgram)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// The whole program's Load + Analyse Nearfield of the 128 000-row file with LF line ends (nec2c's
// own prints) beside the same file with CR LF, alternately in one run.
void BM_LoadLfBesideCrLf(benchmark::State& state) {
  TempTree tree;
  ClassicOutput run;
  run.nearField = ClassicGrid(80, 80, 20, -40, -40, 0, 1.0, ClassicDipoleField);  // 128 000 rows
  const std::string crLf = ClassicOutputText(run);
  std::string lf;
  for (char c : crLf)
    if (c != '\r') lf += c;
  std::ofstream(tree.dir / "drive_c/4nec2/out/crlf.out", std::ios::binary) << crLf;
  std::ofstream(tree.dir / "drive_c/4nec2/out/lf.out", std::ios::binary) << lf;
  const auto command = [&](const std::string& name) {
    std::ofstream(tree.dir / (name + ".vsc"))
        << "answer open \"c:\\4nec2\\out\\" + name + ".out\"\nrun Load1Click\nrun AnalyseNearfield1Click\n";
    return "env WINEPREFIX='" + tree.dir.string() + "' HOME='" + (tree.dir / "home").string() +
           "' '" VARNEL_BINARY "' --script '" + (tree.dir / (name + ".vsc")).string() + "' >/dev/null";
  };
  const std::string withLf = command("lf"), withCrLf = command("crlf");
  Seconds(withCrLf);  // the first start creates the sample tree
  std::vector<double> lfRuns, crLfRuns;
  double lfCpu = 0, crLfCpu = 0;
  for (auto _ : state) {
    lfRuns.push_back(Seconds(withLf, &lfCpu));
    crLfRuns.push_back(Seconds(withCrLf, &crLfCpu));
    state.SetIterationTime(lfRuns.back() + crLfRuns.back());
  }
  state.counters["ms LF"] = Median(lfRuns) * 1e3;
  state.counters["ms CR LF"] = Median(crLfRuns) * 1e3;
  state.counters["median ratio"] = Median(lfRuns) / Median(crLfRuns);
  state.counters["cpu ratio"] = lfCpu / crLfCpu;
}
BENCHMARK(BM_LoadLfBesideCrLf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// One real test-object output: a deck of the generator run by the stand-in, copied n times.
void RealEutFolder(const TempTree& tree, int copies) {
  setenv("WINEPREFIX", tree.dir.c_str(), 1);
  std::ostringstream sink;
  PosixSystem system(tree.Roots());
  ScriptedUi ui(sink, system);
  TForm1 form({system, ui});
  SeedRandom(5);
  std::ofstream(tree.dir / "drive_c/4nec2/b_in/Ranges/one.txt", std::ios::binary) << "7,01\r\n";
  ui.AnswerOpen(std::string("c:\\4nec2\\b_in\\Ranges\\one.txt"));
  for (const char* answer : {"1", "3", "1,5", "1", "1", "E_", ""}) ui.AnswerAsk(std::string(answer));
  form.MIGenerateEUTsClick();
  const fs::path deck = tree.dir / "drive_c/4nec2/b_in/E_/E_000_000.nec";
  const fs::path out = tree.dir / "real.out";
  Seconds("'" VARNEL_ENGINE_BINARY "' '" + deck.string() + "' '" + out.string() + "' >/dev/null");
  const fs::path folder = tree.dir / "drive_c/4nec2/b_out/E_";
  fs::create_directories(folder);
  for (int i = 0; i < copies; ++i) {
    const fs::path copy = folder / ("E_" + std::to_string(1000 + i) + ".out");
    fs::copy_file(out, copy, fs::copy_options::overwrite_existing);
  }
}

// Reads each file whole with one pread; the bytes read.
double PlainRead(const std::vector<std::string>& paths, benchmark::State& state) {
  double bytes = 0;
  for (const std::string& path : paths) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const off_t size = lseek(fd, 0, SEEK_END);
    std::string whole(static_cast<std::size_t>(size), '\0');
    if (pread(fd, whole.data(), whole.size(), 0) != size) state.SkipWithError("short read");
    close(fd);
    bytes += static_cast<double>(size);
  }
  return bytes;
}

void BM_CompletenessOf1200Outputs(benchmark::State& state) {
  DecimalSeparator = ',';
  TempTree tree;
  RealEutFolder(tree, 1200);
  // Each output beside a copy of the deck it was made from, as Resume finds them.
  const fs::path decks = tree.dir / "drive_c/4nec2/b_in/E_";
  TextList listed;
  std::vector<std::string> native;
  for (int i = 0; i < 1200; ++i) {
    const std::string name = "E_" + std::to_string(1000 + i);
    fs::copy_file(decks / "E_000_000.nec", decks / (name + ".nec"));
    listed.push_back(name + ".nec");
    native.push_back((tree.dir / "drive_c/4nec2/b_out/E_" / (name + ".out")).string());
  }
  std::ostringstream sink;
  PosixSystem system(tree.Roots());
  ScriptedUi ui(sink, system);
  TForm1 form({system, ui});
  double decide = 0, read = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    std::size_t kept = 0;
    const TextList left = DecksWithoutCompleteOutput(form, listed, "c:\\4nec2\\b_in\\E_\\",
                                                     "c:\\4nec2\\b_out\\E_\\", true, kept);
    decide += std::chrono::duration<double>(Clock::now() - start).count();
    if (!left.empty() || kept != listed.size()) state.SkipWithError("not whole");
    start = Clock::now();
    PlainRead(native, state);
    read += std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(decide + read);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ms completeness"] = decide / n * 1e3;
  state.counters["ms plain read"] = read / n * 1e3;
  state.counters["ratio"] = decide / read;
  state.counters["MB"] = static_cast<double>(fs::file_size(native[0])) * 1200 / 1e6;
}
BENCHMARK(BM_CompletenessOf1200Outputs)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AnalyseEutsOver1500Files(benchmark::State& state) {
  DecimalSeparator = ',';
  TempTree tree;
  RealEutFolder(tree, 1500);
  std::ostringstream sink;
  PosixSystem system(tree.Roots());
  ScriptedUi ui(sink, system);
  TForm1 form({system, ui});
  ui.AnswerFolder(std::string("c:\\4nec2\\b_out\\E_"));
  form.MIAddBatchFolderClick();
  const TextList names = form.params.BatchFiles;
  double analyse = 0, read = 0, analyseCpu = 0, readCpu = 0, bytes = 0;
  for (auto _ : state) {
    const double before = analyse + read;
    auto start = Clock::now();
    double cpuStart = ProcessProcessorSeconds();
    form.MIAnalyseEUTsClick();
    analyse += std::chrono::duration<double>(Clock::now() - start).count();
    analyseCpu += ProcessProcessorSeconds() - cpuStart;
    start = Clock::now();
    cpuStart = ProcessProcessorSeconds();
    bytes += PlainRead(names, state);  // the batch folder is current
    read += std::chrono::duration<double>(Clock::now() - start).count();
    readCpu += ProcessProcessorSeconds() - cpuStart;
    state.SetIterationTime(analyse + read - before);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ms Analyse EUTs"] = analyse / n * 1e3;
  state.counters["ms plain read"] = read / n * 1e3;
  state.counters["ratio"] = analyse / read;
  state.counters["cpu ms Analyse EUTs"] = analyseCpu / n * 1e3;
  state.counters["cpu ms plain read"] = readCpu / n * 1e3;
  state.counters["cpu ratio"] = analyseCpu / readCpu;
  state.counters["MB"] = bytes / n / 1e6;
  if (form.Mdata.lines.size() < names.size()) state.SkipWithError("the table is short");
}
BENCHMARK(BM_AnalyseEutsOver1500Files)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

}  // namespace varnel
