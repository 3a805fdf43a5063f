#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>

#include "common/folders.h"
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

TEST_F(Ptool, UsageErrorsExitWithTwo) {
  const std::string cases[] = {"", "frobnicate", "info a b", "info --bogus " + s, "export " + s + " 20 " + q("x.tex"),
                           "export " + s + " 1 " + q("x.gif"), "export " + s + " 1 " + q("x.tex") + " --alpha",
                           "import " + s + " 1 " + q("x.tex"), "import " + s + " 1 " + q("x.png") + " -o o.pt --palette old",
                           "set-res " + s + " 1 medium -o " + q("o.pt"), "export-all " + s + " -d d --format gif",
                           "export-all " + s + " " + q("sub/sample.pt") + " -d " + q("d"), "import-all " + s + " d",
                           "diff " + s, "thumbnail " + s + " " + q("t.png") + " --size x"};
  for (const auto& args : cases) {
    const auto r = runPtool(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find("ptool --help"), std::string::npos) << args << ": " << r.err;
  }
  EXPECT_FALSE(fs::exists(dir / "d"));
  // "--" ends the options: a file name may start with a dash.
  std::filesystem::copy_file(sample, dir / "-x.pt");
  EXPECT_EQ(runPtool("info -- " + q("-x.pt")).status, 0);
}

