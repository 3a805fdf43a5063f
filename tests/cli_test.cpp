#include <gtest/gtest.h>

#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "container/sample_container.h"
#include "exchange/slot_files.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::readAll;
using test::ScratchDir;
using test::shellQuote;

test::RunResult ptool(const std::string& args) {
  return test::runCommand(shellQuote(VARNHOLT_PTOOL) + " " + args);
}
std::string q(const std::filesystem::path& p) { return shellQuote(p.string()); }

class Ptool : public ::testing::Test {
 protected:
  void SetUp() override { test::writeAllBytes(sample, makeSampleContainer()); }
  ScratchDir dir;
  std::filesystem::path sample = dir / "sample.pt";
};

TEST_F(Ptool, InfoListsSlotsAsTheSlotListShowsThem) {
  const auto r = ptool("info " + q(sample));
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
  const auto j = ptool("info --json " + q(sample));
  EXPECT_EQ(j.out, json + "]\n");
}

TEST_F(Ptool, UsageErrorsExitWithTwo) {
  EXPECT_EQ(ptool("").status, 2);
  EXPECT_EQ(ptool("frobnicate").status, 2);
  EXPECT_EQ(ptool("info").status, 2);
  EXPECT_EQ(ptool("info a b").status, 2);
  EXPECT_EQ(ptool("info --bogus " + q(sample)).status, 2);
  EXPECT_EQ(ptool("export " + q(sample) + " 20 " + q(dir / "x.tex")).status, 2);
  EXPECT_EQ(ptool("export " + q(sample) + " -1 " + q(dir / "x.tex")).status, 2);
  EXPECT_EQ(ptool("export " + q(sample) + " 1 " + q(dir / "x.png")).status, 2);
  EXPECT_EQ(ptool("import " + q(sample) + " 1 " + q(dir / "x.tex")).status, 2);  // no -o
  EXPECT_EQ(ptool("set-res " + q(sample) + " 1 medium -o " + q(dir / "o.pt")).status, 2);
  const auto help = ptool("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* cmd : {"info", "copy", "sample", "export", "import", "set-res"}) {
    EXPECT_NE(help.out.find(std::string("ptool ") + cmd), std::string::npos) << cmd;
    const auto one = ptool(std::string(cmd) + " --help");
    EXPECT_EQ(one.status, 0) << cmd;
    EXPECT_NE(one.out.find("Usage: ptool " + std::string(cmd)), std::string::npos);
  }
}

