#pragma once
// The near-field table read literally step by step from the text helpers: keyword search, CR
// counting, CopyRange, TrimSet, six ReplaceText passes, '.' to the separator, SplitChar,
// TextToReal. The fast reader must give the same table bit for bit, or the same failure with the
// same rows kept; the equivalence test and the reader's fuzz harness hold it to that.
#include <cmath>
#include <limits>
#include <string>

#include "necout/model.hpp"
#include "necout/reader.hpp"
#include "util/errors.hpp"
#include "util/numbers.hpp"
#include "util/text.hpp"

namespace varnel {

// The keyword step by step: the first "NEAR" whose line (CR and LF end lines) is a near-field
// heading with blanks and dashes around it, a dash on each side; else the first "NEAR".
inline long long StepByStepNearKeyword(const std::string& text) {
  const long long first = static_cast<long long>(FindText("NEAR", text, 1, false));
  for (long long at = first; at != 0; at = static_cast<long long>(FindText("NEAR", text, at + 1, false))) {
    long long begin = at, end = at;
    while (begin > 1 && text[begin - 2] != '\r' && text[begin - 2] != '\n') --begin;
    while (end <= static_cast<long long>(text.size()) && text[end - 1] != '\r' && text[end - 1] != '\n')
      ++end;
    const std::string line = CopyRange(text, begin, end - 1);
    const std::size_t head = line.find_first_not_of(" -"), tail = line.find_last_not_of(" -");
    if (head != static_cast<std::size_t>(at - begin)) continue;
    const std::string heading = line.substr(head, tail - head + 1);
    const bool framed = line.substr(0, head).find('-') != std::string::npos &&
                        line.substr(tail + 1).find('-') != std::string::npos;
    const bool nearHeading = FindText("NEAR ELECTRIC FIELDS", heading, 1, false) == 1 ||
                             FindText("NEAR MAGNETIC FIELDS", heading, 1, false) == 1;
    if (framed && nearHeading && heading.size() == 20) return at;
  }
  return first;
}

// Where the step-by-step reading's rows begin: the line after the fifth CR from the keyword (the
// keyword's line and four lines below it); 0 when there is no fifth CR.
inline std::size_t StepByStepFirstRow(const std::string& text) {
  const std::size_t c = FindNthText("\r", text, 5, StepByStepNearKeyword(text), true);
  return c == 0 ? 0 : c + 1;  // c is one-based: the LF behind it is at c, the row at c + 1
}

// The reader's rows (ReadNearFieldRows) where the step-by-step reading puts them, with the
// table split as given, and its field type.
inline void ReadRowsInPartsAsStepByStep(const std::string& text, int pol, NearFieldTable& t,
                                        const TextParts& parts) {
  t = NearFieldTable{};
  t.fieldType = CopyRange(text, StepByStepNearKeyword(text) + 5, StepByStepNearKeyword(text) + 13);
  ReadNearFieldRows(text, StepByStepFirstRow(text), pol, t, parts);
}
inline void ReadRowsAsStepByStep(const std::string& text, int pol, NearFieldTable& t) {
  ReadRowsInPartsAsStepByStep(text, pol, t, TextParts::OfThisMachine());
}

// The reading step by step. Where the plain procedure is undefined (no fifth CR, a last row
// without a CR behind it, a row of fewer than nine fields) it does what the reader promises; a
// row the engine marks "NaN" has no value, and a total peak above 1000 is kept.
inline void StepByStepReadNearField(const std::string& text, int pol, NearFieldTable& t) {
  t = NearFieldTable{};
  const std::string cr = "\r";
  const long long b = StepByStepNearKeyword(text);
  t.fieldType = CopyRange(text, b + 5, b + 13);
  long long c = static_cast<long long>(FindNthText(cr, text, 5, b, true));
  if (c == 0) return;
  TextList rows;
  for (int pass = 0; pass < 128000; ++pass) {
    const long long d = static_cast<long long>(FindText(cr, text, c + 1, true));
    std::string line = CopyRange(text, c + 1, d - 1);
    TrimSet(line, ControlAndBlank());
    for (int i = 0; i < 6; ++i) line = ReplaceText("  ", " ", line, true);
    line = ReplaceText(".", std::string(1, DecimalSeparator), line, true);
    if (line.size() < 2) break;
    rows.push_back(line);
    if (d == 0) break;
    c = d + 1;
  }
  const double invSqrt2 = 1.0 / std::sqrt(2.0);
  for (const std::string& row : rows) {
    const TextList tokens = SplitChar(row, ' ');
    if (tokens.size() < 9) throw ConversionError("'" + row + "' ist kein g\xC3\xBCltiger Gleitkommawert");
    double v[9];
    bool marked = false;  // the engine could not compute the point
    for (int i = 0; i < 9; ++i) {
      marked = marked || tokens[i] == "NaN";
      if (i == 7 && tokens[7] == "NaN")
        v[i] = 0;
      else
        v[i] = tokens[i] == "NaN" ? 1000000 : TextToReal(tokens[i]);
    }
    const double mx = v[3], px = v[4], my = v[5], py = v[6], mz = v[7], pz = v[8];
    const double c3 = mx * mx * CosDeg(2 * px) + my * my * CosDeg(2 * py) + mz * mz * CosDeg(2 * pz);
    const double s3 = mx * mx * SinDeg(2 * px) + my * my * SinDeg(2 * py) + mz * mz * SinDeg(2 * pz);
    const double n3 = mx * mx + my * my + mz * mz;
    const double total = std::sqrt((std::sqrt(c3 * c3 + s3 * s3) + n3) * 0.5);
    const double c2 = mx * mx * CosDeg(2 * px) + my * my * CosDeg(2 * py);
    const double s2 = mx * mx * SinDeg(2 * px) + my * my * SinDeg(2 * py);
    const double n2 = mx * mx + my * my;
    const double horizontal = std::sqrt((std::sqrt(c2 * c2 + s2 * s2) + n2) * 0.5);
    t.x.push_back(v[0]);
    t.y.push_back(v[1]);
    t.z.push_back(v[2]);
    const double values[] = {total, mx, my, mz, horizontal};  // by polarisation
    if (pol >= 0 && pol <= 4)
      t.value.push_back(marked ? std::numeric_limits<double>::quiet_NaN() : values[pol] * invSqrt2);
  }
}

// A table read by reader, or the message with which it refused the text.
struct Outcome {
  NearFieldTable table;
  std::string failure;
};

template <typename Reader>
Outcome ReadOutcome(Reader read, const std::string& text, int polarization) {
  Outcome o;
  try {
    read(text, polarization, o.table);
  } catch (const ConversionError& e) {
    o.failure = e.what();
  }
  return o;
}

}  // namespace varnel
