// Undo and redo of every kind of change, copy and paste of a slot, the
// palette edit, what the window remembers between runs, and export-all's
// question and new folder.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>

#include "tests/ui/ui_test_support.h"
#include "ui/palette_edit.h"
#include "ui/palette_grid.h"
#include "ui/preview_pane.h"
#include "ui/qt_file_dialog.h"

namespace varnholt::test {
namespace {

struct ScriptedColour final : ColourPicker {
  QColor answer;
  QColor asked;
  std::optional<QColor> pick(const QColor& initial, const QString&) override {
    asked = initial;
    return answer;
  }
};

class EditTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->setColourPicker(&colour);
    openThroughDialog(original);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));  // for the shortcuts
  }
  pt::Bytes containerBytes() const { return pt::serializePtFile(form->container()); }
  void key(int k, Qt::KeyboardModifiers mods) { QTest::keyClick(form.get(), Qt::Key(k), mods); }
  // Slot 0 shows entry 17 (alpha 200, rgb 1 2 3) at (0, 0); every palette of "other.pt" is grey.
  QString original = writeSample("s.pt", [](pt::PtFile& f) {
    f.slots[0].pixels[0] = 17;
    const std::uint8_t entry[] = {200, 1, 2, 3};
    std::copy(entry, entry + 4, f.slots[0].palette.begin() + 68);
  });
  QString other = writeSample("other.pt", [](pt::PtFile& f) {
    for (auto& s : f.slots) s.palette.assign(1024, 90);
  });
  ScriptedColour colour;
};

TEST_F(EditTest, UndoAndRedoPutEveryKindOfChangeBackByteForByte) {
  const std::filesystem::path all = files / "all";
  ASSERT_EQ(pt::test::runPtool("export-all " + pt::test::quotePath(p(other)) + " -d " + pt::test::quotePath(all)).status, 0);
  const struct {
    const char* text;
    std::function<void()> change;
  } cases[] = {
      {"Import into slot 0", [&] { form->importFile(pt::SlotFileFormat::Png, q(all / "slot01.png")); }},
      {"Import all slots", [&] {
         cd.answers = {q(all)};
         form->importAllSlots();
       }},
      {"Set slot 2 to 256x256", [&] {
         clickRow(2);
         child<QRadioButton>("highres")->click();
         form->Command3_Click();
       }},
      {"Edit palette entry 17 of slot 0", [&] {
         clickRow(0);
         auto* grid = child<PaletteGrid>("paletteGrid");
         const int cell = (std::min(grid->width(), grid->height()) - 1) / 16;
         QTest::mouseDClick(grid, Qt::LeftButton, {}, QPoint(cell * 3 / 2, cell * 3 / 2));  // row 1, column 1
       }},
      {"Paste into slot 0", [&] {
         clickRow(3);
         action("copySlotAction")->trigger();
         clickRow(0);
         key(Qt::Key_V, Qt::ControlModifier);
       }},
  };
  const pt::Bytes before = pt::test::readAll(p(original));
  colour.answer = QColor(10, 20, 30, 40);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    c.change();
    const pt::Bytes after = containerBytes();
    EXPECT_NE(after, before);
    EXPECT_TRUE(form->isWindowModified());
    EXPECT_EQ(action("undoAction")->text(), QString("Undo ") + c.text);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(form->isWindowModified());
    const std::filesystem::path saved = files / (std::string(c.text) + ".pt");
    cd.answers = {q(saved)};
    form->Command1_Click();
    EXPECT_EQ(pt::test::readAll(saved), before);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(containerBytes(), after);
    EXPECT_TRUE(form->isWindowModified());  // saved without the change
    EXPECT_EQ(logMessages(form->logText()).back(), QString("Redone: ") + c.text);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(containerBytes(), before);
  }
  // The palette edit asks with the entry as it is; the preview follows at once.
  form->editPaletteEntry(17);
  EXPECT_EQ(colour.asked, QColor(1, 2, 3, 200));
  const pt::Bytes& palette = form->container().slots[0].palette;
  EXPECT_EQ(pt::Bytes(palette.begin() + 68, palette.begin() + 72), (pt::Bytes{40, 10, 20, 30}));
  EXPECT_EQ(shownPicture().pixel(0, 0) & 0xFFFFFF, 0x0A141Eu);
  // Opening another container starts a new history.
  prompt.saveChoices = {pt::SaveChoice::Discard};
  openThroughDialog(other);
  EXPECT_FALSE(action("undoAction")->isEnabled());
  EXPECT_FALSE(form->isWindowModified());
}

