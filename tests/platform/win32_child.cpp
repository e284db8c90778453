// A small program the Windows system tests start:
//   win32_child args FILE ...      writes its whole command line to FILE
//   win32_child sleep MS           sleeps
//   win32_child tree FILE          starts "win32_child sleep 60000", writes its process id to FILE, sleeps
#include <windows.h>

#include <string>

namespace {

void WriteText(const wchar_t* path, const std::wstring& text) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD put;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &put, nullptr);
  CloseHandle(file);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 64;
  const std::wstring what = argv[1];
  if (what == L"args") {
    WriteText(argv[2], GetCommandLineW());
  } else if (what == L"sleep") {
    Sleep(static_cast<DWORD>(std::stoul(argv[2])));
  } else if (what == L"tree") {
    std::wstring commandLine = L"\"" + std::wstring(argv[0]) + L"\" sleep 60000";
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
      return 70;
    WriteText(argv[2], std::to_wstring(info.dwProcessId));
    Sleep(60000);
  } else {
    return 64;
  }
  return 0;
}
