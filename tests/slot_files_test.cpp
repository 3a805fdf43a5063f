#include <gtest/gtest.h>
#include <sys/stat.h>

#include "exchange/check_file.h"
#include "exchange/raw_tex.h"
#include "exchange/slot_files.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::readAll;
using test::ScratchDir;
using test::ScriptedPrompt;

TEST(CheckFile, AsksOnlyBeforeWritingOverAnExistingFile) {
  ScratchDir dir;
  ScriptedPrompt prompt;
  EXPECT_TRUE(checkFile(dir / "none", 0, prompt));
  EXPECT_TRUE(checkFile(dir / "none", 1, prompt));
  EXPECT_TRUE(prompt.questions.empty());

  test::writeAllBytes(dir / "there", Bytes(1, 0));
  EXPECT_TRUE(checkFile(dir / "there", 1, prompt));
  EXPECT_TRUE(prompt.questions.empty());

  prompt.answers = {false, true};
  EXPECT_FALSE(checkFile(dir / "there", 0, prompt));
  EXPECT_TRUE(checkFile(dir / "there", 0, prompt));
  ASSERT_EQ(prompt.questions.size(), 2u);
  EXPECT_EQ(prompt.questions[0].title, "File");
  EXPECT_EQ(prompt.questions[0].text, "File exists. Overwrite?");

  // A file that cannot be read is still a file that would be replaced.
  ::chmod((dir / "there").c_str(), 0);
  prompt.answers = {false};
  EXPECT_FALSE(checkFile(dir / "there", 0, prompt));
  EXPECT_EQ(prompt.questions.size(), 3u);
}

TEST(RawTex, ExportWritesPaletteThenAllPixelData) {
  ScratchDir dir;
  const PtFile f = makeSamplePtFile();
  for (std::uint8_t slot : {std::uint8_t{0}, std::uint8_t{2}, std::uint8_t{10}}) {
    const auto path = dir / "s.tex";
    test::writeAllBytes(path, Bytes(100000, 0xEE));  // a longer earlier file
    ScriptedPrompt prompt;
    prompt.answers = {true};
    ASSERT_TRUE(exportRawTex(f, slot, path, prompt));
    const Bytes out = readAll(path);
    ASSERT_EQ(out.size(), 66560u) << int(slot);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 1024), f.slots[slot].palette);
    EXPECT_EQ(Bytes(out.begin() + 1024, out.end()), fullPixelData(f.slots[slot]));
  }
}

TEST(RawTex, UnusedSlotOrNoIsRefusedAndTheFileKept) {
  ScratchDir dir;
  const PtFile f = makeSamplePtFile();
  const Bytes old(10, 1);
  test::writeAllBytes(dir / "x.tex", old);
  ScriptedPrompt prompt;
  prompt.answers = {true};
  EXPECT_FALSE(exportRawTex(f, 3, dir / "x.tex", prompt));  // slot 3 holds no texture
  EXPECT_FALSE(exportBitmap(f, 3, dir / "x.tex", test::shippedBmpHeader(), prompt));
  const Status unused = exportSlotFile(f, 7, dir / "x.tex", Bytes(5, 0), prompt);
  EXPECT_EQ(unused.error().kind, ErrorKind::NotUsed);
  EXPECT_EQ(describe(unused.error()), "slot 7 holds no texture (not used)");
  EXPECT_TRUE(prompt.questions.empty());
  prompt.answers = {false, false, false};
  EXPECT_FALSE(exportRawTex(f, 0, dir / "x.tex", prompt));
  EXPECT_FALSE(exportBitmap(f, 0, dir / "x.tex", test::shippedBmpHeader(), prompt));
  EXPECT_EQ(exportSlotFile(f, 0, dir / "x.tex", Bytes(5, 0), prompt).error().kind, ErrorKind::Declined);
  EXPECT_EQ(prompt.questions.size(), 3u);
  EXPECT_TRUE(prompt.errors.empty());
  EXPECT_EQ(readAll(dir / "x.tex"), old);
}

TEST(RawTex, ImportTakesWhatTheFileHoldsAndNoMore) {
  ScratchDir dir;
  Bytes data(66560 + 500);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i % 251 + 1);
  const auto prefix = [&](std::size_t n) { return Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n)); };
  // Longer than a raw slot: the first 66560 bytes, into slot 10's two parts.
  PtFile f = makeSamplePtFile();
  test::writeAllBytes(dir / "long.tex", data);
  auto r = importRawTexFile(dir / "long.tex", f.slots[10]);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->bytesFromFile, 66560u);
  EXPECT_EQ(buildRawTex(f.slots[10]), prefix(66560));
  // Shorter: what it reaches is replaced, the rest kept; an unused slot becomes used.
  for (std::size_t len : {std::size_t{0}, std::size_t{1024}, std::size_t{30000}}) {
    PtFile g = makeSamplePtFile();
    const Bytes before = buildRawTex(g.slots[3]);
    test::writeAllBytes(dir / "short.tex", prefix(len));
    ScriptedPrompt prompt;
    ASSERT_TRUE(importRawTex(g, 3, dir / "short.tex", prompt)) << len;
    Bytes expected = prefix(len);
    expected.insert(expected.end(), before.begin() + static_cast<std::ptrdiff_t>(len), before.end());
    EXPECT_EQ(buildRawTex(g.slots[3]), expected) << len;
    EXPECT_EQ(g.slots[3].used, 1);
    EXPECT_TRUE(isComplete(g));
  }
  const auto missing = importRawTexFile(dir / "none.tex", f.slots[5]);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(describe(missing.error()), std::generic_category().message(ENOENT));
}

}  // namespace
}  // namespace pt
