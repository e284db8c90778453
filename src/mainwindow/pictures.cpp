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

Rect PictureBeside(const Rect& mainWindow, int width, int height, const Rect& screen, int leastWidth) {
  const int screenRight = screen.left + screen.width;
  const int rightStart = mainWindow.left + mainWindow.width + 8;
  const int rightRoom = screenRight - rightStart, leftRoom = mainWindow.left - 8 - screen.left;
  int left;
  if (width <= rightRoom) {
    left = rightStart;
  } else if (width <= leftRoom) {
    left = mainWindow.left - 8 - width;
  } else if (leastWidth > 0 && std::max(rightRoom, leftRoom) >= leastWidth) {
    width = std::max(rightRoom, leftRoom);
    left = rightRoom >= leftRoom ? rightStart : screen.left;
  } else {
    left = std::max(screen.left, screenRight - width);
  }
  height = std::min(height, screen.height);
  const int top =
      std::clamp(mainWindow.top, screen.top, std::max(screen.top, screen.top + screen.height - height));
  return Rect{left, top, width, height};
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
