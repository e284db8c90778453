#include <gtest/gtest.h>

#include "support/test_root.hpp"

namespace varnel {

TEST(TestRoot, GivesEachTestItsOwnDriveAndHome) {
  TestRoot a, b;
  EXPECT_NE(a.dir, b.dir);
  EXPECT_TRUE(std::filesystem::is_directory(a.driveC));
  EXPECT_EQ(0u, a.home.string().rfind(a.dir.string(), 0));
#ifndef _WIN32  // on Windows it lies on drive c:, made by the tests that use it
  EXPECT_TRUE(std::filesystem::is_directory(a.home));
#endif
}

}  // namespace varnel
