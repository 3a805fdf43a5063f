#include <gtest/gtest.h>

#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "container/sample_container.h"
#include "exchange/slot_files.h"
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

TEST_F(Ptool, InfoListsSlotsAsTheSlotListShowsThem) {
  const auto r = runPtool("info " + quotePath(sample));
  ASSERT_EQ(r.status, 0) << r.err;
  const PtFile f = makeSamplePtFile();
  std::string expected, json = "[";
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const int h = f.slots[i].height == 512 ? 128 : f.slots[i].height;
    expected += std::to_string(i) + " " + std::to_string(f.slots[i].used) + " " +
                std::to_string(f.slots[i].width) + " " + std::to_string(h) + "\n";
    json += std::string(i ? "," : "") + "{\"slot\":" + std::to_string(i) + ",\"used\":" +
            std::to_string(f.slots[i].used) + ",\"width\":" + std::to_string(f.slots[i].width) +
            ",\"height\":" + std::to_string(h) + "}";
  }
  EXPECT_EQ(r.out, expected);
  EXPECT_NE(expected.find("2 1 128 128"), std::string::npos);
  const auto j = runPtool("info --json " + quotePath(sample));
  EXPECT_EQ(j.out, json + "]\n");
}

TEST_F(Ptool, UsageErrorsExitWithTwo) {
  EXPECT_EQ(runPtool("").status, 2);
  EXPECT_EQ(runPtool("frobnicate").status, 2);
  EXPECT_EQ(runPtool("info").status, 2);
  EXPECT_EQ(runPtool("info a b").status, 2);
  EXPECT_EQ(runPtool("info --bogus " + quotePath(sample)).status, 2);
  EXPECT_EQ(runPtool("export " + quotePath(sample) + " 20 " + quotePath(dir / "x.tex")).status, 2);
  EXPECT_EQ(runPtool("export " + quotePath(sample) + " -1 " + quotePath(dir / "x.tex")).status, 2);
  EXPECT_EQ(runPtool("export " + quotePath(sample) + " 1 " + quotePath(dir / "x.png")).status, 2);
  EXPECT_EQ(runPtool("import " + quotePath(sample) + " 1 " + quotePath(dir / "x.tex")).status, 2);  // no -o
  EXPECT_EQ(runPtool("set-res " + quotePath(sample) + " 1 medium -o " + quotePath(dir / "o.pt")).status, 2);
  const auto help = runPtool("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* cmd : {"info", "copy", "sample", "export", "import", "set-res"}) {
    EXPECT_NE(help.out.find(std::string("ptool ") + cmd), std::string::npos) << cmd;
    const auto one = runPtool(std::string(cmd) + " --help");
    EXPECT_EQ(one.status, 0) << cmd;
    EXPECT_NE(one.out.find("Usage: ptool " + std::string(cmd)), std::string::npos);
  }
}

TEST_F(Ptool, CopyWritesTheSameBytesAndAsksBeforeReplacing) {
  const auto r = runPtool("copy " + quotePath(sample) + " " + quotePath(dir / "copy.pt"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Saved : " + (dir / "copy.pt").string() + "\n");
  EXPECT_EQ(readAll(dir / "copy.pt"), readAll(sample));

  const Bytes other(kFileSize + 10, 0x55);
  test::writeAllBytes(dir / "copy.pt", other);
  const auto no = runPtool("copy " + quotePath(sample) + " " + quotePath(dir / "copy.pt"));
  EXPECT_EQ(no.status, 1);
  EXPECT_NE(no.err.find("File exists. Overwrite?"), std::string::npos);
  EXPECT_NE(no.err.find("Save not completed of " + (dir / "copy.pt").string()), std::string::npos);
  EXPECT_EQ(readAll(dir / "copy.pt"), other);
  EXPECT_EQ(runPtool("copy --force " + quotePath(sample) + " " + quotePath(dir / "copy.pt")).status, 0);
  EXPECT_EQ(readAll(dir / "copy.pt"), readAll(sample));
}

TEST_F(Ptool, ExportImportAndSetResolutionRoundTrip) {
  const auto tex = dir / "s1.tex";
  auto r = runPtool("export " + quotePath(sample) + " 1 " + quotePath(tex));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Slot 1 extracted as " + tex.string() + "\n");
  EXPECT_EQ(readAll(tex), buildRawTex(makeSamplePtFile().slots[1]));

  r = runPtool("import " + quotePath(sample) + " 3 " + quotePath(tex) + " -o " + quotePath(dir / "out.pt"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Slot 3 loaded with " + tex.string()), std::string::npos);
  PtFile out;
  ASSERT_TRUE(parsePtBytes(readAll(dir / "out.pt"), out).ok());
  EXPECT_EQ(out.slots[3].used, 1);
  EXPECT_EQ(out.slots[3].pixels, makeSamplePtFile().slots[1].pixels);

  const auto bmp = dir / "s2.bmp";
  ASSERT_EQ(runPtool("export " + quotePath(sample) + " 2 " + quotePath(bmp)).status, 0);
  ASSERT_EQ(runPtool("export " + quotePath(sample) + " 2 " + quotePath(dir / "a.bmp") + " --alpha").status, 0);
  EXPECT_NE(readAll(bmp), readAll(dir / "a.bmp"));
  r = runPtool("import " + quotePath(sample) + " 0 " + quotePath(bmp) + " -o " + quotePath(sample));
  EXPECT_EQ(r.status, 1) << "replacing IN needs --force";
  r = runPtool("import " + quotePath(sample) + " 0 " + quotePath(bmp) + " -o " + quotePath(sample) + " --force");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(runPtool("info " + quotePath(sample)).out.find("0 1 128 128\n"), std::string::npos);

  r = runPtool("set-res " + quotePath(sample) + " 0 high -o " + quotePath(sample) + " --force");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Set slot 0 to new resolution"), std::string::npos);
  EXPECT_EQ(runPtool("info " + quotePath(sample)).out.substr(0, 12), "0 1 256 256\n");
}

TEST_F(Ptool, RefusalsUseTheSystemsMessages) {
  auto r = runPtool("export " + quotePath(sample) + " 3 " + quotePath(dir / "u.tex"));  // slot 3 is unused
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Slot 3 not extracted"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "u.tex"));

  Bytes bad(2000, 0);
  bad[0] = 'B', bad[1] = 'M';
  test::writeAllBytes(dir / "bad.bmp", bad);
  r = runPtool("import " + quotePath(sample) + " 4 " + quotePath(dir / "bad.bmp") + " -o " + quotePath(dir / "o.pt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Slot 4 not loaded with new file"), std::string::npos);
  EXPECT_NE(r.err.find("width 0"), std::string::npos) << "the reason is given too: " << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "o.pt"));
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

TEST_F(Ptool, SampleIsDeterministic) {
  ASSERT_EQ(runPtool("sample " + quotePath(dir / "a.pt")).status, 0);
  ASSERT_EQ(runPtool("sample " + quotePath(dir / "b.pt")).status, 0);
  EXPECT_EQ(readAll(dir / "a.pt"), readAll(dir / "b.pt"));
  EXPECT_EQ(readAll(dir / "a.pt").size(), kFileSize);
  EXPECT_EQ(runPtool("sample " + quotePath(dir / "a.pt")).status, 1);
}

}  // namespace
}  // namespace pt
