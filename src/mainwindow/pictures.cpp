// The two picture commands and the bridge from the main window's state to the pictures.
#include "mainwindow/pictures.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <functional>
#include <utility>

#include "mainwindow/VarnelU.hpp"
#include "picture/picture_file.hpp"
#include "platform/platform.hpp"
#include "util/format.hpp"

namespace varnel {

namespace {

// A fingerprint of what a field map is drawn from: which table is stored, the polarisation it
// was read with, the Mode and the working points.
std::size_t FieldMapKey(const TForm1& form) {
  const NearFieldState& nearField = form.params.nearField;
  std::size_t key = std::hash<std::uint64_t>{}(nearField.stored);
  auto mix = [&key](double value) { key = key * 1000003u ^ std::hash<double>{}(value); };
  const WorkingParameters& p = form.params;
  for (double v : {p.p.x, p.p.y, p.p.z, p.a.x, p.a.y, p.py, p.rCircle, p.rCylinder, p.maxHeight}) mix(v);
  mix(form.RGMode.itemIndex);
  mix(nearField.polarization);
  return key;
}

}  // namespace

std::size_t PictureStateKey(const TForm1& form, PictureKind kind) {
  return kind == PictureKind::Table ? static_cast<std::size_t>(form.Mdata.revision) : FieldMapKey(form);
}

MapMarks MapMarksOf(const WorkingParameters& params, int mode) {
  return MapMarks{params.p, params.a, mode, params.py, params.rCircle, params.rCylinder, params.maxHeight};
}

FieldMap FieldMapOf(const TForm1& form, const FieldMapChoice& choice) {
  return ComputeFieldMap(form.params.nearField.table, choice, form.params.p);
}

std::string MapQuantityOf(const TForm1& form) {
  const NearFieldState& nearField = form.params.nearField;
  return nearField.source.file + "|" + std::to_string(nearField.polarization) + "|" +
         nearField.table.fieldType;
}

FieldMap FieldMapOf(const TForm1& form, FieldMapChoice& choice) {
  const std::string quantity = MapQuantityOf(form);
  if (!choice.low && !choice.high) {
    choice.limitsFor.clear();
  } else if (choice.limitsFor.empty()) {
    choice.limitsFor = quantity;
  } else if (choice.limitsFor != quantity) {
    choice.low.reset();
    choice.high.reset();
    choice.limitsFor.clear();
  }
  return FieldMapOf(form, std::as_const(choice));
}

namespace {

// What the picture of the window's table is of, for its title: "E_000_000.out, 30 MHz".
std::string TableSubject(const TableSource& source) {
  std::string subject = source.file.substr(source.file.find_last_of("\\/:") + 1);
  if (std::isfinite(source.frequency))
    subject += (subject.empty() ? "" : ", ") + FormatReal("%1.6g MHz", source.frequency);
  return subject;
}

// The caption of the polarisation the table was read with, which the radio group may no longer
// show ("Total").
std::string ReadPolarization(const TForm1& form) {
  const RadioGroup& pol = form.RGPol;
  const int read = form.params.nearField.polarization;
  return read >= 0 && read < static_cast<int>(pol.items.size()) ? pol.items[static_cast<std::size_t>(read)]
                                                                : "";
}

}  // namespace

Scene FieldMapPicture(const TForm1& form, const FieldMap& map) {
  const NearFieldState& nearField = form.params.nearField;
  MapMarks marks = MapMarksOf(form.params, form.RGMode.itemIndex);
  marks.structure = nearField.structure;
  return FieldMapScene(map, marks, ReadPolarization(form),
                       PictureChoiceText(form.RGPol, nearField.polarization), TableSubject(nearField.source));
}

Scene ZLinePicture(const TForm1& form, MapScale scale) {
  const NearFieldState& nearField = form.params.nearField;
  return ZLineScene(ZLineOf(nearField.table, form.params.a, form.params.maxHeight), scale,
                    ReadPolarization(form), PictureChoiceText(form.RGPol, nearField.polarization),
                    TableSubject(nearField.source));
}

Scene FieldMapWindowPicture(const TForm1& form, const FieldMapChoice& choice, const FieldMap& map) {
  return choice.view == MapView::ZLine ? ZLinePicture(form, choice.scale) : FieldMapPicture(form, map);
}

FieldMapLists FieldMapListsOf(const FieldMap& map, MapView view) {
  FieldMapLists lists;
  lists.views = {"Map", "Z line thru A"};
  lists.view = static_cast<int>(view);
  for (MapPlane plane : map.planes) lists.planes.emplace_back(PlaneName(plane));
  for (double level : map.levels)
    lists.levels.push_back(std::string(NormalAxisName(map.plane)) + " = " + FormatReal("%1.4g", level) +
                           " m");
  lists.scales = {"Linear", "dB re max", "dB\xC2\xB5" + map.unit};
  const auto plane = std::find(map.planes.begin(), map.planes.end(), map.plane);
  lists.plane = plane == map.planes.end() ? -1 : static_cast<int>(plane - map.planes.begin());
  const auto level = std::find(map.levels.begin(), map.levels.end(), map.level);
  lists.level = level == map.levels.end() ? -1 : static_cast<int>(level - map.levels.begin());
  lists.scale = static_cast<int>(map.scale);
  // The limits as the user typed them, in the separator the program shows numbers with.
  if (map.low) lists.low = FormatReal("%1.6g", *map.low);
  if (map.high) lists.high = FormatReal("%1.6g", *map.high);
  return lists;
}

FieldMapChoice PickFromList(const FieldMap& map, FieldMapChoice choice, FieldMapList list, int index) {
  switch (list) {
    case FieldMapList::Plane:
      if (index >= 0 && index < static_cast<int>(map.planes.size())) choice.plane = map.planes[index];
      choice.level.reset();
      choice.zoom = {};
      break;
    case FieldMapList::Level:
      choice.plane = map.plane;
      if (index >= 0 && index < static_cast<int>(map.levels.size())) choice.level = map.levels[index];
      break;
    case FieldMapList::View:
      if (index == 0 || index == 1) choice.view = static_cast<MapView>(index);
      break;
    case FieldMapList::Scale:
      // Limits in another scale's unit mean nothing in this one.
      if (index >= 0 && index <= 2 && static_cast<MapScale>(index) != choice.scale) {
        choice.scale = static_cast<MapScale>(index);
        choice.low.reset();
        choice.high.reset();
      }
      break;
  }
  return choice;
}

DataTable PlottedTable(const TForm1& form) {
  const TableValues& kept = form.MdataValues;
  if (!kept.Describes(form.Mdata)) return ReadDataTable(form.Mdata.lines);
  DataTable table = DataTableOf(kept.headings, kept.rows, kept.notes, kept.impossibleBudget);
  // The set the batch went through: its folder's last name.
  const std::string& folder = form.params.BatchFolder;
  table.subject = folder.substr(folder.find_last_of("\\/:") + 1);
  // The batch left its last file's table in the window: its field is the one of the rows.
  const NearFieldTable& field = form.params.nearField.table;
  if (!field.fieldType.empty() && !field.value.empty()) table.fieldUnit = field.UnitText();
  return table;
}

Scene TablePicture(const TForm1& form, const TablePlotChoice& choice) {
  return TablePlotScene(PlottedTable(form), choice);
}

PictureArrangement ArrangePicture(const Rect& mainWindow, const Rect& screen, const Scene& scene,
                                  const PictureChrome& chrome, const std::vector<Rect>& openPictures) {
  constexpr int kGap = 8;
  const double scale = std::max(1.0, ReadableScale(scene));
  int width = static_cast<int>(std::ceil(scene.width * scale)) + chrome.width;
  int height = static_cast<int>(std::ceil(scene.height * scale)) + chrome.height;
  if (height > screen.height) {
    height = screen.height;
    width += chrome.scrollBar;
  }
  width = std::min(std::max(width, chrome.leastWidth), screen.width);
  const int screenRight = screen.left + screen.width;
  auto room = [&](const Rect& main, bool right) {
    return right ? screenRight - (main.left + main.width + kGap) : main.left - kGap - screen.left;
  };
  auto placed = [&](const Rect& main, bool right, int shownWidth) {
    const int top =
        std::clamp(main.top, screen.top, std::max(screen.top, screen.top + screen.height - height));
    const int left = right ? main.left + main.width + kGap : main.left - kGap - shownWidth;
    return PictureArrangement{Rect{left, top, shownWidth, height}, main};
  };
  const int middle = mainWindow.left + mainWindow.width / 2;
  auto taken = [&](bool right) {
    return std::any_of(openPictures.begin(), openPictures.end(),
                       [&](const Rect& open) { return (open.left + open.width / 2 > middle) == right; });
  };
  // Beside the main window as it stands, a side no other picture takes first.
  for (const bool takenToo : {false, true})
    for (const bool right : {true, false})
      if ((takenToo || !taken(right)) && width <= room(mainWindow, right))
        return placed(mainWindow, right, width);
  // The main window to the screen's other edge, where that leaves a readable room.
  const bool right = room(mainWindow, true) >= room(mainWindow, false);
  Rect moved = mainWindow;
  moved.left = right ? screen.left : std::max(screen.left, screenRight - mainWindow.width);
  if (room(moved, right) >= std::max(chrome.leastWidth, (2 * width + 2) / 3))
    return placed(moved, right, std::min(width, room(moved, right)));
  // No room for the two side by side: over the main window, at the screen's edge.
  PictureArrangement over = placed(mainWindow, right, width);
  over.picture.left = right ? screenRight - width : screen.left;
  return over;
}

namespace {

constexpr double kArrowPixels = 40, kWheelPixels = 48;

bool MapShown(const ShownPicture& shown, const PictureState& state) {
  return shown.kind == PictureKind::FieldMap && state.map.view == MapView::Map && shown.map.missing.empty() &&
         !shown.map.u.empty() && !shown.map.v.empty();
}

bool Zoomed(const ShownPicture& shown, const PictureState& state) {
  return MapShown(shown, state) && shown.map.zoom.factor > 1;
}

// The whole map is the whole map wherever its centre was put.
PictureEffect TakeMapZoom(PictureState& state, const MapZoom& zoom) {
  const bool same = zoom == state.map.zoom || (zoom.factor <= 1 && state.map.zoom.factor <= 1);
  state.map.zoom = zoom;
  return same ? PictureEffect::None : PictureEffect::Redraw;
}

}  // namespace

const std::vector<std::string>& CdfAxisEntries() {
  static const std::vector<std::string> entries = {"dB", "Linear"};
  return entries;
}

CdfAxis CdfAxisAt(int index) { return index == 1 ? CdfAxis::Linear : CdfAxis::Decibel; }

std::string PictureTitle(PictureKind kind) {
  return kind == PictureKind::FieldMap ? "Varnel - Field Map" : "Varnel - Plot Table";
}

std::string PictureHint(PictureKind kind) {
  return kind == PictureKind::FieldMap
             ? "Wheel or + -: zoom the map. Drag or arrows: move it. 0: whole map. Esc: close."
             : "Ctrl + wheel or + -: zoom. Wheel, drag or arrows: scroll. 0: fit. Esc: close.";
}

bool OnMap(const ShownPicture& shown, const PictureState& state, Point2D at) {
  if (!MapShown(shown, state)) return false;
  const Point2D p = shown.layout.ToScene(at);
  const PlotFrame f = FieldMapFrame(shown.map);
  return p.x >= f.left && p.x <= f.left + f.width && p.y >= f.top && p.y <= f.top + f.height;
}

PictureEffect PressKey(const ShownPicture& shown, PictureKey key, bool control, PictureState& state) {
  const ViewLayout& layout = shown.layout;
  switch (key) {
    case PictureKey::Escape:
      return PictureEffect::Close;
    case PictureKey::Plus:
    case PictureKey::Minus: {
      const double by = key == PictureKey::Plus ? kZoomStep : 1 / kZoomStep;
      if (MapShown(shown, state) && !control) {
        const PlotFrame f = FieldMapFrame(shown.map);
        return TakeMapZoom(state, ZoomMapAbout(shown.map, by, f.left + f.width / 2, f.top + f.height / 2));
      }
      state.zoom = ZoomView(shown.scene, layout, state.zoom, by, {layout.width / 2.0, layout.height / 2.0});
      return PictureEffect::Repaint;
    }
    case PictureKey::Zero:
    case PictureKey::Home:
      state.zoom = {};
      return TakeMapZoom(state, {}) == PictureEffect::Redraw ? PictureEffect::Redraw : PictureEffect::Repaint;
    case PictureKey::Left:
    case PictureKey::Right:
    case PictureKey::Up:
    case PictureKey::Down: {
      const double dx = key == PictureKey::Left ? -1 : key == PictureKey::Right ? 1 : 0;
      const double dy = key == PictureKey::Up ? -1 : key == PictureKey::Down ? 1 : 0;
      if (Zoomed(shown, state)) {
        // The part shown moves over the plane: the plane moves the other way.
        const PlotFrame f = FieldMapFrame(shown.map);
        return TakeMapZoom(state, PanMap(shown.map, -dx * f.width / 8, -dy * f.height / 8));
      }
      state.zoom = ScrollView(layout, state.zoom, dx * kArrowPixels, dy * kArrowPixels);
      return PictureEffect::Repaint;
    }
    case PictureKey::PageUp:
    case PictureKey::PageDown: {
      const double page = std::max(kArrowPixels, layout.height - kArrowPixels);
      state.zoom = ScrollView(layout, state.zoom, 0, key == PictureKey::PageUp ? -page : page);
      return PictureEffect::Repaint;
    }
  }
  return PictureEffect::None;
}

PictureEffect TurnWheel(const ShownPicture& shown, double notches, bool control, Point2D at,
                        PictureState& state) {
  const double by = std::pow(kZoomStep, notches);
  if (control) {
    state.zoom = ZoomView(shown.scene, shown.layout, state.zoom, by, at);
    return PictureEffect::Repaint;
  }
  if (OnMap(shown, state, at)) {
    const Point2D p = shown.layout.ToScene(at);
    return TakeMapZoom(state, ZoomMapAbout(shown.map, by, p.x, p.y));
  }
  state.zoom = ScrollView(shown.layout, state.zoom, 0, -notches * kWheelPixels);
  return PictureEffect::Repaint;
}

PictureEffect Drag(const ShownPicture& shown, Point2D from, Point2D to, bool onMap, PictureState& state) {
  if (onMap && Zoomed(shown, state)) {
    const double scale = shown.layout.scale;
    return TakeMapZoom(state, PanMap(shown.map, (to.x - from.x) / scale, (to.y - from.y) / scale));
  }
  state.zoom = ScrollView(shown.layout, state.zoom, from.x - to.x, from.y - to.y);
  return PictureEffect::Repaint;
}

std::string SavePicture(System& system, const Scene& scene, const std::string& path) {
  const PictureFile file = PictureFileFor(scene, path);
  if (!file.error.empty()) return file.error;
  try {
    system.WriteFile(path, file.bytes);
  } catch (const std::exception& failure) {
    return failure.what();
  }
  return "";
}

void AskAndSavePicture(Platform platform, const std::string& title, const Scene& scene, PictureKind kind) {
  FileDialogSpec spec;
  spec.title = "Save Picture";
  spec.initialFolder = platform.system.CurrentFolder();
  spec.filter = "PNG picture (*.png)|*.png|SVG picture (*.svg)|*.svg";
  spec.fileName = kind == PictureKind::FieldMap ? "field map.png" : "table.png";
  spec.defaultExt = "png";
  const std::optional<std::string> path = platform.ui.SaveFileDialog(spec);
  if (!path) return;
  // For print a picture may be saved larger than it is shown.
  std::string size = PictureSizeText(scene);
  if (!platform.ui.AskText(spec.title, "Size in pixels (width x height):", size)) return;
  std::string refusal;
  const std::optional<PictureSize> chosen = ParsePictureSize(size, refusal);
  if (!chosen) return platform.ui.ShowMessage(MessageKind::Warning, title, refusal);
  const std::string failure = SavePicture(platform.system, SizedScene(scene, *chosen), *path);
  if (!failure.empty())
    platform.ui.ShowMessage(MessageKind::Warning, title, failure);
  else
    platform.ui.StatusNotice(title, "Saved " + *path);
}

// Headless there is no window to open: nothing happens.
void TForm1::MIShowFieldMapClick() {
  if (showPicture) showPicture(PictureKind::FieldMap);
}

void TForm1::MIPlotTableClick() {
  if (showPicture) showPicture(PictureKind::Table);
}

}  // namespace varnel
