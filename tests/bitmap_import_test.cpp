#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "bitmap/bitmap_import.h"
#include "bitmap/slot_bitmap_writer.h"
#include "container/pt_writer.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::ScratchDir;
using test::ScriptedPrompt;

void put32(Bytes& b, std::size_t at, std::int64_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i));
}
void put16(Bytes& b, std::size_t at, int v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// An 8-bit bitmap as an editor might write it: info header of infoSize bytes,
// palette right after it (blue, green, red, alpha), pixels at pixelsAt.
struct BitmapSpec {
  std::int64_t width = 256, height = -256;
  int bits = 8;
  std::int64_t coloursUsed = 256;
  std::int64_t compression = 0;
  std::size_t infoSize = 40;
  std::size_t pixelsAt = 0;  // 0: right after the palette
  std::size_t pixelCount = 65536;
};

Bytes palettePattern() {
  Bytes p(1024);
  for (std::size_t n = 0; n < 256; ++n) {
    p[4 * n] = static_cast<std::uint8_t>(n);            // blue
    p[4 * n + 1] = static_cast<std::uint8_t>(255 - n);  // green
    p[4 * n + 2] = static_cast<std::uint8_t>(n * 7);    // red
    p[4 * n + 3] = static_cast<std::uint8_t>(n ^ 0x5A); // alpha
  }
  return p;
}

Bytes pixelPattern(std::size_t count) {
  Bytes px(count);
  for (std::size_t i = 0; i < count; ++i) px[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  return px;
}

Bytes makeBitmap(const BitmapSpec& s) {
  const std::size_t paletteAt = 14 + s.infoSize;
  const std::size_t pixelsAt = s.pixelsAt ? s.pixelsAt : paletteAt + 1024;
  Bytes b(std::max(pixelsAt + s.pixelCount, paletteAt + 1024), 0);
  b[0] = 'B', b[1] = 'M';
  put32(b, 2, static_cast<std::int64_t>(b.size()));
  put32(b, 10, static_cast<std::int64_t>(pixelsAt));
  put32(b, 14, static_cast<std::int64_t>(s.infoSize));
  put32(b, 18, s.width);
  put32(b, 22, s.height);
  put16(b, 26, 1);
  put16(b, 28, s.bits);
  put32(b, 30, s.compression);
  put32(b, 46, s.coloursUsed);
  const Bytes pal = palettePattern();
  std::copy(pal.begin(), pal.end(), b.begin() + static_cast<std::ptrdiff_t>(paletteAt));
  const Bytes px = pixelPattern(s.pixelCount);
  std::copy(px.begin(), px.end(), b.begin() + static_cast<std::ptrdiff_t>(pixelsAt));
  return b;
}

bool sameSlot(const PtSlot& a, const PtSlot& b) {
  return a.used == b.used && a.palette == b.palette && a.pixels == b.pixels && a.width == b.width &&
         a.height == b.height && a.dataSize == b.dataSize && a.trailer == b.trailer && a.extra == b.extra;
}

Result<ImportNotes> importBytes(PtFile& f, std::uint8_t slot, const Bytes& bytes,
                                const ImportOptions& options = {}) {
  return importBitmapBytes(bytes, f.slots[slot], slot, options);
}

TEST(BitmapImport, WritersOwnFilesComeBackUnchanged) {
  ScratchDir dir;
  PtFile f = makeSamplePtFile();
  const PtFile original = f;
  for (std::uint8_t slot = 0; slot < kSlotCount; ++slot) {
    const auto path = dir / "s.bmp";
    ASSERT_TRUE(writeSlotBitmap(f, slot, path, test::shippedBmpHeader(), false).ok());
    std::fill(f.slots[slot].palette.begin(), f.slots[slot].palette.end(), 0);
    ScriptedPrompt prompt;
    ASSERT_TRUE(importBitmap(f, slot, path, prompt)) << int(slot);
    const PtSlot &now = f.slots[slot], &was = original.slots[slot];
    EXPECT_EQ(now.palette, was.palette) << int(slot);
    EXPECT_EQ(now.pixels, was.pixels) << int(slot);
    EXPECT_EQ(now.extra, was.extra) << int(slot);
    EXPECT_EQ(now.used, was.used) << "import must not touch used";
    EXPECT_EQ(now.width, was.width);
    EXPECT_EQ(now.height, isLowRes(was.height) ? 128 : 256);
  }
  EXPECT_TRUE(isComplete(f));
  EXPECT_EQ(serializePtFile(f).size(), kFileSize);
}

TEST(BitmapImport, HeaderChecksAcceptAndRefuse) {
  struct Case {
    const char* what;
    BitmapSpec spec;
    bool accepted;
    std::int16_t width = 0, height = 0;
    std::function<void(Bytes&)> patch = {};  // applied to the finished file
  };
  auto with = [](auto change) {
    BitmapSpec s;
    change(s);
    return s;
  };
  const std::vector<Case> cases = {
      {"width 128", with([](BitmapSpec& s) { s.width = 128; }), true, 256, 256},
      {"width 64", with([](BitmapSpec& s) { s.width = 64; }), false},
      {"width 512", with([](BitmapSpec& s) { s.width = 512; }), false},
      {"width -128", with([](BitmapSpec& s) { s.width = -128; }), false},
      {"height 256", with([](BitmapSpec& s) { s.height = 256; }), true, 256, 256},
      {"height 128", with([](BitmapSpec& s) { s.height = 128; }), true, 128, 128},
      {"height 512", with([](BitmapSpec& s) { s.height = 512; }), true, 128, 128},
      {"height -512", with([](BitmapSpec& s) { s.height = -512; }), true, 128, 128},
      {"128 wide, 256 high", with([](BitmapSpec& s) { s.width = 128; s.height = 256; }), true, 256, 256},
      {"height 64", with([](BitmapSpec& s) { s.height = 64; }), false},
      {"height 384", with([](BitmapSpec& s) { s.height = 384; }), false},
      {"height INT32_MIN", with([](BitmapSpec& s) { s.height = INT32_MIN; }), false},
      {"bits 4", with([](BitmapSpec& s) { s.bits = 4; }), false},
      {"bits 24", with([](BitmapSpec& s) { s.bits = 24; }), false},
      {"colours 0", with([](BitmapSpec& s) { s.coloursUsed = 0; }), true, 256, 256},
      {"colours 16", with([](BitmapSpec& s) { s.coloursUsed = 16; }), false},
      {"colours 255", with([](BitmapSpec& s) { s.coloursUsed = 255; }), false},
      {"info header 12", with([](BitmapSpec& s) { s.infoSize = 12; }), false},
      {"info header 124", with([](BitmapSpec& s) { s.infoSize = 124; }), true, 256, 256},
      {"RLE8", with([](BitmapSpec& s) { s.compression = 1; }), false},
      {"pixels further on", with([](BitmapSpec& s) { s.pixelsAt = 5000; }), true, 256, 256},
      {"pixels inside the header", with([](BitmapSpec& s) { s.pixelsAt = 30; }), false},
      {"pixels beyond the end", {}, false, 0, 0,
       [](Bytes& b) { put32(b, 10, static_cast<std::int64_t>(b.size()) + 1); }},
      {"palette beyond the end", {}, false, 0, 0, [](Bytes& b) { put32(b, 14, 0xFFFFFFF0); }},
      {"signature BA", {}, false, 0, 0, [](Bytes& b) { b[1] = 'A'; }},
  };
  for (const Case& c : cases) {
    PtFile f = makeSamplePtFile();
    f.slots[6].width = 77;  // a size no import produces, so a change shows
    f.slots[6].height = 77;
    const PtSlot before = f.slots[6];
    Bytes file = makeBitmap(c.spec);
    if (c.patch) c.patch(file);
    const auto r = importBytes(f, 6, file);
    EXPECT_EQ(r.ok(), c.accepted) << c.what << ": " << (r ? "" : describe(r.error()));
    if (c.accepted) {
      EXPECT_EQ(f.slots[6].width, c.width) << c.what;
      EXPECT_EQ(f.slots[6].height, c.height) << c.what;
      const Bytes px = pixelPattern(65536);
      EXPECT_EQ(f.slots[6].pixels, px) << c.what;
      EXPECT_EQ(f.slots[6].palette[5], 7u) << c.what;  // red of entry 1
    } else {
      EXPECT_FALSE(describe(r.error()).empty()) << c.what;
      EXPECT_TRUE(sameSlot(f.slots[6], before)) << c.what << " changed the slot";
    }
  }
}

TEST(BitmapImport, FilesThatEndEarly) {
  // Inside the header, or before the picture's pixel data is complete: refused.
  const std::pair<BitmapSpec, std::size_t> cut[] = {
      {{}, 0}, {{}, 1}, {{}, 20}, {{}, 49}, {{}, 53}, {{}, 1078 + 65535}, {{128, 128}, 1078 + 16383}};
  for (const auto& [spec, len] : cut) {
    PtFile f = makeSamplePtFile();
    const PtSlot before = f.slots[0];
    Bytes b = makeBitmap(spec);
    b.resize(len);
    const auto r = importBytes(f, 0, b);
    ASSERT_FALSE(r.ok()) << len;
    EXPECT_TRUE(sameSlot(f.slots[0], before)) << len;
    if (len > 1078)
      EXPECT_EQ(describe(r.error()), "the file ends after " + std::to_string(len - 1078) +
                                         " bytes of pixel data; the picture needs " +
                                         (len > 30000 ? "65536" : "16384"));
  }
  // A plain 128 x 128 bitmap: its pixels fill the start, the rest holds 15;
  // in slot 10 the second part keeps its contents.
  for (std::uint8_t slot : {std::uint8_t{0}, std::uint8_t{10}}) {
    PtFile f = makeSamplePtFile();
    const Bytes oldExtra = f.slots[slot].extra;
    BitmapSpec small;
    small.width = 128;
    small.height = -128;
    small.pixelCount = 16384;
    ASSERT_TRUE(importBytes(f, slot, makeBitmap(small)).ok());
    const Bytes& px = f.slots[slot].pixels;
    EXPECT_EQ(Bytes(px.begin(), px.begin() + 16384), pixelPattern(16384));
    EXPECT_TRUE(std::all_of(px.begin() + 16384, px.end(), [](std::uint8_t v) { return v == 15; }));
    EXPECT_EQ(f.slots[slot].extra, oldExtra);
    EXPECT_EQ(f.slots[slot].height, 128);
    EXPECT_TRUE(isComplete(f));
  }
}

TEST(BitmapImport, NotesBottomUpAndDroppedAlpha) {
  BitmapSpec up;
  up.height = 256;
  Bytes noAlpha = makeBitmap({});
  for (std::size_t n = 0; n < 256; ++n) noAlpha[54 + 4 * n + 3] = 0;
  PtFile f = makeSamplePtFile();
  auto r = importBytes(f, 0, makeBitmap(up));
  ASSERT_TRUE(r.ok());
  EXPECT_TRUE(r->bottomUp);
  EXPECT_FALSE(r->alphaDropped);
  EXPECT_FALSE(importBytes(f, 0, makeBitmap({}))->bottomUp);
  // The sample's alpha ramps 0..255; a file whose alpha is all 0 says so,
  // and with keepAlpha the slot keeps its alpha and takes the colours.
  PtFile g = makeSamplePtFile();
  r = importBytes(g, 1, noAlpha);
  EXPECT_TRUE(r->alphaDropped);
  EXPECT_EQ(g.slots[1].palette[4 * 200], 0);
  PtFile h = makeSamplePtFile();
  ImportOptions keep;
  keep.keepAlpha = true;
  ASSERT_TRUE(importBytes(h, 1, noAlpha, keep).ok());
  EXPECT_EQ(h.slots[1].palette[4 * 200], 200);
  EXPECT_EQ(h.slots[1].palette[4 * 200 + 1], static_cast<std::uint8_t>(200 * 7));  // red from the file
}

// Bitmaps from other writers. The palette of the source picture has 256
// distinct colours, so a writer that reorders its palette still gives back
// the same colour at every pixel.
class SecondWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    Bytes rgb;
    for (std::size_t n = 0; n < 256; ++n) {
      rgb.push_back(static_cast<std::uint8_t>(n));
      rgb.push_back(static_cast<std::uint8_t>(255 - n));
      rgb.push_back(static_cast<std::uint8_t>((n * 37) & 0xFF));
    }
    test::writeAllBytes(dir / "pal.bin", rgb);
    indices = pixelPattern(65536);
    test::writeAllBytes(dir / "idx.bin", indices);
    palette = rgb;
    const auto r = test::runCommand(
        "cd " + test::shellQuote(dir.path().string()) +
        " && /usr/bin/python3 -c \"from PIL import Image; "
        "im=Image.frombytes('P',(256,256),open('idx.bin','rb').read()); "
        "im.putpalette(open('pal.bin','rb').read()); im.save('pillow.bmp')\"");
    ASSERT_EQ(r.status, 0) << r.err;
  }
  // Colour of picture pixel (x, y), y counted from the top.
  std::array<std::uint8_t, 3> sourceColour(int x, int y) const {
    const std::uint8_t i = indices[static_cast<std::size_t>(y) * 256 + x];
    return {palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]};
  }
  std::array<std::uint8_t, 3> slotColour(const PtSlot& s, std::size_t at) const {
    const std::uint8_t i = s.pixels[at];
    return {s.palette[4 * i + 1], s.palette[4 * i + 2], s.palette[4 * i + 3]};
  }
  Result<ImportNotes> import(PtFile& f, const std::string& name) {
    return importBitmapFile(dir / name, f.slots[0], 0, {});
  }
  ScratchDir dir;
  Bytes indices, palette;
};

