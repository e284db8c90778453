// The boxes show a user's text whole: control bytes are written out, never cut at.
#include <gtest/gtest.h>

#include <string>

#include "support/test_root.hpp"
#include "util/messages.hpp"

namespace varnel {

using namespace std::string_literals;

TEST(Messages, EveryBoxShowsControlBytesVisibly) {
  ScriptedFixture f;
  ShowWarning(f.ui, "Die Datei a\0b.out konnte nicht gefunden werden."s);
  ShowInfo(f.ui, "x\x01y\x1Fz"s);
  ShowError(f.ui, "kept:\tA\r\nB"s);
  EXPECT_EQ("[Warning] Die Datei a\\0b.out konnte nicht gefunden werden.\n"
            "[Info] x\\x01y\\x1Fz\n"
            "[Error] kept:\tA\r\nB\n",
            f.out.str());
}

}  // namespace varnel
