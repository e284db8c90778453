#pragma once
// The pictures of the main window's state: the field map of the current near-field table and
// the plots of the Data pane. These gather what the pictures need from TForm1 (the table, the
// polarisation caption, P, A and the Mode's values; the batch table's numbers or the pane's
// lines) and hand over only that.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mainwindow/VarnelU.hpp"
#include "picture/field_map.hpp"
#include "picture/table_plot.hpp"
#include "picture/viewport.hpp"

namespace varnel {

// During a command the table may change with every file: the picture windows follow it at most
// once in this time then, and always once the command has ended.
inline constexpr std::uint64_t kPictureFollowMs = 500;

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
// to the level nearest to P and to the whole map, a level keeps the plane shown, a scale keeps plane and
// level (and drops the colour limits when it is another scale). An index outside the list keeps what was
// chosen. Plane and level keep the colour limits.
FieldMapChoice PickFromList(const FieldMap& map, FieldMapChoice choice, FieldMapList list, int index);

// A fingerprint of what the picture of that kind is drawn from: the Data pane's revision for
// the table plots; for the field map which table is stored, the polarisation it was read
// with, the Mode and the working points. A window redraws when it
// changes.
std::size_t PictureStateKey(const TForm1& form, PictureKind kind);

// ---- The picture windows: where they open, what their keys, wheel and mouse do ----------
// Both windows measure themselves, ask here and do what the answer says.

// What a picture window adds around its view, measured by the window: its frame, bars of
// controls and margins (width, height); the least outer width its bars need; the thickness of a
// scroll bar.
struct PictureChrome {
  int width = 0, height = 0, leastWidth = 0, scrollBar = 0;
};
// Where a picture window opens (its outer frame), and where the main window is then.
struct PictureArrangement {
  Rect picture, main;
};
// The window's own size is its scene at scale 1 (larger where the scene's smallest text needs
// it, ReadableScale) with the chrome, within the screen: a taller scene takes the screen's
// height and a scroll bar's width more. It opens in the screen's free room beside the main
// window, 8 pixels from it, where that room holds its own size: right of it, else left, a side
// without one of the open pictures first. Else, where moving the main window (at its size) to
// the screen's other edge leaves room for at least two thirds of the picture's width (and the
// chrome's least width), the main window moves there and the picture takes that room, narrowed
// to it (its view scrolls). Else (a screen too small for the two side by side) it opens at its
// own size at the screen's edge on the side of more room, over the main window. Its top is the
// main window's, kept on the screen. All rectangles are outer frames in screen pixels.
PictureArrangement ArrangePicture(const Rect& mainWindow, const Rect& screen, const Scene& scene,
                                  const PictureChrome& chrome, const std::vector<Rect>& openPictures = {});

// What a picture window keeps while it is open: the field map's choices (its zoom among them)
// or the plots', and how its view shows the picture.
struct PictureState {
  FieldMapChoice map;
  TablePlotChoice table;
  PictureZoom zoom;
};
// The keys a picture window takes; each window maps its own key codes to these.
enum class PictureKey { Escape, Plus, Minus, Zero, Home, Left, Right, Up, Down, PageUp, PageDown };
// What the window does after an input: nothing; paint its view again at the state's zoom; draw
// the field map again at the state's map zoom (the map itself is unchanged); or close.
enum class PictureEffect { None, Repaint, Redraw, Close };
// What an input acts on: the window's kind, the picture it shows, the field map that picture was
// drawn from (the field map window) and the layout of its view.
struct ShownPicture {
  PictureKind kind;
  const Scene& scene;
  const FieldMap& map;
  const ViewLayout& layout;
};
// The entries of the table window's list "Distributions in", in CdfAxis order, and the axis of
// an entry's index.
const std::vector<std::string>& CdfAxisEntries();
CdfAxis CdfAxisAt(int index);
// The title of each window ("Varnel - Field Map", "Varnel - Plot Table").
std::string PictureTitle(PictureKind kind);
// The hint each window shows under its picture: what the keys and the mouse do.
std::string PictureHint(PictureKind kind);
// Whether the view point lies on the field map's cells (a map shown, not the Z line).
bool OnMap(const ShownPicture& shown, const PictureState& state, Point2D at);
// Esc closes the window. + and - zoom in and out: the field map's part shown (with Ctrl, and in
// the plot window, the picture itself) about the middle of the view. 0 and Home show the whole
// map and picture again. The arrow keys move a zoomed part of the map by an eighth of it, else
// scroll the view by 40 pixels; Page Up and Page Down scroll it by its height less 40.
PictureEffect PressKey(const ShownPicture& shown, PictureKey key, bool control, PictureState& state);
// A turn of the mouse wheel by `notches` (positive: away from the user) with the pointer at `at`:
// over the field map's cells it zooms the map about the pointer, with Ctrl it zooms the picture
// about the pointer, else it scrolls the view (48 pixels a notch).
PictureEffect TurnWheel(const ShownPicture& shown, double notches, bool control, Point2D at,
                        PictureState& state);
// The mouse dragged from `from` to `to` with its button down: a zoomed map pressed on (onMap, as
// OnMap said at the press) follows the pointer; anything else scrolls the view along with it.
PictureEffect Drag(const ShownPicture& shown, Point2D from, Point2D to, bool onMap, PictureState& state);

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
