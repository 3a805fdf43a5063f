// The folder of all slots through the window: export, a picture of it
// dropped on the preview, import all back.
#include <gtest/gtest.h>


#include "sample/sample_container.h"
#include "tests/ui/ui_test_support.h"

namespace varnholt::test {
namespace {

using PngTest = WindowTest;

TEST_F(PngTest, ExportAllWritesSlotFilesAndManifestAndImportAllBringsThemBack) {
  openThroughDialog(writeSample("s.pt"));
  const std::filesystem::path folder = files / "all";
  cd.answers = {q(folder)};
  form->exportAllSlots();
  EXPECT_EQ(lastMessage(), "Exported 17 slots to " + q(folder));
  prompt.answers = {false};  // again: one question for all, and No writes nothing
  cd.answers = {q(folder)};
  form->exportAllSlots();
  EXPECT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(lastMessage(), "Export of all slots to " + q(folder) + " failed");
  // Into a container whose pictures all differ; a bad file first stops it all.
  const pt::PtFile original = pt::makeSamplePtFile();  // as s.pt
  openThroughDialog(writeSample("changed.pt", [](pt::PtFile& f) {
    for (auto& s : f.slots) {
      s.palette.assign(1024, 7);
      s.pixels.assign(s.pixels.size(), 3);
      s.extra.assign(s.extra.size(), 3);
      s.used = 0;
    }
  }));
  const pt::Bytes slot4 = pt::test::readAll(folder / "slot04.png");
  pt::test::writeAllBytes(folder / "slot04.png", pt::Bytes(100, 'x'));
  cd.answers = {q(folder)};
  form->importAllSlots();
  auto messages = logMessages(form->logText());
  EXPECT_EQ(messages[messages.size() - 2], "Import of all slots from " + q(folder) + " failed");
  EXPECT_EQ(messages.back(), "Slot 04: slot04.png does not match the manifest: the folder mixes two exports.");
  EXPECT_TRUE(form->container().slots[0].palette == pt::Bytes(1024, 7));
  EXPECT_FALSE(form->isWindowModified());
  pt::test::writeAllBytes(folder / "slot04.png", slot4);
  cd.answers = {q(folder)};
  action("newPaletteAction")->trigger();  // each file's own palette, unused entries too
  form->importAllSlots();
  EXPECT_EQ(lastMessage(), "Imported 17 slots from " + q(folder));  // the bytes: ptool's import-all test
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(form->container().slots[i].used, original.slots[i].used) << i;
    EXPECT_TRUE(form->container().slots[i].palette == (original.slots[i].used ? original.slots[i].palette : pt::Bytes(1024, 7))) << i;
  }
  // A slot's file dropped on the preview goes into the selected slot.
  clickRow(4);
  drop(q(folder / "slot00.png"), child<QLabel>("p1"));
  EXPECT_TRUE(form->container().slots[4].pixels == form->container().slots[0].pixels);
  EXPECT_TRUE(form->container().slots[4].palette == form->container().slots[0].palette);
}

}  // namespace
}  // namespace varnholt::test
