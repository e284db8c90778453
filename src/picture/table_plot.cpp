#include "picture/table_plot.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

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
  bool steps = false;             // a CDF: drawn as steps
  std::optional<Point2D> marked;  // a point marked on the curve (the 95 % value)
};

// Where a panel goes: its box on the canvas (the frame, its labels and titles inside), the
// frame's height, and the legend right of the frame (legendWidth wide) or below the axes.
struct PanelBox {
  double left = 0, top = 0, width = 0, frameHeight = 200, legendWidth = 0;
};

constexpr double kLegendSize = 11, kLegendLine = 14;

// One panel: title, axes over the series' range, the lines, and the legend. The first `marked`
// entries of the legend name series k and carry its colour; the others are text. An entry may
// run over several lines ('\n'). Returns the bottom of what it drew.
double Panel(Scene& scene, const PanelBox& box, const std::string& title, const std::string& xTitle,
             const std::string& yTitle, const std::vector<Series>& series,
             const std::vector<std::string>& legend, std::size_t marked, bool fixedY01) {
  double xMin = std::numeric_limits<double>::infinity(), xMax = -xMin, yMin = xMin, yMax = -xMin;
  for (const Series& s : series)
    for (const Point2D& p : s.points) {
      xMin = std::min(xMin, p.x);
      xMax = std::max(xMax, p.x);
      yMin = std::min(yMin, p.y);
      yMax = std::max(yMax, p.y);
    }
  const AxisRange xRange = Padded(RangeOf(xMin, xMax)),
                  yRange = Padded(fixedY01 ? AxisRange{0, 1} : RangeOf(yMin, yMax));
  const double margin = AxesLeftMargin(yRange);
  const double legendRoom = box.legendWidth > 0 ? box.legendWidth + 20 : 0;
  PlotFrame frame{box.left + margin, box.top + 22, box.width - margin - legendRoom - 24,
                  box.frameHeight,   xRange,       yRange};
  scene.items.push_back(
      TextItem{frame.left + frame.width / 2, box.top + 12, title, 13, TextAnchor::Middle, kInk, true});
  DrawAxes(scene, frame, xTitle, yTitle, true);
  if (fixedY01) {  // the 95 % level of a distribution
    const Colour grey{120, 120, 120};
    const double y95 = frame.Y(0.95);
    scene.items.push_back(LineItem{frame.left, y95, frame.left + frame.width, y95, Stroke{grey, 1, true}});
    scene.items.push_back(TextItem{frame.left + frame.width - 4, y95 - 3, FormatReal("%1.2f", 0.95), 10,
                                   TextAnchor::End, grey});
  }
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
    if (s.marked)
      scene.items.push_back(
          CircleItem{frame.X(s.marked->x), frame.Y(s.marked->y), 4, SeriesColour(k), Stroke{kInk, 1.2}});
  }
  const bool right = box.legendWidth > 0;
  const double legendLeft = right ? frame.left + frame.width + 20 : frame.left;
  double y = right ? frame.top + 10 : frame.top + frame.height + 58;
  for (std::size_t k = 0; k < legend.size(); ++k) {
    const bool mark = k < marked;
    if (mark)
      scene.items.push_back(
          LineItem{legendLeft, y - 4, legendLeft + 18, y - 4, Stroke{SeriesColour(k), 2.5}});
    std::size_t start = 0;
    for (std::size_t end; start <= legend[k].size(); start = end + 1) {
      end = std::min(legend[k].find('\n', start), legend[k].size());
      scene.items.push_back(TextItem{legendLeft + (mark ? 24 : 0), y, legend[k].substr(start, end - start),
                                     kLegendSize, TextAnchor::Start, kInk});
      y += kLegendLine;
    }
    y += 3;
  }
  return std::max(frame.top + frame.height + 46, y);
}

// The table's notes as one unmarked legend entry, a line each.
void AddNotes(std::vector<std::string>& legend, const DataTable& table) {
  if (table.notes.empty()) return;
  std::string entry;
  for (const std::string& note : table.notes) entry += (entry.empty() ? "" : "\n") + note;
  legend.push_back(entry);
}

