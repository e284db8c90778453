// The two picture commands and the bridge from the main window's state to the pictures.
#include "mainwindow/pictures.hpp"

#include <algorithm>
#include <exception>

#include "mainwindow/VarnelU.hpp"
#include "picture/picture_file.hpp"

namespace varnel {

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
  const int top = std::clamp(mainWindow.top, screen.top, std::max(screen.top, screen.top + screen.height - height));
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
