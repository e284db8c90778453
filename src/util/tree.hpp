#pragma once
// The folders and files of the 4nec2 tree that the commands name, in the Windows form the
// commands print. The one place these paths are written; every other file takes them from here.
#include <array>
#include <string_view>

namespace varnel {

inline constexpr const char* kTreeRoot = "c:\\4nec2\\";
inline constexpr const char* kDeckFolder = "c:\\4nec2\\b_in";    // no trailing '\'
inline constexpr const char* kDeckParent = "c:\\4nec2\\b_in\\";  // parent of the generators' targets
inline constexpr const char* kRangeFolder = "c:\\4nec2\\b_in\\Ranges";
inline constexpr const char* kOutputFolder = "c:\\4nec2\\b_out";  // dialogs and "Show b_out"
inline constexpr const char* kOutputRoot = "C:\\4nec2\\b_out\\";  // where the conversions write
inline constexpr const char* kSingleOutputFolder = "c:\\4nec2\\out";
inline constexpr const char* kExeFolder = "c:\\4nec2\\exe";
inline constexpr const char* kSampleDeck = "c:\\4nec2\\b_in\\dipol.nec";
inline constexpr const char* kSampleRange = "c:\\4nec2\\b_in\\Ranges\\Range01 Test.txt";
inline constexpr const char* kDipolOutput = "c:\\4nec2\\out\\dipol.out";

// The engine executables of the "Engine" menu, in menu order; the first is the default.
inline constexpr std::array<const char*, 3> kEngineExecutables{
    "c:\\4nec2\\exe\\nec2dxs1k5.exe", "c:\\4nec2\\exe\\nec2dxs5k0.exe", "c:\\4nec2\\exe\\nec2dxs11k.exe"};

// The exit status with which the engine stand-in (tools/varnel_engine) says that it found the
// disk full (its temporary folder's or the output's): a batch stops at such a run.
inline constexpr int kEngineDiskFull = 74;

// The root and its fixed folders (trailing '\'), which no command deletes.
inline constexpr std::array<std::string_view, 6> kFixedFolders{
    "c:\\4nec2\\",        "c:\\4nec2\\exe\\", "c:\\4nec2\\b_in\\", "c:\\4nec2\\b_in\\Ranges\\",
    "c:\\4nec2\\b_out\\", "c:\\4nec2\\out\\"};

}  // namespace varnel