TEST_F(Ptool, CopyWritesTheSameBytesAndAsksBeforeReplacing) {
  const auto r = ptool("copy " + q(sample) + " " + q(dir / "copy.pt"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Saved : " + (dir / "copy.pt").string() + "\n");
  EXPECT_EQ(readAll(dir / "copy.pt"), readAll(sample));

  const Bytes other(kFileSize + 10, 0x55);
  test::writeAllBytes(dir / "copy.pt", other);
  const auto no = ptool("copy " + q(sample) + " " + q(dir / "copy.pt"));
  EXPECT_EQ(no.status, 1);
  EXPECT_NE(no.err.find("File exists. Overwrite?"), std::string::npos);
  EXPECT_NE(no.err.find("Save not completed of " + (dir / "copy.pt").string()), std::string::npos);
  EXPECT_EQ(readAll(dir / "copy.pt"), other);
  EXPECT_EQ(ptool("copy --force " + q(sample) + " " + q(dir / "copy.pt")).status, 0);
  EXPECT_EQ(readAll(dir / "copy.pt"), readAll(sample));
}

TEST_F(Ptool, BadContainersAreRefusedWithTheOpenLine) {
  Bytes wrong = readAll(sample);
  wrong[0] = 'c';
  test::writeAllBytes(dir / "wrong.pt", wrong);
  Bytes shortFile = readAll(sample);
  shortFile.resize(kFileSize - 1);
  test::writeAllBytes(dir / "short.pt", shortFile);
  for (const auto& path : {dir / "wrong.pt", dir / "short.pt", dir / "missing.pt", dir.path()}) {
    const auto r = ptool("info " + q(path));
    EXPECT_EQ(r.status, 1) << path;
    EXPECT_NE(r.err.find("Open failed of " + path.string()), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
  EXPECT_NE(ptool("info " + q(dir / "short.pt")).err.find("too short"), std::string::npos);
  EXPECT_NE(ptool("info " + q(dir / "missing.pt")).err.find(std::generic_category().message(ENOENT)),
            std::string::npos);
}

TEST_F(Ptool, ExportImportAndSetResolutionRoundTrip) {
  const auto tex = dir / "s1.tex";
  auto r = ptool("export " + q(sample) + " 1 " + q(tex));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Slot 1 extracted as " + tex.string() + "\n");
  EXPECT_EQ(readAll(tex), buildRawTex(makeSamplePtFile().slots[1]));

  r = ptool("import " + q(sample) + " 3 " + q(tex) + " -o " + q(dir / "out.pt"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Slot 3 loaded with " + tex.string()), std::string::npos);
  PtFile out;
  ASSERT_TRUE(parsePtBytes(readAll(dir / "out.pt"), out).ok());
  EXPECT_EQ(out.slots[3].used, 1);
  EXPECT_EQ(out.slots[3].pixels, makeSamplePtFile().slots[1].pixels);

  const auto bmp = dir / "s2.bmp";
  ASSERT_EQ(ptool("export " + q(sample) + " 2 " + q(bmp)).status, 0);
  ASSERT_EQ(ptool("export " + q(sample) + " 2 " + q(dir / "a.bmp") + " --alpha").status, 0);
  EXPECT_NE(readAll(bmp), readAll(dir / "a.bmp"));
  r = ptool("import " + q(sample) + " 0 " + q(bmp) + " -o " + q(sample));
  EXPECT_EQ(r.status, 1) << "replacing IN needs --force";
  r = ptool("import " + q(sample) + " 0 " + q(bmp) + " -o " + q(sample) + " --force");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(ptool("info " + q(sample)).out.find("0 1 128 128\n"), std::string::npos);

  r = ptool("set-res " + q(sample) + " 0 high -o " + q(sample) + " --force");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Set slot 0 to new resolution"), std::string::npos);
  EXPECT_EQ(ptool("info " + q(sample)).out.substr(0, 12), "0 1 256 256\n");
}

TEST_F(Ptool, RefusalsUseTheSystemsMessages) {
  auto r = ptool("export " + q(sample) + " 3 " + q(dir / "u.tex"));  // slot 3 is unused
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Slot 3 not extracted"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "u.tex"));

  Bytes bad(2000, 0);
  bad[0] = 'B', bad[1] = 'M';
  test::writeAllBytes(dir / "bad.bmp", bad);
  r = ptool("import " + q(sample) + " 4 " + q(dir / "bad.bmp") + " -o " + q(dir / "o.pt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Slot 4 not loaded with new file"), std::string::npos);
  EXPECT_NE(r.err.find("width 0"), std::string::npos) << "the reason is given too: " << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "o.pt"));
}

TEST_F(Ptool, BitmapWorkNeedsTheHeaderTemplateBesideTheProgram) {
  const auto lone = dir / "ptool";
  std::filesystem::copy_file(VARNHOLT_PTOOL, lone);
  const auto r = test::runCommand(q(lone) + " export " + q(sample) + " 1 " + q(dir / "x.bmp"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("bmp_header.bin"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "x.bmp"));
  EXPECT_EQ(test::runCommand(q(lone) + " export " + q(sample) + " 1 " + q(dir / "x.tex")).status, 0);
}

TEST_F(Ptool, SampleIsDeterministic) {
  ASSERT_EQ(ptool("sample " + q(dir / "a.pt")).status, 0);
  ASSERT_EQ(ptool("sample " + q(dir / "b.pt")).status, 0);
  EXPECT_EQ(readAll(dir / "a.pt"), readAll(dir / "b.pt"));
  EXPECT_EQ(readAll(dir / "a.pt").size(), kFileSize);
  EXPECT_EQ(ptool("sample " + q(dir / "a.pt")).status, 1);
}

}  // namespace
}  // namespace pt
