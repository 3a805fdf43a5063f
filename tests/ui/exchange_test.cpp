// Export and import of a slot through the real main window and format dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "bitmap/slot_bitmap_writer.h"
#include "exchange/slot_files.h"
#include "tests/ui/ui_test_support.h"
#include "ui/slot_list.h"

namespace varnholt::test {
namespace {

using pt::test::readAll;
using pt::test::writeAllBytes;

constexpr std::uint8_t kRaw = 0;
constexpr std::uint8_t kBitmap = 1;

class ExchangeTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    makeWindow();
    sample = writeSample("sample.pt");
    openThroughDialog(sample);
  }

  // Answers the format dialog with `format` and notes its caption.
  void answerWith(std::uint8_t format) {
    whenFormatDialogUp(*form, [this, format](ExDialog& d) {
      captions.push_back(d.windowTitle());
      option2AtStart.push_back(d.Option2->isChecked());
      if (format == kRaw) d.Option1->click();
      d.OKButton->click();
    });
  }
  void exportAs(std::uint8_t format, const QString& path) {
    answerWith(format);
    cd.answers = {path};
    form->cbEx_Click();
  }
  void importFrom(std::uint8_t format, const QString& path) {
    answerWith(format);
    cd.answers = {path};
    form->Command2_Click();
  }
  void expectNoDialogLeft() {
    EXPECT_EQ(form->exDialog(), nullptr);
    EXPECT_FALSE(form->waitingForFormat());
    EXPECT_TRUE(form->findChildren<ExDialog*>().isEmpty());
  }
  const pt::PtSlot& slot(int n) { return form->container().slots[n]; }

  QString sample;
  std::vector<QString> captions;
  std::vector<bool> option2AtStart;
};

TEST_F(ExchangeTest, BitmapExportWritesTheSlotAndShowsItsResolution) {
  clickRow(2);             // a low-resolution slot
  form->highres->click();  // the user's choice, not yet applied
  cd.setFileName("left over");
  const QString target = q(files / "slot2.bmp");
  exportAs(kBitmap, target);

  ASSERT_EQ(captions.size(), 1u);
  EXPECT_EQ(captions[0], "Export as...");
  EXPECT_TRUE(option2AtStart[0]);
  const ShownDialog& shown = cd.shown.back();
  EXPECT_TRUE(shown.save);
  EXPECT_EQ(shown.title, "Extract slot 2");
  EXPECT_EQ(shown.filter, "*.bmp|*.bmp");
  EXPECT_EQ(shown.defaultExt, "bmp");
  EXPECT_EQ(shown.fileName, "");
  EXPECT_EQ(lastMessage(), "Slot 2 extracted as " + target);
  EXPECT_EQ(readAll(p(target)), pt::buildSlotBitmap(form->container(), 2, header, false));
  EXPECT_EQ(QImage(target).size(), QSize(128, 128));
  EXPECT_TRUE(form->lowres->isChecked());
  EXPECT_FALSE(form->highres->isChecked());
  EXPECT_TRUE(prompt.questions.empty());
  expectNoDialogLeft();
}

TEST_F(ExchangeTest, RawExportWritesTheSlotAndLeavesTheOptionButtons) {
  clickRow(1);
  form->lowres->click();
  const QString target = q(files / "slot1.tex");
  exportAs(kRaw, target);
  const ShownDialog& shown = cd.shown.back();
  EXPECT_EQ(shown.title, "Extract slot 1");
  EXPECT_EQ(shown.filter, "*.tex|*.tex");
  EXPECT_EQ(shown.defaultExt, "tex");
  EXPECT_EQ(lastMessage(), "Slot 1 extracted as " + target);
  const pt::Bytes written = readAll(p(target));
  EXPECT_EQ(written.size(), 66560u);
  EXPECT_EQ(written, pt::buildRawTex(slot(1)));
  EXPECT_TRUE(form->lowres->isChecked());

  // The next command's dialog starts with the bitmap option again.
  clickRow(10);
  exportAs(kRaw, q(files / "slot10.tex"));
  ASSERT_EQ(option2AtStart.size(), 2u);
  EXPECT_TRUE(option2AtStart[1]);
  EXPECT_EQ(readAll(files / "slot10.tex"), pt::buildRawTex(slot(10)));
  expectNoDialogLeft();
}

