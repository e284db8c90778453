#pragma once
// Seeds for the fuzz harnesses, made by the tests from what they really read and run: with
// VARNEL_FUZZ_CORPUS set, SaveFuzzSeed writes the bytes to <that folder>/<harness>/ under a name
// made from their hash (a repeat overwrites itself). Without it, nothing happens.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

namespace varnel {

inline void SaveFuzzSeed(std::string_view harness, std::string_view bytes) {
  const char* corpus = std::getenv("VARNEL_FUZZ_CORPUS");
  if (!corpus || !*corpus) return;
  const std::filesystem::path folder = std::filesystem::path(corpus) / harness;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  char name[32];
  std::snprintf(name, sizeof name, "seed-%016zx", std::hash<std::string_view>{}(bytes));
  std::ofstream(folder / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// An output file as seeds of the reader: the whole text, and a few kilobytes from the line of
// each section's keyword on, so that the fuzzer can work on short inputs that hold a section.
inline void SaveOutputSeeds(std::string_view text) {
  SaveFuzzSeed("reader", text);
  for (std::string_view keyword : {"FREQUENCY", "INPUT POWER", "ANTENNA INPUT", "CURRENTS AND LOCATION", "NEAR"}) {
    const std::size_t found = text.find(keyword);
    if (found == std::string_view::npos) continue;
    const std::size_t lineStart = text.rfind('\n', found);
    SaveFuzzSeed("reader", text.substr(lineStart == std::string_view::npos ? 0 : lineStart + 1, 3000));
  }
}

// Every file below folder whose extension (lower case, with the dot) is `extension`, as seeds.
inline void SaveFuzzSeedsBelow(const std::filesystem::path& folder, std::string_view extension,
                               std::string_view harness) {
  if (!std::getenv("VARNEL_FUZZ_CORPUS")) return;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    std::string found = it->path().extension().string();
    for (char& c : found) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!it->is_regular_file() || found != extension) continue;
    std::ifstream in(it->path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (harness == "reader") SaveOutputSeeds(bytes);
    else SaveFuzzSeed(harness, bytes);
  }
}

}  // namespace varnel
