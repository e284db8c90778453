// The pictures on any input: the bytes as a Data pane (lines at LF) and as a near-field table
// (eight bytes a number, NaN and infinities included). Neither may fail; the SVG must be one
// well-formed-looking document of valid UTF-8 without control characters but line ends, and
// the field map's counts must agree with its cells.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common.hpp"
#include "picture/field_map.hpp"
#include "picture/table_plot.hpp"

using namespace varnel;

namespace {

void CheckSvg(const std::string& svg, const char* what) {
  if (svg.rfind("<?xml", 0) != 0 || svg.size() < 7 || svg.compare(svg.size() - 7, 7, "</svg>\n") != 0)
    Finding(std::string(what) + ": not one SVG document");
  std::string withoutLineEnds;
  for (char c : svg)
    if (c != '\n') withoutLineEnds += c;
  if (CleanText(withoutLineEnds) != withoutLineEnds) Finding(std::string(what) + ": invalid UTF-8 or a control character");
}

void Pane(const std::string& input) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = input.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(input.substr(start, end - start));
  lines.push_back(input.substr(start));
  const DataTable table = ReadDataTable(lines);
  for (const DataColumn& column : table.columns)
    if (column.values.size() != table.rows) Finding("a column without a value for every row");
  for (const FrequencyDistributions& f : EutDistributions(table))
    for (const Distribution* d : {&f.cylinder, &f.circle, &f.point})
      if (!d->sorted.empty() && !(d->p95 <= d->maximum && d->sorted.front() <= d->p95)) Finding("95 % value outside the sample");
  CheckSvg(SvgText(TablePlotScene(lines)), "table plot");
}

void Map(const std::string& input) {
  NearFieldTable table;
  table.fieldType = input.empty() || input[0] & 1 ? "ELECTRIC " : "MAGNETIC ";
  for (std::size_t at = 1; at + 32 <= input.size() && table.value.size() < 64; at += 32) {
    double v[4];
    std::memcpy(v, input.data() + at, sizeof v);
    table.x.push_back(v[0]);
    table.y.push_back(v[1]);
    table.z.push_back(v[2]);
    table.value.push_back(v[3]);
  }
  for (int plane = 0; plane < 3; ++plane) {
    FieldMapChoice choice;
    choice.plane = static_cast<MapPlane>(plane);
    choice.scale = plane == 1 ? MapScale::Decibel : MapScale::Linear;
    const FieldMap map = ComputeFieldMap(table, choice, Point3D{0, 0, 0});
    if (map.cells.size() != map.u.size() * map.v.size()) Finding("cells do not match the coordinates");
    if (map.leftOut > map.points) Finding("more values left out than points");
    const Scene scene = FieldMapScene(map, MapMarks{}, "Total");
    CheckSvg(SvgText(scene), "field map");
    for (double x = 0; x <= kMapWidth; x += 97)
      for (double y = 0; y <= kMapHeight; y += 89) ProbeFieldMap(map, x, y);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (char separator : SeparatorsFor(input)) {
    Separator guard(separator);
    Pane(input);
  }
  Map(input);
  return 0;
}
