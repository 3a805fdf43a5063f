// The preview pane's zoom, transparency view and pixel readout.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollArea>
#include <QStatusBar>
#include <QWheelEvent>

#include "tests/ui/ui_test_support.h"

namespace varnholt::test {
namespace {

class ViewTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    makeWindow();
    // Slot 0: entries 1-3 and 7 with known colours at known pixels.
    openThroughDialog(writeSample("s.pt", [](pt::PtFile& f) {
      pt::PtSlot& s = f.slots[0];
      const std::uint8_t entries[][5] = {
          {1, 0, 200, 10, 10}, {2, 128, 0, 0, 255}, {3, 255, 10, 200, 30}, {7, 200, 10, 20, 30}};
      for (const auto& e : entries) std::copy(e + 1, e + 5, s.palette.begin() + 4 * e[0]);
      // (0, 0) on a light square of the checkerboard, (8, 0) on a dark one, (20, 20), (12, 40)
      s.pixels[0] = 1, s.pixels[8] = 2, s.pixels[20 * 256 + 20] = 3, s.pixels[40 * 256 + 12] = 7;
    }));
  }
  QSize pictureSize() const { return form->p1->pixmap().size(); }
  void ctrlWheel(int delta) {
    QWidget* v = form->previewArea->viewport();
    QWheelEvent e(QPointF(10, 10), v->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, delta),
                  Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(v, &e);
  }
};

TEST_F(ViewTest, ZoomLevelsScaleThePictureNearestNeighbour) {
  EXPECT_EQ(pictureSize(), QSize(256, 256));
  for (int factor : {2, 4, 8}) {
    form->setZoom(factor);
    EXPECT_EQ(pictureSize(), QSize(256 * factor, 256 * factor));
  }
  // One slot pixel is a 4 x 4 block at 400%: (8, 0) shows entry 2 as opaque blue.
  form->setZoom(4);
  const QImage zoomed = shownPicture();
  EXPECT_EQ(std::pair(zoomed.pixel(32, 0) & 0xFFFFFF, zoomed.pixel(35, 3) & 0xFFFFFF), std::pair(0x0000FFu, 0x0000FFu));
  EXPECT_EQ(zoomed.pixel(36, 3) & 0xFFFFFF, zoomed.pixel(36, 0) & 0xFFFFFF);

  form->setZoom(0);  // fit
  const QSize room = form->previewArea->viewport()->size();
  EXPECT_EQ(pictureSize().width(), std::min(room.width(), room.height()));
  // A low-resolution slot at 200% is 256 pixels wide.
  form->setZoom(2);
  clickRow(2);
  EXPECT_EQ(pictureSize(), QSize(256, 256));

  // Ctrl+wheel steps through the levels.
  ctrlWheel(120);
  EXPECT_EQ(form->zoom(), 4);
  ctrlWheel(-120), ctrlWheel(-120);
  EXPECT_EQ(form->zoom(), 1);
}

TEST_F(ViewTest, TransparencyViewBlendsEachEntrysAlphaOverTheCheckerboard) {
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTest::keyClick(form.get(), Qt::Key_T, Qt::ControlModifier);  // View ▸ Show transparency
  const QImage shown = shownPicture();
  // Light squares are white, dark ones 204 grey; alpha 128 over 204 and 255 over anything.
  const struct { int x, y, r, g, b; } cases[] = {{0, 0, 255, 255, 255}, {8, 0, 102, 102, 230}, {20, 20, 10, 200, 30}};
  for (const auto& c : cases) {
    const QRgb px = shown.pixel(c.x, c.y);
    EXPECT_LE(std::max({std::abs(qRed(px) - c.r), std::abs(qGreen(px) - c.g), std::abs(qBlue(px) - c.b)}), 1)
        << c.x << "," << c.y;
  }
  // The grey alpha map is drawn as before, whatever the transparency view.
  form->Command4_Click();
  EXPECT_EQ(shownPicture().pixel(8, 0) & 0xFFFFFF, 0x808080u);
}

TEST_F(ViewTest, StatusBarDescribesThePixelUnderTheMouse) {
  form->setZoom(2);
  QMouseEvent move(QEvent::MouseMove, QPointF(25, 81), form->p1->mapToGlobal(QPointF(25, 81)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(form->p1, &move);
  EXPECT_EQ(form->statusBar()->currentMessage(), "x 12  y 40  index 7  alpha 200  rgb 10 20 30");
}

}  // namespace
}  // namespace varnholt::test
