#pragma once
// A test's action at every event processing of a scripted interface, the one moment at which a
// running command lets other input in.
#include <functional>
#include <utility>

#include "platform/scripted/scripted_ui.hpp"

namespace varnel {

// action replaces the one set before; an empty one sets none. It runs through the interface's
// own event hooks (ScriptedUi::AtEvents), after the call is counted in processEventsCalls.
inline void OnEvents(ScriptedUi& ui, std::function<void()> action) {
  ui.ClearEventHooks();
  if (action)
    ui.AtEvents([action = std::move(action)] {
      action();
      return false;
    });
}

}  // namespace varnel
