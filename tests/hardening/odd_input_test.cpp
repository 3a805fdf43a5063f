// Odd paths through every ptool command: spaces, non-ASCII names, and a
// name near the file system's limit, whose temporary name must be cut.
#include <gtest/gtest.h>

#include "container/pt_reader.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

namespace fs = std::filesystem;
using test::quotePath;
using test::runPtool;

class OddPaths : public ::testing::TestWithParam<std::string> {};

TEST_P(OddPaths, EveryCommandWorks) {
  test::ScratchDir root;
  const fs::path dir = root / GetParam();
  fs::create_directory(dir);
  const auto name = [&](const char* suffix) { return quotePath(dir / (GetParam() + suffix)); };
  const std::string pt = name(".pt");
  const std::string tex = name(".tex");
  const std::string bmp = name(".bmp");
  const std::string out = name(" out.pt");
  for (const std::string& args : {"sample " + pt, "copy " + pt + " " + out, "export " + pt + " 1 " + tex,
                                  "export " + pt + " 2 " + bmp, "import " + pt + " 0 " + tex + " -o " + out + " --force",
                                  "import " + out + " 4 " + bmp + " -o " + out + " --force",
                                  "set-res " + out + " 5 high -o " + out + " --force"})
    ASSERT_EQ(runPtool(args).status, 0) << args;
  EXPECT_EQ(runPtool("info " + pt).out.substr(0, 12), "0 1 256 256\n");
  const PtFile sample = makeSamplePtFile();
  auto result = loadPtFile(dir / (GetParam() + " out.pt"));
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result->slots[0].pixels, sample.slots[1].pixels);
  EXPECT_EQ(result->slots[4].pixels, sample.slots[2].pixels);
  EXPECT_EQ(result->slots[4].height, 512);  // stored as low resolution
  EXPECT_EQ(result->slots[5].height, 256);
}

INSTANTIATE_TEST_SUITE_P(Names, OddPaths,
                         ::testing::Values(std::string("with spaces in it"),
                                           std::string("\xC3\x9Cn\xC3\xAF""c\xC3\xB8""d\xC3\xA9 \xE2\x9C\x93"),
                                           std::string(196, 'n')));

}  // namespace
}  // namespace pt
