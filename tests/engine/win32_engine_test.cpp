// The engine paths of the tree on Windows, run end to end: the Windows build of the stand-in
// over nec2c.exe (tools/build_windows_engine.sh), installed as c:\4nec2\exe\nec2dxs1k5.exe is,
// started by Win32System with the parameter text the conversions build.
#include <gtest/gtest.h>

#include <string>

#include "necout/reader.hpp"
#include "support/win32_root.hpp"
#include "util/files.hpp"

namespace varnel {

namespace {

// Copies a program from beside the test program into the tree; false when it is not there.
bool Install(Win32Root& root, const std::string& program, const std::string& target) {
  const std::string source = ProgramFolder(root.system.ExecutablePath()) + program;
  if (!root.system.FileExists(source)) return false;
  root.Write(target, root.system.ReadFile(source));
  return true;
}

// Starts the engine in the tree's folder and waits for it as a batch run does, every 50 ms.
void RunEngine(Win32Root& root, const std::string& parameters) {
  ASSERT_TRUE(root.system.SetCurrentFolder(root.Path("4nec2")));
  std::string error;
  const ProcessHandle run =
      root.system.StartProcess(root.Path("4nec2\\exe\\nec2dxs1k5.exe"), parameters, error);
  ASSERT_TRUE(run) << error;
  for (int waited = 0; !root.system.ProcessEnded(run); waited += 50) {
    ASSERT_LT(waited, 60000) << "the engine did not end";
    Sleep(50);
  }
}

}  // namespace

TEST(Win32Engine, TheTreesEngineConvertsADeck) {
  Win32Root root;
  if (!Install(root, "nec2c.exe", "4nec2\\exe\\nec2c.exe"))
    GTEST_SKIP() << "nec2c.exe is not built (tools/build_windows_engine.sh)";
  ASSERT_TRUE(Install(root, "varnel_engine.exe", "4nec2\\exe\\nec2dxs1k5.exe"));
  root.Write("4nec2\\b_in\\dipol.nec",
             "CM Half-wave dipole\r\nCE\r\nGW 1 21 0 0 -5.0 0 0 5.0 0.001\r\nGE 0\r\nEX 0 1 11 0 1 0\r\n"
             "FR 0 1 0 0 14.2 0\r\nNE 0 6 6 3 0 0 0 2 2 2\r\n");  // no EN card: the stand-in adds it
  root.Write("4nec2\\b_in\\broken.nec", "GW 1 x\r\n");
  root.Folder("4nec2\\b_out");

  RunEngine(root, "b_in\\dipol.nec " + root.Path("4nec2\\b_out\\dipol.out"));
  const std::string output = root.system.ReadFile(root.Path("4nec2\\b_out\\dipol.out"));
  EXPECT_DOUBLE_EQ(14.2, ReadFrequency(output));
  const AntennaInput input = ReadAntennaInput(output);
  EXPECT_GT(input.impedanceRe, 50.0);
  EXPECT_LT(input.impedanceRe, 150.0);

  // A deck the engine rejects leaves no output file, not even an older one.
  root.Write("4nec2\\b_out\\broken.out", "old");
  RunEngine(root, "b_in\\broken.nec b_out\\broken.out");
  EXPECT_FALSE(root.system.FileExists(root.Path("4nec2\\b_out\\broken.out")));
}

}  // namespace varnel
