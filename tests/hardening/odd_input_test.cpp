// Odd paths and damaged inputs through every ptool command.
#include <gtest/gtest.h>

#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "container/sample_container.h"
#include "exchange/slot_files.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

namespace fs = std::filesystem;
using test::readAll;

std::string q(const fs::path& p) { return test::shellQuote(p.string()); }
test::RunResult ptool(const std::string& args) {
  return test::runCommand(test::shellQuote(VARNHOLT_PTOOL) + " " + args);
}

class OddPaths : public ::testing::TestWithParam<std::string> {};

TEST_P(OddPaths, EveryCommandWorks) {
  test::ScratchDir root;
  const fs::path dir = root / GetParam();
  fs::create_directory(dir);
  const fs::path pt = dir / (GetParam() + ".pt");
  const fs::path tex = dir / (GetParam() + ".tex");
  const fs::path bmp = dir / (GetParam() + ".bmp");
  const fs::path out = dir / (GetParam() + " out.pt");

  ASSERT_EQ(ptool("sample " + q(pt)).status, 0);
  EXPECT_EQ(readAll(pt), makeSampleContainer());
  EXPECT_EQ(ptool("info " + q(pt)).out.substr(0, 12), "0 1 256 256\n");
  ASSERT_EQ(ptool("copy " + q(pt) + " " + q(out)).status, 0);
  EXPECT_EQ(readAll(out), readAll(pt));
  ASSERT_EQ(ptool("export " + q(pt) + " 1 " + q(tex)).status, 0);
  ASSERT_EQ(ptool("export " + q(pt) + " 2 " + q(bmp)).status, 0);
  ASSERT_EQ(ptool("import " + q(pt) + " 0 " + q(tex) + " -o " + q(out) + " --force").status, 0);
  ASSERT_EQ(ptool("import " + q(out) + " 4 " + q(bmp) + " -o " + q(out) + " --force").status, 0);
  ASSERT_EQ(ptool("set-res " + q(out) + " 5 high -o " + q(out) + " --force").status, 0);

  PtFile result, sample = makeSamplePtFile();
  ASSERT_TRUE(parsePtBytes(readAll(out), result).ok());
  EXPECT_EQ(result.slots[0].pixels, sample.slots[1].pixels);
  EXPECT_EQ(result.slots[4].pixels, sample.slots[2].pixels);
  EXPECT_EQ(result.slots[4].height, 512);  // stored as low resolution
  EXPECT_EQ(result.slots[5].height, 256);
}

INSTANTIATE_TEST_SUITE_P(Names, OddPaths,
                         ::testing::Values(std::string("with spaces in it"),
                                           std::string("\xC3\x9Cn\xC3\xAF""c\xC3\xB8""d\xC3\xA9 \xE2\x9C\x93"),
                                           std::string(196, 'n')));

TEST(DamagedContainers, RefusedWithTheOpenLineOrReadWhenLonger) {
  test::ScratchDir dir;
  const Bytes good = makeSampleContainer();
  for (std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{4}, kHeaderSize, kFileSize - 1}) {
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    test::writeAllBytes(dir / "cut.pt", cut);
    for (const std::string& cmd : {std::string("info "), std::string("copy --force ")}) {
      const auto r = ptool(cmd + q(dir / "cut.pt") + (cmd == "info " ? "" : " " + q(dir / "o.pt")));
      EXPECT_EQ(r.status, 1) << length;
      EXPECT_NE(r.err.find("Open failed of " + (dir / "cut.pt").string()), std::string::npos) << r.err;
      EXPECT_FALSE(fs::exists(dir / "o.pt"));
    }
  }
  Bytes longer = good;
  longer.insert(longer.end(), 100000, 0x99);
  test::writeAllBytes(dir / "long.pt", longer);
  ASSERT_EQ(ptool("copy " + q(dir / "long.pt") + " " + q(dir / "o.pt")).status, 0);
  EXPECT_EQ(readAll(dir / "o.pt"), good);
}

TEST(DamagedSlotFiles, RefusedWithTheImportLine) {
  test::ScratchDir dir;
  test::writeAllBytes(dir / "in.pt", makeSampleContainer());
  const Bytes tex = buildRawTex(makeSamplePtFile().slots[1]);
  test::writeAllBytes(dir / "short.tex", Bytes(tex.begin(), tex.begin() + 5000));
  test::writeAllBytes(dir / "empty.bmp", {});
  test::writeAllBytes(dir / "text.bmp", Bytes{'h', 'e', 'l', 'l', 'o'});
  fs::create_directory(dir / "folder.bmp");
  for (const char* name : {"short.tex", "empty.bmp", "text.bmp", "folder.bmp", "missing.tex"}) {
    const auto r = ptool("import " + q(dir / "in.pt") + " 7 " + q(dir / name) + " -o " + q(dir / "o.pt"));
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_NE(r.err.find("Slot 7 not loaded with new file"), std::string::npos) << name << r.err;
    EXPECT_FALSE(fs::exists(dir / "o.pt")) << name;
  }
}

}  // namespace
}  // namespace pt
