#include "picture/table_plot.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "picture/axes.hpp"
#include "util/format.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  const std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// The cells of a line: the pieces before each ';' (a line without ';' is one cell).
std::vector<std::string_view> Cells(std::string_view line) {
  std::vector<std::string_view> cells;
  std::size_t start = 0;
  for (std::size_t end; (end = line.find(';', start)) != std::string_view::npos; start = end + 1)
    cells.push_back(line.substr(start, end - start));
  if (start < line.size() && !Trimmed(line.substr(start)).empty()) cells.push_back(line.substr(start));
  return cells;
}

double CellValue(std::string_view cell) {
  const std::string text = Trimmed(cell);
  if (text == "NAN") return kNaN;
  if (text == "INF") return std::numeric_limits<double>::infinity();
  if (text == "-INF") return -std::numeric_limits<double>::infinity();
  if (text.empty()) return kNaN;
  try {
    return TextToReal(text);
  } catch (...) {
    return kNaN;  // a hand-edited cell
  }
}

const Colour kPalette[] = {{31, 119, 180}, {214, 39, 40},   {44, 160, 44},   {255, 127, 14}, {148, 103, 189},
                           {140, 86, 75},  {227, 119, 194}, {127, 127, 127}, {188, 189, 34}, {23, 190, 207}};
Colour SeriesColour(std::size_t k) { return kPalette[k % std::size(kPalette)]; }

constexpr double kWidth = 900;
const Colour kInk{0, 0, 0};

Scene MessageScene(const std::string& title, const std::string& message) {
  Scene scene;
  scene.width = kWidth;
  scene.height = 300;
  scene.items.push_back(TextItem{kWidth / 2, 30, title, 16, TextAnchor::Middle, kInk, true});
  scene.items.push_back(
      RectItem{60, 60, kWidth - 120, 200, Colour{245, 245, 245}, Stroke{{150, 150, 150}, 1}});
  scene.items.push_back(TextItem{kWidth / 2, 165, message, 20, TextAnchor::Middle, {150, 0, 0}, true});
  return scene;
}

std::size_t Finite(const RealList& values) {
  return static_cast<std::size_t>(
      std::count_if(values.begin(), values.end(), [](double v) { return std::isfinite(v); }));
}

struct Series {
  std::string name;
  std::vector<Point2D> points;  // sorted by x
  std::size_t leftOut = 0;
  bool steps = false;  // a CDF: drawn as steps
};

// One panel: axes over the series' range, the lines, and the legend beside or inside. The
// first `marked` entries of the legend name series k and carry its colour; the others are text.
void Panel(Scene& scene, double left, double top, double width, double height, const std::string& title,
           const std::string& xTitle, const std::string& yTitle, const std::vector<Series>& series,
           const std::vector<std::string>& legend, std::size_t marked, double legendLeft, bool fixedY01) {
  double xMin = std::numeric_limits<double>::infinity(), xMax = -xMin, yMin = xMin, yMax = -xMin;
  for (const Series& s : series)
    for (const Point2D& p : s.points) {
      xMin = std::min(xMin, p.x);
      xMax = std::max(xMax, p.x);
      yMin = std::min(yMin, p.y);
      yMax = std::max(yMax, p.y);
    }
  PlotFrame frame{
      left, top, width, height, RangeOf(xMin, xMax), fixedY01 ? AxisRange{0, 1} : RangeOf(yMin, yMax)};
  scene.items.push_back(TextItem{left + width / 2, top - 8, title, 13, TextAnchor::Middle, kInk, true});
  DrawAxes(scene, frame, xTitle, yTitle, true);
  for (std::size_t k = 0; k < series.size(); ++k) {
    const Series& s = series[k];
    const Stroke stroke{SeriesColour(k), 1.8};
    PolylineItem line{{}, stroke};
    for (std::size_t i = 0; i < s.points.size(); ++i) {
      const Point2D& p = s.points[i];
      if (s.steps) {
        // F jumps at each value: from the previous level up to this one.
        const double before = i == 0 ? 0 : s.points[i - 1].y;
        if (i == 0) line.points.push_back({frame.X(frame.x.low), frame.Y(0)});
        line.points.push_back({frame.X(p.x), frame.Y(before)});
      }
      line.points.push_back({frame.X(p.x), frame.Y(p.y)});
    }
    if (s.steps && !s.points.empty()) line.points.push_back({frame.X(frame.x.high), frame.Y(1)});
    scene.items.push_back(line);
    if (!s.steps && s.points.size() <= 200)
      for (const Point2D& p : s.points)
        scene.items.push_back(CircleItem{frame.X(p.x), frame.Y(p.y), 2.5, SeriesColour(k), std::nullopt});
  }
  // An entry may run over several lines ('\n'); the first carries the series' colour.
  double y = top + 14;
  for (std::size_t k = 0; k < legend.size(); ++k) {
    const bool mark = k < marked;
    if (mark)
      scene.items.push_back(
          LineItem{legendLeft, y - 4, legendLeft + 18, y - 4, Stroke{SeriesColour(k), 2.5}});
    std::size_t start = 0;
    for (std::size_t end; start <= legend[k].size(); start = end + 1) {
      end = std::min(legend[k].find('\n', start), legend[k].size());
      scene.items.push_back(TextItem{legendLeft + (mark ? 24 : 0), y, legend[k].substr(start, end - start),
                                     11, TextAnchor::Start, kInk});
      y += 14;
    }
    y += 3;
  }
}