// copy and thumbnail replace OUT only with --force, only a regular file,
// and through a symbolic link the file it points to.
TEST_F(Ptool, CopyAndThumbnailReplaceOnlyRegularFilesAndOnlyWithForce) {
  const Bytes other(kFileSize + 10, 0x55);
  if (!test::makeFifo(dir / "fifo", "copy and thumbnail onto links and named pipes")) GTEST_SKIP();
  fs::create_symlink("loop", dir / "loop");
  fs::create_symlink("file", dir / "link");
  for (const std::string command : {"copy", "thumbnail"}) {
    test::writeAllBytes(dir / "file", other);
    for (const std::string target : {"file", "link", "fifo", "loop"}) {
      EXPECT_EQ(runPtool(command + " " + s + " " + q(target)).status, 1) << command << " " << target;
      EXPECT_EQ(runPtool(command + " " + s + " " + q(target) + " --force").status, target == "fifo" || target == "loop" ? 1 : 0)
          << command << " " << target;
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link")) << command;
    EXPECT_TRUE(fs::is_fifo(dir / "fifo")) << command;
    const Bytes now = readAll(dir / "file");
    EXPECT_TRUE(command == "copy" ? now == readAll(sample) : std::string(now.begin() + 1, now.begin() + 4) == "PNG") << command;
  }
}

// The bytes are checked by the window stress run and the odd-path runs; here the lines printed.
TEST_F(Ptool, ExportAndImportPrintTheWindowsLogLines) {
  auto r = runPtool("export " + s + " 1 " + q("s1.tex"));
  EXPECT_EQ(r.out, "Slot 1 extracted as " + (dir / "s1.tex").string() + "\n") << r.err;
  r = runPtool("import " + s + " 3 " + q("s1.tex") + " -o " + q("out.pt"));
  EXPECT_EQ(r.out, "Slot 3 loaded with " + (dir / "s1.tex").string() + "\nSaved : " + (dir / "out.pt").string() + "\n");
  test::writeAllBytes(dir / "three.tex", Bytes(3, 7));
  r = runPtool("import " + s + " 3 " + q("three.tex") + " -o " + q("out.pt") + " --force");
  EXPECT_EQ(r.err, "Note: 3 of the 66560 bytes of a raw texture came from the file; the rest of the slot kept its bytes.\n");
}

TEST_F(Ptool, RefusalsGiveTheSystemsLineThenTheReason) {
  Bytes wrong = readAll(sample);
  test::writeAllBytes(dir / "short.pt", Bytes(wrong.begin(), wrong.begin() + 60000));
  wrong[0] = 'c';
  test::writeAllBytes(dir / "wrong.pt", wrong);
  Bytes zeroWidth(2000, 0);
  zeroWidth[0] = 'B';
  zeroWidth[1] = 'M';
  test::writeAllBytes(dir / "zero.bmp", zeroWidth);
  test::writeAllBytes(dir / "there.tex", Bytes(3, 0));
  fs::create_directory(dir / "folder.bmp");
  // Files larger than a slot's are refused by their size.
  test::writeAllBytes(dir / "big.png", Bytes((8u << 20) + 1, 0));
  test::writeAllBytes(dir / "big.bmp", Bytes((64u << 20) + 1, 0));
  test::writeAllBytes(dir / "exact.bmp", Bytes(64u << 20, 0));
  const std::string noMagic = "not a Paint Tool file: it does not start with \"CON \"";
  const std::string o = q("o.pt");
  const std::string kept = "File exists. Overwrite? No (give --force to replace it)";
  const struct { std::string args, line, reason; } cases[] = {
      {"info " + q("wrong.pt"), "Open failed of " + (dir / "wrong.pt").string(), noMagic},
      {"export-all " + s + " " + q("wrong.pt") + " -d " + q("all"), "Nothing extracted\nOpen failed of " + (dir / "wrong.pt").string(), noMagic},
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
      {"import " + s + " 4 " + q("big.png") + " -o " + o, "Slot 4 not loaded with new file",
       (dir / "big.png").string() + ": the file has more than 8388608 bytes; PNG files over 8 MB are not imported"},
      {"import " + s + " 4 " + q("big.bmp") + " -o " + o, "Slot 4 not loaded with new file",
       (dir / "big.bmp").string() + ": the file has more than 67108864 bytes, far more than a slot's file"},
      {"import " + s + " 4 " + q("exact.bmp") + " -o " + o, "Slot 4 not loaded with new file",
       (dir / "exact.bmp").string() + ": not a bitmap: the file does not start with \"BM\""},
  };
  for (const auto& c : cases) {
    const auto r = runPtool(c.args);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_EQ(r.err, c.line + "\n" + c.reason + "\n") << c.args;
  }
  EXPECT_FALSE(fs::exists(dir / "u.tex"));
  EXPECT_FALSE(fs::exists(dir / "o.pt"));
  EXPECT_EQ(readAll(dir / "there.tex"), Bytes(3, 0));
}

// The PNG encoder's own reason reaches the user (libspng's encoder made to fail by a stand-in preloaded into ptool).
TEST_F(Ptool, PngEncoderFailureGivesTheEncodersReason) {
  SKIP_WITHOUT_LINUX_TOOLS();
  const auto r = test::runCommand("ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=" + quotePath(VARNHOLT_SPNG_FAILS) + " " + quotePath(VARNHOLT_PTOOL) + " export " + s + " 1 " + q("x.png"));
  EXPECT_EQ(r.err, "Slot 1 not extracted\nPNG encoder: internal error\n");
}

TEST_F(Ptool, BitmapWorkNeedsTheHeaderTemplateBesideTheProgram) {
  const fs::path alone = dir.path() / test::ptoolPath().filename();
  fs::copy_file(test::ptoolPath(), alone);
  const auto r = test::runCommand(quotePath(alone) + " export " + s + " 1 " + q("x.bmp"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("bmp_header.bin"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "x.bmp"));
  EXPECT_EQ(test::runCommand(quotePath(alone) + " export " + s + " 1 " + q("x.tex")).status, 0);
}

TEST_F(Ptool, ExportAllWritesEveryUsedSlotAndAManifestThatRecordsEachFile) {
  SKIP_WITHOUT_LINUX_TOOLS();
  auto r = runPtool("export-all " + s + " -d " + q("one"));
  ASSERT_EQ(r.status, 0) << r.err;
  // Pillow reads the pictures; each file's size and FNV-1a hash are computed again here.
  const auto check = python(
      "import json, os; from PIL import Image\nd = '" + (dir / "one").string() + "'\n"
      "def fnv(b):\n h = 0xcbf29ce484222325\n for x in b: h = ((h ^ x) * 0x100000001b3) % 2**64\n return '%016x' % h\n"
      "print(' '.join(sorted(os.listdir(d))))\nm = json.load(open(d + '/manifest.json'))\n"
      "ok = all((e['size'], e['fnv1a64']) == (os.path.getsize(d + '/' + e['file']), fnv(open(d + '/' + e['file'], 'rb').read())) for e in m['slots'] if e['file'])\n"
      "print(m['container'], len(m['slots']), [m['slots'][2][k] for k in ('slot', 'used', 'width', 'height', 'file')], m['slots'][15]['file'], Image.open(d + '/slot02.png').size, ok)\n");
  EXPECT_EQ(check.out, "manifest.json slot00.png slot01.png slot02.png slot04.png slot05.png slot06.png slot08.png "
                       "slot09.png slot10.png slot11.png slot12.png slot13.png slot14.png slot16.png slot17.png "
                       "slot18.png slot19.png\nsample.pt 20 [2, 1, 128, 128, 'slot02.png'] None (128, 128) True\n") << check.err;
}

TEST_F(Ptool, ExportAllReplacesOnlyAnEarlierExportAndOnlyWithForce) {
  fs::create_directories(dir / "d");
  const Bytes old{1, 2, 3};
  test::writeAllBytes(dir / "d/slot05.bmp", old);
  test::writeAllBytes(dir / "d/manifest.json", old);
  auto r = runPtool("export-all " + s + " -d " + q("d") + " --format bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Nothing extracted\n" + (dir / "d" / "manifest.json").string() + ": exists (give --force to replace it)\n" +
                       (dir / "d" / "slot05.bmp").string() + ": exists (give --force to replace it)\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "d"), fs::directory_iterator()), 2);
  EXPECT_EQ(readAll(dir / "d/slot05.bmp"), old);
  EXPECT_EQ(runPtool("export-all " + s + " -d " + q("d") + " --format tex --force").status, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "d"), fs::directory_iterator()), 18) << "the .bmp went with the folder";
  // Anything else in the folder stops it, and stays.
  test::writeAllBytes(dir / "d/notes.txt", old);
  r = runPtool("export-all " + s + " -d " + q("d") + " --force");
  EXPECT_EQ(r.err, "Nothing extracted\n" + (dir / "d").string() + ": holds notes.txt, not an export's files; a container's "
                   "folder is replaced whole, so it may hold nothing else\n");
  EXPECT_EQ(readAll(dir / "d/notes.txt"), old);
  EXPECT_TRUE(fs::exists(dir / "d/slot00.tex"));
  // A write that fails (a file size limit) leaves no folder and no temporary file behind.
  SKIP_WITHOUT_LINUX_TOOLS();
  fs::copy_file(sample, dir / "b.pt");
  r = test::runCommand("prlimit --fsize=50000 " + quotePath(test::ptoolPath()) + " export-all " + s + " " + q("b.pt") + " -d " + q("e/f") + " --format bmp");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.starts_with("Nothing extracted\n" + (dir / "e/f/").string())) << r.err;
  EXPECT_TRUE(r.err.ends_with("/slot00.bmp: File too large\n")) << r.err;
  auto left = dir.entries();
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"b.pt", "d", "sample.pt"})) << "a folder or a temporary file was left";
}

