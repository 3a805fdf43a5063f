#include <gtest/gtest.h>

#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "container/slot_clip.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::readAll;
using test::ScratchDir;
using test::ScriptedPrompt;

Bytes slice(const Bytes& b, std::size_t from, std::size_t to) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(to));
}

// A container whose every byte says where it lies, so a block read from the
// wrong place shows up.
Bytes positionalContainer() {
  Bytes b(kFileSize);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>((i * 31) ^ (i >> 9));
  std::copy(std::begin(kMagic), std::end(kMagic), b.begin());
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    b[kUsedFlagsOffset + i] = i % 2;
    b[kResFlagsOffset + i] = i % 3 ? 1 : 0;
  }
  return b;
}

PtFile parsed(const Bytes& bytes) { return parsePtFile(bytes).value(); }

// Start, pixel data and trailer offsets of every slot, as the format lays them out.
struct SlotPlace {
  std::size_t start, pixels, trailer;
};
constexpr SlotPlace kPlaces[kSlotCount] = {
    {53292, 54316, 119852},       {119864, 120888, 186424},     {186436, 187460, 252996},
    {253008, 254032, 319568},     {319580, 320604, 386140},     {386152, 387176, 452712},
    {452724, 453748, 519284},     {519296, 520320, 585856},     {585868, 586892, 652428},
    {652440, 653464, 719000},     {719012, 720036, 801956},     {801968, 802992, 868528},
    {868540, 869564, 935100},     {935112, 936136, 1001672},    {1001684, 1002708, 1068244},
    {1068256, 1069280, 1134816},  {1134828, 1135852, 1201388},  {1201400, 1202424, 1267960},
    {1267972, 1268996, 1334532},  {1334544, 1335568, 1401104}};

TEST(ContainerRead, EveryBlockComesFromItsPlaceInTheFile) {
  const Bytes bytes = positionalContainer();
  const PtFile f = parsed(bytes);
  EXPECT_EQ(serializePtFile(f), bytes);
  EXPECT_EQ(f.headerBlock, slice(bytes, 0, 53248));
  EXPECT_EQ((Bytes{f.preFlagByte1, f.preFlagByte2, f.postFlagByte1, f.postFlagByte2}),
            (Bytes{bytes[53248], bytes[53249], bytes[53290], bytes[53291]}));
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const auto& p = kPlaces[i];
    const PtSlot& s = f.slots[i];
    EXPECT_EQ(s.palette, slice(bytes, p.start, p.start + 1024)) << "slot " << i;
    EXPECT_EQ(s.trailer, slice(bytes, p.trailer, p.trailer + 12)) << "slot " << i;
    if (i != 10) {
      EXPECT_EQ(s.pixels, slice(bytes, p.pixels, p.pixels + 65536)) << "slot " << i;
      EXPECT_TRUE(s.extra.empty()) << "slot " << i;
    }
    EXPECT_EQ(std::tuple(s.used, s.width, s.height, s.dataSize),
              std::tuple(i % 2, i % 3 ? 256 : 128, i % 3 ? 256 : 512, 65536)) << "slot " << i;
  }
  EXPECT_EQ(f.slots[10].pixels, slice(bytes, 720036, 745472));
  EXPECT_EQ(f.gapBlock, slice(bytes, 745472, 761856));
  EXPECT_EQ(f.slots[10].extra, slice(bytes, 761856, 801956));
  EXPECT_EQ(f.tailBlock, slice(bytes, 1401116, 1409024));
}

TEST(ContainerRead, FlagBytesOtherThanOneReadAsSetAndAreWrittenAsOne) {
  Bytes bytes = positionalContainer();
  const std::size_t flags[] = {53250 + 4, 53250 + 5, 53270 + 6, 53270 + 7};  // used 4 and 5, high 6 and 7
  for (std::size_t at : flags) bytes[at] = at % 2 ? 255 : 2;
  const PtFile f = parsed(bytes);
  EXPECT_EQ(f.slots[4].used, 1);
  EXPECT_EQ(f.slots[5].used, 1);
  EXPECT_EQ(f.slots[6].height, 256);
  EXPECT_EQ(f.slots[7].width, 256);
  for (std::size_t at : flags) bytes[at] = 1;
  EXPECT_EQ(serializePtFile(f), bytes);
}

// Every refusal leaves the open container and gives a reason; a message
// box shows all but a missing magic. Trailing bytes are ignored.
TEST(ContainerRead, RefusalsAndTheirMessages) {
  ScratchDir dir;
  const auto file = [&](const std::string& name, Bytes bytes) {
    test::writeAllBytes(dir / name, bytes);
    return dir / name;
  };
  const auto withMagic = [](const char* magic, std::size_t size = kFileSize) {
    Bytes b = makeSampleContainer();
    std::copy(magic, magic + 4, b.begin());
    b.resize(size);
    return b;
  };
  const std::string noMagic = "not a Paint Tool file: it does not start with \"CON \"";
  std::vector<std::pair<std::filesystem::path, std::string>> cases = {
      {file("lower.pt", withMagic("con ")), noMagic},
      {file("zero.pt", withMagic("CON\0")), noMagic},
      {file("x.pt", withMagic("CONX")), noMagic},
      {file("three.pt", withMagic("CON ", 3)), noMagic},
      {file("four.pt", withMagic("CON ", 4)), "too short"},
      {dir / "missing.pt", std::generic_category().message(ENOENT)},
      {dir.path(), std::generic_category().message(EISDIR)},
      {file("short.pt", slice(positionalContainer(), 0, 53248)), "too short"},
      {file("cut.pt", slice(positionalContainer(), 0, kFileSize - 1)), "too short"},
  };
  // A named pipe without a writer must not hang the read.
  if (test::makeFifo(dir / "pipe.pt", "reading a named pipe")) cases.emplace_back(dir / "pipe.pt", "Not a regular file");
  PtFile open = makeSamplePtFile();
  for (const auto& [path, reason] : cases) {
    ScriptedPrompt prompt;
    EXPECT_FALSE(readPtFile(open, path, prompt)) << path;
    const auto r = loadPtFile(path);
    ASSERT_FALSE(r.ok()) << path;
    EXPECT_NE(describe(r.error()).find(reason), std::string::npos) << describe(r.error());
    std::vector<std::string> shown;
    const std::vector<std::string> wanted = {"Varnholt", describe(r.error())};  // no box for a missing magic
    for (const auto& e : prompt.errors) shown.insert(shown.end(), {e.title, e.text});
    EXPECT_EQ(shown, reason == noMagic ? std::vector<std::string>() : wanted) << path;
  }
  EXPECT_EQ(serializePtFile(open), makeSampleContainer()) << "a failed read changed the open container";
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.pt")) << "reading must not create the file";
  Bytes longer = positionalContainer();
  longer.insert(longer.end(), 5000, 0xEE);
  auto read = loadPtFile(file("long.pt", longer));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(serializePtFile(*read), positionalContainer());
}

