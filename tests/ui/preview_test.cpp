// The slot list's clicks, the preview and its alpha view, and the
// resolution switch, on the real main window.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "bitmap/slot_bitmap_writer.h"
#include "sample/sample_container.h"
#include "tests/ui/ui_test_support.h"
#include "ui/slot_list.h"

namespace varnholt::test {
namespace {

using pt::test::readAll;

class PreviewTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    makeWindow();
  }
  void open() {
    sample = writeSample("sample.pt");
    openThroughDialog(sample);
  }
  // Every pixel of the shown picture against the slot's palette and data.
  void expectPictureOfSlot(int slot, bool alphaView) {
    const pt::PtSlot& s = form->container().slots[slot];
    const int side = pt::isLowRes(s.height) ? 128 : 256;
    const QImage picture = shownPicture();
    const pt::Bytes data = pt::fullPixelData(s);
    ASSERT_EQ(picture.size(), QSize(side, side)) << "slot " << slot;
    int wrong = 0;
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x)
        if ((picture.pixel(x, y) & 0xFFFFFF) != (slotColour(s, data, x, y, side, alphaView) & 0xFFFFFF))
          ++wrong;
    EXPECT_EQ(wrong, 0) << "slot " << slot << (alphaView ? " alpha view" : " normal view");
  }
  QString sample;
};

TEST_F(PreviewTest, OpenShowsSlotZeroAtItsOwnSize) {
  open();
  expectPictureOfSlot(0, false);
  EXPECT_EQ(form->previewPath(), QDir(q(program.path())).filePath("pre.bmp"));
  EXPECT_EQ(readAll(program / "pre.bmp"),
            pt::buildSlotBitmap(form->container(), 0, header, false));
  EXPECT_TRUE(form->highres->isChecked());
}

TEST_F(PreviewTest, ClickingARowPreviewsItsSlotAndShowsItsResolution) {
  open();
  clickRow(2);  // slot 2 is stored at low resolution
  EXPECT_EQ(lastMessage(), "Preview of slot 2 created.");
  expectPictureOfSlot(2, false);
  EXPECT_TRUE(form->lowres->isChecked());
  EXPECT_FALSE(form->highres->isChecked());

  clickRow(19);
  EXPECT_EQ(lastMessage(), "Preview of slot 19 created.");
  expectPictureOfSlot(19, false);
  EXPECT_TRUE(form->highres->isChecked());

  // An unused slot is previewed like any other.
  const std::size_t before = messageCount();
  clickRow(3);
  EXPECT_EQ(messageCount(), before + 1);
  EXPECT_EQ(lastMessage(), "Preview of slot 3 created.");
  expectPictureOfSlot(3, false);

  clickRow(10);  // pixel data in two parts
  expectPictureOfSlot(10, false);

  // The same row again previews again.
  clickRow(10);
  EXPECT_EQ(messageCount(), before + 3);
}

TEST_F(PreviewTest, KeyboardSelectionPreviewsToo) {
  open();
  form->lv->setFocus();
  QTest::keyClick(form->lv, Qt::Key_Down);
  EXPECT_EQ(form->lv->selectedPosition(), 2);
  EXPECT_EQ(lastMessage(), "Preview of slot 1 created.");
  expectPictureOfSlot(1, false);
}

TEST_F(PreviewTest, ListClicksBeforeAnyOpenDoNothing) {
  const std::size_t before = messageCount();
  form->lv_Click();
  EXPECT_EQ(messageCount(), before);
  EXPECT_FALSE(std::filesystem::exists(program / "pre.bmp"));
  EXPECT_FALSE(form->Command4->isEnabled());
  QTest::mouseClick(form->Command4, Qt::LeftButton);
  EXPECT_EQ(messageCount(), before);
}

TEST_F(PreviewTest, AlphaToggleSwitchesViewCaptionAndLog) {
  open();
  clickRow(4);
  const QImage normal = shownPicture();
  QTest::mouseClick(form->Command4, Qt::LeftButton);
  EXPECT_EQ(lastMessage(), "Creating alpha (transparency) indication in grey scale of slot 4");
  EXPECT_EQ(form->Command4->text(), "View normal");
  EXPECT_TRUE(form->isAlphaShown());
  expectPictureOfSlot(4, true);
  EXPECT_NE(shownPicture(), normal);

  // Straight away again, within the same second: the picture follows.
  form->Command4_Click();
  EXPECT_EQ(lastMessage(), "Creating preview of slot 4");
  EXPECT_EQ(form->Command4->text(), "View alpha");
  EXPECT_FALSE(form->isAlphaShown());
  expectPictureOfSlot(4, false);
  EXPECT_EQ(shownPicture(), normal);
  EXPECT_EQ(readAll(program / "pre.bmp"), pt::buildSlotBitmap(form->container(), 4, header, false));
}

