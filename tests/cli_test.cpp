#include <gtest/gtest.h>

#include "container/pt_reader.h"
#include "sample/sample_container.h"
#include "exchange/slot_files.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

namespace fs = std::filesystem;
using test::quotePath;
using test::readAll;
using test::runPtool;
using test::ScratchDir;

// Runs a Python snippet with Pillow, an independent reader of the PNGs.
test::RunResult python(const std::string& code) {
  return test::runCommand("/usr/bin/python3 -c " + test::shellQuote(code));
}

class Ptool : public ::testing::Test {
 protected:
  void SetUp() override { test::writeAllBytes(sample, makeSampleContainer()); }
  std::string q(const std::string& name) const { return quotePath(dir / name); }
  ScratchDir dir;
  fs::path sample = dir / "sample.pt";
  std::string s = quotePath(sample);
};

TEST_F(Ptool, InfoListsSlotsAsTheSlotListShowsThem) {
  EXPECT_EQ(runPtool("info " + s).out.substr(0, 48), "0 1 256 256\n1 1 256 256\n2 1 128 128\n3 0 256 256\n");
  const auto j = runPtool("info --json " + s);
  EXPECT_EQ(j.out.substr(j.out.size() - 48), ",{\"slot\":19,\"used\":1,\"width\":256,\"height\":256}]\n");
}

TEST_F(Ptool, UsageErrorsExitWithTwo) {
  const std::string cases[] = {"", "frobnicate", "info a b", "info --bogus " + s, "export " + s + " 20 " + q("x.tex"),
                           "export " + s + " 1 " + q("x.gif"), "export " + s + " 1 " + q("x.tex") + " --alpha",
                           "import " + s + " 1 " + q("x.tex"), "import " + s + " 1 " + q("x.png") + " -o o.pt --palette old",
                           "set-res " + s + " 1 medium -o " + q("o.pt"), "export-all " + s + " -d d --format gif",
                           "export-all " + s + " " + q("sub/sample.pt") + " -d " + q("d"), "import-all " + s + " d",
                           "diff " + s, "thumbnail " + s + " " + q("t.png") + " --size x"};
  for (const auto& args : cases) {
    const auto r = runPtool(args);
    EXPECT_TRUE(r.status == 2 && r.err.find("ptool --help") != std::string::npos) << args << ": " << r.err;
  }
  EXPECT_FALSE(fs::exists(dir / "d"));
  const auto version = runPtool("--version"), help = runPtool("--help"), one = runPtool("import-all --help");
  EXPECT_EQ(std::tuple(version.status, help.status, one.status), std::tuple(0, 0, 0));
  EXPECT_EQ(version.out, VARNHOLT_VERSION "\n");
  EXPECT_NE(help.out.find("ptool thumbnail"), std::string::npos);
  EXPECT_NE(one.out.find("Usage: ptool import-all"), std::string::npos);
  // "--" ends the options: a file name may start with a dash.
  std::filesystem::copy_file(sample, dir / "-x.pt");
  EXPECT_EQ(runPtool("info -- " + q("-x.pt")).status, 0);
}

TEST_F(Ptool, CopyReplacesOnlyWithForce) {
  EXPECT_EQ(runPtool("copy " + s + " " + q("copy.pt")).out, "Saved : " + (dir / "copy.pt").string() + "\n");
  const Bytes other(kFileSize + 10, 0x55);
  test::writeAllBytes(dir / "copy.pt", other);
  EXPECT_TRUE(runPtool("copy " + s + " " + q("copy.pt")).status == 1 && readAll(dir / "copy.pt") == other);
  EXPECT_TRUE(runPtool("copy --force " + s + " " + q("copy.pt")).status == 0 && readAll(dir / "copy.pt") == readAll(sample));
}

