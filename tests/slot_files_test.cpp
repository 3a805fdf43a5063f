#include <gtest/gtest.h>
#include <sys/stat.h>

#include "container/sample_container.h"
#include "exchange/check_file.h"
#include "exchange/slot_files.h"
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
  EXPECT_TRUE(prompt.questions.empty());
  prompt.answers = {false, false};
  EXPECT_FALSE(exportRawTex(f, 0, dir / "x.tex", prompt));
  EXPECT_FALSE(exportBitmap(f, 0, dir / "x.tex", test::shippedBmpHeader(), prompt));
  EXPECT_EQ(prompt.questions.size(), 2u);
  EXPECT_EQ(readAll(dir / "x.tex"), old);
}

TEST(RawTex, RoundTripsAndMovesBetweenSlots) {
  ScratchDir dir;
  const PtFile original = makeSamplePtFile();
  // Every slot back into itself.
  for (std::uint8_t slot = 0; slot < kSlotCount; ++slot) {
    PtFile f = original;
    if (!f.slots[slot].used) f.slots[slot].used = 1;
    ScriptedPrompt prompt;
    prompt.answers = {true};
    ASSERT_TRUE(exportRawTex(f, slot, dir / "r.tex", prompt));
    std::fill(f.slots[slot].pixels.begin(), f.slots[slot].pixels.end(), 0);
    ASSERT_TRUE(importRawTex(f, slot, dir / "r.tex", prompt));
    EXPECT_EQ(fullPixelData(f.slots[slot]), fullPixelData(original.slots[slot])) << int(slot);
    EXPECT_TRUE(isComplete(f));
  }
  // Across slots, into and out of slot 10, into an unused low-resolution-sized slot.
  const std::pair<std::uint8_t, std::uint8_t> moves[] = {{0, 10}, {10, 4}, {2, 3}};
  for (auto [from, to] : moves) {
    PtFile f = original;
    ScriptedPrompt prompt;
    prompt.answers = {true};
    ASSERT_TRUE(exportRawTex(f, from, dir / "m.tex", prompt));
    const PtSlot target = f.slots[to];
    ASSERT_TRUE(importRawTex(f, to, dir / "m.tex", prompt));
    const PtSlot& now = f.slots[to];
    EXPECT_EQ(now.palette, original.slots[from].palette);
    EXPECT_EQ(fullPixelData(now), fullPixelData(original.slots[from]));
    EXPECT_EQ(now.used, 1);
    EXPECT_EQ(now.width, target.width);
    EXPECT_EQ(now.height, target.height);
    EXPECT_EQ(now.dataSize, target.dataSize);
    EXPECT_EQ(now.trailer, target.trailer);
    EXPECT_TRUE(isComplete(f)) << int(from) << "->" << int(to);
  }
}

TEST(RawTex, LongFilesAreCutShortFilesRefused) {
  ScratchDir dir;
  PtFile f = makeSamplePtFile();
  Bytes data(66560 + 500);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i % 251);
  test::writeAllBytes(dir / "long.tex", data);
  ScriptedPrompt prompt;
  ASSERT_TRUE(importRawTex(f, 10, dir / "long.tex", prompt));
  EXPECT_EQ(buildRawTex(f.slots[10]), Bytes(data.begin(), data.begin() + 66560));

  const PtSlot before = f.slots[5];
  for (std::size_t len : {0, 1000, 66559}) {
    test::writeAllBytes(dir / "short.tex", Bytes(data.begin(), data.begin() + len));
    const Outcome r = importRawTexFile(f, 5, dir / "short.tex", prompt);
    EXPECT_FALSE(r.ok) << len;
    EXPECT_NE(r.reason.find("too short"), std::string::npos);
    EXPECT_EQ(f.slots[5].pixels, before.pixels);
    EXPECT_EQ(f.slots[5].palette, before.palette);
  }
  const Outcome missing = importRawTexFile(f, 5, dir / "none.tex", prompt);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.reason, std::generic_category().message(ENOENT));
}

}  // namespace
}  // namespace pt