// The table's notes as one unmarked legend entry, a line each.
void AddNotes(std::vector<std::string>& legend, const DataTable& table) {
  if (table.notes.empty()) return;
  std::string entry;
  for (const std::string& note : table.notes) entry += (entry.empty() ? "" : "\n") + note;
  legend.push_back(entry);
}

std::string LeftOutText(std::size_t count) {
  return count ? FormatInt(" (%d left out)", static_cast<std::int64_t>(count)) : "";
}

Scene LinePlots(const DataTable& table) {
  const int xColumn = ColumnIndex(table, "Freq");
  RealList x(table.rows);
  for (std::size_t r = 0; r < table.rows; ++r)
    x[r] = xColumn >= 0 ? table.columns[xColumn].values[r] : double(r + 1);
  const std::string xTitle =
      xColumn >= 0
          ? "Freq (" +
                (table.columns[xColumn].unit.empty() ? std::string("MHz") : table.columns[xColumn].unit) + ")"
          : "Row";

  // Columns that share a unit share a panel, in the order of their first column.
  struct Group {
    std::string unit;
    std::vector<std::size_t> columns;
  };
  std::vector<Group> groups;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (static_cast<int>(c) == xColumn || Finite(table.columns[c].values) == 0) continue;
    auto it = std::find_if(groups.begin(), groups.end(),
                           [&](const Group& g) { return g.unit == table.columns[c].unit; });
    if (it == groups.end())
      groups.push_back({table.columns[c].unit, {c}});
    else
      it->columns.push_back(c);
  }
  if (groups.empty()) return MessageScene("Data table", "No numeric column to plot");

  Scene scene;
  scene.width = kWidth;
  const double panelWidth = 330, panelHeight = 190, rowHeight = 270;
  const std::size_t rowsOfPanels = (groups.size() + 1) / 2;
  scene.height = 50 + rowHeight * static_cast<double>(rowsOfPanels);
  scene.items.push_back(
      TextItem{kWidth / 2, 28, "Data table against " + xTitle, 16, TextAnchor::Middle, kInk, true});
  for (std::size_t g = 0; g < groups.size(); ++g) {
    std::vector<Series> series;
    std::vector<std::string> legend;
    std::string title;
    for (std::size_t c : groups[g].columns) {
      Series s{table.columns[c].heading, {}, 0, false};
      for (std::size_t r = 0; r < table.rows; ++r) {
        const double y = table.columns[c].values[r];
        if (std::isfinite(x[r]) && std::isfinite(y))
          s.points.push_back({x[r], y});
        else
          ++s.leftOut;
      }
      std::stable_sort(s.points.begin(), s.points.end(),
                       [](const Point2D& a, const Point2D& b) { return a.x < b.x; });
      title += (title.empty() ? "" : ", ") + s.name;
      legend.push_back(s.name + LeftOutText(s.leftOut));
      series.push_back(std::move(s));
    }
    const std::size_t marked = legend.size();
    AddNotes(legend, table);
    const double left = 80 + static_cast<double>(g % 2) * 440,
                 top = 80 + static_cast<double>(g / 2) * rowHeight;
    const std::string unit = groups[g].unit.empty() ? "" : " (" + groups[g].unit + ")";
    Panel(scene, left, top, panelWidth, panelHeight, title + unit, xTitle, groups[g].unit, series, legend,
          marked, left + panelWidth - 110, false);
  }
  return scene;
}

