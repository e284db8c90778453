// Deleting and writing where file systems are mounted: each test runs in a child process with a
// mount namespace of its own (as root, or in a user namespace where that is allowed), so its
// mounts are private and vanish with the child. Where mounting is not permitted, the tests skip.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "decks/folders.hpp"
#include "mainwindow/VarnelU.hpp"
#include "platform/posix/posix_internal.hpp"
#include "support/inout_error.hpp"
#include "support/test_root.hpp"
#include "util/files.hpp"

namespace varnel {

namespace fs = std::filesystem;

namespace {

bool WriteProcFile(const char* path, const std::string& text) {
  std::ofstream file(path);
  file << text;
  file.close();
  return static_cast<bool>(file);
}

// "" once this process has a private mount namespace in which it may mount, else "skip: why".
std::string EnterPrivateMounts() {
  if (unshare(CLONE_NEWNS) != 0) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
      return std::string("skip: mounting is not permitted here (") + std::strerror(errno) + ")";
    if (!WriteProcFile("/proc/self/setgroups", "deny") ||
        !WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
      return "skip: no identity in a user namespace";
  }
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
    return std::string("skip: mounts cannot be made private (") + std::strerror(errno) + ")";
  return "";
}

// Runs check in a child with private mounts and gives its report: "" when all was well, what
// went wrong otherwise. Skips the test where mounting is not permitted.
#define EXPECT_IN_PRIVATE_MOUNTS(check)                                   \
  do {                                                                    \
    const std::string report = InPrivateMounts(check);                    \
    if (report.rfind("skip: ", 0) == 0) GTEST_SKIP() << report.substr(6); \
    EXPECT_EQ("", report);                                                \
  } while (false)

std::string InPrivateMounts(const std::function<std::string()>& check) {
  int channel[2];
  if (pipe(channel) != 0) return "no pipe";
  const pid_t child = fork();
  if (child < 0) return "no child process";
  if (child == 0) {
    close(channel[0]);
    std::string report = EnterPrivateMounts();
    if (report.empty()) report = check();
    for (std::size_t sent = 0; sent < report.size();) {
      const ssize_t put = write(channel[1], report.data() + sent, report.size() - sent);
      if (put <= 0) break;
      sent += static_cast<std::size_t>(put);
    }
    _exit(0);
  }
  close(channel[1]);
  std::string report;
  char buffer[512];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) report.append(buffer, got);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) report += " (the child ended abnormally)";
  return report;
}

// Collects the failures of a check in the child as text.
struct Report {
  std::ostringstream text;
  void Expect(bool holds, const std::string& what) {
    if (!holds) text << what << "; ";
  }
  template <typename T>
  void ExpectEqual(const T& expected, const T& actual, const std::string& what) {
    if (!(expected == actual)) text << what << ": expected [" << expected << "], got [" << actual << "]; ";
  }
  std::string Text() const { return text.str(); }
};

bool Mount(const fs::path& source, const fs::path& target, const char* type, const char* options) {
  return mount(source.c_str(), target.c_str(), type, type ? 0 : MS_BIND, options) == 0;
}

std::string SkipReason(const char* what) {
  return std::string("skip: ") + what + " (" + std::strerror(errno) + ")";
}

}  // namespace

TEST(PosixMounts, DeletionNeverEntersAFolderMountedInsideTheTarget) {
  struct Case {
    const char* kind;   // what is mounted
    const char* where;  // below the target
  };
  const Case cases[] = {{"bind", "inner"}, {"bind", "sub/deeper/inner"}, {"tmpfs", "inner"}};
  for (const Case& c : cases)
    for (const bool mountIds : {true, false}) {
      SCOPED_TRACE(std::string(c.kind) + " mount at " + c.where +
                   (mountIds ? "" : ", a kernel without mount ids"));
      TestRoot root;
      PosixSystem system(root.Roots());
      const fs::path precious = root.Write("elsewhere/precious.txt", "keep");
      root.Write("drive_c/4nec2/b_out/E_/old.out", "old");
      const fs::path mountPoint = root.driveC / "4nec2/b_out/E_" / c.where;
      fs::create_directories(mountPoint);
      EXPECT_IN_PRIVATE_MOUNTS([&] {
        posix_detail::kernelMountIds = mountIds;
        const bool bind = std::string(c.kind) == "bind";
        if (!Mount(bind ? precious.parent_path() : fs::path("tmpfs"), mountPoint, bind ? nullptr : "tmpfs",
                   nullptr))
          return SkipReason("mount refused");
        if (!bind) std::ofstream(mountPoint / "precious.txt") << "keep";
        system.DeleteTree("c:\\4nec2\\b_out\\E_\\");
        Report report;
        report.ExpectEqual(std::string("keep"), TestRoot::Read(mountPoint / "precious.txt"),
                           "the mounted file");
        report.Expect(!fs::exists(root.driveC / "4nec2/b_out/E_/old.out"),
                      "the target's own file was not deleted");
        return report.Text();
      });
    }
}