TEST_F(PreviewTest, ResolutionSwitchChangesOnlyTheSizeAndKeepsTheRow) {
  open();
  clickRow(1);
  const pt::PtSlot before = form->container().slots[1];
  QTest::mouseClick(form->lowres, Qt::LeftButton);
  EXPECT_TRUE(form->lowres->isChecked());
  EXPECT_FALSE(form->highres->isChecked());
  QTest::mouseClick(form->Command3, Qt::LeftButton);
  EXPECT_EQ(lastMessage(), "Set slot 1 to new resolution");
  const pt::PtSlot& low = form->container().slots[1];
  EXPECT_EQ(low.width, 128);
  EXPECT_EQ(low.height, 512);
  expectPictureOfSlot(1, false);  // the first 16384 bytes as 128 x 128
  EXPECT_EQ(low.pixels, before.pixels);
  EXPECT_EQ(low.palette, before.palette);
  EXPECT_EQ(low.dataSize, before.dataSize);
  EXPECT_EQ(low.trailer, before.trailer);
  EXPECT_EQ(low.used, before.used);
  EXPECT_EQ(form->lv->topLevelItem(1)->text(2), "256");
  EXPECT_EQ(form->lv->topLevelItem(1)->text(3), "256");

  // The same resolution again still logs; then back to high resolution.
  form->Command3_Click();
  EXPECT_EQ(lastMessage(), "Set slot 1 to new resolution");
  EXPECT_EQ(form->container().slots[1].height, 512);
  QTest::mouseClick(form->highres, Qt::LeftButton);
  EXPECT_FALSE(form->lowres->isChecked());
  form->Command3_Click();
  const pt::PtSlot& high = form->container().slots[1];
  EXPECT_EQ(high.width, 256);
  EXPECT_EQ(high.height, 256);
  EXPECT_EQ(high.pixels, before.pixels);
  expectPictureOfSlot(1, false);
}

// An installed program's folder may not be writable: previews go to the
// user's cache folder instead, and the log says so once.
TEST_F(PreviewTest, PreviewMovesToTheCacheFolderWhenTheProgramFolderCannotBeWritten) {
  ScratchDir cache;
  qputenv("XDG_CACHE_HOME", q(cache.path()).toUtf8());
  pt::test::writeAllBytes(files / "plain file", pt::Bytes{1});
  // No one, root included, can create anything below a regular file.
  const QString unwritable = q(files / "plain file" / "program");
  makeWindow(unwritable);
  open();
  qunsetenv("XDG_CACHE_HOME");

  const auto messages = logMessages(form->logText());
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[1], "Opened : " + sample);
  EXPECT_TRUE(messages[2].startsWith("Cannot write the preview " + unwritable + "/pre.bmp (Not a directory)"))
      << messages[2].toStdString();
  const QString moved = q(cache.path() / "Varnholt" / "pre.bmp");
  EXPECT_TRUE(messages[2].endsWith("previews go to " + moved)) << messages[2].toStdString();
  EXPECT_EQ(form->previewPath(), moved);
  expectPictureOfSlot(0, false);

  clickRow(5);
  form->Command4_Click();
  expectPictureOfSlot(5, true);
  EXPECT_EQ(readAll(p(moved)), pt::buildSlotBitmap(form->container(), 5, header, true));
  const auto after = logMessages(form->logText());
  EXPECT_EQ(std::count_if(after.begin(), after.end(),
                          [](const QString& m) { return m.startsWith("Cannot write the preview"); }),
            1);
}

TEST_F(PreviewTest, PreviewThatCannotBeWrittenKeepsThePreviousPicture) {
  ScratchDir cache;
  pt::test::writeAllBytes(cache / "file", pt::Bytes{1});
  qputenv("XDG_CACHE_HOME", q(cache.path() / "file" / "cache").toUtf8());
  ScratchDir folder;
  makeWindow(q(folder.path()));
  open();
  const QImage first = shownPicture();
  ASSERT_EQ(first.size(), QSize(256, 256));

  // The folder goes away and its name now belongs to a plain file.
  std::filesystem::remove_all(folder.path());
  pt::test::writeAllBytes(folder.path(), pt::Bytes{1});
  clickRow(2);
  qunsetenv("XDG_CACHE_HOME");
  const auto messages = logMessages(form->logText());
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[messages.size() - 2], "Preview of slot 2 not written: Not a directory");
  EXPECT_EQ(messages.back(), "Preview of slot 2 created.");
  EXPECT_EQ(shownPicture(), first);
  EXPECT_TRUE(form->lowres->isChecked());
  std::filesystem::remove(folder.path());
  std::filesystem::create_directory(folder.path());
}

TEST_F(PreviewTest, PreviewThatCannotBeShownIsLoggedAndTheProgramGoesOn) {
  header.fill(0);  // not a bitmap header at all
  makeWindow();
  open();
  EXPECT_TRUE(form->p1->pixmap().isNull());
  const auto messages = logMessages(form->logText());
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[1], "Opened : " + sample);
  EXPECT_TRUE(messages[2].startsWith("Preview of slot 0 not shown: ")) << messages[2].toStdString();
  EXPECT_TRUE(form->cbEx->isEnabled());
}

}  // namespace
}  // namespace varnholt::test
