// The editor round trip with real editors: slots that ptool exported are
// opened and saved again (or edited: a rectangle painted with a colour of
// the palette) by GIMP, ImageMagick, GraphicsMagick and Pillow, imported
// back with no option given, and the container compared byte for byte with
// what it was, or with the literal edit.
#include <gtest/gtest.h>

#include <set>

#include "container/pt_writer.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::quotePath;
using test::runCommand;
using test::shellQuote;

// The painted rectangle, and the palette entry whose colour it takes.
constexpr int kX0 = 10, kY0 = 5, kX1 = 30, kY1 = 15;
constexpr std::size_t kPaint = 200;
constexpr std::uint8_t kPaintRgb[3] = {1, 2, 3};

// The sample with what editors lose: in slot 1 two identical entries (20,
// 21) and two fully transparent ones of odd colours (25, 26), all shown;
// every entry's alpha is soft (the sample's ramp); slot 2 is 128 x 128 with
// bytes after its picture. Entry 200 is opaque 1, 2, 3 in both.
PtFile testContainer() {
  PtFile f = makeSamplePtFile();
  Bytes& p1 = f.slots[1].palette;
  std::copy_n(&p1[4 * 20], 4, &p1[4 * 21]);
  for (const std::size_t n : {25, 26}) p1[4 * n] = 0;
  p1[4 * 25 + 1] = 250;
  p1[4 * 26 + 2] = 250;
  for (const std::size_t slot : {1, 2}) {
    Bytes& p = f.slots[slot].palette;
    p[4 * kPaint] = 255;
    std::copy_n(kPaintRgb, 3, &p[4 * kPaint + 1]);
  }
  return f;
}

PtFile painted(PtFile f, std::size_t slot) {
  const int side = slot == 2 ? 128 : 256;
  for (int y = kY0; y < kY1; ++y)
    for (int x = kX0; x < kX1; ++x) f.slots[slot].pixels[static_cast<std::size_t>(y * side + x)] = kPaint;
  return f;
}

struct Case {
  const char* editor;   // gimp, gimp-rgb, convert, png8, mogrify, bmp3, rle8, rgb24, bitfields, gm, pillow, pillow-rgba
  const char* format;   // what ptool exports and the editor writes: png or bmp
  const char* options;  // of ptool import
};

// Every editor and format, each unchanged and edited (RLE8 only unchanged:
// ImageMagick's palette step merges the test palette's twin entries when it
// must add the paint), on slots 1 and 2; the last: other options on
// reordered palettes and transparent pixels stored as 0, 0, 0, 0.
constexpr Case kCases[] = {
    {"gimp", "png", ""},        {"gimp-rgb", "png", ""},    {"gimp", "bmp", ""},       {"convert", "png", ""},
    {"png8", "png", ""},        {"mogrify", "png", ""},     {"convert", "bmp", ""},    {"bmp3", "bmp", ""},
    {"gm", "png", ""},          {"gm", "bmp", ""},          {"pillow", "png", ""},     {"pillow-rgba", "png", ""},
    {"pillow", "bmp", ""},      {"pillow-rgba", "bmp", ""}, {"gimp-rgb", "png", "--palette keep"},
    {"convert", "png", "--alpha slot"}, {"gm", "png", "--palette keep --alpha slot"},
    {"rle8", "bmp", ""},        {"rgb24", "bmp", ""},       {"bitfields", "bmp", ""},
};

std::string name(const Case& c, std::size_t slot, bool edit) {
  return std::string(c.editor) + "_" + std::to_string(slot) + (edit ? "_edit." : ".") + c.format;
}

// ImageMagick and GraphicsMagick: one command line per file.
std::string magick(const Case& c, const std::string& in, const std::string& out, bool edit) {
  const std::string paint = edit ? " -fill 'rgb(1,2,3)' -draw 'rectangle " + std::to_string(kX0) + "," +
                                       std::to_string(kY0) + " " + std::to_string(kX1 - 1) + "," +
                                       std::to_string(kY1 - 1) + "'"
                                 : "";
  const std::string e = c.editor;
  if (e == "mogrify") return "cp " + in + " " + out + " && mogrify" + paint + " " + out;
  if (e == "png8") return "convert " + in + paint + " PNG8:" + out;
  if (e == "bmp3") return "convert " + in + paint + " -compress none BMP3:" + out;
  if (e == "rle8") return "convert " + in + " -type Palette -compress RLE BMP3:" + out;
  if (e == "rgb24") return "convert " + in + paint + " -type TrueColor BMP3:" + out;
  if (e == "bitfields") return "convert " + in + paint + " -type TrueColorAlpha BMP:" + out;
  if (e == "gm") return "gm convert " + in + paint + " " + out;
  return "convert " + in + paint + " " + out;
}

