// Every write path fails at the start and part-way: size limits, a full file
// system, a read-only file system, a folder as target, a missing folder.
// After each the earlier file is byte for byte as it was, no temporary file
// is left, and the error shown is the operating system's own.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "bitmap/slot_bitmap_writer.h"
#include "common/file_io.h"
#include "container/pt_writer.h"
#include "sample/sample_container.h"
#include "exchange/slot_files.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

namespace fs = std::filesystem;
using test::quotePath;
using test::readAll;
using test::ScratchDir;
using test::ScriptedPrompt;

// A write path: writes to target and returns the errno of its failure (0 on
// success); the error shown to the user must be that errno's description.
struct WritePath {
  const char* name;
  std::size_t bytes;  // size of what it writes
  std::function<int(const fs::path&)> run;
};

int shownError(bool ok, const ScriptedPrompt& prompt) {
  if (ok) return 0;
  if (prompt.errors.size() != 1 || prompt.errors[0].title != "Varnholt") return 254;
  for (int code = 1; code < 200; ++code)
    if (prompt.errors[0].text == std::generic_category().message(code)) return code;
  return 253;
}

std::vector<WritePath> writePaths() {
  static const PtFile sample = makeSamplePtFile();
  const auto shown = [](auto write) {  // through a prompt that answers Yes
    return [write](const fs::path& p) {
      ScriptedPrompt prompt;
      prompt.answers = {true};
      return shownError(write(p, prompt), prompt);
    };
  };
  return {{"container save", kFileSize, shown([](const fs::path& p, ScriptedPrompt& pr) { return writePtFile(sample, p, pr); })},
          {"bitmap export", 66614, shown([](const fs::path& p, ScriptedPrompt& pr) {
             return exportBitmap(sample, 2, p, test::shippedBmpHeader(), pr);
           })},
          {"preview", 66614, [](const fs::path& p) {
             auto written = writeSlotBitmap(sample, 0, p, test::shippedBmpHeader(), true);
             return written ? 0 : written.error().code;
           }}};
}

bool tempLeft(const fs::path& dir) {
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string().rfind(kTempPrefix, 0) == 0) return true;
  return false;
}

const Bytes& earlierFile() {
  static const Bytes b(3000, 0x5D);
  return b;
}

int inChild(const std::function<int()>& fn, rlim_t sizeLimit = RLIM_INFINITY) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    if (sizeLimit != RLIM_INFINITY) {
      rlimit rl{sizeLimit, sizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &rl);
    }
    ::_exit(fn());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST(FaultInjection, FileSizeLimitsAtTheStartAndPartWay) {
  for (const WritePath& w : writePaths()) {
    for (rlim_t limit : {rlim_t{0}, rlim_t{1}, rlim_t{4096}, rlim_t{w.bytes / 2}, rlim_t{w.bytes - 1}}) {
      ScratchDir dir;
      const fs::path target = dir / "target";
      test::writeAllBytes(target, earlierFile());
      EXPECT_EQ(inChild([&] { return w.run(target); }, limit), EFBIG) << w.name << " limit " << limit;
      EXPECT_TRUE(readAll(target) == earlierFile() && !tempLeft(dir.path())) << w.name << " limit " << limit;
    }
    // The limit set just above the size lets the same write through.
    ScratchDir dir;
    EXPECT_EQ(inChild([&] { return w.run(dir / "target"); }, w.bytes), 0) << w.name;
    EXPECT_EQ(fs::file_size(dir / "target"), w.bytes) << w.name;
  }
}

TEST(FaultInjection, FolderAsTargetAndMissingFolder) {
  for (const WritePath& w : writePaths()) {
    ScratchDir dir;
    fs::create_directory(dir / "folder");
    test::writeAllBytes(dir / "folder" / "inside", earlierFile());
    EXPECT_EQ(std::pair(w.run(dir / "folder"), w.run(dir / "missing" / "target")), std::pair(EISDIR, ENOENT)) << w.name;
    EXPECT_TRUE(readAll(dir / "folder" / "inside") == earlierFile() && !fs::exists(dir / "missing") &&
                !tempLeft(dir.path()) && !tempLeft(dir / "folder")) << w.name;
  }
}

// A small tmpfs mounted for one test; needs root.
class TmpfsMount {
 public:
  explicit TmpfsMount(const fs::path& at, const std::string& options) : at_(at) {
    fs::create_directories(at);
    mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) == 0;
    if (!mounted_) why_ = std::generic_category().message(errno);
  }
  ~TmpfsMount() { if (mounted_) ::umount2(at_.c_str(), MNT_DETACH); }
  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }
  bool remountReadOnly() { return ::mount("tmpfs", at_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0; }

 private:
  fs::path at_;
  bool mounted_ = false;
  std::string why_;
};

#define SKIP_UNLESS_MOUNTED(m)                                                                    \
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";                          \
  if (!(m).mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << (m).why()

TEST(FaultInjection, FullAndReadOnlyFileSystems) {
  for (const WritePath& w : writePaths()) {
    ScratchDir dir;
    TmpfsMount fsmount(dir / "small", "size=2m");
    SKIP_UNLESS_MOUNTED(fsmount);
    const fs::path target = dir / "small" / "target";
    test::writeAllBytes(target, earlierFile());
    // Leave less room than the write needs: at the start (nothing) and part-way.
    for (std::size_t room : {std::size_t{0}, w.bytes / 2}) {
      const fs::path filler = dir / "small" / "filler";
      fs::remove(filler);
      const std::uint64_t free = fs::space(dir / "small").available;
      test::writeAllBytes(filler, Bytes(free > room ? free - room : 0, 0));
      EXPECT_EQ(w.run(target), ENOSPC) << w.name << " room " << room;
    }
    ASSERT_TRUE(fsmount.remountReadOnly());
    EXPECT_EQ(std::pair(w.run(target), w.run(dir / "small" / "new")), std::pair(EROFS, EROFS)) << w.name;
    EXPECT_TRUE(readAll(target) == earlierFile() && !tempLeft(dir / "small")) << w.name;
  }
}

TEST(FaultInjection, FolderWithoutWritePermissionForAnOrdinaryUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run ptool as another user";
  if (test::runCommand("command -v setpriv").status != 0) GTEST_SKIP() << "setpriv is missing";
  ScratchDir dir;
  fs::permissions(dir.path(), fs::perms::all, fs::perm_options::add);  // let the user reach it
  fs::create_directory(dir / "locked");
  const fs::path in = dir / "in.pt", target = dir / "locked" / "target.pt";
  test::writeAllBytes(in, makeSampleContainer());
  test::writeAllBytes(target, earlierFile());
  fs::permissions(in, fs::perms::others_read, fs::perm_options::add);
  fs::permissions(target, fs::perms::all, fs::perm_options::add);  // the file itself is writable
  fs::permissions(dir / "locked", fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  const auto r = test::runCommand("setpriv --reuid=65534 --regid=65534 --clear-groups " +
                                  test::shellQuote(VARNHOLT_PTOOL) + " copy --force " + quotePath(in) + " " + quotePath(target));
  EXPECT_TRUE(r.err.find(std::generic_category().message(EACCES)) != std::string::npos &&
              r.err.find("Save not completed of " + target.string()) != std::string::npos) << r.err;
  EXPECT_TRUE(r.status == 1 && readAll(target) == earlierFile() && !tempLeft(dir / "locked"));
}

}  // namespace
}  // namespace pt
