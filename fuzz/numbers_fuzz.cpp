// TextToReal and TextToInt on any text, under ',', '.' and an odd separator. The result is
// checked against the C library: a text of the accepted form must convert to what strtod /
// strtoll give, and any other text must be refused.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <string>

#include "common.hpp"
#include "util/errors.hpp"
#include "util/messages.hpp"
#include "util/numbers.hpp"

using namespace varnel;

namespace {


bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The accepted real form, written out plainly; on success `plain` is the number in C form
// ("-12.5e-3", blanks dropped) and `anyDigit` tells whether the mantissa had a digit.
bool RealForm(std::string_view t, char separator, std::string& plain, bool& anyDigit) {
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  plain.clear();
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) plain += t[i++];
  anyDigit = false;
  bool point = false;
  std::size_t run = 0;
  for (; i < t.size(); ++i, ++run) {
    if (IsDigit(t[i])) {
      anyDigit = true;
      plain += t[i];
    } else if (t[i] == separator && !point) {
      point = true;
      plain += '.';
    } else {
      break;
    }
  }
  if (run == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) plain += t[i++];
    const std::size_t digits = i;
    while (i < t.size() && IsDigit(t[i])) plain += t[i++];
    if (i == digits) return false;
  }
  while (i < t.size() && t[i] == ' ') ++i;
  return i == t.size();
}

void CheckReal(std::string_view text, char separator) {
  Separator scope(separator);
  bool accepted = true;
  double value = 0;
  try {
    value = TextToReal(text);
  } catch (const ConversionError& error) {
    accepted = false;
    const std::string expected = "'" + std::string(text) + "' ist kein g\xC3\xBCltiger Gleitkommawert";
    // A failure's message shows control bytes visibly (a NUL as \\0), so it is never cut.
    if (error.what() != VisibleText(expected)) Finding("TextToReal message: " + std::string(error.what()));
  }
  // A separator that is also a digit, a sign, a blank or an exponent letter makes the form
  // ambiguous; any other character is held to the C library like ',' and '.'.
  if (IsDigit(separator) || std::string_view("+-eE ").find(separator) != std::string_view::npos) return;

  std::string plain;
  bool anyDigit = false;
  if (!RealForm(text, separator, plain, anyDigit)) {
    if (accepted) Finding("TextToReal accepted a text outside the form: '" + std::string(text) + "'");
    return;
  }
  double expected;
  if (!anyDigit) {
    expected = plain[0] == '-' ? -0.0 : 0.0;  // a run of only the separator reads as zero
  } else {
    errno = 0;
    char* end = nullptr;
    expected = std::strtod(plain.c_str(), &end);
    if (*end != '\0') Finding("the harness's form let through '" + plain + "'");
  }
  if (std::isinf(expected)) {
    if (accepted) Finding("TextToReal accepted a value beyond the double range: '" + std::string(text) + "'");
    return;
  }
  if (!accepted) Finding("TextToReal refused '" + std::string(text) + "'");
  if (!SameBits(value, expected))
    Finding("TextToReal('" + std::string(text) + "') = " + Shown(value) + ", strtod gives " + Shown(expected));
}

void CheckInt(std::string_view text) {
  bool accepted = true;
  std::int32_t value = 0;
  try {
    value = TextToInt(text);
  } catch (const ConversionError& error) {
    accepted = false;
    const std::string expected = "'" + std::string(text) + "' ist kein g\xC3\xBCltiger Integerwert";
    if (error.what() != VisibleText(expected)) Finding("TextToInt message: " + std::string(error.what()));
  }
  // The form: blanks, a sign, "$" or "0x" for hexadecimal, digits of the base, nothing after.
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (text.substr(i, 1) == "$") {
    base = 16;
    i += 1;
  } else if (text.substr(i, 2) == "0x" || text.substr(i, 2) == "0X") {
    base = 16;
    i += 2;
  }
  const std::string digits(text.substr(i));
  bool form = !digits.empty();
  for (char c : digits) form = form && (base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : IsDigit(c));
  long long expected = 0;
  if (form) {
    errno = 0;
    expected = std::strtoll(digits.c_str(), nullptr, base);
    if (errno == ERANGE) form = false;
    if (negative) expected = -expected;
    if (expected < INT32_MIN || expected > INT32_MAX) form = false;
  }
  if (form != accepted) Finding("TextToInt('" + std::string(text) + "') " + (accepted ? "accepted" : "refused"));
  if (accepted && value != expected)
    Finding("TextToInt('" + std::string(text) + "') = " + std::to_string(value) + ", expected " + std::to_string(expected));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (char separator : SeparatorsFor(text)) CheckReal(text, separator);
  CheckInt(text);
  return 0;
}