TEST_F(Ptool, ImportAllRestoresTheContainerExactly) {
  // A container whose used slots differ in every byte each format carries;
  // --palette new takes each file's palette and indices as they are.
  Bytes scrambled = makeSampleContainer();
  for (std::size_t slot = 0; slot < kSlotCount; ++slot)
    if (scrambled[53250 + slot] == 1)
      for (std::size_t i = slotOffset(slot); i < slotOffset(slot) + 1024 + 16384; ++i) scrambled[i] ^= 0xFF;
  test::writeAllBytes(dir / "scrambled.pt", scrambled);
  for (const std::string format : {"png", "bmp", "tex"}) {
    ASSERT_EQ(runPtool("export-all " + s + " -d " + q(format) + " --format " + format).status, 0) << format;
    const auto r = runPtool("import-all " + q("scrambled.pt") + " " + q(format) + " -o " + q("back.pt") + " --force --palette new");
    ASSERT_EQ(r.status, 0) << format << ": " << r.err;
    EXPECT_NE(r.out.find("Slot 19 loaded with " + (dir / format / ("slot19." + format)).string()), std::string::npos);
    EXPECT_EQ(readAll(dir / "back.pt"), readAll(sample)) << format;
  }
}

// A folder that mixes two exports, reaches out of itself, holds nothing or
// a manifest that breaks its rules (each rule once) writes nothing; a manifest as large as a hand-edited one is still read;
// export-all refuses a container whose folder would leave -d.
TEST_F(Ptool, ImportAllRefusesFoldersThatMixLeakOrHoldNothing) {
  ASSERT_EQ(runPtool("export-all " + s + " -d " + q("good") + " --format tex").status, 0);
  test::writeAllBytes(dir / "secret.txt", Bytes(66560, 's'));
  const auto manifest = [&](const fs::path& d, const std::string& text) {
    test::writeAllBytes(d / "manifest.json", Bytes(text.begin(), text.end()));
  };
  const std::string padded = std::string(R"({"slots": [{"slot": 5, "file": "slot05.tex"}]})");
  const auto link = [&](const fs::path& d) {
    fs::remove(d / "slot05.tex");
    fs::create_symlink("../secret.txt", d / "slot05.tex");
  };
  const auto nothing = [](const fs::path&) {};
  const std::string notPlain = "$/manifest.json: slot 5: \"file\" must be null or a file name in the folder";
  const auto says = [&](const std::string& text) { return [&, text](const fs::path& d) { manifest(d, text); }; };
  const struct {
    std::string name, line;
    std::function<void(const fs::path&)> change;
    int status = 1;
    std::string command = "";  // import-all when empty; $ is the folder
  } cases[] = {
      {"mixed", "slot 01: slot01.tex does not match the manifest: the folder mixes two exports\n"
                "slot 04: $/slot04.tex: No such file or directory",
       [&](auto& d) {
         test::writeAllBytes(d / "slot01.tex", Bytes(66560, 1));
         fs::remove(d / "slot04.tex");
       }},
      {"link", "slot 05: $/slot05.tex: a symbolic link, not a file in the folder", link},
      {"unlisted link", "slot 05: $/slot05.tex: a symbolic link, not a file in the folder",
       [&](auto& d) {
         fs::remove(d / "manifest.json");
         link(d);
       }},
      {"fifo", "slot 05: $/slot05.tex: not a regular file",
       [&](auto& d) {
         fs::remove(d / "manifest.json");
         fs::remove(d / "slot05.tex");
         test::makeFifo(d / "slot05.tex", "import-all of a named pipe");
       }},
      {"outside", notPlain, says(R"({"slots": [{"slot": 5, "file": "../secret.txt"}]})")},
      {"dot dot", notPlain, says(R"({"slots": [{"slot": 5, "file": ".."}]})")},
      {"dot", notPlain, says(R"({"slots": [{"slot": 5, "file": "."}]})")},
      {"no name", notPlain, says(R"({"slots": [{"slot": 5, "file": ""}]})")},
      {"backslash", notPlain, says(R"({"slots": [{"slot": 5, "file": "..\\x"}]})")},
      {"zero byte", notPlain, says(R"({"slots": [{"slot": 5, "file": "x\u0000"}]})")},
      {"not json", "$/manifest.json: not valid JSON", says(R"({"slots": [)")},
      {"no slots", "$/manifest.json: no \"slots\" array", says(R"({"slots": {}})")},
      {"slot 20", "$/manifest.json: a slot entry without a slot number from 0 to 19", says(R"({"slots": [{"slot": 20}]})")},
      {"slot text", "$/manifest.json: a slot entry without a slot number from 0 to 19", says(R"({"slots": [{"slot": "5"}]})")},
      {"no slot", "$/manifest.json: a slot entry without a slot number from 0 to 19", says(R"({"slots": [{}]})")},
      {"listed twice", "$/manifest.json: slot 5 is listed twice", says(R"({"slots": [{"slot": 5}, {"slot": 5}]})")},
      {"size alone", "$/manifest.json: slot 5: \"size\" and \"fnv1a64\" go together",
       says(R"({"slots": [{"slot": 5, "file": "slot05.tex", "size": 66560}]})")},
      {"size text", "$/manifest.json: slot 5: \"size\" must be a number of bytes",
       says(R"({"slots": [{"slot": 5, "file": "slot05.tex", "size": "66560", "fnv1a64": "0123456789abcdef"}]})")},
      {"hash g", "$/manifest.json: slot 5: \"fnv1a64\" must be 16 hexadecimal digits",
       says(R"({"slots": [{"slot": 5, "file": "slot05.tex", "size": 66560, "fnv1a64": "0123456789abcdeg"}]})")},
      {"hash 15", "$/manifest.json: slot 5: \"fnv1a64\" must be 16 hexadecimal digits",
       says(R"({"slots": [{"slot": 5, "file": "slot05.tex", "size": 66560, "fnv1a64": "0123456789abcde"}]})")},
      {"gif", "slot 05: $/slot05.gif: not a .tex, .bmp or .png file", says(R"({"slots": [{"slot": 5, "file": "slot05.gif"}]})")},
      {"not a folder", "$: not a folder", [&](auto& d) {
         fs::remove_all(d);
         test::writeAllBytes(d, Bytes(1, 0));
       }},

      {"twice", "$: two files for one slot (slot 0: slot00.bmp and slot00.tex)",
       [&](auto& d) {
         fs::remove(d / "manifest.json");
         fs::copy_file(d / "slot00.tex", d / "slot00.bmp");
         for (const char* other : {"abcd05.tex", "slot05..png", "slot0;.tex"}) test::writeAllBytes(d / other, Bytes(1, 0));
       }},
      {"too large", "$/manifest.json: too large for a manifest (65537 bytes; at most 65536 are read)",
       [&](auto& d) { manifest(d, padded + std::string(65537 - padded.size(), ' ')); }},
      {"large", "", [&](auto& d) { manifest(d, padded + std::string(65536 - padded.size(), ' ')); }, 0},
      {"empty", "nothing to import from $",
       [&](auto& d) {
         fs::remove_all(d);
         fs::create_directory(d);
       }},
      {"no file", "nothing to import from $", [&](auto& d) { manifest(d, R"({"slots": [{"slot": 5, "file": null}]})"); }},
      {"stem", "the folder of " + (dir / "...pt").string() + " would be named '..', which is not a name in $", nothing, 2,
       "export-all " + s + " " + q("...pt") + " -d $"},
      {"stem dot", "the folder of " + (dir / "..pt").string() + " would be named '.', which is not a name in $", nothing, 2,
       "export-all " + s + " " + q("..pt") + " -d $"},
  };
  for (const auto& c : cases) {
    const bool special = c.name == "fifo" || c.name.ends_with("link");
    if (special && !test::posixOnly("import-all of " + c.name)) continue;
    const fs::path d = dir / c.name;
    fs::copy(dir / "good", d);
    c.change(d);
    std::string args = c.command.empty() ? "import-all " + s + " $ -o " + q("o.pt") : c.command;
    args.replace(args.find('$'), 1, quotePath(d));
    const auto r = runPtool(args);
    std::string line = c.line;
    for (std::size_t at; (at = line.find("$/")) != std::string::npos;) line.replace(at, 2, (d / "").string());
    for (std::size_t at; (at = line.find('$')) != std::string::npos;) line.replace(at, 1, d.string());
    EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(line + "\n"), c.status ? std::string::npos : 0) << c.name << ": " << r.err;
    EXPECT_EQ(fs::exists(dir / "o.pt"), c.status == 0) << c.name;
    fs::remove(dir / "o.pt");
  }
}

