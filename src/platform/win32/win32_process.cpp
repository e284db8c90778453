// Starting programs. The command line is the program path in double quotes, a blank and the
// parameter text, as the desktop shell builds it for a program and its parameters; the program
// inherits the current folder and gets no console window.
//
// Each program starts suspended, is put into a job object of its own and only then resumes, so
// everything it starts belongs to the job too: EndProcess ends the whole job. The jobs end when
// their last handle closes, which is at the latest when this program ends, however it ends.
// The exit code of an ended program is kept from ProcessEnded until CloseProcess.
#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/win32/win32_system.hpp"

#include <windows.h>
#undef near
#undef far

#include "platform/win32/win32_internal.hpp"

namespace varnel {

using namespace win32_detail;

namespace {

struct Started {
  HANDLE process;
  HANDLE job;
};

// Started programs are a property of the process, not of one system object.
std::mutex startedMutex;
std::map<std::int64_t, Started> started;  // by process id, while the handle is open
std::map<std::int64_t, DWORD> exitCodes;  // by process id: ended, handle not yet closed

void Release(const Started& program) {
  CloseHandle(program.process);
  CloseHandle(program.job);
}

HANDLE NewJob() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

}  // namespace

ProcessHandle Win32System::StartProcess(const std::string& program, const std::string& parameters,
                                        std::string& error) {
  if (program.empty() || program.find('\0') != std::string::npos ||
      parameters.find('\0') != std::string::npos) {
    error = SystemMessage(ERROR_FILE_NOT_FOUND);
    return {};
  }
  const std::wstring application = Wide(program);
  std::wstring commandLine = L"\"" + application + L"\"";
  if (!parameters.empty()) commandLine += L" " + Wide(parameters);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info)) {
    error = SystemMessage(GetLastError());
    return {};
  }
  HANDLE job = NewJob();
  if (!job || !AssignProcessToJobObject(job, info.hProcess)) {
    const DWORD code = GetLastError();
    TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (job) CloseHandle(job);
    error = SystemMessage(code);
    return {};
  }
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  std::lock_guard<std::mutex> lock(startedMutex);
  started[info.dwProcessId] = Started{info.hProcess, job};
  exitCodes.erase(info.dwProcessId);  // a reused number of an earlier program
  return ProcessHandle{static_cast<std::int64_t>(info.dwProcessId)};
}

bool Win32System::ProcessEnded(ProcessHandle handle) {
  std::lock_guard<std::mutex> lock(startedMutex);
  auto it = started.find(handle.id);
  if (it == started.end()) return true;
  if (WaitForSingleObject(it->second.process, 0) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  if (GetExitCodeProcess(it->second.process, &code)) exitCodes[handle.id] = code;
  // What the program itself started may still run: it ends with the job, as it does on
  // EndProcess and at this program's end.
  Release(it->second);
  started.erase(it);
  return true;
}

bool Win32System::WaitForAnyProcess(const std::vector<ProcessHandle>& handles, int milliseconds) {
  if (handles.size() > MAXIMUM_WAIT_OBJECTS) return System::WaitForAnyProcess(handles, milliseconds);
  std::vector<HANDLE> processes;
  {
    std::lock_guard<std::mutex> lock(startedMutex);
    for (const ProcessHandle handle : handles) {
      auto it = started.find(handle.id);
      if (it == started.end()) return true;  // ended and released, or unknown
      processes.push_back(it->second.process);
    }
  }
  if (processes.empty()) return true;
  // The handles stay open: only the one user-interface thread closes them, and it waits here.
  WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(), FALSE,
                         static_cast<DWORD>(std::max(milliseconds, 0)));
  return true;
}

ProcessExit Win32System::ProcessExitOf(ProcessHandle handle) {
  std::lock_guard<std::mutex> lock(startedMutex);
  auto it = exitCodes.find(handle.id);
  if (it == exitCodes.end()) return {};
  return {ProcessExit::How::Exited, static_cast<std::int64_t>(it->second)};
}

void Win32System::CloseProcess(ProcessHandle handle) {
  std::lock_guard<std::mutex> lock(startedMutex);
  exitCodes.erase(handle.id);
  auto it = started.find(handle.id);
  if (it == started.end()) return;
  if (WaitForSingleObject(it->second.process, 0) != WAIT_OBJECT_0) {
    // No longer waited for: it keeps running after its handle is gone.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    SetInformationJobObject(it->second.job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  }
  Release(it->second);
  started.erase(it);
}

void Win32System::EndProcess(ProcessHandle handle) {
  std::lock_guard<std::mutex> lock(startedMutex);
  exitCodes.erase(handle.id);
  auto it = started.find(handle.id);
  if (it == started.end()) return;
  TerminateJobObject(it->second.job, 1);
  WaitForSingleObject(it->second.process, INFINITE);
  Release(it->second);
  started.erase(it);
}

}  // namespace varnel
