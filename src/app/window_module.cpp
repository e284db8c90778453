// The entry of the window module (see window_module.hpp).
#include "app/window_module.hpp"

#include "platform/qt/picture_window.hpp"
#include "platform/qt/qt_window.hpp"

extern "C" __attribute__((visibility("default"))) const varnel::WindowModule* VarnelWindowModule() {
  static const varnel::WindowModule module{&varnel::RunWindow, &varnel::RunWindowScript, &varnel::RasterPng};
  return &module;
}
