// The two picture commands and the bridge from the main window's state to the pictures.
#include "mainwindow/pictures.hpp"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>

#include "mainwindow/VarnelU.hpp"
#include "picture/picture_file.hpp"

namespace varnel {

namespace {

// A fingerprint of what a field map is drawn from: the table (its size and a sample of its
// points), the polarisation it was read with, the Mode and the working points. A new table of the same size
// in the same place still differs in its sampled values.
std::size_t FieldMapKey(const TForm1& form) {
  const NearFieldTable& table = form.params.nearField.table;
  std::size_t key = std::hash<std::string>{}(table.fieldType);
  auto mix = [&key](double value) { key = key * 1000003u ^ std::hash<double>{}(value); };
  const std::size_t n = table.value.size();
  mix(static_cast<double>(n));
  mix(static_cast<double>(reinterpret_cast<std::uintptr_t>(table.value.data())));
  const std::size_t stride = std::max<std::size_t>(1, n / 64);
  for (std::size_t i = 0; i < n; i += stride) {
    mix(table.value[i]);
    if (i < table.x.size() && i < table.y.size() && i < table.z.size()) {
      mix(table.x[i]);
      mix(table.y[i]);
      mix(table.z[i]);
    }
  }
  if (n) mix(table.value.back());
  const WorkingParameters& p = form.params;
  for (double v : {p.p.x, p.p.y, p.p.z, p.a.x, p.a.y, p.py, p.rCircle, p.rCylinder, p.maxHeight}) mix(v);
  mix(form.RGMode.itemIndex);
  mix(form.params.nearField.polarization);
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

Scene FieldMapPicture(const TForm1& form, const FieldMap& map) {
  // The polarisation the table was read with, which the radio group may no longer show.
  const RadioGroup& pol = form.RGPol;
  const int read = form.params.nearField.polarization;
  const std::string caption = read >= 0 && read < static_cast<int>(pol.items.size()) ? pol.items[read] : "";
  return FieldMapScene(map, MapMarksOf(form.params, form.RGMode.itemIndex), caption);
}

Scene TablePicture(const TForm1& form) { return TablePlotScene(form.Mdata.lines); }

Rect PictureBeside(const Rect& mainWindow, int width, int height, const Rect& screen) {
  const int screenRight = screen.left + screen.width;
  int left = mainWindow.left + mainWindow.width + 8;
  if (left + width > screenRight) left = mainWindow.left - 8 - width;
  if (left < screen.left) left = std::max(screen.left, screenRight - width);
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

// Headless there is no window to open: nothing happens.
void TForm1::MIShowFieldMapClick() {
  if (showPicture) showPicture(PictureKind::FieldMap);
}

void TForm1::MIPlotTableClick() {
  if (showPicture) showPicture(PictureKind::Table);
}

}  // namespace varnel