// The title of a picture of the table: the set's name, what is drawn, the frequency all rows
// share and the first note (the polarisation): "E_: distributions over 300 rows, 30 MHz
// (Polarization: Total)".
std::string TitleOf(const DataTable& table, const std::string& what) {
  std::string title = table.subject.empty() ? what : table.subject + ": " + what;
  const int f = ColumnIndex(table, "Freq");
  if (f >= 0 && table.rows > 0) {
    const RealList& values = table.columns[static_cast<std::size_t>(f)].values;
    if (std::isfinite(values[0]) &&
        std::all_of(values.begin(), values.end(), [&](double v) { return v == values[0]; }))
      title += ", " + FormatReal("%1.6g MHz", values[0]);
  }
  for (const std::string& note : table.notes)
    if (note.starts_with("Polarization")) return title + " (" + note + ")";
  return title;
}

std::string LeftOutText(std::size_t count) {
  return count ? FormatInt(" (%d left out)", static_cast<std::int64_t>(count)) : "";
}

std::string WithUnit(const std::string& name, const std::string& unit) {
  return unit.empty() ? name : name + " (" + unit + ")";
}

std::string DecibelText(double db) { return FormatReal("%1.2f", db); }

Scene LinePlots(const DataTable& table) {
  const int xColumn = ColumnIndex(table, "Freq");
  RealList x(table.rows);
  for (std::size_t r = 0; r < table.rows; ++r)
    x[r] = xColumn >= 0 ? table.columns[xColumn].values[r] : double(r + 1);
  const std::string xTitle = xColumn >= 0 ? WithUnit("Freq", ColumnUnit(table, xColumn)) : "Row";

  // Columns that share a unit share a panel, in the order of their first column.
  struct Group {
    std::string unit;
    std::vector<std::size_t> columns;
  };
  std::vector<Group> groups;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (static_cast<int>(c) == xColumn || Finite(table.columns[c].values) == 0) continue;
    const std::string unit = ColumnUnit(table, static_cast<int>(c));
    auto it = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.unit == unit; });
    if (it == groups.end())
      groups.push_back({unit, {c}});
    else
      it->columns.push_back(c);
  }
  if (groups.empty()) return MessageScene("Data table", "No numeric column to plot");

  Scene scene;
  scene.width = kWidth;
  scene.items.push_back(TextItem{kWidth / 2, 28, TitleOf(table, "Data table against " + xTitle), 16,
                                 TextAnchor::Middle, kInk, true});
  double rowTop = 50, rowBottom = rowTop;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    std::vector<Series> series;
    std::vector<std::string> legend;
    std::string title;
    for (std::size_t c : groups[g].columns) {
      Series s{table.columns[c].heading, {}, 0, false, std::nullopt};
      for (std::size_t r = 0; r < table.rows; ++r) {
        const double y = table.columns[c].values[r];
        if (std::isfinite(x[r]) && std::isfinite(y))
          s.points.push_back({x[r], y});
        else
          ++s.leftOut;
      }
      // Joined in the order of x (a folder's files need not come in frequency order).
      std::stable_sort(s.points.begin(), s.points.end(),
                       [](const Point2D& a, const Point2D& b) { return a.x < b.x; });
      title += (title.empty() ? "" : ", ") + s.name;
      legend.push_back(s.name + LeftOutText(s.leftOut));
      series.push_back(std::move(s));
    }
    const std::size_t marked = legend.size();
    AddNotes(legend, table);
    if (g % 2 == 0) rowTop = rowBottom;
    const PanelBox box{20 + static_cast<double>(g % 2) * (kWidth / 2), rowTop + 10, kWidth / 2 - 20, 190, 0};
    const std::string unit = groups[g].unit.empty() ? "" : " (" + groups[g].unit + ")";
    rowBottom = std::max(rowBottom, Panel(scene, box, title + unit, xTitle,
                                          groups[g].unit.empty() ? std::string("value") : groups[g].unit,
                                          series, legend, marked, false));
  }
  scene.height = rowBottom + 10;
  return scene;
}

