#include <gtest/gtest.h>

#include "bitmap/bmp_header.h"
#include "bitmap/slot_bitmap_writer.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::ScratchDir;

BmpHeader shippedHeader() { return test::shippedBmpHeader(); }

Bytes field(const Bytes& b, std::size_t at) { return Bytes(b.begin() + at, b.begin() + at + 4); }

// Size fields as the table gives them; every other header byte from the
// template; then the palette and all 65536 bytes of pixel data.
TEST(SlotBitmapWriter, HeaderFieldsAndPixelDataPerKindOfSlot) {
  PtFile f = makeSamplePtFile();
  f.slots[1].width = 128;
  f.slots[1].height = 128;
  const BmpHeader h = shippedHeader();
  const Bytes high256 = {0x00, 0x01, 0x00, 0x00}, highNeg = {0x00, 0xFF, 0xFF, 0xFF};
  const Bytes low128 = {0x80, 0, 0, 0}, lowNeg = {0x80, 0xFF, 0xFF, 0xFF};
  // Slot 0 high, 2 stored low (height 512), 1 low with height 128, 10 split.
  for (std::uint8_t slot : {std::uint8_t{0}, std::uint8_t{2}, std::uint8_t{1}, std::uint8_t{10}}) {
    const Bytes out = buildSlotBitmap(f, slot, h, false);
    const bool low = isLowRes(f.slots[slot].height);
    ASSERT_EQ(out.size(), 66614u);
    EXPECT_EQ(field(out, 2), (Bytes{0x36, 0x04, 0x01, 0x00})) << int(slot);
    EXPECT_EQ(field(out, 18), low ? low128 : high256) << int(slot);
    EXPECT_EQ(field(out, 22), low ? lowNeg : highNeg) << int(slot);
    EXPECT_EQ(field(out, 34), (Bytes{0x00, 0x00, 0x01, 0x00})) << int(slot);
    for (std::size_t i = 0; i < 54; ++i) {
      const bool patched = (i >= 2 && i < 6) || (i >= 18 && i < 26) || (i >= 34 && i < 38);
      if (!patched) {
        EXPECT_EQ(out[i], h[i]) << "header byte " << i;
      }
    }
    EXPECT_EQ(Bytes(out.begin() + 1078, out.end()), fullPixelData(f.slots[slot])) << int(slot);
  }
}

TEST(SlotBitmapWriter, PaletteIsReversedAndAlphaViewIsGrey) {
  PtFile f = makeSamplePtFile();
  auto& pal = f.slots[4].palette;
  pal[0] = 0x11, pal[1] = 0x22, pal[2] = 0x33, pal[3] = 0x44;
  const Bytes normal = buildSlotBitmap(f, 4, shippedHeader(), false);
  const Bytes alpha = buildSlotBitmap(f, 4, shippedHeader(), true);
  EXPECT_EQ(Bytes(normal.begin() + 54, normal.begin() + 58), (Bytes{0x44, 0x33, 0x22, 0x11}));
  EXPECT_EQ(Bytes(alpha.begin() + 54, alpha.begin() + 58), (Bytes{0x11, 0x11, 0x11, 0x11}));
  ASSERT_EQ(normal.size(), alpha.size());
  for (std::size_t i = 0; i < normal.size(); ++i) {
    const bool colourByte = i >= 54 && i < 1078 && (i - 54) % 4 != 3;
    if (!colourByte) {
      EXPECT_EQ(normal[i], alpha[i]) << i;
    }
  }
  for (std::size_t n = 0; n < 256; ++n)
    for (int k = 0; k < 4; ++k) EXPECT_EQ(alpha[54 + 4 * n + k], pal[4 * n]) << n;
}

TEST(BmpHeaderTemplate, RefusesShortAndInvalidTemplates) {
  ScratchDir dir;
  auto missing = loadBmpHeader(dir / "missing.bin");
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(describe(missing.error()).find(std::generic_category().message(ENOENT)), std::string::npos);
  const BmpHeader good = shippedHeader();
  test::writeAllBytes(dir / "short.bin", Bytes(good.begin(), good.begin() + 53));
  auto cut = loadBmpHeader(dir / "short.bin");
  ASSERT_FALSE(cut.ok());
  EXPECT_NE(describe(cut.error()).find("too short"), std::string::npos);
  Bytes bad(good.begin(), good.end());
  bad[28] = 24;
  test::writeAllBytes(dir / "bad.bin", bad);
  EXPECT_FALSE(loadBmpHeader(dir / "bad.bin").ok());
  Bytes longer(good.begin(), good.end());
  longer.push_back(0);
  test::writeAllBytes(dir / "long.bin", longer);
  auto longOne = loadBmpHeader(dir / "long.bin");
  ASSERT_TRUE(longOne.ok());
  EXPECT_EQ(*longOne, good);
}

// Reads an exported bitmap with Pillow and prints size and a few palette indices.
TEST(SlotBitmapWriter, SecondReaderSeesSizeAndPaletteIndices) {
  ScratchDir dir;
  const PtFile f = makeSamplePtFile();
  for (std::uint8_t slot : {std::uint8_t{1}, std::uint8_t{2}, std::uint8_t{10}}) {
    const auto path = dir / ("s" + std::to_string(slot) + ".bmp");
    ASSERT_TRUE(writeSlotBitmap(f, slot, path, shippedHeader(), false).ok());
    const auto r = test::runCommand(
        "/usr/bin/python3 -c \"import sys; from PIL import Image; im=Image.open(sys.argv[1]); "
        "print(im.mode, im.size[0], im.size[1], im.getpixel((0,0)), im.getpixel((5,3)), "
        "im.getpixel((im.size[0]-1, im.size[1]-1)))\" " + test::shellQuote(path.string()));
    ASSERT_EQ(r.status, 0) << r.err;
    const Bytes px = fullPixelData(f.slots[slot]);
    const int side = isLowRes(f.slots[slot].height) ? 128 : 256;
    const std::string expected = "P " + std::to_string(side) + " " + std::to_string(side) + " " +
                                 std::to_string(px[0]) + " " + std::to_string(px[3 * side + 5]) +
                                 " " + std::to_string(px[side * side - 1]) + "\n";
    EXPECT_EQ(r.out, expected) << "slot " << int(slot);
    const auto id = test::runCommand("identify -format '%w %h %k' " + test::shellQuote(path.string()));
    EXPECT_EQ(id.status, 0) << id.err;
    EXPECT_EQ(id.out.rfind(std::to_string(side) + " " + std::to_string(side) + " ", 0), 0u) << id.out;
  }
}

}  // namespace
}  // namespace pt
