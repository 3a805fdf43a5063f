// Slot file exports and raw textures: what is asked, written, refused and
// shown; the window stress run covers the everyday exports and imports.
#include <gtest/gtest.h>

#include "container/pt_writer.h"
#include "exchange/slot_files.h"
#include "png/slot_png_writer.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

namespace fs = std::filesystem;

// Each export asks before it replaces a file, and shows only the system's
// refusals (with the program's title); an unused slot or a No writes nothing.
TEST(SlotExport, AsksRefusesAndShowsAsEachCaseNeeds) {
  test::ScratchDir dir;
  const PtFile sample = makeSamplePtFile();
  PtFile cut = sample;  // slots whose picture or palette lacks a byte
  cut.slots[10].extra.pop_back();
  cut.slots[1].palette.pop_back();
  const Bytes earlier = {'o', 'l', 'd'};
  test::writeAllBytes(dir / "there.png", earlier);
  fs::create_directory(dir / "folder.png");
  const std::string isDir = std::generic_category().message(EISDIR);
  const struct {
    const PtFile& from;
    std::uint8_t slot;
    const char* file;
    bool yes;  // the answer to "File exists. Overwrite?"
    const char* says;
    bool asked, shown;
  } cases[] = {
      {sample, 0, "new.png", false, "", false, false},
      {sample, 0, "there.png", false, "the existing file was kept", true, false},
      {sample, 15, "new15.png", true, "slot 15 holds no texture (not used)", false, false},
      {sample, 20, "new20.png", true, "there is no slot 20", false, false},
      {cut, 10, "new10.png", true, "the slot's data is incomplete", false, false},
      {cut, 1, "new1.png", true, "the slot's data is incomplete", false, false},
      {sample, 0, "folder.png", true, isDir.c_str(), false, true}};
  for (const auto& c : cases) {
    test::ScriptedPrompt prompt;
    prompt.answers = {c.yes};
    const Status exported = exportSlotPng(c.from, c.slot, dir / c.file, prompt);
    EXPECT_EQ(exported ? "" : describe(exported.error()), c.says) << c.file;
    EXPECT_EQ(prompt.questions.size(), c.asked ? 1u : 0u) << c.file;
    EXPECT_EQ(prompt.errors.size(), c.shown ? 1u : 0u) << c.file;
    for (const auto& q : prompt.questions) EXPECT_EQ(q.title + ": " + q.text, "File: File exists. Overwrite?");
    for (const auto& e : prompt.errors) EXPECT_EQ(e.title + ": " + e.text, std::string("Varnholt: ") + c.says);
  }
  EXPECT_EQ(test::readAll(dir / "new.png").size(), encodeSlotPng(sample.slots[0], 0, false)->size());
  EXPECT_EQ(test::readAll(dir / "there.png"), earlier);
  for (const char* refused : {"new15.png", "new20.png", "new10.png", "new1.png"})
    EXPECT_FALSE(fs::exists(dir / refused)) << refused;
}

// A raw file fills the palette, then the pixel data (slot 10's two parts),
// as far as it reaches; the rest of the slot keeps its bytes, and a short
// file says how much it gave.
TEST(RawTex, ImportTakesWhatTheFileHoldsAndNoMore) {
  test::ScratchDir dir;
  Bytes data(66560 + 500);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i % 251 + 1);
  const struct { std::uint8_t slot; std::size_t length; const char* note; } cases[] = {
      {10, data.size(), nullptr},
      {3, 66560, nullptr},
      {3, 66559, "Note: 66559 of the 66560 bytes"},
      {3, 30000, "Note: 30000 of the 66560 bytes"},
      {19, 0, "Note: 0 of the 66560 bytes"}};
  for (const auto& c : cases) {
    PtFile f = makeSamplePtFile();
    const Bytes before = buildRawTex(f.slots[c.slot]);
    const auto taken = static_cast<std::ptrdiff_t>(std::min<std::size_t>(c.length, 66560));
    Bytes expected(data.begin(), data.begin() + taken);
    expected.insert(expected.end(), before.begin() + taken, before.end());
    test::writeAllBytes(dir / "in.tex", Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(c.length)));
    const auto notes = importSlotFile(f, c.slot, dir / "in.tex", SlotFileFormat::Tex, {});
    ASSERT_TRUE(notes.ok()) << c.length;
    EXPECT_EQ(buildRawTex(f.slots[c.slot]), expected) << c.length;
    const auto lines = describeNotes(*notes, {});
    EXPECT_EQ(lines.size(), c.note ? 1u : 0u) << c.length;
    for (const auto& line : lines) EXPECT_EQ(line.rfind(c.note, 0), 0u) << line;
  }
  PtFile f = makeSamplePtFile();
  const auto missing = importSlotFile(f, 3, dir / "missing.tex", SlotFileFormat::Tex, {});
  EXPECT_EQ(missing.error().kind, ErrorKind::NotFound);
  EXPECT_EQ(describe(importSlotFile(f, 20, dir / "in.tex", SlotFileFormat::Tex, {}).error()), "there is no slot 20");
  EXPECT_EQ(serializePtFile(f), makeSampleContainer());
}

}  // namespace
}  // namespace pt
