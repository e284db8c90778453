// The first-start sample tree below c:\4nec2\: the folders, the sample files (sample/) and the
// engine launchers, each made only where nothing of its name exists.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/posix_internal.hpp"
#include "platform/posix/posix_sample_tree.hpp"
#include "sample/sample_files.hpp"
#include "util/tree.hpp"

namespace varnel {

using namespace posix_detail;

namespace {

// Creates the file with the bytes unless something of that name exists already.
void WriteNew(const std::string& path, const std::string& bytes, mode_t mode) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return;
  std::size_t written = 0;
  while (written < bytes.size()) {
    ssize_t put = write(fd, bytes.data() + written, bytes.size() - written);
    if (put < 0) {
      if (errno == EINTR) continue;
      break;
    }
    written += static_cast<std::size_t>(put);
  }
  close(fd);
  if (written < bytes.size()) unlink(path.c_str());  // no half-written sample
}

// mkdir -p; existing folders are fine.
void MakeFolders(const std::string& nativePath) {
  std::string path;
  for (const std::string& part : NativeComponents(nativePath)) {
    path += "/" + part;
    mkdir(path.c_str(), 0777);
  }
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string LauncherScript(const std::string& engine) {
  return "#!/bin/sh\n"
         "# Engine launcher of the Varnel sample tree: runs the NEC2 engine stand-in with the\n"
         "# parameter text as it came (deck path, output path).\n"
         "engine=" + ShellQuoted(engine) + "\n"
         "if [ ! -x \"$engine\" ]; then engine=varnel_engine; fi\n"
         "exec \"$engine\" \"$@\"\n";
}

}  // namespace

void CreateSampleTree(PosixSystem& system) {
  auto Native = [&system](const std::string& path) { return system.ToNativePath(path); };
  const std::string root = Native("c:\\4nec2");
  MakeFolders(root);
  // The folders keep whatever letter case they already have on disk.
  for (const char* folder : {kExeFolder, kDeckFolder, kRangeFolder, kOutputFolder, kSingleOutputFolder}) {
    mkdir(Native(folder).c_str(), 0777);
  }
  WriteNew(Native(kSampleDeck), SampleDeckText(), 0666);
  WriteNew(Native(kSampleRange), SampleRangeText(), 0666);

  // The launchers start the stand-in that lies beside the running program.
  std::string engine = "varnel_engine";
  std::string self(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", self.data(), self.size());
  if (length > 0) {
    self.resize(static_cast<std::size_t>(length));
    engine = self.substr(0, self.rfind('/') + 1) + "varnel_engine";
  }
  const std::string script = LauncherScript(engine);
  for (const char* launcher : kEngineExecutables) {
    WriteNew(Native(launcher), script, 0777);
  }

  // The sample output is made by the engine from the sample deck; where the engine cannot run
  // (no stand-in beside the program, no nec2c) the stored copy of such a run is written.
  const std::string sampleOutput = Native(kDipolOutput);
  if (access(sampleOutput.c_str(), F_OK) != 0) {
    // Relative paths from the tree's root, so the engine needs no drive mapping of its own.
    std::string saved(4096, '\0');
    if (access(engine.c_str(), X_OK) == 0 && getcwd(saved.data(), saved.size()) && chdir(root.c_str()) == 0) {
      std::string error;
      const ProcessHandle run = system.StartProcess(engine, "b_in\\dipol.nec out\\dipol.out", error);
      if (chdir(saved.c_str()) != 0) {
        // The folder we came from is gone; the core works with absolute paths from here on.
      }
      for (int waited = 0; run && !system.ProcessEnded(run) && waited < 30000; waited += 10) usleep(10000);
      if (run) system.CloseProcess(run);
    }
    WriteNew(sampleOutput, SampleOutputText(), 0666);
  }
}

}  // namespace varnel