Scene CdfPlots(const DataTable& table) {
  const std::vector<FrequencyDistributions> all = EutDistributions(table);
  std::size_t values = 0;
  for (const FrequencyDistributions& f : all)
    values += f.cylinder.sorted.size() + f.circle.sorted.size() + f.point.sorted.size();
  if (values == 0) return MessageScene("EUT table", "No numeric column to plot");
  const int freqColumn = ColumnIndex(table, "Freq");
  std::size_t noFrequency = 0;
  if (freqColumn >= 0) noFrequency = table.rows - Finite(table.columns[freqColumn].values);

  Scene scene;
  scene.width = kWidth;
  const double panelHeight = 200, rowHeight = 280;
  scene.height = 60 + 3 * rowHeight;
  scene.items.push_back(
      TextItem{kWidth / 2, 28,
               FormatInt("EUT table: distributions over %d rows", static_cast<std::int64_t>(table.rows)), 16,
               TextAnchor::Middle, kInk, true});
  if (noFrequency)
    scene.items.push_back(
        TextItem{kWidth / 2, 46,
                 FormatInt("%d rows without a frequency left out", static_cast<std::int64_t>(noFrequency)),
                 11, TextAnchor::Middle, kInk});
  const char* headings[] = {"Cyl.", "Cir", "Point"};
  constexpr std::size_t kLegendFrequencies = 10;
  for (int q = 0; q < 3; ++q) {
    std::vector<Series> series;
    std::vector<std::string> legend;
    for (std::size_t k = 0; k < all.size(); ++k) {
      const Distribution& d = q == 0 ? all[k].cylinder : q == 1 ? all[k].circle : all[k].point;
      Series s{"", {}, d.leftOut, true};
      const double n = static_cast<double>(d.sorted.size());
      for (std::size_t i = 0; i < d.sorted.size(); ++i)
        s.points.push_back({d.sorted[i], static_cast<double>(i + 1) / n});
      if (k < kLegendFrequencies) {
        legend.push_back(FormatReal("%1.4g MHz", all[k].frequency) +
                         FormatInt(", n %d", static_cast<std::int64_t>(d.sorted.size())) +
                         LeftOutText(d.leftOut) + "\n" +
                         (d.sorted.empty() ? std::string("no value")
                                           : "mean " + ValueLabel(d.mean) + ", 95 % " + ValueLabel(d.p95) +
                                                 ", max " + ValueLabel(d.maximum)));
      }
      series.push_back(std::move(s));
    }
    const std::size_t marked = legend.size();
    if (all.size() > kLegendFrequencies)
      legend.push_back(FormatInt("... and %d more frequencies",
                                 static_cast<std::int64_t>(all.size() - kLegendFrequencies)));
    AddNotes(legend, table);
    const int column = ColumnIndex(table, headings[q]);
    const std::string unit =
        column >= 0 && !table.columns[column].unit.empty() ? " (" + table.columns[column].unit + ")" : "";
    const double top = 80 + q * rowHeight;
    Panel(scene, 80, top, 420, panelHeight, std::string("CDF of ") + headings[q] + " per frequency",
          headings[q] + unit, "F", series, legend, marked, 530, true);
    // The 95 % level.
    PlotFrame frame{80, top, 420, panelHeight, {0, 1}, {0, 1}};
    scene.items.push_back(LineItem{80, frame.Y(0.95), 500, frame.Y(0.95), Stroke{{120, 120, 120}, 1, true}});
    scene.items.push_back(
        TextItem{496, frame.Y(0.95) - 3, FormatReal("%1.2f", 0.95), 10, TextAnchor::End, {120, 120, 120}});
  }
  return scene;
}

// The headings of lines into table: the first "//" line holding ';' and two cells or more names
// the columns, the next such line gives their units; other "//" lines (the mode line) are
// passed over. Every other line that is not blank is a row of cells, read as numbers.
void ReadLines(const std::vector<std::string>& lines, DataTable& table, std::vector<RealList>& rows) {
  bool named = false, unitsRead = false;
  for (const std::string& line : lines) {
    if (line.rfind("//", 0) == 0) {
      const std::vector<std::string_view> cells = Cells(std::string_view(line).substr(2));
      if (cells.size() < 2 || line.find(';') == std::string::npos) continue;  // the mode line
      if (!named) {
        for (std::string_view cell : cells) table.columns.push_back({Trimmed(cell), "", {}});
        named = true;
      } else if (!unitsRead) {
        for (std::size_t c = 0; c < cells.size() && c < table.columns.size(); ++c)
          table.columns[c].unit = Trimmed(cells[c]);
        unitsRead = true;
      }
      continue;
    }
    if (Trimmed(line).empty()) continue;
    RealList& row = rows.emplace_back();
    for (std::string_view cell : Cells(line)) row.push_back(CellValue(cell));
  }
}