TEST_F(SecondWriter, PillowBitmapKeepsPaletteAndIndicesBottomRowFirst) {
  PtFile f = makeSamplePtFile();
  ASSERT_TRUE(import(f, "pillow.bmp").ok());
  // Pillow writes bottom-up; rows are taken in file order.
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; x += 51)
      ASSERT_EQ(f.slots[0].pixels[static_cast<std::size_t>(255 - y) * 256 + x],
                indices[static_cast<std::size_t>(y) * 256 + x]);
  for (std::size_t n = 0; n < 256; ++n)
    ASSERT_EQ((Bytes{f.slots[0].palette.begin() + 4 * n + 1, f.slots[0].palette.begin() + 4 * n + 4}),
              (Bytes{palette.begin() + 3 * n, palette.begin() + 3 * n + 3}));
}

TEST_F(SecondWriter, ImageMagickUncompressedBitmapsImportWithTheirColours) {
  for (const std::string& format : {std::string("-compress None BMP3:im3.bmp"), std::string("-compress None BMP:im4.bmp")}) {
    const auto r = test::runCommand("cd " + test::shellQuote(dir.path().string()) +
                                    " && convert pillow.bmp -type Palette " + format);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string name = format.substr(format.find(':') + 1);
    PtFile f = makeSamplePtFile();
    ASSERT_TRUE(import(f, name).ok()) << name;
    for (int y = 0; y < 256; y += 7)
      for (int x = 0; x < 256; x += 13)
        ASSERT_EQ(slotColour(f.slots[0], static_cast<std::size_t>(255 - y) * 256 + x), sourceColour(x, y))
            << name << " at " << x << "," << y;
  }
}

TEST_F(SecondWriter, RunLengthEncodedBitmapIsRefused) {
  const auto r = test::runCommand("cd " + test::shellQuote(dir.path().string()) +
                                  " && convert pillow.bmp -type Palette -compress RLE BMP3:rle.bmp && convert pillow.bmp -type Palette BMP:rle4.bmp");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* name : {"rle.bmp", "rle4.bmp"}) {
    PtFile f = makeSamplePtFile();
    const PtSlot before = f.slots[0];
    const auto out = import(f, name);
    ASSERT_FALSE(out.ok()) << name;
    EXPECT_NE(describe(out.error()).find("compressed"), std::string::npos) << name;
    EXPECT_TRUE(sameSlot(f.slots[0], before)) << name;
  }
}

}  // namespace
}  // namespace pt
