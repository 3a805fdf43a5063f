// The slot bitmap writer and the bitmap import, checked with literal header
// bytes and with Pillow and ImageMagick as second readers and writers.
#include <gtest/gtest.h>

#include "bitmap/bitmap_import.h"
#include "bitmap/slot_bitmap_writer.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::ScratchDir;

Bytes at(const Bytes& b, std::size_t from, std::size_t n) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(from + n));
}
void put32(Bytes& b, std::size_t pos, std::int64_t v) {
  for (int i = 0; i < 4; ++i) b[pos + i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i));
}

Bytes pixelPattern(std::size_t count) {
  Bytes px(count);
  for (std::size_t i = 0; i < count; ++i) px[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  return px;
}

// An 8-bit bitmap as an editor might write it: palette right after an
// information header of infoSize bytes, entry n = blue n, green 255-n,
// red 7n, alpha n^0x5A or 1 (never 0: a transparent entry would stand for
// every transparent pixel); pixels at pixelsAt (0: right after the palette).
struct BitmapSpec {
  std::int64_t width = 256, height = -256, bits = 8, coloursUsed = 256, compression = 0;
  std::int64_t infoSize = 40, pixelsAt = 0, pixelCount = 65536;
};

Bytes makeBitmap(const BitmapSpec& s) {
  const std::size_t paletteAt = 14 + static_cast<std::size_t>(s.infoSize);
  const std::size_t count = static_cast<std::size_t>(s.pixelCount);
  const std::size_t pixelsAt = s.pixelsAt ? static_cast<std::size_t>(s.pixelsAt) : paletteAt + 1024;
  Bytes b(std::max(pixelsAt + count, paletteAt + 1024), 0);
  b[0] = 'B';
  b[1] = 'M';
  b[26] = 1;
  put32(b, 10, static_cast<std::int64_t>(pixelsAt));
  put32(b, 14, s.infoSize);
  put32(b, 18, s.width);
  put32(b, 22, s.height);
  b[28] = static_cast<std::uint8_t>(s.bits);
  put32(b, 30, s.compression);
  put32(b, 46, s.coloursUsed);
  for (std::size_t n = 0; n < 256; ++n)
    for (std::size_t k = 0; k < 4; ++k)
      b[paletteAt + 4 * n + k] = static_cast<std::uint8_t>(k == 0 ? n : k == 1 ? 255 - n : k == 2 ? n * 7 : (n ^ 0x5A) | 1);
  const Bytes px = pixelPattern(count);
  std::copy(px.begin(), px.end(), b.begin() + static_cast<std::ptrdiff_t>(pixelsAt));
  return b;
}

bool sameSlot(const PtSlot& a, const PtSlot& b) {
  return a.used == b.used && a.palette == b.palette && a.pixels == b.pixels && a.width == b.width &&
         a.height == b.height && a.dataSize == b.dataSize && a.trailer == b.trailer && a.extra == b.extra;
}

const ImportOptions inFileOrder{PaletteChoice::Auto, true, AlphaChoice::Auto, RowOrder::File};

Result<ImportNotes> importInto(PtFile& f, std::uint8_t slot, const Bytes& bytes, const ImportOptions& o = {}) {
  return importBitmapBytes(bytes, f.slots[slot], slot, o);
}

TEST(SlotBitmapWriter, HeaderFieldsPaletteAndPixelData) {
  PtFile f = makeSamplePtFile();
  f.slots[1].width = f.slots[1].height = 128;  // low resolution as a bitmap import leaves it
  auto& pal = f.slots[4].palette;
  std::copy_n(Bytes{0x11, 0x22, 0x33, 0x44}.begin(), 4, pal.begin());
  const BmpHeader h = test::shippedBmpHeader();
  // Slot 0 high, 2 low (height 512), 1 low (height 128), 10 split.
  for (std::uint8_t slot : {0, 2, 1, 10}) {
    const Bytes out = buildSlotBitmap(f, slot, h, false);
    const std::uint8_t side = slot == 1 || slot == 2 ? 0x80 : 0;  // width, then -height
    const std::uint8_t high = side ? 0 : 1;
    ASSERT_EQ(out.size(), 66614u);
    EXPECT_EQ(at(out, 2, 4), (Bytes{0x36, 0x04, 0x01, 0x00})) << int(slot);
    EXPECT_EQ(at(out, 18, 8), (Bytes{side, high, 0, 0, side, 0xFF, 0xFF, 0xFF})) << int(slot);
    EXPECT_EQ(at(out, 34, 4), (Bytes{0x00, 0x00, 0x01, 0x00})) << int(slot);
    for (std::size_t i : {0, 1, 6, 10, 14, 26, 28, 30, 38, 46, 50}) EXPECT_EQ(out[i], h[i]) << i;
    EXPECT_EQ(at(out, 1078, 65536), fullPixelData(f.slots[slot])) << int(slot);
  }
  const Bytes normal = buildSlotBitmap(f, 4, h, false);
  const Bytes alpha = buildSlotBitmap(f, 4, h, true);
  EXPECT_EQ(at(normal, 54, 4), (Bytes{0x44, 0x33, 0x22, 0x11}));
  EXPECT_EQ(at(alpha, 54, 4), (Bytes{0x11, 0x11, 0x11, 0x11}));
  for (std::size_t i = 0; i < normal.size(); ++i)
    if (i < 54 || i >= 1078 || (i - 54) % 4 == 3)
      ASSERT_EQ(normal[i], alpha[i]) << i;
  for (std::size_t n = 0; n < 256; ++n) ASSERT_EQ(at(alpha, 54 + 4 * n, 4), Bytes(4, pal[4 * n])) << n;
}

TEST(BmpHeaderTemplate, RefusesShortAndInvalidTemplates) {
  ScratchDir dir;
  const BmpHeader good = test::shippedBmpHeader();
  Bytes bad(good.begin(), good.end());
  test::writeAllBytes(dir / "short.bin", Bytes(bad.begin(), bad.begin() + 53));
  bad[28] = 24;
  test::writeAllBytes(dir / "bad.bin", bad);
  EXPECT_FALSE(loadBmpHeader(dir / "bad.bin").ok());
  EXPECT_NE(describe(loadBmpHeader(dir / "short.bin").error()).find("too short"), std::string::npos);
}

TEST(BitmapImport, HeaderChecksAcceptAndRefuse) {
  // A field of the editor's bitmap set to a value (or, with patchAt, a raw
  // patch of the file); side 0: refused.
  struct Case {
    const char* what;
    std::int64_t BitmapSpec::*field;
    std::int64_t value;
    int side, patchAt = -1;
  };
  using S = BitmapSpec;
  const Case cases[] = {
      {"width 128", &S::width, 128, 256},         {"width 64", &S::width, 64, 0},
      {"width 512", &S::width, 512, 0},           {"width -128", &S::width, -128, 0},
      {"height 256", &S::height, 256, 256},       {"height 128", &S::height, 128, 128},
      {"height 512", &S::height, 512, 128},       {"height -512", &S::height, -512, 128},
      {"height 64", &S::height, 64, 0},           {"height 384", &S::height, 384, 0},
      {"height INT32_MIN", &S::height, INT32_MIN, 0}, {"bits 4", &S::bits, 4, 0},
      {"bits 16", &S::bits, 16, 0},               {"colours 0", &S::coloursUsed, 0, 256},
      {"colours 257", &S::coloursUsed, 257, 0},   {"24 bits, RLE8", &S::bits, 24, 0, 30},
      {"info header 12", &S::infoSize, 12, 0},    {"info header 124", &S::infoSize, 124, 256},
      {"RLE4", &S::compression, 2, 0},            {"pixels further on", &S::pixelsAt, 5000, 256},
      {"pixels inside the header", &S::pixelsAt, 30, 0},
      {"pixels beyond the end", nullptr, 66615, 0, 10},
      {"palette beyond the end", nullptr, 0xFFFFFFF0, 0, 14},
      {"signature BA", nullptr, 0, 0, 0},
  };
  for (const Case& c : cases) {
    PtFile f = makeSamplePtFile();
    f.slots[6].width = f.slots[6].height = 77;  // a size no import produces, so a change shows
    const PtSlot before = f.slots[6];
    BitmapSpec spec;
    if (c.field) spec.*c.field = c.value;
    Bytes file = makeBitmap(spec);
    if (c.patchAt == 0)
      file[1] = 'A';
    else if (c.patchAt == 30)
      file[30] = 1;
    else if (c.patchAt > 0)
      put32(file, static_cast<std::size_t>(c.patchAt), c.value);
    const auto r = importInto(f, 6, file, inFileOrder);
    ASSERT_EQ(r.ok(), c.side != 0) << c.what;
    if (!c.side) {
      EXPECT_TRUE(sameSlot(f.slots[6], before)) << c.what << " changed the slot";
      continue;
    }
    EXPECT_EQ(f.slots[6].width, c.side) << c.what;
    EXPECT_EQ(f.slots[6].height, c.side) << c.what;
    EXPECT_EQ(f.slots[6].palette[5], 7) << c.what;  // red of entry 1
    EXPECT_TRUE(f.slots[6].pixels == pixelPattern(65536)) << c.what;
  }
}

TEST(BitmapImport, CutFilesAreRefusedAndA128x128BitmapLoads) {
  const std::pair<BitmapSpec, std::size_t> cut[] = {
      {{}, 0}, {{}, 20}, {{}, 49}, {{}, 53}, {{}, 1078 + 65535}, {{128, 128}, 1078 + 16383}};
  for (const auto& [spec, len] : cut) {
    PtFile f = makeSamplePtFile();
    const PtSlot before = f.slots[0];
    Bytes b = makeBitmap(spec);
    b.resize(len);
    const auto r = importInto(f, 0, b);
    ASSERT_FALSE(r.ok()) << len;
    ASSERT_TRUE(sameSlot(f.slots[0], before)) << len;
    if (len > 1078)
      EXPECT_EQ(describe(r.error()), "the file ends after " + std::to_string(len - 1078) +
                                         " bytes of pixel data; the picture needs " + (len > 30000 ? "65536" : "16384"));
  }
  // 1,078 + 16,384 bytes: the pixels fill the start, the rest of the pixel
  // data (slot 10's second part too) keeps its bytes.
  for (std::uint8_t slot : {0, 10}) {
    PtFile f = makeSamplePtFile();
    Bytes want = fullPixelData(f.slots[slot]);
    ASSERT_TRUE(importInto(f, slot, makeBitmap({128, -128, 8, 256, 0, 40, 0, 16384})).ok());
    const Bytes pattern = pixelPattern(16384);
    std::copy(pattern.begin(), pattern.end(), want.begin());
    EXPECT_TRUE(fullPixelData(f.slots[slot]) == want) << int(slot);
    EXPECT_EQ(f.slots[slot].height, 128) << int(slot);
  }
}

}  // namespace
}  // namespace pt
