// Odd paths through every ptool command: spaces, non-ASCII names, and a
// name near the file system's limit, whose temporary name must be cut.
#include <gtest/gtest.h>

#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

namespace fs = std::filesystem;
using test::quotePath;
using test::readAll;
using test::runPtool;

class OddPaths : public ::testing::TestWithParam<std::string> {};

TEST_P(OddPaths, EveryCommandWorks) {
  test::ScratchDir root;
  const fs::path dir = root / GetParam();
  fs::create_directory(dir);
  const fs::path pt = dir / (GetParam() + ".pt");
  const fs::path tex = dir / (GetParam() + ".tex");
  const fs::path bmp = dir / (GetParam() + ".bmp");
  const fs::path out = dir / (GetParam() + " out.pt");

  ASSERT_EQ(runPtool("sample " + quotePath(pt)).status, 0);
  EXPECT_EQ(readAll(pt), makeSampleContainer());
  EXPECT_EQ(runPtool("info " + quotePath(pt)).out.substr(0, 12), "0 1 256 256\n");
  ASSERT_EQ(runPtool("copy " + quotePath(pt) + " " + quotePath(out)).status, 0);
  EXPECT_EQ(readAll(out), readAll(pt));
  ASSERT_EQ(runPtool("export " + quotePath(pt) + " 1 " + quotePath(tex)).status, 0);
  ASSERT_EQ(runPtool("export " + quotePath(pt) + " 2 " + quotePath(bmp)).status, 0);
  ASSERT_EQ(runPtool("import " + quotePath(pt) + " 0 " + quotePath(tex) + " -o " + quotePath(out) + " --force").status, 0);
  ASSERT_EQ(runPtool("import " + quotePath(out) + " 4 " + quotePath(bmp) + " -o " + quotePath(out) + " --force").status, 0);
  ASSERT_EQ(runPtool("set-res " + quotePath(out) + " 5 high -o " + quotePath(out) + " --force").status, 0);

  const PtFile sample = makeSamplePtFile();
  auto loaded = loadPtFile(out);
  ASSERT_TRUE(loaded.ok());
  const PtFile& result = *loaded;
  EXPECT_EQ(result.slots[0].pixels, sample.slots[1].pixels);
  EXPECT_EQ(result.slots[4].pixels, sample.slots[2].pixels);
  EXPECT_EQ(result.slots[4].height, 512);  // stored as low resolution
  EXPECT_EQ(result.slots[5].height, 256);
}

INSTANTIATE_TEST_SUITE_P(Names, OddPaths,
                         ::testing::Values(std::string("with spaces in it"),
                                           std::string("\xC3\x9Cn\xC3\xAF""c\xC3\xB8""d\xC3\xA9 \xE2\x9C\x93"),
                                           std::string(196, 'n')));

}  // namespace
}  // namespace pt
