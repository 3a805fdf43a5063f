#include <gtest/gtest.h>

#include "exchange/raw_tex.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::quotePath;
using test::readAll;
using test::runPtool;
using test::ScratchDir;

class Ptool : public ::testing::Test {
 protected:
  void SetUp() override { test::writeAllBytes(sample, makeSampleContainer()); }
  ScratchDir dir;
  std::filesystem::path sample = dir / "sample.pt";
};

// The sample holds no texture in slots 3, 7 and 15 and is low resolution
// in 2, 5, 12 and 18 (read as height 512, shown as 128).
TEST_F(Ptool, InfoListsSlotsAsTheSlotListShowsThem) {
  const auto r = runPtool("info " + quotePath(sample));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 36), "0 1 256 256\n1 1 256 256\n2 1 128 128\n");
  EXPECT_NE(r.out.find("\n3 0 256 256\n"), std::string::npos);
  EXPECT_NE(r.out.find("\n19 1 256 256\n"), std::string::npos);
  const auto j = runPtool("info --json " + quotePath(sample));
  EXPECT_EQ(j.out.substr(0, 46), "[{\"slot\":0,\"used\":1,\"width\":256,\"height\":256},");
  EXPECT_NE(j.out.find("{\"slot\":18,\"used\":1,\"width\":128,\"height\":128}"), std::string::npos);
}

TEST_F(Ptool, UsageErrorsExitWithTwo) {
  for (const std::string args : {"", "frobnicate", "info", "info --bogus x.pt", "export x.pt 20 x.tex",
                                 "export x.pt 1 x.png", "import x.pt 1 x.tex", "set-res x.pt 1 medium -o o.pt"})
    EXPECT_EQ(runPtool(args).status, 2) << args;
}

TEST_F(Ptool, ExportImportAndSetResolutionRoundTrip) {
  const auto tex = dir / "s1.tex";
  auto r = runPtool("export " + quotePath(sample) + " 1 " + quotePath(tex));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Slot 1 extracted as " + tex.string() + "\n");
  EXPECT_EQ(readAll(tex), buildRawTex(makeSamplePtFile().slots[1]));

  // A palette-only file swaps the palette and says how much it held.
  test::writeAllBytes(dir / "pal.tex", makeSamplePtFile().slots[1].palette);
  r = runPtool("import " + quotePath(sample) + " 5 " + quotePath(dir / "pal.tex") + " -o " + quotePath(dir / "out.pt") + " --force");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("holds 1024 of the 66560 bytes"), std::string::npos) << r.err;
  const Bytes swapped = readAll(dir / "out.pt");
  EXPECT_EQ(Bytes(swapped.begin() + 386152, swapped.begin() + 386152 + 1024), makeSamplePtFile().slots[1].palette);

  const auto bmp = dir / "s2.bmp";
  ASSERT_EQ(runPtool("export " + quotePath(sample) + " 2 " + quotePath(bmp)).status, 0);
  ASSERT_EQ(runPtool("export " + quotePath(sample) + " 2 " + quotePath(dir / "a.bmp") + " --alpha").status, 0);
  EXPECT_NE(readAll(bmp), readAll(dir / "a.bmp"));
  r = runPtool("import " + quotePath(sample) + " 0 " + quotePath(bmp) + " -o " + quotePath(sample) + " --force");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(runPtool("info " + quotePath(sample)).out.find("0 1 128 128\n"), std::string::npos);

  r = runPtool("set-res " + quotePath(sample) + " 0 high -o " + quotePath(sample) + " --force");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Set slot 0 to new resolution"), std::string::npos);
  EXPECT_EQ(runPtool("info " + quotePath(sample)).out.substr(0, 12), "0 1 256 256\n");
}

