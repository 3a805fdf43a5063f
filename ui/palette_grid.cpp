#include "ui/palette_grid.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/slot_picture.h"

namespace varnholt {

PaletteGrid::PaletteGrid(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  setToolTip("Palette");
}

QSize PaletteGrid::sizeHint() const { return {16 * kCell + 1, 16 * kCell + 1}; }
QSize PaletteGrid::minimumSizeHint() const { return {16 * kMinCell + 1, 16 * kMinCell + 1}; }

int PaletteGrid::cell() const { return std::max(kMinCell, (std::min(width(), height()) - 1) / 16); }

void PaletteGrid::setPalette(const pt::Bytes& palette) {
  palette_ = palette;
  update();
}

int PaletteGrid::entryAt(QPoint at) const {
  const int side = cell();
  if (at.x() < 0 || at.y() < 0 || at.x() >= 16 * side || at.y() >= 16 * side) return -1;
  return at.y() / side * 16 + at.x() / side;
}

void PaletteGrid::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int side = cell();
  p.fillRect(QRect(0, 0, 16 * side + 1, 16 * side + 1), palette().color(QPalette::Dark));
  if (palette_.size() < 1024) return;
  const QBrush checker = checkerBrush(std::max(2, side / 4));
  for (int n = 0; n < 256; ++n) {
    const std::uint8_t* e = &palette_[4u * n];
    const QRect cellRect((n % 16) * side + 1, (n / 16) * side + 1, side - 1, side - 1);
    const int half = cellRect.width() / 2;
    p.fillRect(cellRect.x(), cellRect.y(), half, cellRect.height(), QColor(e[1], e[2], e[3]));
    const QRect right(cellRect.x() + half, cellRect.y(), cellRect.width() - half, cellRect.height());
    p.fillRect(right, checker);
    p.fillRect(right, QColor(e[1], e[2], e[3], e[0]));
  }
}

bool PaletteGrid::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && palette_.size() >= 1024) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const int n = entryAt(help->pos());
    if (n < 0) {
      QToolTip::hideText();
      return true;
    }
    const std::uint8_t* e = &palette_[4u * n];
    QToolTip::showText(help->globalPos(),
                       QString("index %1  alpha %2  rgb %3 %4 %5 (double-click to edit)")
                           .arg(n)
                           .arg(e[0])
                           .arg(e[1])
                           .arg(e[2])
                           .arg(e[3]),
                       this);
    return true;
  }
  return QWidget::event(event);
}

void PaletteGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  const int n = entryAt(event->position().toPoint());
  if (n >= 0 && palette_.size() >= 1024) Q_EMIT entryActivated(n);
}

}  // namespace varnholt