// export-all and import-all wait while another holds the folder (here the
// test, as a second ptool would), and then run whole.
TEST_F(Ptool, ExportAllAndImportAllOnOneFolderNeverInterleave) {
  Bytes other = makeSampleContainer();
  std::fill_n(other.begin() + slotOffset(1), 1024 + 65536, 0x5A);  // slot 1's palette and pixels
  test::writeAllBytes(dir / "other.pt", other);
  const std::string d = q("d");
  ASSERT_EQ(runPtool("export-all " + s + " -d " + d + " --format tex").status, 0);
  for (const std::string& args : {"export-all " + q("other.pt") + " -d " + d + " --format tex --force",
                                 "import-all " + s + " " + d + " -o " + q("o.pt")}) {
    auto held = FolderLock::exclusive(dir / "d");
    ASSERT_TRUE(held.ok()) << describe(held.error());
    const Bytes before = readAll(dir / "d/slot01.tex");
    auto run = std::async(std::launch::async, [&] { return runPtool(args); });
    EXPECT_EQ(run.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout) << args;
    EXPECT_FALSE(fs::exists(dir / "o.pt"));
    EXPECT_EQ(readAll(dir / "d/slot01.tex"), before) << args;
    *held = FolderLock();
    EXPECT_EQ(run.get().status, 0) << args;
  }
  EXPECT_EQ(readAll(dir / "o.pt"), other);
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
    EXPECT_EQ(r.status, 1) << line;
    EXPECT_EQ(r.out, std::string(line) + "\n");
  }
  r = runPtool("diff " + s + " " + q("missing.pt"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("missing.pt: No such file or directory"), std::string::npos) << r.err;
}

TEST_F(Ptool, ThumbnailFitsTheSizeGiven) {
  SKIP_WITHOUT_LINUX_TOOLS();
  Bytes unused = makeSampleContainer();
  std::fill_n(unused.begin() + 53250, 20, 0);
  test::writeAllBytes(dir / "unused.pt", unused);
  for (const auto& [container, size, expected] :
       {std::tuple{s, 256, "(255, 204) RGB"}, {s, 64, "(60, 48) RGB"}, {q("unused.pt"), 256, "(32, 32) RGB"}}) {
    ASSERT_EQ(runPtool("thumbnail " + container + " " + q("t.png") + " --force --size " + std::to_string(size)).status, 0);
    EXPECT_EQ(python("from PIL import Image; im = Image.open('" + (dir / "t.png").string() + "'); print(im.size, im.mode)").out,
              std::string(expected) + "\n");
  }
}

}  // namespace
}  // namespace pt
