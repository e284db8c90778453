#pragma once
// The field map: one plane of the near-field grid as a colour map, with the points P and A and
// the geometry of the current Mode drawn over it.
//
// Planes: XY at a chosen z, XZ at a chosen y, YZ at a chosen x. A grid holds a plane when both
// of its axes have at least two distinct coordinates; a grid that varies along one axis only
// (or not at all) holds the planes that contain that axis (or every plane). Coordinates count
// as the same when they lie within 0.001 m (as the grid extent counts them).
// Levels: the plane lies at one of the grid's own coordinates on the third axis: the one
// nearest to the level asked for, or without one, nearest to P.
// Values: each grid point on the plane gives the cell at its two coordinates; a point whose
// value is NaN or infinite is left out and counted, and its cell stays empty (grey).
// Colour scales: linear (V/m or A/m), dB relative to the largest value on the plane (20 log10
// of value / maximum, as for a field strength), or the absolute level in dBµV/m (electric) or
// dBµA/m (magnetic): 20 log10(value / 1 µV/m) = 20 log10(value) + 120. The colours run between
// two limits in the scale's unit: those the user set, else linear from the smallest to the
// largest value on the plane, dB from floorDb (-40 dB by default) to 0 dB, absolute over the
// same 40 dB below the plane's maximum level. Values beyond the limits take the end colours;
// values at or below zero have no level in dB and take the lowest colour.
// The structure: the file's wire segments projected onto the plane (every segment, whatever its
// distance from the plane), a chain of touching segments drawn as one thin line.
// Nothing here fails: a table without points or without a finite value on the plane gives a
// map whose `missing` says so, and its picture shows that text.
#include <optional>
#include <string>
#include <vector>

#include "necout/model.hpp"
#include "necout/print.hpp"
#include "picture/axes.hpp"
#include "picture/scene.hpp"

