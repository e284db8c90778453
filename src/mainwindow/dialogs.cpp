// The point and range dialogs. Each value is stored as soon as its field converts, so a Done
// that fails half-way leaves the earlier values changed in the dialog; the caller takes them
// only when a Done has closed it. A field the user left as shown is not converted: its
// two-digit display would round the value.
#include "mainwindow/dialogs.hpp"

#include <cstddef>
#include <string>

#include "util/errors.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"

namespace varnel {

namespace {

constexpr const char* kConversionWarning = "String to Float conversion Error! Try again!";

std::string FieldPrefill(double value) { return FormatReal("%2.1g", value); }

// The edited text of field index; a binding that hands back fewer texts than fields leaves
// the missing ones empty, which fails to convert like any other bad entry.
std::string FieldText(const std::vector<std::string>& texts, std::size_t index) {
  return index < texts.size() ? texts[index] : std::string();
}

// Converts the fields in order into the targets, storing each value at once; a field still
// holding its shown text keeps its target as it is. On the first failure shows the warning
// and returns false; the values before it stay stored.
bool ConvertFields(UserInterface& ui, const std::vector<std::string>& texts,
                   const std::vector<std::string>& shown, std::initializer_list<double*> targets) {
  std::size_t index = 0;
  for (double* target : targets) {
    try {
      const std::string text = FieldText(texts, index);
      if (index >= shown.size() || text != shown[index]) *target = TextToReal(text);
    } catch (const ConversionError&) {
      ShowWarning(ui, kConversionWarning);
      return false;
    }
    ++index;
  }
  return true;
}

// The largest number of values a range may hold: more would exhaust memory long before the
// list is of any use.
constexpr double kMaxRangeValues = 1000000.0;

// True when FillRange(start, stop, step) ends after a sensible number of values: the step
// must move the running value at both ends of the range (a step below the resolution of a
// large start would never reach stop) and the count must stay bounded.
bool RangeTerminates(double start, double stop, double step) {
  if (start + step == start || stop + step == stop) return false;
  double count = (stop - start) / step;
  return !(count > kMaxRangeValues);
}

}  // namespace

void TFormP2dDlg::Shown() { shownTexts_ = fieldTexts = {FieldPrefill(x), FieldPrefill(y)}; }

bool TFormP2dDlg::DonePressed() { return done = ConvertFields(ui_, fieldTexts, shownTexts_, {&x, &y}); }

void TFormP3dDlg::Shown() { shownTexts_ = fieldTexts = {FieldPrefill(x), FieldPrefill(y), FieldPrefill(z)}; }

bool TFormP3dDlg::DonePressed() { return done = ConvertFields(ui_, fieldTexts, shownTexts_, {&x, &y, &z}); }

void TFormParaDlg::Shown() {
  shownTexts_ = fieldTexts = {FieldPrefill(start), FieldPrefill(stop), FieldPrefill(step)};
}

bool TFormParaDlg::DonePressed() {
  if (!ConvertFields(ui_, fieldTexts, shownTexts_, {&start, &stop, &step})) return false;
  // FillRange advances by step until it passes stop; a step of zero or below, or one too
  // small for the range, would never get there.
  if (!(step > 0)) {
    ShowWarning(ui_, "The step must be greater than zero. Try again!");
    return false;
  }
  if (!RangeTerminates(start, stop, step)) {
    ShowWarning(ui_, "The step is too small for this range. Try again!");
    return false;
  }
  FillRange(range, start, stop, step);
  return done = true;
}

}  // namespace varnel
