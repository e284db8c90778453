#include "batch/table.hpp"

#include <cmath>

#include "util/format.hpp"

namespace varnel {

namespace {

// "%<width>s;" applied to the cell.
std::string TextCell(std::string_view cell, int width) {
  return Format("%" + std::to_string(width) + "s;", {cell});
}

}  // namespace

// The data-cell patterns below spell out the cell width.
static_assert(kCellWidth == 9, "data-cell patterns assume nine-character cells");

std::string TableHeadingLine(std::initializer_list<std::string_view> cells) {
  std::string line = "//";
  bool first = true;
  for (std::string_view cell : cells) {
    line += TextCell(cell, first ? kHeadingFirstCellWidth : kCellWidth);
    first = false;
  }
  return line;
}

TableDataLine& TableDataLine::Integer(std::int64_t value) {
  return Cell(FormatInt("%9d;", value), static_cast<double>(value));
}

TableDataLine& TableDataLine::Fixed3(double value) { return Cell(FormatReal("%9.3f;", value), value); }

TableDataLine& TableDataLine::General3(double value) { return Cell(FormatReal("%9.3g;", value), value); }

TableDataLine& TableDataLine::Cell(const std::string& text, double value) {
  undefined_ = undefined_ || std::isnan(value);
  text_ += text;
  values_.push_back(value);
  return *this;
}

}  // namespace varnel
