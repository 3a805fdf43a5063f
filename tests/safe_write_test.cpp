#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "container/file_io.h"
#include "container/pt_writer.h"
#include "container/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::readAll;
using test::ScratchDir;

// Runs fn in a child process whose files may not grow beyond limit bytes and
// returns the errno it reports (0 for success).
int inChildWithFileSizeLimit(rlim_t limit, const std::function<int()>& fn) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit rl{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    ::_exit(fn());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST(SafeWrite, ReplacesTheWholeFile) {
  ScratchDir dir;
  test::writeAllBytes(dir / "t.bin", Bytes(5000, 9));
  const Bytes data(100, 3);
  ASSERT_FALSE(safeWriteFile(dir / "t.bin", data));
  EXPECT_EQ(readAll(dir / "t.bin"), data);
  EXPECT_EQ(dir.entries().size(), 1u);
}

TEST(SafeWrite, FileSizeLimitPartWayLeavesTheEarlierFile) {
  ScratchDir dir;
  const Bytes old = makeSampleContainer();
  const Bytes replacement(kFileSize, 0x42);
  for (rlim_t limit : {rlim_t{0}, rlim_t{4096}, rlim_t{700000}, rlim_t{kFileSize - 1}}) {
    test::writeAllBytes(dir / "c.pt", old);
    const int code = inChildWithFileSizeLimit(limit, [&] {
      auto err = safeWriteFile(dir / "c.pt", replacement);
      return err ? err->code : 0;
    });
    EXPECT_EQ(code, EFBIG) << "limit " << limit;
    EXPECT_EQ(readAll(dir / "c.pt"), old) << "limit " << limit;
    EXPECT_EQ(dir.entries().size(), 1u) << "temporary file left behind, limit " << limit;
  }
}

TEST(SafeWrite, ContainerSaveUnderASizeLimitReportsTheSystemsError) {
  ScratchDir dir;
  const Bytes old(1000, 0x11);
  test::writeAllBytes(dir / "c.pt", old);
  const int code = inChildWithFileSizeLimit(100000, [&] {
    test::ScriptedPrompt prompt;
    prompt.answers = {true};
    const bool ok = writePtFile(makeSamplePtFile(), dir / "c.pt", prompt);
    const bool shown = prompt.errors.size() == 1 && prompt.errors[0].title == "Varnholt" &&
                       prompt.errors[0].text == std::generic_category().message(EFBIG);
    return ok ? 1 : shown ? 0 : 2;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(readAll(dir / "c.pt"), old);
  EXPECT_EQ(dir.entries().size(), 1u);
}

TEST(SafeWrite, MissingFolderAndFolderTargetFailWithoutLeftovers) {
  ScratchDir dir;
  auto err = safeWriteFile(dir / "none" / "x", Bytes(3, 0));
  ASSERT_TRUE(err);
  EXPECT_EQ(err->code, ENOENT);
  std::filesystem::create_directory(dir / "sub");
  err = safeWriteFile(dir / "sub", Bytes(3, 0));
  ASSERT_TRUE(err);
  EXPECT_EQ(err->code, EISDIR);
  EXPECT_EQ(dir.entries().size(), 1u);
  EXPECT_TRUE(std::filesystem::is_empty(dir / "sub"));
}

}  // namespace
}  // namespace pt
