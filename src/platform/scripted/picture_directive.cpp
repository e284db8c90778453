#include "platform/scripted/picture_directive.hpp"

#include <algorithm>

#include "mainwindow/VarnelU.hpp"
#include "mainwindow/pictures.hpp"
#include "picture/picture_file.hpp"
#include "util/text.hpp"

namespace varnel {

namespace {

std::optional<double> Level(std::string text) {
  std::replace(text.begin(), text.end(), '.', DecimalSeparator.load());
  try {
    return TextToReal(text);
  } catch (...) {
    return std::nullopt;
  }
}

// A native absolute path ("/tmp/a.svg") is drive z:, the machine's root; a relative one lies in
// the folder the script started in.
std::string PicturePath(const std::string& path, const std::string& startFolder) {
  if (path.starts_with('/')) {
    std::string windows = "z:" + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
  }
  const bool relative = !(path.size() >= 2 && path[1] == ':') && !path.starts_with('\\');
  return relative ? startFolder + "\\" + path : path;
}

}  // namespace

std::optional<std::string> RunPictureDirective(TForm1& form, System& system, const std::string& startFolder,
                                               const std::vector<std::string>& arguments,
                                               std::string& printed) {
  printed.clear();
  if (arguments.size() < 2) return "picture needs a kind (fieldmap, zline, table) and a file";
  const std::string& kind = arguments[0];
  const std::string& path = arguments[1];
  // "size WxH" may end any picture's line.
  std::vector<std::string> options(arguments.begin() + 2, arguments.end());
  std::optional<PictureSize> size;
  if (options.size() >= 2 && EqualNoCase(options[options.size() - 2], "size")) {
    std::string refusal;
    size = ParsePictureSize(options.back(), refusal);
    if (!size) return refusal;
    options.resize(options.size() - 2);
  }
  Scene scene;
  if (kind == "table") {
    TablePlotChoice choice;
    for (const std::string& option : options) {
      if (EqualNoCase(option, "linear"))
        choice.cdfAxis = CdfAxis::Linear;
      else if (EqualNoCase(option, "db"))
        choice.cdfAxis = CdfAxis::Decibel;
      else if (EqualNoCase(option, "leave-out-impossible"))
        choice.leaveOutImpossibleBudgets = true;
      else
        return "not a scale of the distributions (db, linear) or leave-out-impossible: " + option;
    }
    if (options.size() > 2) return "wrong number of arguments";
    scene = TablePicture(form, choice);
  } else if (kind == "fieldmap" || kind == "zline") {
    FieldMapChoice choice;
    for (std::size_t i = 0; i < options.size(); ++i) {
      const std::string& option = options[i];
      if (EqualNoCase(option, "xy"))
        choice.plane = MapPlane::XY;
      else if (EqualNoCase(option, "xz"))
        choice.plane = MapPlane::XZ;
      else if (EqualNoCase(option, "yz"))
        choice.plane = MapPlane::YZ;
      else if (EqualNoCase(option, "linear"))
        choice.scale = MapScale::Linear;
      else if (EqualNoCase(option, "db"))
        choice.scale = MapScale::Decibel;
      else if (EqualNoCase(option, "dbuv"))
        choice.scale = MapScale::Absolute;
      else if (EqualNoCase(option, "limits")) {
        if (i + 2 >= options.size()) return "limits needs a low and a high level";
        std::string refusal;
        const auto limited = WithColourLimits(choice, options[i + 1], options[i + 2], refusal);
        if (!limited) return refusal;
        choice = *limited;
        i += 2;
      } else if (const std::optional<double> level = Level(option))
        choice.level = level;
      else
        return "not a plane, level, scale or limits: " + option;
    }
    if (kind == "zline") choice.view = MapView::ZLine;
    scene = FieldMapWindowPicture(form, choice, FieldMapOf(form, choice));
  } else {
    return "unknown picture " + kind;
  }
  if (size) scene = SizedScene(scene, *size);
  const std::string failure = SavePicture(system, scene, PicturePath(path, startFolder));
  if (!failure.empty()) printed = "[Picture] " + path + ": " + failure;
  return std::nullopt;
}

}  // namespace varnel
