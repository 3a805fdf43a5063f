// A save killed at a random moment leaves at the target either the earlier
// container or the new one, complete, never a mixture or a cut-off file.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "common/file_io.h"
#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

extern char** environ;

namespace pt {
namespace {

namespace fs = std::filesystem;
using test::readAll;

pid_t startPtool(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::string program = VARNHOLT_PTOOL;
  argv.push_back(program.data());
  std::vector<std::string> copy = args;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

TEST(KillDuringSave, TargetIsAlwaysOneWholeContainer) {
  test::ScratchDir dir;
  const Bytes a = makeSampleContainer();
  PtFile other = makeSamplePtFile();
  for (auto& s : other.slots) std::reverse(s.pixels.begin(), s.pixels.end());
  const Bytes b = serializePtFile(other);
  test::writeAllBytes(dir / "a.pt", a);
  test::writeAllBytes(dir / "b.pt", b);
  const fs::path target = dir / "target.pt";
  test::writeAllBytes(target, a);

  using Clock = std::chrono::steady_clock;
  const auto runToEnd = [&](const fs::path& from) {
    const auto start = Clock::now();
    const pid_t pid = startPtool({"copy", "--force", from.string(), target.string()});
    int status = 0;
    ::waitpid(pid, &status, 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
  };
  // How long one whole copy takes here, start-up and flush included, decides
  // the spread of the kill delays: a slow disk or a busy machine needs longer.
  long long wholeCopyUs = 0;
  for (int i = 0; i < 3; ++i) wholeCopyUs = std::max(wholeCopyUs, static_cast<long long>(runToEnd(dir / "a.pt")));
  ASSERT_EQ(readAll(target), a);

  std::mt19937 rng(20261206);
  // Delays up to half again a whole copy, so kills land before, during and
  // after the write.
  std::uniform_int_distribution<long long> delayUs(0, wholeCopyUs + wholeCopyUs / 2);
  int sawA = 0, sawB = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(40);
  for (int round = 0; round < 200 && (round < 20 || Clock::now() < deadline); ++round) {
    const bool toB = round % 2 == 0;
    const pid_t pid = startPtool({"copy", "--force", (dir / (toB ? "b.pt" : "a.pt")).string(), target.string()});
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs(rng)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const Bytes now = readAll(target);
    ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes, a mixture";
    (now == a ? sawA : sawB)++;
    // A killed process cannot remove its temporary file; clear it for the next round.
    for (const auto& e : fs::directory_iterator(dir.path()))
      if (e.path().filename().string().rfind(kTempPrefix, 0) == 0) fs::remove(e.path());
  }
  // Both outcomes occur, or the test would not show the kill lands mid-way.
  EXPECT_GT(sawA, 0);
  EXPECT_GT(sawB, 0);
}

}  // namespace
}  // namespace pt
