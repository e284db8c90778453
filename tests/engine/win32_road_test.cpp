// The first start and the typical road end to end on Windows: random test objects generated
// over a range file, converted by the engines of the tree (the stand-in over nec2c.exe),
// analysed, and the table saved, all through the headless runner over the Windows system.
//
// The road works in c:\4nec2\ itself, the paths the commands are made of. So that it never
// touches a user's tree it runs only under Wine and only where c:\4nec2\ does not exist yet (the
// fresh prefix of `bash dev test-windows`), and removes the tree again.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "engine/road_script.hpp"
#include "platform/scripted/runner.hpp"
#include "platform/win32/win32_sample_tree.hpp"
#include "support/win32_root.hpp"
#include "util/files.hpp"
#include "util/format.hpp"
#include "util/tree.hpp"

namespace varnel {

namespace {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Starting(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : lines)
    if (line.rfind(prefix, 0) == 0) found.push_back(line.substr(prefix.size()));
  return found;
}

}  // namespace

TEST(Win32Road, TestObjectsFromGenerationToTheSavedTable) {
  Win32System system;
  if (!UnderWine()) GTEST_SKIP() << "the road works in c:\\4nec2\\ and runs only in a Wine prefix of its own";
  if (system.FolderExists("c:\\4nec2"))
    GTEST_SKIP() << "c:\\4nec2\\ exists: the road runs only in a fresh prefix";
  const std::string built = ProgramFolder(system.ExecutablePath());
  if (!system.FileExists(built + "nec2c.exe"))
    GTEST_SKIP() << "nec2c.exe is not built (tools/build_windows_engine.sh)";

  // The first start makes the tree's folders and sample files, and on later starts keeps them.
  CreateSampleFiles(system);
  for (const char* file : {kSampleDeck, kSampleRange, kDipolOutput})
    EXPECT_TRUE(system.FileExists(file)) << file;
  system.WriteFile(kSampleDeck, "changed");
  const std::string engine = system.ReadFile(built + "varnel_engine.exe");
  for (const char* name : {"nec2dxs1k5.exe", "nec2dxs5k0.exe", "nec2dxs11k.exe"})
    system.WriteFile(std::string("c:\\4nec2\\exe\\") + name, engine);
  system.WriteFile("c:\\4nec2\\exe\\nec2c.exe", system.ReadFile(built + "nec2c.exe"));
  system.WriteFile("c:\\4nec2\\b_in\\Ranges\\two.txt", "7,01\r\n14,2\r\n");

  std::istringstream script(kTestObjectRoad);
  std::ostringstream printed;
  const char savedSeparator = DecimalSeparator;
  EXPECT_EQ(0, RunScript(script, printed, system, [&system] { CreateSampleFiles(system); }));
  EXPECT_EQ("changed", system.ReadFile(kSampleDeck));
  DecimalSeparator = savedSeparator;
  const std::vector<std::string> out = Lines(printed.str());
  for (const std::string& line : out) {
    EXPECT_EQ(std::string::npos, line.find("[Error]")) << line;
    EXPECT_EQ(std::string::npos, line.find("no answer")) << line;
  }

  // Six decks (two frequencies, three objects), each converted and analysed once.
  const std::vector<std::string> converted = Starting(out, "Converting: ");
  ASSERT_EQ(6u, converted.size());
  for (const std::string& line : converted)
    EXPECT_NE(std::string::npos, line.find(".out ......done.")) << line;
  ASSERT_EQ(6u, Starting(out, "Load: ").size());

  // The table: a header and one row per output, the frequencies those of the range file.
  std::vector<std::string> table(std::find(out.begin(), out.end(), "==table"),
                                 std::find(out.begin(), out.end(), "==end"));
  ASSERT_EQ(1u + 3u + 6u, table.size());
  table.erase(table.begin());
  std::string saved;
  for (const std::string& line : table) saved += line + "\r\n";
  EXPECT_EQ(saved, system.ReadFile("c:\\4nec2\\table.txt"));
  int low = 0, high = 0;
  for (std::size_t i = 3; i < table.size(); ++i) {
    low += table[i].find(";     7,01;") != std::string::npos;
    high += table[i].find(";     14,2;") != std::string::npos;
  }
  EXPECT_EQ(3, low);
  EXPECT_EQ(3, high);

  system.DeleteTree("c:\\4nec2");
}

}  // namespace varnel