// The ratio Cyl./Point in dB per frequency: its mean and 95 % value against the frequency.
double RatioPanel(Scene& scene, const std::vector<FrequencyDistributions>& all, double top) {
  Series mean{"mean", {}, 0, false, std::nullopt}, p95{"95 %", {}, 0, false, std::nullopt};
  std::vector<std::string> legend = {"mean", "95 %"};
  constexpr std::size_t kLegendFrequencies = 10;
  std::size_t shown = 0;
  for (const FrequencyDistributions& f : all) {
    const Distribution& d = f.ratioDb;
    if (d.sorted.empty()) continue;
    mean.points.push_back({f.frequency, d.mean});
    p95.points.push_back({f.frequency, d.p95});
    if (shown++ < kLegendFrequencies)
      legend.push_back(FormatReal("%1.4g MHz", f.frequency) +
                       FormatInt(": n %d", static_cast<std::int64_t>(d.sorted.size())) + ", mean " +
                       DecibelText(d.mean) + " dB, 95 % " + DecibelText(d.p95) + " dB");
  }
  if (mean.points.empty()) return top;
  if (shown > kLegendFrequencies)
    legend.push_back(
        FormatInt("... and %d more frequencies", static_cast<std::int64_t>(shown - kLegendFrequencies)));
  for (Series* s : {&mean, &p95})
    std::stable_sort(s->points.begin(), s->points.end(),
                     [](const Point2D& a, const Point2D& b) { return a.x < b.x; });
  const PanelBox box{20, top, kWidth - 20, 160, 330};
  return Panel(scene, box, "Ratio Cyl./Point (dB) per frequency", "Freq (MHz)", "dB", {mean, p95}, legend, 2,
               false) +
         10;
}

