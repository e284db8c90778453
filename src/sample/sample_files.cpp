#include "sample/sample_files.hpp"

#include "sample_output.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

// A half-wave dipole for 14.2 MHz in free space with a grid of field points around it that holds
// the default point P (10|0|4), the line through A (10|0) and the plane y = 10.
constexpr const char* kDipoleDeck =
    "CM Half-wave dipole for 14.2 MHz in free space\r\n"
    "CM Vertical wire along Z, fed in the centre segment\r\n"
    "CE\r\n"
    "GW 1 21 0 0 -5.0 0 0 5.0 0.001\r\n"
    "GE 0\r\n"
    "EX 0 1 11 0 1 0\r\n"
    "FR 0 1 0 0 14.2 0\r\n"
    "NE 0 6 6 3 0 0 0 2 2 2\r\n"
    "EN\r\n";

constexpr const char* kRangeFile = "7,01\r\n14,2\r\n21\r\n";

std::string WithCrLf(const char* text) {
  std::string result;
  for (const char* p = text; *p; ++p) {
    if (*p == '\n') result += '\r';
    result += *p;
  }
  return result;
}

}  // namespace

std::string SampleDeckText() { return kDipoleDeck; }
std::string SampleRangeText() {
  std::string text = kRangeFile;
  for (char& c : text)
    if (c == ',') c = DecimalSeparator.load();
  return text;
}
std::string SampleOutputText() { return WithCrLf(kSampleOutput); }

}  // namespace varnel