TEST(EditorRoundTrip, UnchangedAndEditedPicturesComeBackExactly) {
  SKIP_WITHOUT_LINUX_TOOLS();
  test::ScratchDir dir;
  const PtFile original = testContainer();
  test::writeAllBytes(dir / "s.pt", serializePtFile(original));
  for (const std::size_t slot : {1, 2})
    for (const char* format : {"png", "bmp"}) {
      const std::string out = quotePath(dir / ("s" + std::to_string(slot) + "." + format));
      ASSERT_EQ(test::runPtool("export " + quotePath(dir / "s.pt") + " " + std::to_string(slot) + " " + out).status, 0);
    }

  // Every editor's files, each editor run once for all of them.
  std::string gimp, pillow, shell = "cd " + quotePath(dir.path()) + " && true";
  std::set<std::string> made;
  for (const Case& c : kCases)
    for (const std::size_t slot : {1, 2})
      for (const bool edit : {false, true}) {
        const std::string in = "s" + std::to_string(slot) + "." + c.format;
        const std::string out = name(c, slot, edit);
        if (!made.insert(out).second) continue;
        const std::string e = c.editor;
        if (e.starts_with("gimp"))
          gimp += "(rt \"" + (dir / in).string() + "\" \"" + (dir / out).string() + "\" " +
                  (e == "gimp-rgb" ? "1" : "0") + (edit ? " 1" : " 0") + ")";
        else if (e.starts_with("pillow"))
          pillow += "rt('" + in + "','" + out + "'," + (e == "pillow-rgba" ? "1" : "0") + (edit ? ",1)\n" : ",0)\n");
        else
          shell += " && " + magick(c, in, out, edit);
      }
  const std::string rect = std::to_string(kX0) + " " + std::to_string(kY0) + " " + std::to_string(kX1 - kX0) + " " +
                           std::to_string(kY1 - kY0);
  const std::string script =
      "(define (rt in out rgb edit) (let* ((image (car (gimp-file-load RUN-NONINTERACTIVE in in)))"
      " (layer (car (gimp-image-get-active-drawable image))))"
      " (if (= rgb 1) (gimp-image-convert-rgb image))"
      " (if (= edit 1) (begin (gimp-image-select-rectangle image CHANNEL-OP-REPLACE " + rect + ")"
      " (gimp-context-set-foreground '(1 2 3)) (gimp-drawable-edit-fill layer FILL-FOREGROUND)"
      " (gimp-selection-none image)))"
      " (gimp-file-save RUN-NONINTERACTIVE image (car (gimp-image-get-active-drawable image)) out out)"
      " (gimp-image-delete image)))" + gimp;
  const std::string python =
      "from PIL import Image, ImageDraw\n"
      "def rt(i, o, rgba, edit):\n"
      "  im = Image.open(i)\n"
      "  im = im.convert('RGBA') if rgba else im\n"
      "  if edit: ImageDraw.Draw(im).rectangle([" + std::to_string(kX0) + "," + std::to_string(kY0) + "," +
      std::to_string(kX1 - 1) + "," + std::to_string(kY1 - 1) + "], fill=(1, 2, 3, 255) if rgba else " +
      std::to_string(kPaint) + ")\n"
      "  im.save(o, transparency=im.info['transparency']) if 'transparency' in im.info and o.endswith('png') else im.save(o)\n" +
      pillow;
  const auto ran = runCommand(shell + " && /usr/bin/python3 -c " + shellQuote(python) + " && HOME=" +
                              quotePath(dir.path()) + " gimp -i -d -f -b " + shellQuote(script) +
                              " -b '(gimp-quit 0)' >/dev/null 2>&1");
  ASSERT_EQ(ran.status, 0) << ran.err;

  for (const Case& c : kCases)
    for (const std::size_t slot : {1, 2})
      for (const bool edit : {false, std::string(c.editor) != "rle8"}) {
        const std::string file = name(c, slot, edit);
        const auto r = test::runPtool("import " + quotePath(dir / "s.pt") + " " + std::to_string(slot) + " " +
                                      quotePath(dir / file) + " -o " + quotePath(dir / "back.pt") + " --force " + c.options);
        EXPECT_EQ(r.status, 0) << file << ": " << r.err;
        const Bytes want = serializePtFile(edit ? painted(original, slot) : original);
        EXPECT_TRUE(test::readAll(dir / "back.pt") == want) << file << " " << c.options << ": " << r.err;
      }
}

}  // namespace
}  // namespace pt