// The bytes are checked by the window stress run and the odd-path runs; here the lines printed.
TEST_F(Ptool, ExportImportAndSetResolutionPrintTheWindowsLogLines) {
  auto r = runPtool("export " + s + " 1 " + q("s1.tex"));
  EXPECT_EQ(r.out, "Slot 1 extracted as " + (dir / "s1.tex").string() + "\n") << r.err;
  r = runPtool("import " + s + " 3 " + q("s1.tex") + " -o " + q("out.pt"));
  EXPECT_EQ(r.out, "Slot 3 loaded with " + (dir / "s1.tex").string() + "\nSaved : " + (dir / "out.pt").string() + "\n");
  test::writeAllBytes(dir / "three.tex", Bytes(3, 7));
  r = runPtool("import " + s + " 3 " + q("three.tex") + " -o " + q("out.pt") + " --force");
  EXPECT_EQ(r.err, "Note: 3 of the 66560 bytes of a raw texture came from the file; the rest of the slot kept its bytes.\n");
  EXPECT_EQ(runPtool("set-res " + s + " 0 low -o " + s).status, 1) << "replacing IN needs --force";
  r = runPtool("set-res " + s + " 0 low -o " + s + " --force");
  EXPECT_NE(r.out.find("Set slot 0 to new resolution"), std::string::npos);
  EXPECT_EQ(runPtool("info " + s).out.substr(0, 12), "0 1 128 128\n");
}

TEST_F(Ptool, RefusalsGiveTheSystemsLineThenTheReason) {
  Bytes wrong = readAll(sample);
  test::writeAllBytes(dir / "short.pt", Bytes(wrong.begin(), wrong.begin() + 60000));
  wrong[0] = 'c';
  test::writeAllBytes(dir / "wrong.pt", wrong);
  Bytes zeroWidth(2000, 0);
  zeroWidth[0] = 'B', zeroWidth[1] = 'M';
  test::writeAllBytes(dir / "zero.bmp", zeroWidth);
  test::writeAllBytes(dir / "there.tex", Bytes(3, 0));
  fs::create_directory(dir / "folder.bmp");
  const std::string noMagic = "not a Paint Tool file: it does not start with \"CON \"", o = q("o.pt");
  const std::string kept = "File exists. Overwrite? No (give --force to replace it)";
  const struct { std::string args, line, reason; } cases[] = {
      {"info " + q("wrong.pt"), "Open failed of " + (dir / "wrong.pt").string(), noMagic},
      {"info " + q("none.pt"), "Open failed of " + (dir / "none.pt").string(), "No such file or directory"},
      {"copy " + q("short.pt") + " " + o, "Open failed of " + (dir / "short.pt").string(),
       "The file is too short for a Paint Tool file: it has 60000 bytes, a Paint Tool file has 1409024."},
      {"export " + s + " 7 " + q("u.tex"), "Slot 7 not extracted", "slot 7 holds no texture (not used)"},
      {"export " + s + " 1 " + q("there.tex"), "Slot 1 not extracted", kept},
      {"copy " + s + " " + s, "Save not completed of " + sample.string(), kept},
      {"import " + s + " 4 " + q("zero.bmp") + " -o " + o, "Slot 4 not loaded with new file",
       (dir / "zero.bmp").string() + ": width 0 is neither 128 nor 256"},
      {"import " + s + " 4 " + q("folder.bmp") + " -o " + o, "Slot 4 not loaded with new file",
       (dir / "folder.bmp").string() + ": Is a directory"},
  };
  for (const auto& c : cases) {
    const auto r = runPtool(c.args);
    EXPECT_EQ(std::pair(r.status, r.err), std::pair(1, c.line + "\n" + c.reason + "\n")) << c.args;
  }
  EXPECT_FALSE(fs::exists(dir / "u.tex") || fs::exists(dir / "o.pt"));
  EXPECT_EQ(readAll(dir / "there.tex"), Bytes(3, 0));
}

TEST_F(Ptool, BitmapWorkNeedsTheHeaderTemplateBesideTheProgram) {
  fs::copy_file(VARNHOLT_PTOOL, dir / "ptool");
  const auto r = test::runCommand(q("ptool") + " export " + s + " 1 " + q("x.bmp"));
  EXPECT_TRUE(r.status == 1 && r.err.find("bmp_header.bin") != std::string::npos && !fs::exists(dir / "x.bmp")) << r.err;
  EXPECT_EQ(test::runCommand(q("ptool") + " export " + s + " 1 " + q("x.tex")).status, 0);
}

