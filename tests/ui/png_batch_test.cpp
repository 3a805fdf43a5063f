// PNG through the window (export, import, drop, notes) and the folder of all
// slots, checked with Pillow as a second reader and writer.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>

#include "sample/sample_container.h"
#include "tests/ui/ui_test_support.h"

namespace varnholt::test {
namespace {

class PngTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    openThroughDialog(writeSample("s.pt"));
  }
  void importPng(const QString& path) {
    whenFormatDialogUp(*form, [](ExDialog& d) {
      d.Option3->click();
      d.OKButton->click();
    });
    cd.answers = {path};
    form->Command2_Click();
  }
  std::string alphas(int slot) const {  // "0 255 ... " for all 256 entries
    std::string out;
    for (int e = 0; e < 256; ++e) out += std::to_string(form->container().slots[slot].palette[4 * e]) + " ";
    return out;
  }
};

TEST_F(PngTest, ImportsTakeAlphaAndTellTheirNotes) {
  // An indexed PNG with tRNS, dropped on the preview: its one colour is new
  // to the slot and takes the entry of its own index, 1, with its alpha.
  const std::filesystem::path made = files / "made.png";
  const std::filesystem::path rgb = files / "rgb.png";
  const std::filesystem::path soft = files / "soft.png";
  const auto pillow = pt::test::runCommand("/usr/bin/python3 -c " + pt::test::shellQuote(
      "from PIL import Image\nim = Image.new('P', (256, 256), 1)\nim.putpalette([9, 9, 9] * 256)\n"
      "im.save('" + made.string() + "', transparency=bytes([0, 85, 170]))\n"
      "Image.new('RGB', (128, 128), (200, 30, 60)).save('" + rgb.string() + "')\n"
      "Image.new('RGBA', (128, 128), (200, 30, 60, 40)).save('" + soft.string() + "')"));
  ASSERT_EQ(pillow.status, 0) << pillow.err;
  clickRow(0);
  drop(q(made), child<QLabel>("p1"));
  EXPECT_EQ(lastMessage(), "Slot 0: Palette: 1 new colour went into entry 1, which no pixel used any more; the other entries stayed as they were.");
  EXPECT_EQ(alphas(0).substr(0, 8), "0 85 2 3");
  // Import options ▸ Keep the slot's alpha, kept for the next window: the
  // colour is the slot's entry 0, whose alpha 255 stays.
  action("keepAlphaAction")->trigger();
  makeWindow();
  openThroughDialog(writeSample("s.pt"));
  importPng(q(rgb));
  const std::string kept = alphas(0);
  drop(q(soft), child<QLabel>("p1"));
  EXPECT_EQ(alphas(0), kept);
}

TEST_F(PngTest, ExportAllWritesSlotFilesAndManifestAndImportAllBringsThemBack) {
  const std::filesystem::path folder = files / "all";
  cd.answers = {q(folder)};
  form->exportAllSlots();
  EXPECT_EQ(lastMessage(), "Exported 17 slots to " + q(folder));
  // The same files as ptool's export-all.
  ASSERT_EQ(pt::test::runPtool("export-all " + pt::test::quotePath(files / "s.pt") + " -d " + pt::test::quotePath(files / "cli")).status, 0);
  std::vector<std::filesystem::path> names;
  for (const auto& f : std::filesystem::directory_iterator(files / "cli")) {
    names.push_back(f.path().filename());
    EXPECT_TRUE(pt::test::readAll(f.path()) == pt::test::readAll(folder / f.path().filename())) << f.path();
  }
  EXPECT_EQ(names.size(), 18u);
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
}

}  // namespace
}  // namespace varnholt::test
