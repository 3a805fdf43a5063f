#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <numeric>

#include "container/file_io.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::readAll;
using test::ScratchDir;

Bytes counting(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
  return b;
}

TEST(FileReader, ScatteredReadFillsEveryPartInFileOrder) {
  ScratchDir dir;
  const Bytes file = counting(200000);
  test::writeAllBytes(dir / "f.bin", file);
  FileReader reader;
  ASSERT_FALSE(reader.open(dir / "f.bin"));

  Bytes a(53248), b(44), c(0), d(65536), e(12);
  const std::span<std::uint8_t> parts[] = {a, b, c, d, e};
  std::size_t got = 0;
  ASSERT_FALSE(reader.readAt(1000, parts, got));
  ASSERT_EQ(got, a.size() + b.size() + d.size() + e.size());
  Bytes joined;
  for (const Bytes* p : {&a, &b, &c, &d, &e}) joined.insert(joined.end(), p->begin(), p->end());
  EXPECT_EQ(joined, Bytes(file.begin() + 1000, file.begin() + 1000 + static_cast<long>(got)));
}

TEST(FileReader, ScatteredReadStopsAtTheEndOfTheFile) {
  ScratchDir dir;
  const Bytes file = counting(70000);
  test::writeAllBytes(dir / "f.bin", file);
  FileReader reader;
  ASSERT_FALSE(reader.open(dir / "f.bin"));

  // The end falls inside the second part; the third gets nothing.
  Bytes a(50000, 0xAA), b(50000, 0xBB), c(10, 0xCC);
  const std::span<std::uint8_t> parts[] = {a, b, c};
  std::size_t got = 0;
  ASSERT_FALSE(reader.readAt(0, parts, got));
  EXPECT_EQ(got, file.size());
  EXPECT_TRUE(std::equal(a.begin(), a.end(), file.begin()));
  EXPECT_TRUE(std::equal(b.begin(), b.begin() + 20000, file.begin() + 50000));
  EXPECT_EQ(b[20000], 0xBB);
  EXPECT_EQ(c, Bytes(10, 0xCC));
}

TEST(SafeWrite, ScratchWriteReplacesTheWholeFileAndLeavesNothingBehind) {
  ScratchDir dir;
  test::writeAllBytes(dir / "pre.bmp", Bytes(90000, 1));
  const Bytes data = counting(66614);
  ASSERT_FALSE(safeWriteFile(dir / "pre.bmp", data, Durability::Scratch));
  EXPECT_EQ(readAll(dir / "pre.bmp"), data);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"pre.bmp"});
}

TEST(SafeWrite, ScratchWriteCutShortLeavesTheEarlierFile) {
  ScratchDir dir;
  const Bytes earlier(66614, 5);
  test::writeAllBytes(dir / "pre.bmp", earlier);
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit rl{40000, 40000};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    const auto err = safeWriteFile(dir / "pre.bmp", counting(66614), Durability::Scratch);
    ::_exit(err ? err->code : 0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), EFBIG);
  EXPECT_EQ(readAll(dir / "pre.bmp"), earlier);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"pre.bmp"});
}

}  // namespace
}  // namespace pt
