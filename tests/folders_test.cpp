// Folder locks and folder creation, on every system the file layer serves.
#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <thread>

#include "common/batch_write.h"
#include "common/folders.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

namespace fs = std::filesystem;
using test::ScratchDir;

// A lock dropped on another thread than the one that took it (the batch
// commands hand their work to threads) frees the folder all the same.
TEST(FolderLock, DroppedOnAnotherThreadFreesTheFolder) {
  ScratchDir dir;
  std::optional<FolderLock> lock;
  std::promise<void> taken;
  std::promise<void> finish;
  std::thread taker([&] {
    auto got = FolderLock::exclusive(dir / "f");
    if (got) lock.emplace(std::move(*got));
    taken.set_value();
    finish.get_future().wait();  // alive while the lock is dropped elsewhere
  });
  taken.get_future().wait();
  ASSERT_TRUE(lock.has_value());
  const auto busy = FolderLock::exclusive(dir / "f", false);
  ASSERT_FALSE(busy.ok());
  EXPECT_EQ(busy.error().kind, ErrorKind::Busy);
  lock.reset();
  const auto free = FolderLock::exclusive(dir / "f", false);
  EXPECT_TRUE(free.ok()) << describe(free.error());
  finish.set_value();
  taker.join();
}

// A path that cannot be made whole leaves none of the folders made for it.
TEST(MakeFolders, AFailureRemovesTheFoldersItMade) {
  ScratchDir dir;
  const Status made = makeFolders(dir / "new" / "deeper" / std::string(300, 'x') / "last");
  EXPECT_FALSE(made.ok());
  EXPECT_FALSE(fs::exists(dir / "new"));
}

}  // namespace
}  // namespace pt
