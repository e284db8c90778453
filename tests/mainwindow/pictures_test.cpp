// Where a picture window opens beside the main window.
#include <gtest/gtest.h>

#include "mainwindow/VarnelU.hpp"
#include "mainwindow/pictures.hpp"

namespace varnel {

TEST(PictureWindowPlace, BesideTheMainWindowWhereTheScreenLeavesRoom) {
  const Rect screen{0, 0, 1920, 1080};
  struct Case {
    Rect main;
    Rect expected;
  };
  const Case cases[] = {
      {{100, 50, 1121, 530}, {1229, 50, 600, 400}},   // right of it
      {{1200, 50, 700, 530}, {592, 50, 600, 400}},    // no room right: left of it
      {{300, 900, 1400, 530}, {1320, 680, 600, 400}}, // room on neither side: the screen's right edge
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, PictureBeside(c.main, 600, 400, screen)) << c.main.left;
}

}  // namespace varnel
