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
#include <cstdio>
#include <functional>

#include "bitmap/slot_bitmap_writer.h"
#include "common/batch_write.h"
#include "common/file_io.h"
#include "container/pt_writer.h"
#include "sample/sample_container.h"
#include "exchange/slot_files.h"
#include "png/slot_png_writer.h"
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

int codeOf(const Status& s) { return s ? 0 : s.error().code; }

// ptool's copy of `in` in a process of its own with VARNHOLT_NAMED_TEMPORARIES
// set (a process reads it once): 0, or the errno whose description ends its report.
int namedCopy(const fs::path& in, const fs::path& target) {
  const std::string command = "VARNHOLT_NAMED_TEMPORARIES=1 " + quotePath(VARNHOLT_PTOOL) + " copy --force " +
                              quotePath(in) + " " + quotePath(target) + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string said;
  for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe)) said += static_cast<char>(c);
  if (::pclose(pipe) == 0) return 0;
  for (int code = 1; code < 200; ++code)
    if (said.ends_with("\n" + std::generic_category().message(code) + "\n")) return code;
  return 253;
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

std::vector<WritePath> writePaths() {
  static const PtFile sample = makeSamplePtFile();
  static const Bytes container = makeSampleContainer();
  static const ScratchDir source;
  const fs::path in = source / "in.pt";
  test::writeAllBytes(in, container);
  const auto save = [](const fs::path& p) {
    ScriptedPrompt yes;
    yes.answers = {true};
    return codeOf(savePtFile(sample, p, yes));
  };
  return {{"container save", kFileSize, save},
          {"named temporaries", kFileSize, [in](const fs::path& p) { return namedCopy(in, p); }},
          {"PNG export", encodeSlotPng(sample.slots[0], 0, false)->size(), [](const fs::path& p) {
             ScriptedPrompt prompt;  // answers Yes
             prompt.answers = {true};
             return shownError(exportSlotPng(sample, 0, p, prompt).ok(), prompt);
           }},
          {"preview", 66614, [](const fs::path& p) {
             return codeOf(writeSlotBitmap(sample, 0, p, test::shippedBmpHeader(), true));
           }},
          {"batch writer", kFileSize, [](const fs::path& p) {
             BatchWriter writer(BatchWriter::Existing::Replace);
             const Status added = writer.add(p, container);
             return codeOf(added ? writer.commit() : added);
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

TEST(FaultInjection, FileSizeLimitsAtTheStartAndPartWay) {
  for (const WritePath& w : writePaths()) {
    for (rlim_t limit : {rlim_t{0}, rlim_t{1}, rlim_t{w.bytes / 2}, rlim_t{w.bytes - 1}}) {
      ScratchDir dir;
      const fs::path target = dir / "target";
      test::writeAllBytes(target, earlierFile());
      EXPECT_EQ(inChild([&] { return w.run(target); }, limit), EFBIG) << w.name << " limit " << limit;
      EXPECT_EQ(readAll(target), earlierFile()) << w.name << " limit " << limit;
      EXPECT_FALSE(tempLeft(dir.path())) << w.name << " limit " << limit;
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
    EXPECT_EQ(w.run(dir / "folder"), EISDIR) << w.name;
    EXPECT_EQ(w.run(dir / "missing" / "target"), ENOENT) << w.name;
    EXPECT_EQ(readAll(dir / "folder" / "inside"), earlierFile()) << w.name;
    EXPECT_FALSE(fs::exists(dir / "missing")) << w.name;
    EXPECT_FALSE(tempLeft(dir.path())) << w.name;
    EXPECT_FALSE(tempLeft(dir / "folder")) << w.name;
  }
}

// A folder that cannot be made is refused with the part of the path at
// fault, and the folders made for it are gone again.
TEST(FaultInjection, MakeFoldersNamesThePartItCannotMake) {
  ScratchDir dir;
  test::writeAllBytes(dir / "file", earlierFile());
  const auto reason = [](int code) { return std::generic_category().message(code); };
  const struct { fs::path folder; std::string says; } cases[] = {
      {dir / "a" / "b" / "c", ""},
      {dir / "a", ""},
      {dir / "file" / "x" / "y", (dir / "file" / "x").string() + ": " + reason(ENOTDIR)},
      {dir / "file", (dir / "file").string() + ": " + reason(ENOTDIR)},
      {dir / "new" / std::string(300, 'x') / "y", (dir / "new" / std::string(300, 'x')).string() + ": " + reason(ENAMETOOLONG)}};
  for (const auto& c : cases) {
    const Status made = makeFolders(c.folder);
    EXPECT_EQ(made ? "" : describe(made.error()), c.says) << c.folder;
  }
  EXPECT_TRUE(fs::is_directory(dir / "a" / "b" / "c"));
  EXPECT_FALSE(fs::exists(dir / "new"));
  EXPECT_EQ(readAll(dir / "file"), earlierFile());
}

// A small tmpfs mounted for one test; needs root.
class TmpfsMount {
 public:
  explicit TmpfsMount(const fs::path& at, const std::string& options) : at_(at) {
    fs::create_directories(at);
    mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) == 0;
    if (!mounted_) why_ = std::generic_category().message(errno);
  }
  ~TmpfsMount() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
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
    EXPECT_EQ(w.run(target), EROFS) << w.name;
    EXPECT_EQ(w.run(dir / "small" / "new"), EROFS) << w.name;
    EXPECT_EQ(readAll(target), earlierFile()) << w.name;
    EXPECT_FALSE(tempLeft(dir / "small")) << w.name;
    const Status made = makeFolders(dir / "small" / "new" / "sub");
    EXPECT_EQ(describe(made.error()), (dir / "small" / "new").string() + ": " + std::generic_category().message(EROFS));
  }
}

TEST(FaultInjection, FolderWithoutWritePermissionForAnOrdinaryUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run ptool as another user";
  if (test::runCommand("command -v setpriv").status != 0) GTEST_SKIP() << "setpriv is missing";
  ScratchDir dir;
  fs::permissions(dir.path(), fs::perms::all, fs::perm_options::add);  // let the user reach it
  fs::create_directory(dir / "locked");
  const fs::path in = dir / "in.pt";
  const fs::path target = dir / "locked" / "target.pt";
  test::writeAllBytes(in, makeSampleContainer());
  test::writeAllBytes(target, earlierFile());
  fs::permissions(in, fs::perms::others_read, fs::perm_options::add);
  fs::permissions(target, fs::perms::all, fs::perm_options::add);  // the file itself is writable
  fs::permissions(dir / "locked", fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  const auto r = test::runCommand("setpriv --reuid=65534 --regid=65534 --clear-groups " +
                                  test::shellQuote(VARNHOLT_PTOOL) + " copy --force " + quotePath(in) + " " + quotePath(target));
  EXPECT_NE(r.err.find(std::generic_category().message(EACCES)), std::string::npos) << r.err;
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(readAll(target), earlierFile());
  EXPECT_FALSE(tempLeft(dir / "locked"));
}

}  // namespace
}  // namespace pt
