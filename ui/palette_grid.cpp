#include "ui/palette_grid.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/slot_picture.h"

namespace varnholt {

PaletteGrid::PaletteGrid(QWidget* parent) : QWidget(parent) {
  setFixedSize(sizeHint());
  setToolTip("Palette");
}

QSize PaletteGrid::sizeHint() const { return {16 * kCell + 1, 16 * kCell + 1}; }

void PaletteGrid::setPalette(const pt::Bytes& palette) {
  palette_ = palette;
  update();
}

void PaletteGrid::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Dark));
  if (palette_.size() < 1024) return;
  const QBrush checker = checkerBrush(kCell / 4);
  for (int n = 0; n < 256; ++n) {
    const std::uint8_t* e = &palette_[4u * n];
    const QRect cell((n % 16) * kCell + 1, (n / 16) * kCell + 1, kCell - 1, kCell - 1);
    const int half = cell.width() / 2;
    p.fillRect(cell.x(), cell.y(), half, cell.height(), QColor(e[1], e[2], e[3]));
    const QRect right(cell.x() + half, cell.y(), cell.width() - half, cell.height());
    p.fillRect(right, checker);
    p.fillRect(right, QColor(e[1], e[2], e[3], e[0]));
  }
}

bool PaletteGrid::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && palette_.size() >= 1024) {
    const QPoint at = static_cast<QHelpEvent*>(event)->pos();
    const int n = std::clamp(at.y() / kCell, 0, 15) * 16 + std::clamp(at.x() / kCell, 0, 15);
    const std::uint8_t* e = &palette_[4u * n];
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                       QString("index %1  alpha %2  rgb %3 %4 %5")
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

}  // namespace varnholt
