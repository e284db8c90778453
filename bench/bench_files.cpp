// ReadTextFile against a plain whole-file read of the same bytes, for an output file of the
// size of one EUT output (~650 kB) and for a large one (~50 MB). The files are generated in
// a temporary folder that is removed at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/posix/posix_system.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "util/files.hpp"

namespace varnel {

namespace fs = std::filesystem;

namespace {

// A near-field table in the classic layout with LF line ends (as nec2c writes them on Linux)
// or CR LF, about size bytes.
std::string OutputLike(std::size_t size, bool crlf) {
  const std::string row =
      "   -1.0000   -1.0000   -1.0000   7.8777E-02 -117.82   7.8777E-02 -117.82   1.2597E-01  149.73";
  std::string text;
  text.reserve(size + row.size() + 2);
  while (text.size() < size) {
    text += row;
    text += crlf ? "\r\n" : "\n";
  }
  return text;
}

struct Fixture {
  fs::path dir;
  PosixRoots roots;
  Fixture() {
    std::string pattern = (fs::temp_directory_path() / "varnel-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
    fs::create_directories(dir / "drive_c");
    roots = PosixRoots{(dir / "drive_c").string(), dir.string()};
    for (auto [name, size] : {std::pair{"small", std::size_t{650'000}}, std::pair{"large", std::size_t{50'000'000}}}) {
      for (bool crlf : {false, true}) {
        std::ofstream(dir / "drive_c" / (std::string(name) + (crlf ? "_crlf.out" : "_lf.out")), std::ios::binary)
            << OutputLike(size, crlf);
      }
    }
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

Fixture& Files() {
  static Fixture fixture;
  return fixture;
}

const char* FileName(int which) {
  static const char* names[] = {"c:\\small_lf.out", "c:\\small_crlf.out", "c:\\large_lf.out", "c:\\large_crlf.out"};
  return names[which];
}

void PlainRead(benchmark::State& state) {
  PosixSystem system(Files().roots);
  const std::string name = FileName(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string content = system.ReadFile(name);
    bytes = content.size();
    benchmark::DoNotOptimize(content.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
}

void ReadText(benchmark::State& state) {
  PosixSystem system(Files().roots);
  std::ostringstream sink;
  ScriptedUi ui(sink, system);
  const std::string name = FileName(static_cast<int>(state.range(0)));
  std::size_t bytes = system.ReadFile(name).size();
  for (auto _ : state) {
    std::string text;
    ReadTextFile({system, ui}, name, text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
}

// 0: 650 kB LF, 1: 650 kB CR LF, 2: 50 MB LF, 3: 50 MB CR LF
BENCHMARK(PlainRead)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadText)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace varnel
