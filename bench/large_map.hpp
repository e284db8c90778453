#pragma once
// The 128 000-point near-field table the picture benchmarks draw: 400 x 320 points in one XY
// plane at z = 1.3 m, every point a cell of the map.
#include <cmath>

#include "necout/model.hpp"

namespace varnel {

inline const NearFieldTable& LargeMapTable() {
  static const NearFieldTable table = [] {
    NearFieldTable t;
    t.fieldType = "ELECTRIC ";
    for (int j = 0; j < 320; ++j)
      for (int i = 0; i < 400; ++i) {
        t.x.push_back(-20 + 0.1 * i);
        t.y.push_back(-16 + 0.1 * j);
        t.z.push_back(1.3);
        t.value.push_back(1 / (0.05 + std::hypot(-20 + 0.1 * i, -16 + 0.1 * j)));
      }
    return t;
  }();
  return table;
}

}  // namespace varnel
