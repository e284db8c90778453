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
      {{100, 50, 1121, 530}, {1229, 50, 600, 400}},    // right of it
      {{1200, 50, 700, 530}, {592, 50, 600, 400}},     // no room right: left of it
      {{300, 900, 1400, 530}, {1320, 680, 600, 400}},  // room on neither side: the screen's right edge
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, PictureBeside(c.main, 600, 400, screen)) << c.main.left;
  // A window that may be narrowed takes the wider room beside when it is wide enough for it;
  // none is taller than the screen.
  const Case narrowed[] = {
      {{300, 50, 1121, 530}, {1429, 50, 491, 400}},  // 491 right, 292 left
      {{450, 50, 1121, 530}, {0, 50, 442, 400}},     // 341 right, 442 left
      {{310, 50, 1300, 530}, {1320, 50, 600, 400}},  // 302 on both sides: too narrow
  };
  for (const Case& c : narrowed)
    EXPECT_EQ(c.expected, PictureBeside(c.main, 600, 400, screen, 400)) << c.main.left;
  EXPECT_EQ((Rect{1229, 0, 600, 1080}), PictureBeside({100, 0, 1121, 530}, 600, 1500, screen));
}

}  // namespace varnel
