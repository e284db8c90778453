#include "util/files.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "util/errors.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"
#include "util/text.hpp"
#include "util/workers.hpp"

namespace varnel {

namespace {

constexpr char kCtrlZ = 26;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A drive root or nothing at all: "", "\", "/", "c:", "c:\", "C:/" (trailing separators aside).
bool IsEmptyOrDriveRoot(const std::string& folder) {
  std::size_t end = folder.size();
  while (end > 0 && IsSeparator(folder[end - 1])) --end;
  if (end == 0) return true;
  if (end == 2 && folder[1] == ':') return true;
  return false;
}

// 0x80 in every byte of x that is zero, 0 elsewhere (exact, no carries between bytes).
inline std::uint64_t ZeroBytes(std::uint64_t x) {
  constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fULL;
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

inline std::uint64_t Load(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// True when every CR is followed by LF and every LF follows a CR: the text has CR LF line
// ends throughout and needs no change; with noCtrlZ also no byte 26 may occur. Checked a block
// at a time: the CR positions of a block must be the LF positions of the block one byte further
// on (16 bytes at once with SSE2, which every x86-64 processor has; a word at a time elsewhere).
bool OnlyCrLfLineEnds(const char* bytes, std::size_t size, bool noCtrlZ) {
  if (size == 0) return true;
  if (bytes[0] == '\n') return false;
  std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
  // A byte fails where "CR here" and "LF next" differ, or where it is byte 26 (with noCtrlZ; else
  // the test for it is one for CR again, which never fails). The failures of many blocks are
  // gathered in a register and looked at every 1024 bytes.
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  const __m128i end = noCtrlZ ? _mm_set1_epi8(kCtrlZ) : cr;
  while (size >= 17 && i < size - 16) {
    __m128i differ = _mm_setzero_si128();
    const std::size_t stop = std::min(size - 16, i + 1024);
    for (; i < stop; i += 16) {
      const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 1));
      const __m128i crs = _mm_cmpeq_epi8(here, cr);
      differ = _mm_or_si128(differ, _mm_or_si128(_mm_xor_si128(crs, _mm_cmpeq_epi8(next, lf)),
                                                 _mm_andnot_si128(crs, _mm_cmpeq_epi8(here, end))));
    }
    if (_mm_movemask_epi8(differ) != 0) return false;
  }
#endif
  constexpr std::uint64_t kCr = 0x0d0d0d0d0d0d0d0dULL, kLf = 0x0a0a0a0a0a0a0a0aULL;
  const std::uint64_t kEnd = noCtrlZ ? 0x1a1a1a1a1a1a1a1aULL : kCr;
  while (size >= 9 && i < size - 8) {
    std::uint64_t differ = 0;
    const std::size_t stop = std::min(size - 8, i + 512);  // look for a mismatch every 512 bytes
    for (; i < stop; i += 8) {
      const std::uint64_t crs = ZeroBytes(Load(bytes + i) ^ kCr);
      differ |= (crs ^ ZeroBytes(Load(bytes + i + 1) ^ kLf)) | (ZeroBytes(Load(bytes + i) ^ kEnd) & ~crs);
    }
    if (differ != 0) return false;
  }
  for (; i < size; ++i) {
    const bool isCr = bytes[i] == '\r';
    const bool lfNext = i + 1 < size && bytes[i + 1] == '\n';
    if (isCr != lfNext || (noCtrlZ && bytes[i] == kCtrlZ)) return false;
  }
  return true;
}

// Whether every part of the text passes the check (of its bytes and their count), the parts
// checked at once on several cores. The parts are cut right behind an LF.
template <typename Check>
bool EveryPartPasses(std::string_view bytes, Check check) {
  static const TextParts split = TextParts::OfThisMachine();
  const std::vector<std::size_t> starts = split.Starts(bytes, 0, '\n', 1);
  std::vector<char> clean(starts.size());  // a byte per part: the parts are checked on different threads
  std::vector<std::function<void()>> jobs;
  for (std::size_t w = 0; w < starts.size(); ++w) {
    jobs.push_back([&, w] {
      const std::size_t end = w + 1 < starts.size() ? starts[w + 1] : bytes.size();
      clean[w] = check(bytes.data() + starts[w], end - starts[w]);
    });
  }
  RunAtOnce(jobs);
  return std::all_of(clean.begin(), clean.end(), [](char c) { return c != 0; });
}

// CR LF line ends throughout and no byte 26 (OnlyCrLfLineEnds). A part that passes has no CR at
// its end and no LF at its start, so passing parts make a passing text wherever they are cut;
// cut right behind an LF, they also pass whenever the text does.
bool OnlyCrLfLineEndsInParts(std::string_view bytes) {
  return EveryPartPasses(
      bytes, [](const char* part, std::size_t size) { return OnlyCrLfLineEnds(part, size, true); });
}

// LF line ends throughout (nec2c's own prints): no CR at all, and no byte 26.
bool OnlyLfLineEndsInParts(std::string_view bytes) {
  return EveryPartPasses(bytes, [](const char* part, std::size_t size) {
    return std::memchr(part, '\r', size) == nullptr && std::memchr(part, kCtrlZ, size) == nullptr;
  });
}

// Writes bytes[0, size) to out with every line followed by CR LF: a line ends at LF, every CR
// (the one of a CR LF pair as well as a lone one) is dropped. out is written through a raw
// pointer and grown only when lines are shorter than planned; its final size is the text's.
void JoinLinesWithCrLf(const char* bytes, std::size_t size, std::string& out) {
  out.resize(size + size / 16 + 2);
  std::size_t w = 0;
  auto put = [&out, &w](const char* from, std::size_t count) {
    if (w + count > out.size()) out.resize(std::max(out.size() * 2, w + count));
    std::memcpy(out.data() + w, from, count);
    w += count;
  };
  const char* p = bytes;
  const char* end = bytes + size;
  while (true) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    const char* lineEnd = lf ? lf : end;
    const char* s = p;
    while (s < lineEnd) {
      const char* cr = static_cast<const char*>(std::memchr(s, '\r', static_cast<std::size_t>(lineEnd - s)));
      const char* stop = cr ? cr : lineEnd;
      put(s, static_cast<std::size_t>(stop - s));
      if (!cr) break;
      s = cr + 1;
    }
    if (!lf) break;
    put("\r\n", 2);
    p = lf + 1;
  }
  out.resize(w);
}

}  // namespace

