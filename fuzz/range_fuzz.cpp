// The range reader on any file, under ',', '.' and an odd separator: the values and warnings
// must be those of the file's lines (LF or CR LF ends a line, a lone CR is dropped, byte 26
// ends the file, a final line end adds no line), each line converted with either decimal mark.
#include <cstdint>
#include <sstream>
#include <string>

#include "common.hpp"
#include "necout/range.hpp"
#include "platform/posix/posix_system.hpp"
#include "platform/scripted/scripted_ui.hpp"
#include "util/errors.hpp"
#include "util/numbers.hpp"

using namespace varnel;

namespace {

// One file, held in memory: no file system is touched.
class OneFileSystem : public PosixSystem {
 public:
  explicit OneFileSystem(std::string bytes)
      : PosixSystem(PosixRoots{"/nonexistent/drive_c", "/nonexistent/home"}), bytes_(std::move(bytes)) {}
  bool FileExists(const std::string&) override { return true; }
  std::string ReadFile(const std::string&) override { return bytes_; }

 private:
  std::string bytes_;
};

std::vector<std::string> Lines(const std::string& bytes) {
  const std::string text = bytes.substr(0, bytes.find('\x1a'));
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\n')
      lines.emplace_back();
    else if (c != '\r')
      lines.back() += c;
  }
  if (lines.size() > 1 && !text.empty() && text.back() == '\n') lines.pop_back();
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (char separator : SeparatorsFor(bytes)) {
    Separator scope(separator);
    std::ostringstream out;
    OneFileSystem system(bytes);
    ScriptedUi ui(out, system);
    RealList values{99};
    loadRange({system, ui}, "c:\\r.txt", values);

    RealList expected;
    std::size_t warnings = 0;
    for (const std::string& line : Lines(bytes)) {
      try {
        expected.push_back(TextToRealEitherMark(line));
      } catch (const ConversionError&) {
        ++warnings;
      }
    }
    if (values.size() != expected.size() ||
        (!values.empty() && std::memcmp(values.data(), expected.data(), values.size() * sizeof(double)) != 0))
      Finding("range values differ from the lines' values (" + std::to_string(values.size()) + " read, " +
              std::to_string(expected.size()) + " expected)");
    if (ui.messages.size() != warnings)
      Finding(std::to_string(ui.messages.size()) + " messages for " + std::to_string(warnings) +
              " bad lines");
  }
  return 0;
}