TEST(PosixMounts, ATargetThatIsItselfAMountPointIsRefusedBeforeAnythingIsDeleted) {
  TestRoot root;
  PosixSystem system(root.Roots());
  root.Write("drive_c/4nec2/b_in/E_/E_000.nec", "deck");
  fs::create_directories(root.driveC / "4nec2/b_out/E_");
  fs::create_directories(root.driveC / "4nec2/b_in/Ranges");
  EXPECT_IN_PRIVATE_MOUNTS([&] {
    if (!Mount(root.driveC / "4nec2/b_in/E_", root.driveC / "4nec2/b_out/E_", nullptr, nullptr))
      return SkipReason("bind mount refused");
    Report report;
    const std::string target = "C:\\4nec2\\b_out\\E_\\";
    report.ExpectEqual(std::string("the folder is a mount point"), system.FolderDeletionProblem(target),
                       "FolderDeletionProblem");
    report.ExpectEqual(std::string(""), system.FolderDeletionProblem("c:\\4nec2\\b_in\\E_\\"), "its source");
    system.DeleteTree(target);
    report.ExpectEqual(std::string("deck"), TestRoot::Read(root.driveC / "4nec2/b_in/E_/E_000.nec"),
                       "the deck after DeleteTree");

    std::ostringstream out;
    ScriptedUi ui(out, system);
    TForm1 form({system, ui});
    report.Expect(!RecreateTargetFolder(form, target, RecreateOptions::BatchConversion()), "recreated");
    std::string messages;
    for (const std::string& message : ui.messages) messages += message + "\n";
    report.ExpectEqual(
        "[Warning] Target folder refused (the folder is a mount point): " + target + ". Abort command!\n",
        messages, "messages");
    report.ExpectEqual(std::string("deck"), TestRoot::Read(root.driveC / "4nec2/b_in/E_/E_000.nec"),
                       "the deck after the recreation");
    return report.Text();
  });
}

TEST(PosixMounts, AFullDiskNamesTheFileAndTheCause) {
  TestRoot root;
  PosixSystem system(root.Roots());
  const fs::path out = root.driveC / "4nec2/out";
  fs::create_directories(out);
  EXPECT_IN_PRIVATE_MOUNTS([&] {
    if (!Mount("tmpfs", out, "tmpfs", "size=64k")) return SkipReason("tmpfs refused");
    std::ofstream(out / "table.txt") << "old table";
    const std::string large(1 << 20, 'x');
    Report report;
    report.ExpectEqual(std::string("112 E/A-Fehler 112 (disk full): c:\\4nec2\\out\\x.txt"),
                       ErrorOf([&] { system.WriteFile("c:\\4nec2\\out\\x.txt", large); }), "WriteFile");
    report.ExpectEqual(std::string("112 E/A-Fehler 112 (disk full): c:\\4nec2\\out\\table.txt"),
                       ErrorOf([&] { WriteTextFileSafely(system, large, "c:\\4nec2\\out\\table.txt"); }),
                       "WriteTextFileSafely");
    report.ExpectEqual(std::string("old table"), TestRoot::Read(out / "table.txt"), "the table replaced");
    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(out)) entries += entry.path().filename() != "x.txt";
    report.ExpectEqual(std::size_t{1}, entries, "files beside the table");
    return report.Text();
  });
}

}  // namespace varnel