TEST(ContainerWrite, FlagsFollowUsedAndHeightAlone) {
  PtFile f = makeSamplePtFile();
  // Heights 512 and 128 are low resolution, any other high; width is not
  // written; only a used of 1 counts as used.
  const std::int32_t heights[] = {512, 128, 256, 64};
  const std::uint8_t used[] = {1, 2, 0};
  for (std::size_t i = 0; i < 4; ++i) f.slots[i].height = heights[i];
  for (std::size_t i = 0; i < 3; ++i) f.slots[i].used = used[i];
  f.slots[0].width = 256;
  const Bytes out = serializePtFile(f);
  EXPECT_EQ(slice(out, 53270, 53274), (Bytes{0, 0, 1, 1}));
  EXPECT_EQ(slice(out, 53250, 53253), (Bytes{1, 0, 0}));
}

TEST(ContainerWrite, IncompleteContainerIsRefusedAndNothingWritten) {
  ScratchDir dir;
  ScriptedPrompt prompt;
  PtFile broken = makeSamplePtFile();
  broken.slots[10].extra.pop_back();
  const Status saved = savePtFile(broken, dir / "x.pt", prompt);
  EXPECT_EQ(describe(saved.error()), "no container has been read completely, so none is saved");
  EXPECT_TRUE(dir.entries().empty());
  EXPECT_TRUE(prompt.questions.empty());
}

// A copied slot: the split slot 10 in one piece, pasted into slot 3 where
// the container writer puts it; bytes of another kind or shape change nothing.
TEST(SlotClip, CopiesSlot10WholeAndPastesIntoItsPlace) {
  const Bytes bytes = positionalContainer();
  const Bytes clip = encodeSlotClip(parsed(bytes).slots[10]);
  ASSERT_EQ(clip.size(), 66570u);
  EXPECT_EQ(slice(clip, 0, 10), (Bytes{'P', 'T', 'S', 'L', 1, 0, 0, 1, 0, 1}));
  Bytes pixels = slice(bytes, 720036, 745472);
  const Bytes second = slice(bytes, 761856, 801956);
  pixels.insert(pixels.end(), second.begin(), second.end());
  EXPECT_EQ(slice(clip, 10, 1034), slice(bytes, 719012, 720036));
  EXPECT_EQ(slice(clip, 1034, 66570), pixels);
  PtFile into = parsed(bytes);
  ASSERT_TRUE(pasteSlotClip(clip, into.slots[3], 3));
  const Bytes written = serializePtFile(into);
  EXPECT_EQ(slice(written, 253008, 319568), slice(clip, 10, 66570));
  EXPECT_EQ(slice(written, 319568, 319580), slice(bytes, 319568, 319580));  // trailer kept
  EXPECT_EQ(written[53253], 0);  // slot 3 takes slot 10's flags: unused, high resolution
  EXPECT_EQ(written[53273], 1);
  // Back into a blanked slot 10, both parts of its pixel data land in place.
  PtFile blank = parsed(bytes);
  std::fill(blank.slots[10].pixels.begin(), blank.slots[10].pixels.end(), 0);
  std::fill(blank.slots[10].extra.begin(), blank.slots[10].extra.end(), 0);
  ASSERT_TRUE(pasteSlotClip(clip, blank.slots[10], 10));
  EXPECT_EQ(serializePtFile(blank), bytes);
  const struct { std::size_t at; std::uint8_t value; std::size_t size; const char* why; } bad[] = {
      {0, 'X', 66570, "does not start with"},
      {4, 2, 66570, "version 2"},
      {5, 2, 66570, "used flag 2"},
      {7, 0, 66570, "picture size 0 x 256"},
      {9, 2, 66570, "picture size 256 x 512"},
      {0, 'P', 66569, "66569 bytes"},
      {0, 'P', 66571, "66571 bytes"}};
  for (const auto& b : bad) {
    Bytes changed = clip;
    changed[b.at] = b.value;
    changed.resize(b.size);
    PtFile kept = parsed(bytes);
    const Status pasted = pasteSlotClip(changed, kept.slots[10], 10);
    ASSERT_FALSE(pasted) << b.why;
    EXPECT_NE(describe(pasted.error()).find(b.why), std::string::npos) << describe(pasted.error());
    EXPECT_EQ(serializePtFile(kept), bytes) << b.why;
  }
}

}  // namespace
}  // namespace pt