namespace varnel {

enum class MapPlane { XY = 0, XZ = 1, YZ = 2 };
enum class MapScale { Linear = 0, Decibel = 1, Absolute = 2 };

// "XY", "XZ", "YZ"; and the axis the plane is taken on: "z", "y", "x".
const char* PlaneName(MapPlane plane);
const char* NormalAxisName(MapPlane plane);

// What the field map window shows: the map, or the field along the Z line through A.
enum class MapView { Map = 0, ZLine = 1 };

// A part of the plane shown larger: `factor` times (1: the whole map) about the point shown at
// the middle of the map's frame (metres across and up the plane). A map keeps it within itself:
// the part shown never reaches beyond the map's cells, and the factor lies between 1 and
// MostMapZoom.
struct MapZoom {
  double factor = 1;
  Point2D centre;
  bool operator==(const MapZoom& other) const {
    return factor == other.factor && centre.x == other.centre.x && centre.y == other.centre.y;
  }
};

struct FieldMapChoice {
  // The table and quantity the colour limits were set for (see FieldMapOf in
  // mainwindow/pictures.hpp); "" for limits not yet tied to one.
  std::string limitsFor;
  std::optional<MapPlane> plane;  // none: the first plane the grid holds, in the order XY, XZ, YZ
  std::optional<double> level;    // metres on the plane's third axis; none: nearest to P
  MapScale scale = MapScale::Linear;
  double floorDb = -40;
  // Colour limits in the scale's unit; none: from the plane (see above). A change of scale
  // drops them (PickFromList), a change of plane or level keeps them, so maps compare.
  std::optional<double> low, high;
  MapView view = MapView::Map;
  MapZoom zoom;  // kept over a change of level; another plane shows the whole map again
};

// The choice with the colour limits typed by the user (TextToReal: DecimalSeparator, as every
// number typed in the window; an empty text is no limit). None, with refusal set, when a text is
// not a number or low is not below high.
std::optional<FieldMapChoice> WithColourLimits(FieldMapChoice choice, const std::string& low,
                                               const std::string& high, std::string& refusal);

// What is drawn over the map: the working points and the geometry of the Mode (the item index
// of the radio group Mode: 0 point P, 1 Z line through A below maxHeight, 2 XZ plane at py,
// 3 circle of rCircle about the Z axis at the height of P, 4 cylinder of rCylinder).
struct MapMarks {
  Point3D p{10, 0, 4};
  Point2D a{10, 0};
  int mode = 0;
  double py = 10, rCircle = 10, rCylinder = 10, maxHeight = 1000;
  std::vector<Segment> structure;  // the wires of the file the table was read from
};

// The structure of a print for the map (ReadSegments): none when the print has no segment table
// or its table is not in a form the reader takes; the picture goes without it then.
std::vector<Segment> StructureOf(const OutputPrint& print);
// The print's frequency (MHz) for a picture's title: NaN where it has none that can be read.
double FrequencyOrNaN(const OutputPrint& print);

// The structure projected onto the plane: each chain of segments that touch end to start
// (within a thousandth of a segment's length) as the points of one line, in metres across and
// up the plane, from the first segment's start to the last one's end.
std::vector<std::vector<Point2D>> ProjectedWires(const std::vector<Segment>& structure, MapPlane plane);

struct FieldMap {
  std::string missing;  // empty when there is a map; else what is missing
  MapPlane plane = MapPlane::XY;
  double level = 0;                 // coordinate of the plane on its third axis
  std::vector<MapPlane> planes;     // the planes the grid holds
  RealList levels;                  // the grid's coordinates on the third axis, ascending
  RealList u, v;                    // the grid's coordinates across and up the plane, ascending
  RealList cells;                   // u.size() * v.size(), cells[j * u.size() + i]; NaN = empty
  std::size_t points = 0;           // grid points on the plane
  std::size_t leftOut = 0;          // of them, with a value that is not finite
  double minimum = 0, maximum = 0;  // of the finite values on the plane
  MapScale scale = MapScale::Linear;
  double floorDb = -40;
  std::optional<double> low, high;  // the colour limits the user set
  std::string unit;                 // "V/m" or "A/m"
  MapZoom zoom;                     // the part shown, within the map
};

// One linear pass to collect the grid's coordinates and one over the plane's points; no sort
// of the table. p is the working point P (for the default level).
FieldMap ComputeFieldMap(const NearFieldTable& table, const FieldMapChoice& choice, const Point3D& p);

// A value in the map's scale: itself, dB re the plane's maximum, or dBµV/m (dBµA/m); -inf in
// dB for a value at or below zero.
double ScaleLevel(const FieldMap& map, double value);
// The scale's unit: "V/m" ("A/m"), "dB", "dBµV/m" ("dBµA/m").
std::string ScaleUnit(const FieldMap& map);
// The levels of the lowest and the highest colour (see above).
AxisRange ColourLimits(const FieldMap& map);
// 0 (lowest colour) .. 1 (highest) for a finite value under the map's scale and limits.
double ScaleFraction(const FieldMap& map, double value);
// The colour of the scale at a fraction 0..1 (dark blue-violet through green to yellow).
Colour ScaleColour(double fraction);
inline constexpr Colour kEmptyCell{200, 200, 200};

// The canvas the picture is drawn on, and where the map lies in it.
inline constexpr double kMapWidth = 760, kMapHeight = 560;
// The rectangle of the map cells and the metre ranges it shows (cells are centred on their
// points): the whole map, or the part its zoom shows, in the same rectangle.
PlotFrame FieldMapFrame(const FieldMap& map);

// The largest zoom of the map: as far as shows two cells along its longer side, at most 64.
double MostMapZoom(const FieldMap& map);
// The zoom scaled by `by` about the canvas point (x, y): the place of the plane under the point
// stays under it.
MapZoom ZoomMapAbout(const FieldMap& map, double by, double x, double y);
// The zoom with the plane moved by (dx, dy) canvas pixels, as a dragged map follows the pointer.
MapZoom PanMap(const FieldMap& map, double dx, double dy);

// The picture: title (plane, level, polarisation), the cells, axes in metres, a colour bar
// with its unit (or dB relative to the maximum), the marks and a legend that counts the points
// and those left out and names the polarisation (polarisationNote, "Polerization: Total"), the
// Mode and, for a part of the map, its zoom ("zoomed 4x"). polarisation is the caption of the
// chosen item ("Total"); subject, when given, leads the title: the file and the frequency
// ("E_000_000.out, 30 MHz").
Scene FieldMapScene(const FieldMap& map, const MapMarks& marks, const std::string& polarisation,
                    const std::string& polarisationNote = "", const std::string& subject = "");

// The cell under a canvas point: its coordinates and value (NaN for an empty cell); none
// outside the map.
struct MapProbe {
  double u = 0, v = 0, value = 0;
};
std::optional<MapProbe> ProbeFieldMap(const FieldMap& map, double x, double y);
// "x = 2 m, y = 4 m: 1,23 V/m", with the level in a dB scale: "... 1,23 V/m (121,8 dBµV/m)"
// (or "... : no value").
std::string ProbeText(const FieldMap& map, const MapProbe& probe);

// The field along the line parallel to the Z axis through A: the grid points the Z-line search
// of Analyse Nearfield looks at (|x - A.x| < 0.6, |y - A.y| < 0.6, z < maxHeight), in columns
// of one (x, y) each (a fine grid has several within 0.6 m of A), each ascending in z. The
// maximum is the search's result: the largest finite value, the first of equal ones in table
// order.
struct ZLineColumn {
  double x = 0, y = 0;
  std::vector<Point2D> points;  // (z, value), z ascending; values not finite left out
};
struct ZLine {
  Point2D a;
  double maxHeight = 1000;
  std::vector<ZLineColumn> columns;
  std::size_t points = 0, leftOut = 0;  // grid points on the line; of them not finite
  double maximum = 0;                   // NaN without a finite value
  Point3D atMaximum;
  std::string unit;  // "V/m" or "A/m"
};
ZLine ZLineOf(const NearFieldTable& table, const Point2D& a, double maxHeight);

// The line plot: the field (in the scale: linear, dB re the line's maximum, dBµV/m or dBµA/m)
// against z, one line per column, the maximum marked and named; a line without a point says so.
Scene ZLineScene(const ZLine& line, MapScale scale, const std::string& polarisation,
                 const std::string& polarisationNote = "", const std::string& subject = "");

}  // namespace varnel
