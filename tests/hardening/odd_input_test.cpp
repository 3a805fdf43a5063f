// Odd paths and damaged inputs through every ptool command.
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

TEST(DamagedContainers, RefusedWithTheOpenLineOrReadWhenLonger) {
  test::ScratchDir dir;
  const Bytes good = makeSampleContainer();
  Bytes wrongMagic = good;
  wrongMagic[0] = 'c';
  test::writeAllBytes(dir / "wrong.pt", wrongMagic);
  std::vector<std::pair<fs::path, std::string>> bad = {
      {dir / "wrong.pt", ""},
      {dir / "missing.pt", std::generic_category().message(ENOENT)},
      {dir.path(), std::generic_category().message(EISDIR)}};
  for (std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{4}, kHeaderSize, kFileSize - 1}) {
    const fs::path cut = dir / ("cut" + std::to_string(length) + ".pt");
    test::writeAllBytes(cut, Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
    bad.emplace_back(cut, length >= 4 ? "too short" : "");
  }
  for (const auto& [path, why] : bad) {
    for (const std::string& cmd : {std::string("info "), std::string("copy --force ")}) {
      const auto r = runPtool(cmd + quotePath(path) + (cmd == "info " ? "" : " " + quotePath(dir / "o.pt")));
      EXPECT_EQ(r.status, 1) << path;
      EXPECT_NE(r.err.find("Open failed of " + path.string()), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
      EXPECT_TRUE(r.out.empty()) << r.out;
      EXPECT_FALSE(fs::exists(dir / "o.pt"));
    }
  }
  Bytes longer = good;
  longer.insert(longer.end(), 100000, 0x99);
  test::writeAllBytes(dir / "long.pt", longer);
  ASSERT_EQ(runPtool("copy " + quotePath(dir / "long.pt") + " " + quotePath(dir / "o.pt")).status, 0);
  EXPECT_EQ(readAll(dir / "o.pt"), good);
}

TEST(DamagedSlotFiles, RefusedWithTheImportLine) {
  test::ScratchDir dir;
  test::writeAllBytes(dir / "in.pt", makeSampleContainer());
  test::writeAllBytes(dir / "empty.bmp", {});
  test::writeAllBytes(dir / "text.bmp", Bytes{'h', 'e', 'l', 'l', 'o'});
  fs::create_directory(dir / "folder.bmp");
  for (const char* name : {"empty.bmp", "text.bmp", "folder.bmp", "missing.tex"}) {
    const auto r = runPtool("import " + quotePath(dir / "in.pt") + " 7 " + quotePath(dir / name) + " -o " + quotePath(dir / "o.pt"));
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_NE(r.err.find("Slot 7 not loaded with new file"), std::string::npos) << name << r.err;
    EXPECT_FALSE(fs::exists(dir / "o.pt")) << name;
  }
}

}  // namespace
}  // namespace pt
