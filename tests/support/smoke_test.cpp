#include <gtest/gtest.h>

#include "support/test_root.hpp"

namespace varnel {

TEST(TestRoot, GivesEachTestItsOwnDriveAndHome) {
  TestRoot a, b;
  EXPECT_NE(a.dir, b.dir);
  EXPECT_TRUE(std::filesystem::is_directory(a.driveC));
  EXPECT_TRUE(std::filesystem::is_directory(a.home));
}

}  // namespace varnel
