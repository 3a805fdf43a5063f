// Folder and file locks, on every system the file layer serves.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <thread>

#include "common/file_lock.h"
#include "common/folders.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::ScratchDir;

// A lock dropped on another thread than the one that took it (the batch
// commands hand their work to threads) frees the folder for the next one
// waiting, while the thread that took it still runs.
TEST(FolderLock, DroppedOnAnotherThreadFreesTheFolder) {
  ScratchDir dir;
  std::promise<FolderLock> taken;
  std::promise<void> finish;
  std::thread taker([&] {
    taken.set_value(std::move(FolderLock::exclusive(dir / "f").value()));
    finish.get_future().wait();
  });
  std::optional<FolderLock> lock(taken.get_future().get());
  auto waiter = std::async(std::launch::async, [&] { return FolderLock::exclusive(dir / "f").ok(); });
  EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
  lock.reset();
  EXPECT_EQ(waiter.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  finish.set_value();
  taker.join();
  EXPECT_TRUE(waiter.get());
}

// A file that does not exist yet (the window's Save As to a new name) is
// locked without waiting and without an error.
TEST(FileLock, AMissingFileGivesALockThatHoldsNothing) {
  ScratchDir dir;
  EXPECT_TRUE(FileLock::exclusive(dir / "new.pt").ok());
}

}  // namespace
}  // namespace pt