TEST_F(EditTest, PasteTakesTheExactFormByteForByteAndAPngThroughTheImport) {
  // Slot 10, split in the file, copied from s.pt into slot 3 of other.pt.
  clickRow(10);
  action("copySlotAction")->trigger();
  const pt::PtSlot source = form->container().slots[10];
  openThroughDialog(other);
  clickRow(3);
  action("pasteSlotAction")->trigger();
  const pt::PtSlot& pasted = form->container().slots[3];
  EXPECT_TRUE(pasted.palette == source.palette);
  EXPECT_TRUE(pasted.pixels == pt::fullPixelData(source));
  EXPECT_EQ(lastMessage(), "Slot 3 pasted from a copied slot");
  // A PNG alone goes through the import, notes and all: as the same file imported into slot 4.
  ASSERT_EQ(pt::test::runCommand("/usr/bin/python3 -c " + pt::test::shellQuote(
      "from PIL import Image\nImage.new('RGB', (128, 128), (200, 30, 60)).save('" + (files / "rgb.png").string() + "')")).status, 0);
  const pt::Bytes png = pt::test::readAll(files / "rgb.png");
  auto* data = new QMimeData;
  data->setData("image/png", QByteArray(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size())));
  QApplication::clipboard()->setMimeData(data);
  action("pasteSlotAction")->trigger();
  const auto messages = logMessages(form->logText());
  EXPECT_EQ(messages[messages.size() - 3], "Slot 3 loaded with the clipboard's picture");
  EXPECT_EQ(messages.back(), "Slot 3: Palette: 1 new colour went into entry 0, which no pixel used any more; the other entries stayed as they were.");
  clickRow(4);
  form->importFile(pt::SlotFileFormat::Png, q(files / "rgb.png"));
  const pt::PtSlot& imported = form->container().slots[4];
  EXPECT_EQ(pt::Bytes(pasted.palette.begin(), pasted.palette.begin() + 4), (pt::Bytes{255, 200, 30, 60}));
  EXPECT_TRUE(std::equal(imported.pixels.begin(), imported.pixels.begin() + 128 * 128, pasted.pixels.begin()));
  EXPECT_EQ(pasted.height, 128);
}

TEST_F(EditTest, ZoomTransparencySizeFoldersAndRecentFilesSurviveARestart) {
  action("zoom4Action")->trigger();
  action("transparencyAction")->trigger();
  // Small enough for 1920 x 1080 at 200% (960 x 540 less a panel).
  const QSize smallest = form->minimumSizeHint();
  EXPECT_LE(smallest.width(), 900);
  EXPECT_LE(smallest.height(), 480);
  form->resize(700, 500);
  form->close();
  cd.setDirectory("");
  makeWindow();
  EXPECT_EQ(pane()->zoom(), 4);
  EXPECT_TRUE(action("transparencyAction")->isChecked());
  EXPECT_EQ(form->size(), QSize(700, 500));
  EXPECT_EQ(cd.directory(), q(files.path()));
  auto* recent = child<QMenu>("recentMenu");
  ASSERT_EQ(recent->actions().size(), 1);
  recent->actions()[0]->trigger();
  EXPECT_EQ(lastMessage(), "Opened : " + original);
}

}  // namespace
}  // namespace varnholt::test