Scene CdfPlots(const DataTable& table, const TablePlotChoice& choice) {
  const std::vector<FrequencyDistributions> all = EutDistributions(table);
  std::size_t values = 0;
  for (const FrequencyDistributions& f : all)
    values += f.cylinder.sorted.size() + f.circle.sorted.size() + f.point.sorted.size();
  if (values == 0) return MessageScene("EUT table", "No numeric column to plot");
  const int freqColumn = ColumnIndex(table, "Freq");
  std::size_t noFrequency = 0;
  if (freqColumn >= 0) noFrequency = table.rows - Finite(table.columns[freqColumn].values);
  const bool db = choice.cdfAxis == CdfAxis::Decibel;

  Scene scene;
  scene.width = kWidth;
  scene.items.push_back(
      TextItem{kWidth / 2, 28,
               TitleOf(table, FormatInt(table.subject.empty() ? "EUT table: distributions over %d rows"
                                                              : "distributions over %d rows",
                                        static_cast<std::int64_t>(table.rows))),
               16, TextAnchor::Middle, kInk, true});
  if (noFrequency)
    scene.items.push_back(
        TextItem{kWidth / 2, 46,
                 FormatInt("%d rows without a frequency left out", static_cast<std::int64_t>(noFrequency)),
                 11, TextAnchor::Middle, kInk});
  const char* headings[] = {"Cyl.", "Cir", "Point"};
  constexpr std::size_t kLegendFrequencies = 10;
  double top = 60;
  for (int q = 0; q < 3; ++q) {
    const int column = ColumnIndex(table, headings[q]);
    const std::string unit = ColumnUnit(table, column);
    const std::string shownUnit = db ? DecibelUnit(unit) : unit;
    // In dB a value at or below zero has no place on the axis: it stands at the axis's low end.
    double lowest = std::numeric_limits<double>::infinity();
    if (db)
      for (const FrequencyDistributions& f : all) {
        const Distribution& d = q == 0 ? f.cylinder : q == 1 ? f.circle : f.point;
        for (double v : d.sorted)
          if (v > 0) lowest = std::min(lowest, Decibels(v));
      }
    if (!std::isfinite(lowest)) lowest = 0;
    std::vector<Series> series;
    std::vector<std::string> legend;
    for (std::size_t k = 0; k < all.size(); ++k) {
      const Distribution& d = q == 0 ? all[k].cylinder : q == 1 ? all[k].circle : all[k].point;
      Series s{"", {}, d.leftOut, true, std::nullopt};
      const std::size_t n = d.sorted.size();
      std::size_t notPositive = 0;
      auto onAxis = [&](double v) { return !db ? v : v > 0 ? Decibels(v) : lowest; };
      for (std::size_t i = 0; i < n; ++i) {
        if (!(d.sorted[i] > 0)) ++notPositive;
        s.points.push_back({onAxis(d.sorted[i]), static_cast<double>(i + 1) / static_cast<double>(n)});
      }
      if (n > 0) s.marked = Point2D{onAxis(d.p95), static_cast<double>(P95Rank(n)) / static_cast<double>(n)};
      if (k < kLegendFrequencies) {
        std::string entry = FormatReal("%1.4g MHz", all[k].frequency) +
                            FormatInt(", n %d", static_cast<std::int64_t>(n)) + LeftOutText(d.leftOut) +
                            "\n" +
                            (n == 0 ? std::string("no value")
                                    : "mean " + ValueLabel(d.mean) + ", 95 % " + ValueLabel(d.p95) +
                                          ", max " + ValueLabel(d.maximum));
        if (db && n > 0 && d.p95 > 0)
          entry += "\n95 % " + DecibelText(Decibels(d.p95)) + " " + shownUnit + ", max " +
                   DecibelText(Decibels(d.maximum)) + " " + shownUnit;
        if (db && notPositive)
          entry +=
              FormatInt("\n%d at or below 0, drawn at the left end", static_cast<std::int64_t>(notPositive));
        legend.push_back(entry);
      }
      series.push_back(std::move(s));
    }
    const std::size_t marked = legend.size();
    if (all.size() > kLegendFrequencies)
      legend.push_back(FormatInt("... and %d more frequencies",
                                 static_cast<std::int64_t>(all.size() - kLegendFrequencies)));
    legend.push_back("circle: the 95 % value");
    AddNotes(legend, table);
    const PanelBox box{20, top, kWidth - 20, 200, 330};
    top = Panel(scene, box, std::string("CDF of ") + headings[q] + " per frequency",
                WithUnit(headings[q], shownUnit), "F", series, legend, marked, true) +
          10;
  }
  top = RatioPanel(scene, all, top);
  scene.height = top + 10;
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

// The rows into the columns of table; a row wider than the headings adds unnamed columns. Without
// flags given, a row whose Pwr is at or below 0 has an impossible budget.
void TakeRows(DataTable& table, const std::vector<RealList>& rows, std::vector<bool> impossibleBudget = {}) {
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
  const int power = ColumnIndex(table, "Pwr");
  impossibleBudget.resize(rows.size(), false);
  if (power >= 0)
    for (std::size_t r = 0; r < rows.size(); ++r)
      impossibleBudget[r] =
          impossibleBudget[r] || table.columns[static_cast<std::size_t>(power)].values[r] <= 0;
  table.impossibleBudget = std::move(impossibleBudget);
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
                      std::vector<std::string> notes, std::vector<bool> impossibleBudget) {
  DataTable table;
  std::vector<RealList> headingRows;  // none: the lines are headings
  ReadLines(headingLines, table, headingRows);
  TakeRows(table, rows, std::move(impossibleBudget));
  table.notes = std::move(notes);
  return table;
}

DataTable WithoutImpossibleBudgets(const DataTable& table) {
  DataTable kept = table;
  kept.rows = 0;
  kept.impossibleBudget.clear();
  for (DataColumn& column : kept.columns) column.values.clear();
  for (std::size_t r = 0; r < table.rows; ++r) {
    if (r < table.impossibleBudget.size() && table.impossibleBudget[r]) continue;
    for (std::size_t c = 0; c < table.columns.size(); ++c)
      kept.columns[c].values.push_back(table.columns[c].values[r]);
    kept.impossibleBudget.push_back(false);
    ++kept.rows;
  }
  return kept;
}

int ColumnIndex(const DataTable& table, const std::string& heading) {
  for (std::size_t c = 0; c < table.columns.size(); ++c)
    if (EqualNoCase(table.columns[c].heading, heading)) return static_cast<int>(c);
  return -1;
}

std::string ColumnUnit(const DataTable& table, int column) {
  if (column < 0 || column >= static_cast<int>(table.columns.size())) return "";
  const DataColumn& c = table.columns[column];
  const bool field = c.unit == "V/m_A/m" ||
                     (c.unit.empty() && (EqualNoCase(c.heading, "Cyl.") || EqualNoCase(c.heading, "Cir") ||
                                         EqualNoCase(c.heading, "Point")));
  if (field) return table.fieldUnit.empty() ? "V/m_A/m" : table.fieldUnit;
  if (!c.unit.empty()) return c.unit;
  if (EqualNoCase(c.heading, "Freq")) return "MHz";
  if (c.heading.size() >= 3 && EqualNoCase(c.heading.substr(c.heading.size() - 3), "_dB")) return "dB";
  return "";
}

std::string DecibelUnit(const std::string& unit) { return unit.empty() ? "dB" : "dB(" + unit + ")"; }

bool IsEutTable(const DataTable& table) {
  return ColumnIndex(table, "Cyl.") >= 0 && ColumnIndex(table, "Cir") >= 0 &&
         ColumnIndex(table, "Point") >= 0;
}

std::size_t P95Rank(std::size_t n) { return (95 * n + 99) / 100; }

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
  d.p95 = d.sorted[P95Rank(n) - 1];
  return d;
}