void ShowMissingFileWarning(UserInterface& ui, const std::string& name) {
  ShowWarning(ui, "Die Datei " + name + " konnte nicht gefunden werden.");
}

bool ReadTextFile(Platform platform, const std::string& name, std::string& text) {
  if (!platform.system.FileExists(name)) {
    ShowMissingFileWarning(platform.ui, name);
    return false;
  }
  text = TextOfFileBytes(platform.system.ReadFile(name));
  return true;
}

bool TakeTextAsItStands(std::string& bytes) {
  // The common files in one pass: CR LF or LF line ends throughout, no byte 26. Their bytes are
  // the text already, but for a final line end (see TextOfFileBytes).
  const bool crLf = OnlyCrLfLineEndsInParts(bytes);
  if (!crLf && !OnlyLfLineEndsInParts(bytes)) return false;
  if (!bytes.empty() && bytes.back() == '\n') bytes.resize(bytes.size() - (crLf ? 2 : 1));
  return true;
}

std::string TextOfFileBytes(std::string bytes) {
  if (TakeTextAsItStands(bytes)) return bytes;
  // Byte 26 ends the file.
  const void* ctrlZ = std::memchr(bytes.data(), kCtrlZ, bytes.size());
  const std::size_t size =
      ctrlZ ? static_cast<std::size_t>(static_cast<const char*>(ctrlZ) - bytes.data()) : bytes.size();
  const bool endsWithLineFeed = size > 0 && bytes[size - 1] == '\n';
  const bool hasCr = std::memchr(bytes.data(), '\r', size) != nullptr;
  if (!hasCr || OnlyCrLfLineEnds(bytes.data(), size, false)) {
    // The bytes before the byte 26 are the text already.
    bytes.resize(size);
    if (endsWithLineFeed) bytes.resize(size - (hasCr ? 2 : 1));
    return bytes;
  }
  // Line ends of both kinds, or a CR alone (which is dropped): the one case that is copied, its
  // lines joined by CR LF.
  std::string result;
  JoinLinesWithCrLf(bytes.data(), size, result);
  // Each line read is followed by CR LF and the final CR LF is removed again. A text that ends
  // with LF carries that CR LF already; a last line without a line end does not, so it stays as
  // it is. An empty file reads as one empty line, which gives "".
  if (endsWithLineFeed) result.resize(result.size() - 2);
  return result;
}

std::string WithCrLfLineEnds(std::string text) {
  if (LineEndOf(text).length == 2) return text;
  return ReplaceText("\n", "\r\n", text, true);
}

TextList TextFileLines(std::string bytes) {
  const std::string text = TextOfFileBytes(std::move(bytes));
  // An empty file is one empty line.
  return text.empty() ? TextList{""} : SplitText(text, LineEndOf(text).Text());
}