TEST_F(ExchangeTest, CancelledFormatDialogShowsNoFileDialog) {
  const std::size_t dialogs = cd.shown.size(), lines = messageCount();
  const pt::Bytes preview = readAll(program / "pre.bmp");
  whenFormatDialogUp(*form, [](ExDialog& d) { d.CancelButton->click(); });
  form->cbEx_Click();
  expectNoDialogLeft();
  whenFormatDialogUp(*form, [](ExDialog& d) { d.close(); });  // the close box
  form->cbEx_Click();
  whenFormatDialogUp(*form, [](ExDialog& d) { d.CancelButton->click(); });
  form->Command2_Click();
  whenFormatDialogUp(*form, [](ExDialog& d) { d.close(); });
  form->Command2_Click();
  EXPECT_EQ(cd.shown.size(), dialogs);
  EXPECT_EQ(messageCount(), lines);
  EXPECT_EQ(form->ExDialog_Return, 255);
  EXPECT_EQ(files.entries().size(), 1u);
  EXPECT_EQ(readAll(program / "pre.bmp"), preview);
  expectNoDialogLeft();
}

TEST_F(ExchangeTest, CancelledFileDialogsChangeNothing) {
  const std::size_t lines = messageCount();
  const pt::Bytes before = pt::buildRawTex(slot(0));
  exportAs(kBitmap, "");
  importFrom(kBitmap, "");
  EXPECT_EQ(cd.shown.size(), 3u);
  EXPECT_EQ(messageCount(), lines);
  EXPECT_EQ(pt::buildRawTex(slot(0)), before);
  EXPECT_EQ(files.entries().size(), 1u);
}

TEST_F(ExchangeTest, BitmapImportCopiesASlotAndRefreshesThePreview) {
  const QString file = q(files / "slot0.bmp");
  exportAs(kBitmap, file);
  clickRow(1);
  cd.setFileName("left over");
  importFrom(kBitmap, file);

  EXPECT_EQ(captions.back(), "Import from...");
  const ShownDialog& shown = cd.shown.back();
  EXPECT_FALSE(shown.save);
  EXPECT_EQ(shown.title, "Import into slot 1 from...");
  EXPECT_EQ(shown.filter, "*.bmp|*.bmp");
  EXPECT_EQ(shown.defaultExt, "bmp");
  EXPECT_EQ(shown.fileName, "");
  EXPECT_EQ(lastMessage(), "Slot 1 loaded with " + file);
  EXPECT_EQ(slot(1).palette, slot(0).palette);
  EXPECT_EQ(slot(1).pixels, slot(0).pixels);
  EXPECT_EQ(slot(1).width, 256);
  EXPECT_EQ(slot(1).height, 256);
  EXPECT_EQ(readAll(program / "pre.bmp"), pt::buildSlotBitmap(form->container(), 1, header, false));
  const QImage picture = shownPicture();
  const pt::Bytes data = pt::fullPixelData(slot(0));
  ASSERT_EQ(picture.size(), QSize(256, 256));
  EXPECT_EQ(picture.pixel(77, 200) & 0xFFFFFF, slotColour(slot(0), data, 77, 200, 256, false) & 0xFFFFFF);
  EXPECT_TRUE(form->highres->isChecked());
  expectNoDialogLeft();
}

TEST_F(ExchangeTest, LowBitmapImportShowsA128PictureAndKeepsRowAndCaption) {
  const QString file = q(files / "slot2.bmp");
  clickRow(2);
  exportAs(kBitmap, file);
  clickRow(0);
  form->Command4_Click();
  ASSERT_EQ(form->Command4->text(), "View normal");
  importFrom(kBitmap, file);

  EXPECT_EQ(lastMessage(), "Slot 0 loaded with " + file);
  EXPECT_EQ(slot(0).width, 128);
  EXPECT_EQ(slot(0).height, 128);
  EXPECT_EQ(shownPicture().size(), QSize(128, 128));
  EXPECT_EQ(readAll(program / "pre.bmp"), pt::buildSlotBitmap(form->container(), 0, header, false));
  EXPECT_TRUE(form->lowres->isChecked());
  EXPECT_FALSE(form->highres->isChecked());
  EXPECT_EQ(form->lv->topLevelItem(0)->text(2), "256");
  EXPECT_EQ(form->lv->topLevelItem(0)->text(3), "256");
  EXPECT_EQ(form->Command4->text(), "View normal");
}

