#include "ui/slot_picture.h"

#include <QPainter>
#include <cmath>

namespace varnholt {

int slotSide(const pt::PtSlot& slot) { return pt::isLowRes(slot.height) ? 128 : 256; }

namespace {
// Palette entries are alpha, red, green, blue.
QRgb entryColour(const std::uint8_t* e, SlotView view) {
  switch (view) {
    case SlotView::AlphaMap:
      return qRgb(e[0], e[0], e[0]);
    case SlotView::Transparency:
      return qRgba(e[1], e[2], e[3], e[0]);
    case SlotView::Colours:
      break;
  }
  return qRgb(e[1], e[2], e[3]);
}

}  // namespace

QImage slotImage(const pt::PtSlot& slot, SlotView view) {
  const int side = slotSide(slot);
  QImage image(side, side, QImage::Format_Indexed8);
  QList<QRgb> table(256, qRgb(0, 0, 0));
  for (std::size_t n = 0; n < 256 && 4 * n + 3 < slot.palette.size(); ++n)
    table[static_cast<int>(n)] = entryColour(&slot.palette[4 * n], view);
  image.setColorTable(table);
  // Rows run top-down in the slot as in the image.
  const pt::Bytes pixels = pt::fullPixelData(slot);
  const auto rowBytes = static_cast<std::size_t>(side);
  for (int y = 0; y < side; ++y) {
    const std::size_t at = static_cast<std::size_t>(y) * rowBytes;
    const std::size_t n = at < pixels.size() ? std::min(rowBytes, pixels.size() - at) : 0;
    uchar* line = image.scanLine(y);
    std::fill_n(line, rowBytes, 0);
    if (n > 0) std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(at), n, line);
  }
  return image;
}

QBrush checkerBrush(int square) {
  QPixmap tile(2 * square, 2 * square);
  tile.fill(QColor::fromRgba(kCheckerLight));
  QPainter p(&tile);
  p.fillRect(square, 0, square, square, QColor::fromRgba(kCheckerDark));
  p.fillRect(0, square, square, square, QColor::fromRgba(kCheckerDark));
  return QBrush(tile);
}

QPixmap renderSlot(const QImage& image, double scale, bool checkerboard) {
  const int w = std::max(1, static_cast<int>(std::lround(image.width() * scale)));
  const int h = std::max(1, static_cast<int>(std::lround(image.height() * scale)));
  const QImage scaled = w == image.width() && h == image.height()
                            ? image
                            : image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  if (!checkerboard) return QPixmap::fromImage(scaled);
  QPixmap out(w, h);
  QPainter p(&out);
  p.fillRect(out.rect(), checkerBrush());
  p.drawImage(0, 0, scaled.convertToFormat(QImage::Format_ARGB32));
  return out;
}

QString pixelDescription(const pt::PtSlot& slot, int x, int y) {
  const int side = slotSide(slot);
  const pt::Bytes pixels = pt::fullPixelData(slot);
  const std::size_t at = static_cast<std::size_t>(y) * side + x;
  const std::uint8_t index = at < pixels.size() ? pixels[at] : 0;
  const std::uint8_t* e = &slot.palette[4u * index];
  return QString("x %1  y %2  index %3  alpha %4  rgb %5 %6 %7")
      .arg(x)
      .arg(y)
      .arg(index)
      .arg(e[0])
      .arg(e[1])
      .arg(e[2])
      .arg(e[3]);
}

}  // namespace varnholt