std::vector<FrequencyDistributions> EutDistributions(const DataTable& table) {
  std::vector<FrequencyDistributions> result;
  const int f = ColumnIndex(table, "Freq");
  const int columns[] = {ColumnIndex(table, "Cyl."), ColumnIndex(table, "Cir"), ColumnIndex(table, "Point")};
  if (f < 0) return result;
  std::vector<double> frequencies;
  std::vector<std::array<RealList, 4>> samples;  // Cyl., Cir, Point, 20 log10(Cyl. / Point)
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
    const double cylinder = sample[0].back(), point = sample[2].back();
    // A ratio needs two values above zero; other rows are left out of it (and counted).
    sample[3].push_back(cylinder > 0 && point > 0 ? Decibels(cylinder / point) : kNaN);
  }
  for (std::size_t k = 0; k < frequencies.size(); ++k)
    result.push_back({frequencies[k], DistributionOf(samples[k][0]), DistributionOf(samples[k][1]),
                      DistributionOf(samples[k][2]), DistributionOf(samples[k][3])});
  return result;
}

Scene TablePlotScene(const DataTable& table, const TablePlotChoice& choice) {
  if (table.rows == 0) return MessageScene("Data table", "No table in the Data pane");
  // Every legend says how many rows have a budget no structure can have, and whether they are
  // drawn.
  const std::size_t impossible = static_cast<std::size_t>(
      std::count(table.impossibleBudget.begin(), table.impossibleBudget.end(), true));
  DataTable drawn =
      choice.leaveOutImpossibleBudgets && impossible > 0 ? WithoutImpossibleBudgets(table) : table;
  if (impossible > 0)
    drawn.notes.push_back(
        FormatInt(impossible == 1 ? "%d row" : "%d rows", static_cast<std::int64_t>(impossible)) +
        " with an impossible power budget" + (choice.leaveOutImpossibleBudgets ? " left out" : ""));
  if (drawn.rows == 0) return MessageScene("Data table", "Every row has an impossible power budget");
  return IsEutTable(drawn) ? CdfPlots(drawn, choice) : LinePlots(drawn);
}

Scene TablePlotScene(const std::vector<std::string>& lines, const TablePlotChoice& choice) {
  return TablePlotScene(ReadDataTable(lines), choice);
}

}  // namespace varnel