TEST_F(ExchangeTest, RawImportKeepsTheSizeAndMarksTheSlotUsed) {
  const QString file = q(files / "slot4.tex");
  clickRow(4);
  exportAs(kRaw, file);

  clickRow(3);  // unused, high resolution
  ASSERT_EQ(slot(3).used, 0);
  importFrom(kRaw, file);
  EXPECT_EQ(cd.shown.back().filter, "*.tex|*.tex");
  EXPECT_EQ(cd.shown.back().defaultExt, "tex");
  EXPECT_EQ(cd.shown.back().title, "Import into slot 3 from...");
  EXPECT_EQ(lastMessage(), "Slot 3 loaded with " + file);
  EXPECT_EQ(slot(3).used, 1);
  EXPECT_EQ(slot(3).palette, slot(4).palette);
  EXPECT_EQ(slot(3).pixels, slot(4).pixels);
  EXPECT_EQ(slot(3).height, 256);
  EXPECT_EQ(form->lv->topLevelItem(3)->text(1), "0");

  clickRow(5);  // low resolution stays low
  importFrom(kRaw, file);
  EXPECT_EQ(slot(5).height, 512);
  EXPECT_EQ(slot(5).width, 128);
  EXPECT_TRUE(form->lowres->isChecked());
  EXPECT_EQ(shownPicture().size(), QSize(128, 128));

  clickRow(10);  // the split slot takes the same file
  importFrom(kRaw, file);
  EXPECT_EQ(lastMessage(), "Slot 10 loaded with " + file);
  EXPECT_EQ(pt::fullPixelData(slot(10)), pt::fullPixelData(slot(4)));
  EXPECT_TRUE(pt::isComplete(form->container()));
}

TEST_F(ExchangeTest, StartingExportOrImportAgainWhileTheDialogIsUpDoesNothing) {
  const std::size_t lines = messageCount();
  whenFormatDialogUp(*form, [this, lines](ExDialog& d) {
    form->cbEx_Click();
    form->Command2_Click();
    QTest::mouseClick(form->cbEx, Qt::LeftButton);
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    EXPECT_EQ(form->exDialog(), &d);
    EXPECT_EQ(form->findChildren<ExDialog*>().size(), 1);
    EXPECT_EQ(messageCount(), lines);
    EXPECT_EQ(d.windowTitle(), "Export as...");
    d.OKButton->click();
  });
  cd.answers = {q(files / "once.bmp")};
  form->cbEx_Click();
  EXPECT_EQ(cd.shown.size(), 2u);  // the open at start, and one save dialog
  EXPECT_EQ(messageCount(), lines + 1);
  EXPECT_EQ(lastMessage(), "Slot 0 extracted as " + q(files / "once.bmp"));
  expectNoDialogLeft();
}

TEST_F(ExchangeTest, MainWindowStaysUsableAndTheCommandTakesTheRowSelectedThen) {
  whenFormatDialogUp(*form, [this](ExDialog& d) {
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(form->lv->isEnabled());
    clickRow(6);
    EXPECT_EQ(lastMessage(), "Preview of slot 6 created.");
    d.OKButton->click();
  });
  cd.answers = {q(files / "six.bmp")};
  form->cbEx_Click();
  EXPECT_EQ(cd.shown.back().title, "Extract slot 6");
  EXPECT_EQ(readAll(files / "six.bmp"), pt::buildSlotBitmap(form->container(), 6, header, false));
}

TEST_F(ExchangeTest, ClosingTheMainWindowWhileTheDialogIsUpEndsTheCommand) {
  const std::size_t dialogs = cd.shown.size(), lines = messageCount();
  whenFormatDialogUp(*form, [this](ExDialog&) { form->close(); });
  cd.answers = {q(files / "never.bmp")};
  form->cbEx_Click();
  EXPECT_EQ(cd.shown.size(), dialogs);
  EXPECT_EQ(messageCount(), lines);
  EXPECT_FALSE(form->isVisible());
  expectNoDialogLeft();
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
  EXPECT_FALSE(std::filesystem::exists(files / "never.bmp"));
}

TEST_F(ExchangeTest, ExitFromTheMenuWhileAnImportWaitsEndsTheCommand) {
  const pt::Bytes before = pt::buildRawTex(slot(0));
  const std::size_t dialogs = cd.shown.size();
  whenFormatDialogUp(*form, [this](ExDialog&) { form->mnuExit->trigger(); });
  form->Command2_Click();
  EXPECT_EQ(cd.shown.size(), dialogs);
  EXPECT_FALSE(form->isVisible());
  expectNoDialogLeft();
  EXPECT_EQ(pt::buildRawTex(slot(0)), before);
}

}  // namespace
}  // namespace varnholt::test
