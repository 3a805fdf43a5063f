#include <gtest/gtest.h>
#include <sys/stat.h>

#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "container/sample_container.h"
#include "tests/support/test_support.h"

namespace pt {
namespace {

using test::readAll;
using test::ScratchDir;
using test::ScriptedPrompt;

TEST(ContainerWrite, NewFileIsWrittenWithoutAQuestion) {
  ScratchDir dir;
  const PtFile f = makeSamplePtFile();
  ScriptedPrompt prompt;
  ASSERT_TRUE(writePtFile(f, dir / "new.pt", prompt));
  EXPECT_TRUE(prompt.questions.empty());
  const Bytes written = readAll(dir / "new.pt");
  EXPECT_EQ(written.size(), kFileSize);
  EXPECT_EQ(written, serializePtFile(f));
  EXPECT_EQ(dir.entries().size(), 1u) << "a temporary file was left behind";
}

TEST(ContainerWrite, ExistingFileIsReplacedOnlyAfterYes) {
  ScratchDir dir;
  const Bytes longer(kFileSize + 4096, 0x77);
  test::writeAllBytes(dir / "old.pt", longer);
  const PtFile f = makeSamplePtFile();

  ScriptedPrompt no;
  no.answers = {false};
  EXPECT_FALSE(writePtFile(f, dir / "old.pt", no));
  ASSERT_EQ(no.questions.size(), 1u);
  EXPECT_EQ(no.questions[0].title, "File");
  EXPECT_EQ(no.questions[0].text, "File exists. Overwrite?");
  EXPECT_EQ(readAll(dir / "old.pt"), longer);

  ScriptedPrompt yes;
  yes.answers = {true};
  EXPECT_TRUE(writePtFile(f, dir / "old.pt", yes));
  EXPECT_EQ(yes.questions.size(), 1u);
  EXPECT_EQ(readAll(dir / "old.pt"), serializePtFile(f)) << "bytes of the longer file survived";
}

TEST(ContainerWrite, SavingOverTheOpenFileWorks) {
  ScratchDir dir;
  test::writeAllBytes(dir / "c.pt", makeSampleContainer());
  PtFile f;
  ScriptedPrompt prompt;
  ASSERT_TRUE(readPtFile(f, dir / "c.pt", prompt));
  setSlotResolution(f.slots[0], true);
  prompt.answers = {true};
  ASSERT_TRUE(writePtFile(f, dir / "c.pt", prompt));
  const Bytes after = readAll(dir / "c.pt");
  EXPECT_EQ(after[kResFlagsOffset + 0], 0);
  EXPECT_EQ(after, serializePtFile(f));
}

TEST(ContainerWrite, FlagsFollowUsedAndHeightAlone) {
  PtFile f = makeSamplePtFile();
  f.slots[0].height = 512;
  f.slots[1].height = 128;
  f.slots[2].height = 256;
  f.slots[3].height = 64;  // any other height counts as high resolution
  f.slots[0].width = 256;  // width is not written
  f.slots[0].used = 1;
  f.slots[1].used = 2;     // only 1 counts as used
  f.slots[2].used = 0;
  const Bytes out = serializePtFile(f);
  EXPECT_EQ(Bytes(out.begin() + kResFlagsOffset, out.begin() + kResFlagsOffset + 4), (Bytes{0, 0, 1, 1}));
  EXPECT_EQ(Bytes(out.begin() + kUsedFlagsOffset, out.begin() + kUsedFlagsOffset + 3), (Bytes{1, 0, 0}));
}

TEST(ContainerWrite, NeverReadContainerIsRefusedAndNothingWritten) {
  ScratchDir dir;
  ScriptedPrompt prompt;
  prompt.answers = {true};
  EXPECT_FALSE(writePtFile(PtFile{}, dir / "x.pt", prompt));
  EXPECT_FALSE(std::filesystem::exists(dir / "x.pt"));
  PtFile broken = makeSamplePtFile();
  broken.slots[10].extra.pop_back();
  EXPECT_FALSE(writePtFile(broken, dir / "x.pt", prompt));
  EXPECT_TRUE(dir.entries().empty());
}

TEST(ContainerWrite, UnreadableExistingTargetIsStillAskedAbout) {
  ScratchDir dir;
  test::writeAllBytes(dir / "locked.pt", Bytes(10, 1));
  ::chmod((dir / "locked.pt").c_str(), 0);
  ScriptedPrompt prompt;
  EXPECT_FALSE(writePtFile(makeSamplePtFile(), dir / "locked.pt", prompt));
  EXPECT_EQ(prompt.questions.size(), 1u);
}

TEST(ContainerWrite, KeepsPermissionsAndFollowsSymbolicLinks) {
  ScratchDir dir;
  test::writeAllBytes(dir / "real.pt", Bytes(3, 0));
  ::chmod((dir / "real.pt").c_str(), 0640);
  std::filesystem::create_symlink("real.pt", dir / "link.pt");
  ScriptedPrompt prompt;
  prompt.answers = {true};
  ASSERT_TRUE(writePtFile(makeSamplePtFile(), dir / "link.pt", prompt));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.pt"));
  EXPECT_EQ(readAll(dir / "real.pt"), makeSampleContainer());
  struct stat st {};
  ASSERT_EQ(::stat((dir / "real.pt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace pt