// Every refusal: the system's own line on standard error, its reason on the next.
TEST_F(Ptool, RefusalsGiveTheSystemsLineThenTheReason) {
  Bytes wrong = readAll(sample);
  test::writeAllBytes(dir / "short.pt", Bytes(wrong.begin(), wrong.begin() + 60000));
  wrong[0] = 'c';
  test::writeAllBytes(dir / "wrong.pt", wrong);
  Bytes cut(1078 + 100, 0), zeroWidth(2000, 0);
  cut[0] = zeroWidth[0] = 'B', cut[1] = zeroWidth[1] = 'M';
  const Bytes fields = {0, 1, 0, 0, 0, 1, 0, 0};  // width 256, height 256
  std::copy(fields.begin(), fields.end(), cut.begin() + 18);
  cut[10] = 0x36, cut[11] = 0x04, cut[14] = 40, cut[28] = 8;
  test::writeAllBytes(dir / "cut.bmp", cut);
  test::writeAllBytes(dir / "zero.bmp", zeroWidth);
  test::writeAllBytes(dir / "there.tex", Bytes(3, 0));
  test::writeAllBytes(dir / "empty.bmp", {});
  std::filesystem::create_directory(dir / "folder.bmp");
  const std::string noMagic = "not a Paint Tool file: it does not start with \"CON \"";
  const auto in = quotePath(sample), o = quotePath(dir / "o.pt");
  const struct {
    std::string args, line, reason;
  } cases[] = {
      {"info " + quotePath(dir / "wrong.pt"), "Open failed of " + (dir / "wrong.pt").string(),
       noMagic},
      {"info " + quotePath(dir / "none.pt"), "Open failed of " + (dir / "none.pt").string(),
       std::generic_category().message(ENOENT)},
      {"export " + in + " 7 " + quotePath(dir / "u.tex"), "Slot 7 not extracted",
       "slot 7 holds no texture (not used)"},
      {"export " + in + " 1 " + quotePath(dir / "there.tex"), "Slot 1 not extracted",
       "the existing file was kept"},
      {"import " + in + " 4 " + quotePath(dir / "cut.bmp") + " -o " + o, "Slot 4 not loaded with new file",
       "the file ends after 100 bytes of pixel data; the picture needs 65536"},
      {"import " + in + " 4 " + quotePath(dir / "zero.bmp") + " -o " + o, "Slot 4 not loaded with new file",
       "width 0 is neither 128 nor 256"},
      {"copy " + in + " " + in, "Save not completed of " + sample.string(), "the existing file was kept"},
      {"info " + quotePath(dir / "cut.bmp"), "Open failed of " + (dir / "cut.bmp").string(), noMagic},
      {"copy " + quotePath(dir / "short.pt") + " " + o, "Open failed of " + (dir / "short.pt").string(),
       "The file is too short for a Paint Tool file: it has 60000 bytes, a Paint Tool file has 1409024."},
      {"import " + in + " 4 " + quotePath(dir / "empty.bmp") + " -o " + o, "Slot 4 not loaded with new file",
       "the file ends inside the bitmap header"},
      {"import " + in + " 4 " + quotePath(dir / "folder.bmp") + " -o " + o, "Slot 4 not loaded with new file",
       std::generic_category().message(EISDIR)},
  };
  for (const auto& c : cases) {
    const auto r = runPtool(c.args);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_NE(r.err.find(c.line + "\n" + c.reason + "\n"), std::string::npos) << c.args << "\n" << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "u.tex") || std::filesystem::exists(dir / "o.pt"));
  EXPECT_EQ(readAll(dir / "there.tex"), Bytes(3, 0));
}

TEST_F(Ptool, BitmapWorkNeedsTheHeaderTemplateBesideTheProgram) {
  const auto lone = dir / "ptool";
  std::filesystem::copy_file(VARNHOLT_PTOOL, lone);
  const auto r = test::runCommand(quotePath(lone) + " export " + quotePath(sample) + " 1 " + quotePath(dir / "x.bmp"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("bmp_header.bin"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "x.bmp"));
  EXPECT_EQ(test::runCommand(quotePath(lone) + " export " + quotePath(sample) + " 1 " + quotePath(dir / "x.tex")).status, 0);
}

}  // namespace
}  // namespace pt
