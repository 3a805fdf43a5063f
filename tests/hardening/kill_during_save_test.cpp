// A save or an export of all slots stopped by a signal at a random moment
// leaves at the target either the earlier container or folder or the new
// one, complete, and nothing else, with unnamed and with named temporary
// files.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "common/file_io.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

extern char** environ;

namespace pt {
namespace {

namespace fs = std::filesystem;
using test::readAll;

// ptool through env(1), which keeps its process id when it starts ptool.
pid_t startPtool(const std::vector<std::string>& args, bool named) {
  std::vector<std::string> words = {"env"};
  if (named) words.push_back("VARNHOLT_NAMED_TEMPORARIES=1");
  words.push_back(VARNHOLT_PTOOL);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const int rc = posix_spawnp(&pid, "env", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

TEST(KillDuringSave, TargetIsAlwaysOneWholeContainerAndNothingIsLeft) {
  test::ScratchDir dir;
  const Bytes a = makeSampleContainer();
  Bytes b = a;
  std::reverse(b.begin() + 60000, b.end() - 60000);
  test::writeAllBytes(dir / "a.pt", a);
  test::writeAllBytes(dir / "b.pt", b);
  const fs::path target = dir / "target.pt";
  test::writeAllBytes(target, a);
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  using Clock = std::chrono::steady_clock;
  const auto runToEnd = [&](const fs::path& from, bool named) {
    const auto start = Clock::now();
    int status = 0;
    ::waitpid(startPtool({"copy", "--force", from.string(), target.string()}, named), &status, 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
  };
  // How long one whole copy takes here decides the spread of the delays.
  long long wholeCopyUs = 0;
  for (int i = 0; i < 3; ++i) wholeCopyUs = std::max<long long>(wholeCopyUs, runToEnd(dir / "a.pt", i == 1));
  ASSERT_EQ(readAll(target), a);
  std::mt19937 rng(20261207);
  // Up to half again a whole copy, so signals land before, during and after the write.
  std::uniform_int_distribution<long long> delayUs(0, wholeCopyUs + wholeCopyUs / 2);
  const int signals[] = {SIGKILL, SIGINT, SIGTERM, SIGHUP};
  const std::set<std::string> keep = {"a.pt", "b.pt", "target.pt"};
  std::set<std::string> killedPids;  // of processes that could not clean up
  int sawA = 0, sawB = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(40);
  for (int round = 0; round < 240 && (round < 24 || Clock::now() < deadline); ++round) {
    const bool toB = round % 2 == 0;
    const bool named = round % 3 == 0;
    const int sig = signals[(round / 2) % 4];
    const pid_t pid = startPtool({"copy", "--force", (dir / (toB ? "b.pt" : "a.pt")).string(), target.string()}, named);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs(rng)));
    ::kill(pid, sig);
    ::waitpid(pid, nullptr, 0);
    if (sig == SIGKILL) killedPids.insert("." + std::to_string(pid) + ".");
    const Bytes now = readAll(target);
    ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes, a mixture";
    (now == a ? sawA : sawB)++;
    // Only a process killed outright may leave its temporary file, for the
    // next write to remove.
    for (const std::string& name : dir.entries()) {
      if (keep.count(name)) continue;
      const bool killedOnes = name.rfind(kTempPrefix, 0) == 0 &&
          std::any_of(killedPids.begin(), killedPids.end(), [&](const std::string& p) { return name.find(p) != std::string::npos; });
      EXPECT_TRUE(killedOnes) << "round " << round << " (signal " << sig << ", named " << named << ") left " << name;
    }
  }
  runToEnd(dir / "a.pt", true);
  runToEnd(dir / "a.pt", false);
  EXPECT_EQ(dir.entries().size(), keep.size()) << "temporary files outlived a later write";
  EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  // Both outcomes occur, or the test would not show the signal lands mid-way.
  EXPECT_GT(sawA, 0);
  EXPECT_GT(sawB, 0);
}


// The names under `root`, with every file's bytes ("" for a folder).
std::map<std::string, Bytes> tree(const fs::path& root) {
  std::map<std::string, Bytes> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    files[fs::relative(e.path(), root).string()] = e.is_directory() ? Bytes() : readAll(e.path());
  return files;
}

TEST(KillDuringSave, EachContainersFolderIsOneWholeExportAndNothingIsLeft) {
  test::ScratchDir dir(test::Medium::Memory);
  // Two containers whose exports differ in their files, not only in bytes.
  Bytes b = makeSampleContainer();
  std::fill_n(b.begin() + 53250, 10, 0);
  const Bytes contents[] = {makeSampleContainer(), b};
  const auto exportAll = [&](int which, const std::string& into, bool named) {
    for (const char* name : {"c1.pt", "c2.pt"}) test::writeAllBytes(dir / name, contents[which]);
    return startPtool({"export-all", (dir / "c1.pt").string(), (dir / "c2.pt").string(), "-d", (dir / into).string(),
                       "--format", "tex", "--force"}, named);
  };
  using Clock = std::chrono::steady_clock;
  long long wholeUs = 0;
  std::map<std::string, Bytes> exports[2];
  for (int which : {1, 0}) {  // the references, then the earlier export
    const auto start = Clock::now();
    ::waitpid(exportAll(which, "ref" + std::to_string(which), false), nullptr, 0);
    ::waitpid(exportAll(which, "out", false), nullptr, 0);
    wholeUs = std::max<long long>(wholeUs, std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count() / 2);
    exports[which] = tree(dir / ("ref" + std::to_string(which)));
    ASSERT_EQ(exports[which].size(), which ? 2u + 2 * 10 : 2u + 2 * 18);  // folders, slot files, manifests
  }
  std::mt19937 rng(20261207);
  std::uniform_int_distribution<long long> delayUs(0, wholeUs + wholeUs / 2);
  const int signals[] = {SIGKILL, SIGINT, SIGTERM};
  int saw[2] = {0, 0};
  std::set<std::string> killedPids;
  for (int round = 0; round < 102; ++round) {
    const int sig = signals[round % 3];
    const pid_t pid = exportAll(round % 2, "out", round % 4 == 1);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs(rng)));
    ::kill(pid, sig);
    ::waitpid(pid, nullptr, 0);
    const auto now = tree(dir / "out");
    // Each folder by itself: the two may differ when the signal fell between them.
    for (const char* folder : {"c1", "c2"}) {
      const auto in = [&](const std::map<std::string, Bytes>& t) {
        std::map<std::string, Bytes> part;
        for (const auto& [name, bytes] : t)
          if (name.rfind(folder, 0) == 0) part[name] = bytes;
        return part;
      };
      const int which = in(now) == in(exports[0]) ? 0 : in(now) == in(exports[1]) ? 1 : -1;
      ASSERT_NE(which, -1) << "round " << round << ", signal " << sig << ": " << folder << " mixes two exports";
      saw[which]++;
    }
    // Only a process killed outright leaves its staging folders, for the next export to remove.
    if (sig == SIGKILL) killedPids.insert("." + std::to_string(pid) + ".");
    for (const auto& [name, bytes] : now)
      EXPECT_TRUE(name.rfind(kTempPrefix, 0) != 0 || std::any_of(killedPids.begin(), killedPids.end(), [&](auto& p) {
                    return name.find(p) != std::string::npos;
                  })) << "round " << round << ", signal " << sig << " left " << name;
  }
  ::waitpid(exportAll(0, "out", false), nullptr, 0);
  EXPECT_EQ(tree(dir / "out"), exports[0]) << "temporary folders outlived a later export";
  EXPECT_GT(saw[0], 0);
  EXPECT_GT(saw[1], 0);
}

}  // namespace
}  // namespace pt
