// What stands at the target of a write: special files and link loops are
// refused and left alone, links are followed (or, for scratch files,
// replaced); the new content stays private until complete; what dead
// processes left is swept; and the batch writer's refusals. (The window's
// save racing ptool's import checks the container lock.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <optional>
#include <thread>

#include "common/batch_write.h"
#include "common/file_io.h"
#include "common/folder_files.h"
#include "common/temp_files.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

namespace fs = std::filesystem;
using test::quotePath;
using test::readAll;
using test::runPtool;

const Bytes kEarlier = {'o', 'l', 'd'};

TEST(SafeWriteTargets, SpecialFilesAndLinkLoopsAreRefusedAndUntouched) {
  test::ScratchDir dir;
  test::writeAllBytes(dir / "in.pt", makeSampleContainer());
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_symlink("fifo", dir / "to-fifo");
  fs::create_symlink("loop-b", dir / "loop-a");
  fs::create_symlink("loop-a", dir / "loop-b");
  // A device node with /dev/null's numbers, as `ptool copy x /dev/stdout` met it.
  const bool device = ::geteuid() == 0 && ::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  if (device) fs::create_symlink("null", dir / "stdout");
  const std::string special = "is not a regular file; only regular files are replaced";
  std::vector<std::pair<std::string, std::string>> cases = {
      {"fifo", special}, {"to-fifo", special}, {"loop-a", "Too many levels of symbolic links"}};
  if (device) cases.insert(cases.end(), {{"null", special}, {"stdout", special}});
  for (const auto& [name, reason] : cases) {
    EXPECT_TRUE(fileExists(dir / name)) << name;
    const auto r = runPtool("copy --force " + quotePath(dir / "in.pt") + " " + quotePath(dir / name));
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_NE(r.err.find(reason), std::string::npos) << name << ": " << r.err;
  }
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir / "fifo")));
  for (const char* link : {"to-fifo", "loop-a", "loop-b"})
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / link))) << link;
  if (device) {
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status(dir / "null")));
  }
  EXPECT_EQ(dir.entries().size(), device ? 7u : 5u) << "something was left beside the targets";
  if (!device) GTEST_SKIP() << "device nodes need root; FIFO and loops checked";
}

TEST(SafeWriteTargets, LinksAreFollowedExceptByScratchFiles) {
  test::ScratchDir dir;
  test::writeAllBytes(dir / "file", kEarlier);
  fs::create_symlink("file", dir / "link");
  fs::create_symlink("missing", dir / "dangling");
  EXPECT_TRUE(fileExists(dir / "dangling"));  // replacing it is asked first
  EXPECT_FALSE(fileExists(dir / "missing"));
  const Bytes data = {1, 2, 3, 4};
  ASSERT_TRUE(safeWriteFile(dir / "link", data).ok());
  ASSERT_TRUE(safeWriteFile(dir / "dangling", data).ok());
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link")));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "dangling")));
  EXPECT_EQ(readAll(dir / "file"), data);
  EXPECT_EQ(readAll(dir / "missing"), data);
  // The preview: the link itself is replaced, what it pointed to is untouched.
  test::writeAllBytes(dir / "victim", kEarlier);
  fs::create_symlink("victim", dir / "pre.bmp");
  ASSERT_TRUE(safeWriteFile(dir / "pre.bmp", data, Durability::Scratch).ok());
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "pre.bmp")));
  EXPECT_EQ(readAll(dir / "pre.bmp"), data);
  EXPECT_EQ(readAll(dir / "victim"), kEarlier);
}

TEST(SafeWrite, PartsAreWrittenInOrderAcrossBatches) {
  test::ScratchDir dir(test::Medium::Memory);
  Bytes expected;
  std::vector<Bytes> storage(3000);  // more parts than one system call takes
  std::vector<std::span<const std::uint8_t>> parts;
  for (std::size_t i = 0; i < storage.size(); ++i) {
    storage[i].assign(i % 7, static_cast<std::uint8_t>(i * 13));  // some empty
    expected.insert(expected.end(), storage[i].begin(), storage[i].end());
    parts.emplace_back(storage[i]);
  }
  ASSERT_TRUE(safeWriteFile(dir / "out", parts).ok());
  EXPECT_EQ(readAll(dir / "out"), expected);
}

// The file being written is the owner's alone whatever the umask, and gets
// the usual mode (0666 less the umask) once it is complete.
TEST(SafeWrite, NewContentIsPrivateUntilComplete) {
  test::ScratchDir dir(test::Medium::Memory);
  const mode_t umaskBefore = ::umask(027);
  auto temp = TempFile::create(dir / "new", false);
  ASSERT_TRUE(temp.ok());
  std::vector<mode_t> modes;  // of the files open in the folder
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
    struct stat st {};
    const bool inFolder = fs::read_symlink(e.path(), ec).string().rfind(dir.path().string() + "/", 0) == 0;
    if (inFolder && ::stat(e.path().c_str(), &st) == 0) modes.push_back(st.st_mode & 0777);
  }
  EXPECT_EQ(modes, std::vector<mode_t>{0600});
  const std::span<const std::uint8_t> parts[] = {kEarlier};
  ASSERT_TRUE(temp->write(parts).ok());
  ASSERT_TRUE(temp->place(Placement::Replace).ok());
  ::umask(umaskBefore);
  EXPECT_EQ(fs::status(dir / "new").permissions(), static_cast<fs::perms>(0640));
}

