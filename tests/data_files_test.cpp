#include <gtest/gtest.h>

#include "common/data_files.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

// An installed tree: prefix/bin holds the program, prefix/share/varnholt its data.
TEST(FindDataFile, BesideTheProgramFirstThenTheInstalledDataFolder) {
  struct Case {
    bool beside, shared;
    const char* expected;  // relative to the prefix
  };
  const Case cases[] = {
      {true, true, "bin/t.bin"},
      {false, true, "share/varnholt/t.bin"},
      {false, false, "bin/t.bin"},  // missing: named beside the program
  };
  for (const Case& c : cases) {
    test::ScratchDir dir;
    std::filesystem::create_directories(dir / "bin");
    std::filesystem::create_directories(dir / "share/varnholt");
    if (c.beside) test::writeAllBytes(dir / "bin/t.bin", Bytes(1, 0));
    if (c.shared) test::writeAllBytes(dir / "share/varnholt/t.bin", Bytes(1, 0));
    EXPECT_EQ(findDataFile(dir / "bin", "t.bin"), dir / c.expected) << c.expected;
  }
}

}  // namespace
}  // namespace pt
