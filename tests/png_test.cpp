// PNG export and import, checked against Pillow and ImageMagick.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "sample/sample_container.h"
#include "png/png_import.h"
#include "png/slot_png_writer.h"
#include "exchange/slot_files.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

namespace fs = std::filesystem;
using test::quotePath;
using test::readAll;
using test::ScratchDir;
using test::ScriptedPrompt;

const PtFile& sample() {
  static const PtFile f = makeSamplePtFile();
  return f;
}

// Runs a Python script with Pillow and returns its standard output.
std::string python(const std::string& script, const std::string& args = "") {
  const auto r = test::runCommand("/usr/bin/python3 -c " + test::shellQuote(script) + " " + args);
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

Bytes fromHex(const std::string& hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

// Pillow's view of a file as RGBA bytes.
Bytes pillowRgba(const fs::path& file) {
  return fromHex(python(
      "import sys;from PIL import Image;sys.stdout.write(Image.open(sys.argv[1]).convert('RGBA').tobytes().hex())",
      quotePath(file)));
}

// The slot's picture as RGBA, through its palette.
Bytes slotRgba(const PtSlot& s) {
  const std::size_t side = s.width == 128 ? 128 : 256;
  const Bytes data = fullPixelData(s);
  Bytes out;
  for (std::size_t i = 0; i < side * side; ++i) {
    const std::uint8_t* e = &s.palette[4 * data[i]];
    out.insert(out.end(), {e[1], e[2], e[3], e[0]});
  }
  return out;
}

// Fully transparent pixels as 0, 0, 0, 0, whatever colour they were stored with.
Bytes visible(Bytes rgba) {
  for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
    if (rgba[i + 3] == 0) std::fill_n(&rgba[i], 3, 0);
  return rgba;
}

double rms(const Bytes& a, const Bytes& b) {
  double sum = a.size() == b.size() ? 0 : 1e9;
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  return std::sqrt(sum / std::max<std::size_t>(a.size(), 1));
}

TEST(PngExport, PillowReadsPaletteAlphaAndPixels) {
  SKIP_WITHOUT_LINUX_TOOLS();
  ScratchDir dir;
  struct Case { std::uint8_t slot; bool alphaView; int side; };
  for (const Case c : {Case{0, false, 256}, Case{2, false, 128}, Case{10, false, 256}, Case{1, true, 256}}) {
    const PtSlot& s = sample().slots[c.slot];
    const auto path = dir / "s.png";
    ScriptedPrompt prompt;
    prompt.answers = {true};
    ASSERT_TRUE(exportSlotPng(sample(), c.slot, path, prompt, c.alphaView).ok()) << int(c.slot);
    std::istringstream in(python(
        "import sys;from PIL import Image;im=Image.open(sys.argv[1]);t=im.info.get('transparency');"
        "print(im.mode,im.size[0],im.size[1],bytes(im.getpalette()).hex(),bytes(t).hex(),im.tobytes().hex())",
        quotePath(path)));
    std::string mode, w, h, palette, alpha, pixels;
    in >> mode >> w >> h >> palette >> alpha >> pixels;
    EXPECT_EQ(mode + " " + w + " " + h, "P " + std::to_string(c.side) + " " + std::to_string(c.side));
    Bytes wantRgb, wantAlpha;
    for (std::size_t n = 0; n < 256; ++n) {
      for (int k = 1; k <= 3; ++k) wantRgb.push_back(s.palette[4 * n + (c.alphaView ? 0 : k)]);
      wantAlpha.push_back(s.palette[4 * n]);
    }
    EXPECT_TRUE(fromHex(palette) == wantRgb) << int(c.slot);
    EXPECT_TRUE(fromHex(alpha) == wantAlpha) << int(c.slot);
    const Bytes data = fullPixelData(s);
    EXPECT_EQ(fromHex(pixels), Bytes(data.begin(), data.begin() + c.side * c.side)) << int(c.slot);
  }
}

TEST(PngImport, FilesOfOtherWritersLookAsPillowSeesThem) {
  SKIP_WITHOUT_LINUX_TOOLS();
  ScratchDir dir;
  const std::string d = quotePath(dir.path());
  python(
      "import sys,os;from PIL import Image;d=sys.argv[1]\n"
      "rgba=Image.new('RGBA',(256,256))\n"
      "rgba.putdata([(x,y,255-(x+y)//2,(x+y)//2) for y in range(256) for x in range(256)])\n"
      "rgba.save(os.path.join(d,'rgba.png'))\n"
      "p=Image.new('P',(256,256));p.putpalette([(i*7)%256 for i in range(768)])\n"
      "p.putdata([(x^y)%256 for y in range(256) for x in range(256)])\n"
      "p.save(os.path.join(d,'p_trns.png'),transparency=bytes((i*3)%256 for i in range(200)))\n"
      "p.resize((128,128)).save(os.path.join(d,'p_128.png'))\n"
      "q=Image.new('P',(256,256));q.putpalette([(i*40)%256 for i in range(48)])\n"
      "q.putdata([(x//16+y)%16 for y in range(256) for x in range(256)])\n"
      "q.save(os.path.join(d,'p_4bit.png'),bits=4)\n"
      "Image.new('LA',(256,256),(90,40)).save(os.path.join(d,'la.png'))\n",
      d);
  const auto r = test::runCommand("cd " + d + " && convert -size 256x256 gradient:red-blue PNG8:im8.png && convert rgba.png "
                                   "-interlace PNG PNG32:interlaced32.png && convert -size 256x256 gradient:black-white "
                                   "-colorspace Gray -depth 16 grey16.png");
  ASSERT_EQ(r.status, 0) << r.err;
  // Colours of a picture up to 256 take free entries; more are quantized.
  // A picture without alpha (no alpha channel, no tRNS) takes the slot's, with a note.
  struct Case { const char* file; bool exact; int side; bool noAlpha; };
  for (const Case c : {Case{"p_trns.png", true, 256, false}, Case{"p_128.png", true, 128, true},
                       Case{"p_4bit.png", true, 256, true}, Case{"im8.png", true, 256, true},
                       Case{"interlaced32.png", false, 256, false}, Case{"grey16.png", true, 256, true},
                       Case{"la.png", true, 256, false}}) {
    PtSlot s = sample().slots[10];
    const auto r = importPngFile(dir / c.file, s, 10, {});
    ASSERT_TRUE(r.ok()) << c.file << ": " << describe(r.error());
    EXPECT_EQ(s.width, c.side) << c.file;
    EXPECT_EQ(r->quantized, !c.exact) << c.file;
    std::string notes;
    for (const auto& line : r->lines) notes += line + "\n";
    EXPECT_EQ(notes.find(" has no ") != std::string::npos, c.noAlpha) << c.file << ": " << notes;
    const Bytes want = visible(pillowRgba(dir / c.file));
    const Bytes got = visible(slotRgba(s));
    if (c.exact)
      EXPECT_EQ(got, want) << c.file;
    else
      EXPECT_LT(rms(got, want), 8.0) << c.file;
    if (std::string(c.file) == "p_4bit.png")  // entries past a 16-colour PLTE stay the slot's
      EXPECT_TRUE(std::equal(s.palette.begin() + 64, s.palette.end(), sample().slots[10].palette.begin() + 64));
  }
}

TEST(PngImport, BadFilesAreRefusedWithTheirReasons) {
  SKIP_WITHOUT_LINUX_TOOLS();
  ScratchDir dir;
  ScriptedPrompt prompt;
  ASSERT_TRUE(exportSlotPng(sample(), 0, dir / "good.png", prompt).ok());
  python("import sys;from PIL import Image;Image.new('RGB',(300,200)).save(sys.argv[1])",
         quotePath(dir / "wide.png"));
  // Chunks rewritten by Python's own reading of the format (zlib's CRC): a
  // tRNS with a wrong checksum, before PLTE, longer than PLTE (PLTE cut to
  // 100 entries), and a length of 0x7FFFFFFF.
  python("import sys,zlib,struct\n"
         "b=open(sys.argv[1],'rb').read();c=[];i=8\n"
         "while i<len(b):\n n=struct.unpack('>I',b[i:i+4])[0];c.append([b[i+4:i+8],b[i+8:i+8+n]]);i+=12+n\n"
         "def w(name,cs,bad=None):\n"
         " out=b[:8]\n"
         " for t,d in cs: out+=struct.pack('>I',len(d))+t+d+struct.pack('>I',zlib.crc32(t+d)^(1 if t==bad else 0))\n"
         " open(sys.argv[2]+name,'wb').write(out)\n"
         "k={t:j for j,(t,d) in enumerate(c)};p,t=k[b'PLTE'],k[b'tRNS']\n"
         "w('crc.png',c,b'tRNS')\n"
         "s=list(c);s[p],s[t]=s[t],s[p];w('order.png',s)\n"
         "s=[list(x) for x in c];s[p][1]=s[p][1][:300];w('long.png',s)\n"
         "open(sys.argv[2]+'len.png','wb').write(b[:33]+b'\\x7f\\xff\\xff\\xff'+b[37:])\n",
         quotePath(dir / "good.png") + " " + quotePath(dir / ""));
  const Bytes good = readAll(dir / "good.png");
  const std::size_t idat = std::string(good.begin(), good.end()).find("IDAT");
  Bytes crc = good;
  crc[idat + 20] ^= 0x40;
  struct Case { Bytes bytes; ErrorKind kind; const char* says; };
  const Case cases[] = {
      {Bytes(good.begin(), good.begin() + good.size() / 2), ErrorKind::Invalid, "damaged"},
      {crc, ErrorKind::Invalid, "damaged"},
      {readAll(dir / "crc.png"), ErrorKind::Invalid, "chunk tRNS at offset 813 fails its checksum (CRC)"},
      {readAll(dir / "order.png"), ErrorKind::Invalid, "its tRNS chunk comes before its PLTE chunk"},
      {readAll(dir / "long.png"), ErrorKind::Invalid, "its tRNS chunk has 256 entries, its PLTE only 100"},
      {readAll(dir / "len.png"), ErrorKind::Invalid, "has the bad length 2147483647"},
      {Bytes(good.begin(), good.end() - 12), ErrorKind::Invalid, "IEND"},
      {Bytes(good.begin(), good.begin() + idat + 4), ErrorKind::Invalid, "only 0 bytes follow"},
      {readAll(dir / "wide.png"), ErrorKind::Unsupported, "300x200"},
      {Bytes(good.begin() + 1, good.end()), ErrorKind::Invalid, "not a PNG"},
  };
  Bytes padded = good;
  padded.resize(kMaxPngFileSize);  // the picture, then zeros after its end chunk: taken
  PtSlot taken = sample().slots[2];
  EXPECT_TRUE(importPngBytes(padded, taken, 2, {}).ok());
  for (const Case& c : cases) {
    PtSlot s = sample().slots[2];
    const auto r = importPngBytes(c.bytes, s, 2, {});
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().kind, c.kind) << describe(r.error());
    EXPECT_NE(describe(r.error()).find(c.says), std::string::npos) << describe(r.error());
  }
}

TEST(PngImport, QuantizingIsNoWorseThanPillowsAndKeepLeavesThePalette) {
  SKIP_WITHOUT_LINUX_TOOLS();
  ScratchDir dir;
  const std::string theirs = python(
      "import sys,math;from PIL import Image\n"
      "im=Image.new('RGBA',(256,256))\n"
      "im.putdata([(x,(x+y)//2,255-y,int(127.5+127.5*math.sin(x/20.0)*math.cos(y/30.0))) "
      "for y in range(256) for x in range(256)])\n"
      "im.save(sys.argv[1]);a=im.tobytes()\n"
      "m=Image.Quantize.LIBIMAGEQUANT if __import__('PIL.features').features.check('libimagequant') "
      "else Image.Quantize.FASTOCTREE\n"
      "b=im.quantize(256,method=m).convert('RGBA').tobytes()\n"
      "print(math.sqrt(sum((p-q)**2 for p,q in zip(a,b))/len(a)))",
      quotePath(dir / "soft.png"));
  const Bytes source = pillowRgba(dir / "soft.png");
  PtSlot s = sample().slots[0];
  const auto r = importPngFile(dir / "soft.png", s, 0, {});
  ASSERT_TRUE(r.ok()) << describe(r.error());
  EXPECT_TRUE(r->quantized);
  const double ours = rms(slotRgba(s), source);
  EXPECT_LE(ours, 1.25 * std::stod(theirs) + 0.05) << "ours " << ours << ", Pillow's " << theirs;
  // Keep: the palette stays byte for byte; a picture made of its colours
  // maps back exactly.
  ScriptedPrompt prompt;
  ASSERT_TRUE(exportSlotPng(sample(), 1, dir / "s1.png", prompt).ok());
  python("import sys;from PIL import Image;Image.open(sys.argv[1]).convert('RGBA').save(sys.argv[2])",
         quotePath(dir / "s1.png") + " " + quotePath(dir / "s1rgba.png"));
  double keptRms[2] = {};
  for (const bool dither : {false, true}) {
    PtSlot k = sample().slots[1];
    std::fill(k.pixels.begin(), k.pixels.end(), 0);
    const auto kept = importPngFile(dir / "s1rgba.png", k, 1, {PaletteChoice::Keep, dither});
    ASSERT_TRUE(kept.ok()) << describe(kept.error());
    EXPECT_EQ(k.palette, sample().slots[1].palette);
    EXPECT_EQ(slotRgba(k), slotRgba(sample().slots[1])) << dither;
    PtSlot g = sample().slots[1];
    ASSERT_TRUE(importPngFile(dir / "soft.png", g, 1, {PaletteChoice::Keep, dither}).ok());
    keptRms[dither] = rms(slotRgba(g), source);
  }
  EXPECT_LT(keptRms[false], keptRms[true]) << "without dither each pixel takes its nearest entry";
  // New takes the file's whole palette, also where the slot shows the picture already (entry 0 is unused there).
  PtSlot n = sample().slots[1];
  n.palette[0] ^= 0x55;
  ASSERT_TRUE(importPngFile(dir / "s1.png", n, 1, {PaletteChoice::New}).ok());
  EXPECT_EQ(n.palette, sample().slots[1].palette);
}

}  // namespace
}  // namespace pt