// Named temporary files (where the system has no unnamed ones) and staging
// folders that are being written when SIGTERM arrives are removed before the
// process ends, also in a slot of the signal table that held a longer name
// before.
TEST(SafeWrite, ASignalRemovesTheNamedTemporariesInFlight) {
  // The death test runs this test again in a new process (which reads the
  // environment afresh); it works in the parent's folder.
  std::optional<test::ScratchDir> scratch;
  if (!::getenv("VARNHOLT_TEST_FOLDER")) {
    scratch.emplace();
    ::setenv("VARNHOLT_TEST_FOLDER", scratch->path().c_str(), 1);
  }
  const fs::path dir = ::getenv("VARNHOLT_TEST_FOLDER");
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ::setenv("VARNHOLT_NAMED_TEMPORARIES", "1", 1);
        (void)TempFile::create(dir / std::string(100, 'n'), false);  // made and dropped
        auto a = TempFile::create(dir / "a", false);
        auto b = TempFile::create(dir / "b", false);
        auto folder = StagingFolder::beside(dir / "f");
        if (a && b && folder && std::distance(fs::directory_iterator(dir), {}) == 3) ::raise(SIGTERM);
        ::_exit(1);
      },
      ::testing::KilledBySignal(SIGTERM), "");
  ::unsetenv("VARNHOLT_TEST_FOLDER");
  EXPECT_TRUE(fs::is_empty(dir));
}

// Temporary files and folders that dead processes left are removed by the
// next write into their folder; a live process's, and names that only look
// like ours, stay. A folder set aside by an unfinished replacement goes back.
TEST(SafeWrite, SweepRemovesWhatDeadProcessesLeft) {
  test::ScratchDir dir;
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  const std::string dead = std::to_string(child);
  const std::string live = std::to_string(::getppid());
  const std::string self = std::to_string(::getpid());  // not one of ours now: an earlier process of our id
  const struct { std::string name; bool folder; bool stays; } cases[] = {
      {".varnholt-a.pt." + dead + ".3.tmp", false, false},
      {".varnholt-out." + dead + ".4.tmp", true, false},
      {".varnholt-a.pt." + live + ".3.tmp", false, true},
      {".varnholt-a.pt." + self + ".3.tmp", false, false},
      {".varnholt-a.pt." + dead + ".3.tmpx", false, true},
      {".varnholt-a.pt." + dead + ".3.txt", false, true},
      {".varnholt-a.pt." + dead + ".3x.tmp", false, true},
      {".varnholt-a.pt." + dead + "..tmp", false, true},
      {".varnholt-a.pt.." + dead + ".tmp", false, true},
      {".varnholt-a.pt" + dead + ".3.tmp", false, true},
      {".varnholt-a.pt.x" + dead + ".3.tmp", false, true},
      {".varnholt-a.pt.99999999999.3.tmp", false, true},
      {"varnholt-a.pt." + dead + ".3.tmp", false, true},
      {".varnholt-" + dead + ".3.tmp", false, true}};
  for (const auto& c : cases) {
    if (c.folder) {
      fs::create_directories(dir / c.name / "inside");
    } else {
      test::writeAllBytes(dir / c.name, kEarlier);
    }
  }
  fs::create_directories(dir / (".varnholt-set.aside." + dead + ".5.old") / "kept");
  ASSERT_TRUE(safeWriteFile(dir / "new", kEarlier).ok());
  for (const auto& c : cases) EXPECT_EQ(fs::exists(dir / c.name), c.stays) << c.name;
  EXPECT_TRUE(fs::exists(dir / "set.aside" / "kept"));
  EXPECT_EQ(dir.entries().size(), 13u);
}

// The batch writer puts files in place at a commit, every maxPending files
// meanwhile (also a batch that comes after its flusher went idle); with Keep
// an existing file is refused, stays, and stops the batch.
TEST(BatchWrite, PlacesFilesAndStopsAtTheFirstRefusal) {
  test::ScratchDir dir;
  test::writeAllBytes(dir / "kept", kEarlier);
  BatchWriter writer(BatchWriter::Existing::Keep, 2);
  const Bytes data = {7, 8, 9};
  for (const char* name : {"a", "b"}) ASSERT_TRUE(writer.add(dir / name, data).ok()) << name;
  while (writer.committed() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  for (const char* name : {"c", "d", "e"}) ASSERT_TRUE(writer.add(dir / name, data).ok()) << name;
  ASSERT_TRUE(writer.commit().ok());
  EXPECT_EQ(writer.committed(), 5u);
  EXPECT_EQ(readAll(dir / "e"), data);
  const Status refused = writer.add(dir / "kept", data);
  EXPECT_EQ(refused.error().kind, ErrorKind::Declined);
  EXPECT_EQ(describe(refused.error()), (dir / "kept").string() + ": the file exists");
  EXPECT_EQ(describe(writer.add(dir / "f", data).error()), describe(refused.error()));
  EXPECT_EQ(describe(writer.commit().error()), describe(refused.error()));
  EXPECT_EQ(writer.committed(), 5u);
  EXPECT_EQ(readAll(dir / "kept"), kEarlier);
  EXPECT_FALSE(fs::exists(dir / "f"));
}

}  // namespace
}  // namespace pt