TEST_F(Ptool, ExportAllWritesEveryUsedSlotAndAManifest) {
  auto r = runPtool("export-all " + s + " -d " + q("one"));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto check = python(
      "import json, os; from PIL import Image\nd = '" + (dir / "one").string() + "'\n"
      "print(' '.join(sorted(os.listdir(d))))\nm = json.load(open(d + '/manifest.json'))\n"
      "print(m['container'], len(m['slots']), m['slots'][2], m['slots'][15]['file'], Image.open(d + '/slot02.png').size)\n");
  EXPECT_EQ(check.out, "manifest.json slot00.png slot01.png slot02.png slot04.png slot05.png slot06.png slot08.png "
                       "slot09.png slot10.png slot11.png slot12.png slot13.png slot14.png slot16.png slot17.png "
                       "slot18.png slot19.png\nsample.pt 20 {'slot': 2, 'used': 1, 'width': 128, 'height': 128, "
                       "'file': 'slot02.png'} None (128, 128)\n") << check.err;
  // Several containers, more files than one batch of the writer holds.
  fs::create_directory(dir / "b");
  std::string many = s;
  for (int k = 0; k < 15; ++k) fs::copy_file(sample, dir / "b" / ("c" + std::to_string(k) + ".pt")), many += " " + q("b/c" + std::to_string(k) + ".pt");
  r = runPtool("export-all " + many + " -d " + q("many") + " --format tex");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir / "many"), {}), 16 * 19);  // folders too
  EXPECT_EQ(readAll(dir / "many/c14/slot19.tex"), buildRawTex(makeSamplePtFile().slots[19]));
}

