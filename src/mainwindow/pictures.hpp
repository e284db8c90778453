#pragma once
// The pictures of the main window's state: the field map of the current near-field table and
// the plots of the Data pane. These gather what the pictures need from TForm1 (the table, the
// polarisation caption, P, A and the Mode's values; the batch table's numbers or the pane's
// lines) and hand over only that.
#include <cstddef>
#include <string>
#include <vector>

#include "picture/field_map.hpp"
#include "picture/table_plot.hpp"

namespace varnel {

class System;
class TForm1;
struct Platform;
struct Rect;
struct WorkingParameters;

// What the "Analyse" menu's "Show Field Map" and "Plot Table" open beside the main window.
enum class PictureKind : int { FieldMap = 0, Table = 1 };

// P, A, py, rCircle, rCylinder, maxHeight of the parameters and the item index of Mode.
MapMarks MapMarksOf(const WorkingParameters& params, int mode);
// The field map of the window's current table, titled with the caption of the polarisation it
// was read with, under the choice as it stands.
FieldMap FieldMapOf(const TForm1& form, const FieldMapChoice& choice);
// The same for a window's (or script's) own choice, whose colour limits belong to the table and
// quantity they were set for (the file, the polarisation and the field type, MapQuantityOf):
// limits not yet tied to one are tied to the table shown now; limits of another are dropped, so
// that a map of another file or quantity is not drawn between limits meant for a different one.
FieldMap FieldMapOf(const TForm1& form, FieldMapChoice& choice);
std::string MapQuantityOf(const TForm1& form);
Scene FieldMapPicture(const TForm1& form, const FieldMap& map);
// The field along the Z line through A (the working A and maxHeight) of the window's table.
Scene ZLinePicture(const TForm1& form, MapScale scale);
// What the field map window shows for the choice: the map, or the Z line in the map's scale.
Scene FieldMapWindowPicture(const TForm1& form, const FieldMapChoice& choice, const FieldMap& map);
// What Plot Table draws: the numbers the batch analysis kept of its table while Mdata is as the
// batch left it, with the notes of what they were taken with and the unit of the field it left
// in the window; otherwise (edited in the window, written by another command) the pane's text
// read as a table.
DataTable PlottedTable(const TForm1& form);
Scene TablePicture(const TForm1& form, const TablePlotChoice& choice = {});

// The lists of the field map window: the planes the grid holds ("XY", "XZ", "YZ"), its levels on
// the plane's third axis ("z = 4 m"), the scales ("Linear", "dB re max", "dBµV/m" or "dBµA/m"),
// and the entry of each that the map shows (-1: none); the colour limits the user set ("" for
// none), for the window's two fields.
// The views: "Map", "Z line thru A".
struct FieldMapLists {
  std::vector<std::string> planes, levels, scales, views;
  int plane = -1, level = -1, scale = 0, view = 0;
  std::string low, high;
};
FieldMapLists FieldMapListsOf(const FieldMap& map, MapView view = MapView::Map);
enum class FieldMapList { Plane, Level, Scale, View };
// The choice after picking entry index of that list of the map shown: another plane goes back
// to the level nearest to P, a level keeps the plane shown, a scale keeps plane and level (and
// drops the colour limits when it is another scale). An index outside the list keeps what was
// chosen. Plane and level keep the colour limits.
FieldMapChoice PickFromList(const FieldMap& map, FieldMapChoice choice, FieldMapList list, int index);

// A fingerprint of what the picture of that kind is drawn from: the Data pane's revision for
// the table plots; for the field map which table is stored, the polarisation it was read
// with, the Mode and the working points. A window redraws when it
// changes.
std::size_t PictureStateKey(const TForm1& form, PictureKind kind);

// Where a picture window of that size opens: right of the main window (8 pixels apart) when it
// fits on the screen there, else left of it; else, when the window may be narrowed down to
// leastWidth (0: not at all), narrowed into the wider of the two rooms; else at the screen's
// right edge. Its top is the main window's, kept on the screen, and it is no taller than the
// screen. Rects are outer frames in screen pixels.
Rect PictureBeside(const Rect& mainWindow, int width, int height, const Rect& screen, int leastWidth = 0);

// Writes the picture (SVG, or PNG for a ".png" name when a rasterizer is linked) through the
// platform. Returns "" when written, else what went wrong; never throws.
std::string SavePicture(System& system, const Scene& scene, const std::string& path);

// What the picture windows' Save button does: asks for a file through the platform's save
// dialog (PNG or SVG, "field map.png" or "table.png" in the current folder), then for the size
// in pixels (the picture's own, "760x560", offered; a larger one for print), and writes the
// scene there at that size; a failure is shown in a warning box with that title, a success as
// a status notice ("Saved c:\4nec2\field map.png").
void AskAndSavePicture(Platform platform, const std::string& title, const Scene& scene, PictureKind kind);

}  // namespace varnel