void WriteTextFile(System& system, const std::string& text, const std::string& name) {
  system.WriteFile(name, text);
}

void WriteTextFileSafely(System& system, const std::string& text, const std::string& name) {
  WriteThroughFileBeside(system, name, text);
}

bool IsWindowsName(std::string_view name) {
  for (unsigned char c : name) {
    if (c < 32 || kForbiddenNameCharacters.find(static_cast<char>(c)) != std::string_view::npos) return false;
  }
  return true;
}

void ListFiles(System& system, const std::string& pattern, TextList& list, TextList* skipped) {
  list.clear();
  for (const DirEntry& entry : system.ListEntries(pattern)) {
    if (entry.name.empty() || entry.name == "." || entry.name == ".." || entry.isFolder) continue;
    if (!IsWindowsName(entry.name)) {
      if (skipped) skipped->push_back(entry.name);
      continue;
    }
    list.push_back(entry.name);
  }
}

std::string SkippedNamesLine(const TextList& skipped) {
  if (skipped.empty()) return "";
  constexpr std::size_t kShown = 5;
  std::string line =
      FormatInt("Skipped %d names that cannot be opened: ", static_cast<std::int64_t>(skipped.size()));
  for (std::size_t i = 0; i < skipped.size() && i < kShown; ++i) {
    std::string shown = skipped[i];
    for (char& c : shown) c = static_cast<unsigned char>(c) < 32 ? '?' : c;  // one pane line each
    line += (i ? ", " : "") + shown;
  }
  if (skipped.size() > kShown) line += ", ...";
  return line;
}

void DeleteFolderTree(System& system, const std::string& folder) {
  if (IsEmptyOrDriveRoot(folder)) return;
  system.DeleteTree(folder);
}

std::size_t CountFiles(System& system, const std::string& folder) {
  std::size_t files = 0;
  for (const DirEntry& entry : system.ListEntries(folder + "*"))
    if (!entry.isFolder) ++files;
  return files;
}

namespace {

std::size_t FilesBelow(System& system, const std::string& folder, int depth) {
  std::size_t files = 0;
  for (const DirEntry& entry : system.ListEntries(folder + "*")) {
    if (!entry.isFolder)
      ++files;
    else if (!entry.isLink && depth < 64)
      files += FilesBelow(system, folder + entry.name + "\\", depth + 1);
  }
  return files;
}

}  // namespace

FolderContent CountContent(System& system, const std::string& folder) {
  FolderContent content;
  for (const DirEntry& entry : system.ListEntries(folder + "*")) {
    if (!entry.isFolder) {
      ++content.files;
      continue;
    }
    ++content.folders;
    if (!entry.isLink) content.filesInFolders += FilesBelow(system, folder + entry.name + "\\", 1);
  }
  return content;
}

bool CreateFolder(System& system, const std::string& folder) { return system.CreateFolder(folder); }

std::string DesktopFolder(System& system) {
  return IncludeBackslash(system.GetEnv("USERPROFILE") + "\\DeskTop");
}

std::string ProgramFolder(const std::string& executablePath) {
  std::size_t cut = executablePath.find_last_of("\\:");
  std::string folder = cut == std::string::npos ? std::string() : executablePath.substr(0, cut + 1);
  return IncludeBackslash(folder);
}

std::string IncludeBackslash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path;
  return path + '\\';
}

std::string StripExtension(const std::string& name) {
  std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return name;
  return name.substr(0, dot);
}

std::string NoOpenerMessage(const std::string& path, bool folder) {
  std::string kind = "folders";
  if (!folder) {
    const std::size_t cut = path.find_last_of("\\/:");
    const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    const std::size_t dot = name.rfind('.');
    kind = "documents";
    if (dot != std::string::npos && dot + 1 < name.size()) {
      std::string extension = name.substr(dot + 1);
      for (char& c : extension) c = UpperLetter(c);
      kind = extension + " " + kind;
    }
  }
  return "No program is set up to open " + kind + ": " + path;
}

void OpenWithAssociatedProgram(Platform platform, const std::string& path) {
  if (!platform.ui.OpenDocument(path))
    ShowError(platform.ui, NoOpenerMessage(path, platform.system.FolderExists(path)));
}

void OpenExistingDocument(Platform platform, const std::string& path) {
  if (platform.system.FileExists(path)) {
    OpenWithAssociatedProgram(platform, path);
  } else {
    ShowError(platform.ui, "Die Datei " + path + " konnte nicht gefunden werden!");
  }
}

std::string CurrentYearText(System& system) { return FormatInt("%d", system.CurrentYear()); }

}  // namespace varnel