TEST_F(Ptool, ExportAllReplacesNothingWithoutForce) {
  fs::create_directories(dir / "d");
  const Bytes old{1, 2, 3};
  test::writeAllBytes(dir / "d/slot05.bmp", old);
  test::writeAllBytes(dir / "d/manifest.json", old);
  auto r = runPtool("export-all " + s + " -d " + q("d") + " --format bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Nothing extracted\n" + (dir / "d/slot05.bmp").string() + ": exists (give --force to replace it)\n" +
                       (dir / "d/manifest.json").string() + ": exists (give --force to replace it)\n");
  EXPECT_TRUE(std::distance(fs::directory_iterator(dir / "d"), fs::directory_iterator()) == 2 && readAll(dir / "d/slot05.bmp") == old);
  EXPECT_EQ(runPtool("export-all " + s + " -d " + q("d") + " --format bmp --force").status, 0);
  EXPECT_EQ(readAll(dir / "d/slot05.bmp").size(), 66614u);
  // A write that fails (a file size limit) leaves no file and no temporary file behind.
  r = test::runCommand("prlimit --fsize=50000 " + quotePath(VARNHOLT_PTOOL) + " export-all " + s + " -d " + q("e") + " --format bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Nothing extracted\n" + (dir / "e/slot00.bmp").string() + ": File too large\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "e"), fs::directory_iterator()), 0);
}

TEST_F(Ptool, ImportAllRestoresTheContainerExactly) {
  // A container whose used slots differ in every byte each format carries.
  Bytes scrambled = makeSampleContainer();
  for (std::size_t slot = 0; slot < kSlotCount; ++slot)
    if (scrambled[53250 + slot] == 1)
      for (std::size_t i = slotOffset(slot); i < slotOffset(slot) + 1024 + 16384; ++i) scrambled[i] ^= 0xFF;
  test::writeAllBytes(dir / "scrambled.pt", scrambled);
  for (const std::string format : {"png", "bmp", "tex"}) {
    ASSERT_EQ(runPtool("export-all " + s + " -d " + q(format) + " --format " + format).status, 0) << format;
    const auto r = runPtool("import-all " + q("scrambled.pt") + " " + q(format) + " -o " + q("back.pt") + " --force");
    ASSERT_EQ(r.status, 0) << format << ": " << r.err;
    EXPECT_NE(r.out.find("Slot 19 loaded with " + (dir / format / ("slot19." + format)).string()), std::string::npos);
    EXPECT_EQ(readAll(dir / "back.pt"), readAll(sample)) << format;
  }
}

TEST_F(Ptool, ImportAllRefusesEverythingWhenOneFileIsRefused) {
  ASSERT_EQ(runPtool("export-all " + s + " -d " + q("d") + " --format bmp").status, 0);
  Bytes bad(2000, 0);
  bad[0] = 'B', bad[1] = 'M';
  test::writeAllBytes(dir / "d/slot01.bmp", bad);
  fs::remove(dir / "d/slot04.bmp");
  auto r = runPtool("import-all " + s + " " + q("d") + " -o " + q("o.pt"));
  EXPECT_EQ(r.status, 1);
  const std::string d = (dir / "d").string();
  EXPECT_EQ(r.err, "Nothing written to " + (dir / "o.pt").string() + "\nslot 01: " + d +
                       "/slot01.bmp: width 0 is neither 128 nor 256\nslot 04: " + d +
                       "/slot04.bmp: No such file or directory\n");
  EXPECT_FALSE(fs::exists(dir / "o.pt"));
  // Without a manifest the slotNN names count, and two files for one slot are an error.
  fs::remove(dir / "d/manifest.json");
  fs::copy_file(dir / "d/slot00.bmp", dir / "d/slot00.tex");
  r = runPtool("import-all " + s + " " + q("d") + " -o " + q("o.pt"));
  EXPECT_NE(r.err.find("two files for one slot (slot 0: slot00.bmp and slot00.tex)"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "o.pt"));
}

TEST_F(Ptool, DiffNamesEachRegionThatDiffers) {
  test::writeAllBytes(dir / "b.pt", makeSampleContainer());
  auto r = runPtool("diff " + s + " " + q("b.pt"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out + r.err, "");
  const std::pair<std::size_t, const char*> cases[] = {
      {54316 + 3, "slot 0: pixels differ (1 bytes)"},      {53257, "slot 7: used 0 → 1"},
      {53270 + 4, "slot 4: resolution 256x256 → 128x128"}, {53249, "pre-flag byte 2 differs"},
      {100, "header block differs"},                      {53292 + 5 * 66572 + 7, "slot 5: palette differs (1 bytes)"},
      {761856, "slot 10: pixels differ (1 bytes)"},        {745472 + 9, "gap block differs"},
      {801968 - 1, "slot 10: trailer differs"},            {1401116, "tail block differs"}};
  for (const auto& [offset, line] : cases) {
    Bytes changed = makeSampleContainer();
    changed[offset] = changed[offset] == 1 ? 0 : (offset == 53257 ? 1 : changed[offset] ^ 0x40);
    test::writeAllBytes(dir / "b.pt", changed);
    r = runPtool("diff " + s + " " + q("b.pt"));
    EXPECT_EQ(std::pair(r.status, r.out), std::pair(1, std::string(line) + "\n"));
  }
  r = runPtool("diff " + s + " " + q("missing.pt"));
  EXPECT_TRUE(r.status == 2 && r.err.find("missing.pt: No such file or directory") != std::string::npos) << r.err;
}

TEST_F(Ptool, TwoImportsIntoOneContainerAtOnceBothLand) {
  ASSERT_EQ(runPtool("export " + s + " 1 " + q("one.tex")).status, 0);
  for (int round = 0; round < 20; ++round) {
    test::writeAllBytes(dir / "c.pt", makeSampleContainer());
    const std::string c = q("c.pt"), tex = q("one.tex"), ptool = quotePath(VARNHOLT_PTOOL);
    test::runCommand("(" + ptool + " import " + c + " 3 " + tex + " -o " + c + " --force & " + ptool + " import " + c +
                     " 7 " + tex + " -o " + c + " --force & wait)");
    const std::string info = runPtool("info " + c).out;
    ASSERT_TRUE(info.find("\n3 1 256 256\n") != std::string::npos && info.find("\n7 1 256 256\n") != std::string::npos)
        << "round " << round << ": " << info;
  }
}

TEST_F(Ptool, ThumbnailFitsTheSizeGiven) {
  Bytes unused = makeSampleContainer();
  test::writeAllBytes(dir / "unused.pt", (std::fill_n(unused.begin() + 53250, 20, 0), unused));
  for (const auto& [container, size, expected] :
       {std::tuple{s, 256, "(255, 204) RGB"}, {s, 64, "(60, 48) RGB"}, {q("unused.pt"), 256, "(32, 32) RGB"}}) {
    ASSERT_EQ(runPtool("thumbnail " + container + " " + q("t.png") + " --size " + std::to_string(size)).status, 0);
    EXPECT_EQ(python("from PIL import Image; im = Image.open('" + (dir / "t.png").string() + "'); print(im.size, im.mode)").out,
              std::string(expected) + "\n");
  }
}

}  // namespace
}  // namespace pt
