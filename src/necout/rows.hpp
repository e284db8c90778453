#pragma once
// The rows of one near-field table read on one thread, as ReadNearField and ReadNearFieldRows
// take them (the contract is in reader.hpp): what the part reading (parts.cpp), the fixed-column
// path (fixed_rows.hpp) and the sections of a print (reader.cpp) share of it. The row loop
// itself is in rows.cpp. A row is looked at in place, no line copied, and the common number
// form is converted without building a string; anything unusual goes through TextToReal on the
// field's replaced text, so results and failure messages are those of field-by-field reading.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

#include "necout/model.hpp"
#include "necout/reader.hpp"
#include "util/text.hpp"

namespace varnel::rows_detail {

inline constexpr std::size_t kFieldsPerRow = 9;

// A NEC2 field converted the way the reader converts it: '.' becomes DecimalSeparator, then
// TextToReal.
double FieldToReal(std::string_view field);

// The row trimmed of bytes 0..32 on both sides.
std::string_view TrimRow(std::string_view row);

// Converts the near-field fields of one call. The plain path is taken only for the separators
// '.' and ','; with any other separator every field goes through TextToReal.
class FieldConverter {
 public:
  FieldConverter();
  // Sets marked for a field the engine marks "NaN".
  double Convert(std::string_view field, bool ezMagnitude, bool& marked) const;
  char Separator() const { return separator_; }
  bool Plain() const { return plain_; }

 private:
  char separator_;
  bool plain_;
};

// A phase NEC2 prints (two decimals within [-180, 180]) is also given to the ellipse as its
// count of hundredths k, so that its angle is looked up without converting the text: such a
// text reads as the double nearest to k / 100, the very double the phase table is keyed on.
inline constexpr int kNoHundredths = 1 << 30;

// k when the number mantissa * 10^exponent (all digits in the mantissa) is k / 100 with
// |k| <= 18000 (-0 excluded: its angle has a sign of its own); kNoHundredths otherwise.
inline int Hundredths(bool negative, std::uint64_t mantissa, long long exponent) {
  if (exponent < -2 || exponent > 0 || mantissa > 18000) return kNoHundredths;
  std::uint64_t k = mantissa;
  if (exponent == -1)
    k *= 10;
  else if (exponent == 0)
    k *= 100;
  if (k > 18000 || (k == 0 && negative)) return kNoHundredths;
  return negative ? -static_cast<int>(k) : static_cast<int>(k);
}

// How a run of rows ended: the start of the row after the last one read, whether the table
// ended there (a short row, the end of the text, the most rows, or a failing row), and the
// failing row's error.
struct RowRun {
  std::size_t next = 0;
  bool ended = true;
  std::exception_ptr failure;
  std::size_t rows = 0;  // the rows put
};

// Where the rows of a run go, the sinks of RowReader::Read: appended to a table's lists (up to
// MaxNearFieldRows rows in all), or written into them from a given row on, up to a given row,
// the lists being that long already (RowsInPlace).
class AppendedRows {
 public:
  explicit AppendedRows(NearFieldTable& table) : table_(table) {}
  std::size_t Room() const { return MaxNearFieldRows - std::min(MaxNearFieldRows, table_.x.size()); }
  bool RoomEndsTable() const { return true; }  // whether the rows end with the room
  void Coordinates(double x, double y, double z) {
    table_.x.push_back(x);
    table_.y.push_back(y);
    table_.z.push_back(z);
  }
  void Value(double value) { table_.value.push_back(value); }

 private:
  NearFieldTable& table_;
};

class RowsInPlace {
 public:
  RowsInPlace(NearFieldTable& table, std::size_t first, std::size_t end)
      : x_(table.x.data() + first),
        y_(table.y.data() + first),
        z_(table.z.data() + first),
        value_(table.value.data() + first),
        room_(end - first),
        endsTable_(end >= MaxNearFieldRows) {}
  std::size_t Room() const { return room_; }
  bool RoomEndsTable() const { return endsTable_; }
  void Coordinates(double x, double y, double z) {
    *x_++ = x;
    *y_++ = y;
    *z_++ = z;
  }
  void Value(double value) { *value_++ = value; }

 private:
  double *x_, *y_, *z_, *value_;
  std::size_t room_;
  bool endsTable_;
};

// Reads the rows of one near-field table from given row starts; used by one thread or by
// several at once on different parts of the text.
class RowReader {
 public:
  // firstRow: where the first row's line begins (behind a line end); commas: a ',' in a row
  // counts as a blank. The rows end in the text's line end (LineEndOf).
  RowReader(std::string_view text, int polarization, std::size_t firstRow, bool commas = false);

  // Where the reading of the first row starts: the LF before it in a text of CR LF line ends,
  // so that the first row, too, is a row and its line end long; the row itself otherwise.
  std::size_t Start() const { return start_; }

  // The length of the first row with its line end: that of every row of the engine's layout.
  std::size_t Stride() const { return stride_; }
  const LineEnd& RowEnd() const { return lineEnd_; }
  // Whether the rows give values (polarisations 0 to 4).
  bool HasValues() const { return polarization_ >= 0 && polarization_ <= 4; }

  // Room in table for the rows that the text from one row start to another holds (more rows
  // still fit; the lists then grow).
  void Reserve(NearFieldTable& table, std::size_t from, std::size_t to) const;

  // Puts the rows that start at rowStart (zero-based) and after it into sink, up to the first
  // one that would start at or behind stop, the end of the table or a full sink. Made in
  // rows.cpp for the two sinks above.
  template <typename Rows>
  RowRun Read(std::size_t rowStart, std::size_t stop, Rows sink) const;

 private:
  template <bool Commas, typename Rows>
  RowRun ReadRows(std::size_t rowStart, std::size_t stop, Rows sink) const;

  std::string_view text_;
  int polarization_;
  bool wantPhases_;
  FieldConverter convert_;  // reads DecimalSeparator once, on the calling thread
  LineEnd lineEnd_;
  std::size_t start_;
  std::size_t stride_;
  std::size_t sweepable_;  // rows that begin before it have a line end behind them
  bool commas_;
};

extern template RowRun RowReader::Read<AppendedRows>(std::size_t, std::size_t, AppendedRows) const;
extern template RowRun RowReader::Read<RowsInPlace>(std::size_t, std::size_t, RowsInPlace) const;

}  // namespace varnel::rows_detail