// The rows into the columns of table; a row wider than the headings adds unnamed columns.
void TakeRows(DataTable& table, const std::vector<RealList>& rows) {
  std::size_t width = table.columns.size();
  for (const RealList& row : rows) width = std::max(width, row.size());
  for (std::size_t c = table.columns.size(); c < width; ++c)
    table.columns.push_back({FormatInt("Column %d", static_cast<std::int64_t>(c + 1)), "", {}});
  for (DataColumn& column : table.columns) {
    column.heading = CleanText(column.heading);
    column.unit = CleanText(column.unit);
    column.values.reserve(rows.size());
  }
  for (const RealList& row : rows)
    for (std::size_t c = 0; c < table.columns.size(); ++c)
      table.columns[c].values.push_back(c < row.size() ? row[c] : kNaN);
  table.rows = rows.size();
}

}  // namespace

// A line that is text only (a hand-written note) is a row without numbers.
DataTable ReadDataTable(const std::vector<std::string>& lines) {
  DataTable table;
  std::vector<RealList> rows;
  ReadLines(lines, table, rows);
  TakeRows(table, rows);
  return table;
}

DataTable DataTableOf(const std::vector<std::string>& headingLines, const std::vector<RealList>& rows,
                      std::vector<std::string> notes) {
  DataTable table;
  std::vector<RealList> headingRows;  // none: the lines are headings
  ReadLines(headingLines, table, headingRows);
  TakeRows(table, rows);
  table.notes = std::move(notes);
  return table;
}

int ColumnIndex(const DataTable& table, const std::string& heading) {
  for (std::size_t c = 0; c < table.columns.size(); ++c)
    if (EqualNoCase(table.columns[c].heading, heading)) return static_cast<int>(c);
  return -1;
}

bool IsEutTable(const DataTable& table) {
  return ColumnIndex(table, "Cyl.") >= 0 && ColumnIndex(table, "Cir") >= 0 &&
         ColumnIndex(table, "Point") >= 0;
}

Distribution DistributionOf(const RealList& values) {
  Distribution d;
  for (double v : values) {
    if (std::isfinite(v))
      d.sorted.push_back(v);
    else
      ++d.leftOut;
  }
  std::sort(d.sorted.begin(), d.sorted.end());
  const std::size_t n = d.sorted.size();
  if (n == 0) {
    d.mean = d.maximum = d.p95 = kNaN;
    return d;
  }
  double sum = 0;
  for (double v : d.sorted) sum += v;
  d.mean = sum / static_cast<double>(n);
  d.maximum = d.sorted.back();
  d.p95 = d.sorted[(95 * n + 99) / 100 - 1];
  return d;
}

std::vector<FrequencyDistributions> EutDistributions(const DataTable& table) {
  std::vector<FrequencyDistributions> result;
  const int f = ColumnIndex(table, "Freq");
  const int columns[] = {ColumnIndex(table, "Cyl."), ColumnIndex(table, "Cir"), ColumnIndex(table, "Point")};
  if (f < 0) return result;
  std::vector<double> frequencies;
  std::vector<std::array<RealList, 3>> samples;
  for (std::size_t r = 0; r < table.rows; ++r) {
    const double frequency = table.columns[f].values[r];
    if (!std::isfinite(frequency)) continue;
    auto it = std::find(frequencies.begin(), frequencies.end(), frequency);
    if (it == frequencies.end()) {
      frequencies.push_back(frequency);
      samples.emplace_back();
      it = frequencies.end() - 1;
    }
    auto& sample = samples[static_cast<std::size_t>(it - frequencies.begin())];
    for (int q = 0; q < 3; ++q)
      sample[q].push_back(columns[q] >= 0 ? table.columns[columns[q]].values[r] : kNaN);
  }
  for (std::size_t k = 0; k < frequencies.size(); ++k)
    result.push_back({frequencies[k], DistributionOf(samples[k][0]), DistributionOf(samples[k][1]),
                      DistributionOf(samples[k][2])});
  return result;
}

Scene TablePlotScene(const DataTable& table) {
  if (table.rows == 0) return MessageScene("Data table", "No table in the Data pane");
  return IsEutTable(table) ? CdfPlots(table) : LinePlots(table);
}

Scene TablePlotScene(const std::vector<std::string>& lines) { return TablePlotScene(ReadDataTable(lines)); }

}  // namespace varnel
