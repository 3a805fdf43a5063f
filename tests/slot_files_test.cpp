// Raw textures and the overwrite question; the window stress run covers the
// everyday exports and imports.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "exchange/check_file.h"
#include "exchange/slot_files.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

// A file that cannot be read is still a file that would be replaced.
TEST(CheckFile, AsksBeforeReplacingEvenAnUnreadableFile) {
  test::ScratchDir dir;
  test::ScriptedPrompt prompt;
  test::writeAllBytes(dir / "there", Bytes(1, 0));
  EXPECT_TRUE(checkFile(dir / "none", 0, prompt) && checkFile(dir / "there", 1, prompt));
  EXPECT_TRUE(prompt.questions.empty());
  ::chmod((dir / "there").c_str(), 0);
  EXPECT_FALSE(checkFile(dir / "there", 0, prompt));
  EXPECT_TRUE(prompt.questions.size() == 1 && prompt.questions[0].text == "File exists. Overwrite?");
}

TEST(RawTex, ImportTakesWhatTheFileHoldsAndNoMore) {
  test::ScratchDir dir;
  Bytes data(66560 + 500);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i % 251 + 1);
  const auto prefix = [&](std::size_t n) { return Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n)); };
  PtFile f = makeSamplePtFile();  // longer than a raw slot: the first 66560 bytes, into slot 10's two parts
  test::writeAllBytes(dir / "long.tex", data);
  auto r = importRawTexFile(dir / "long.tex", f.slots[10]);
  EXPECT_TRUE(r.ok() && r->bytesFromFile == 66560u && buildRawTex(f.slots[10]) == prefix(66560));
  for (std::size_t len : {std::size_t{0}, std::size_t{30000}}) {  // shorter: the rest is kept
    PtFile g = makeSamplePtFile();
    const Bytes before = buildRawTex(g.slots[3]);
    test::writeAllBytes(dir / "short.tex", prefix(len));
    test::ScriptedPrompt prompt;
    ASSERT_TRUE(importRawTex(g, 3, dir / "short.tex", prompt)) << len;
    Bytes expected = prefix(len);
    expected.insert(expected.end(), before.begin() + static_cast<std::ptrdiff_t>(len), before.end());
    EXPECT_TRUE(buildRawTex(g.slots[3]) == expected && g.slots[3].used == 1) << len;
  }
}

}  // namespace
}  // namespace pt
