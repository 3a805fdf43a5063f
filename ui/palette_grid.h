#pragma once
// The selected slot's 256 palette entries as a 16 x 16 grid: the left half
// of each cell shows the entry's colour, the right half the colour with its
// alpha over a checkerboard. The entry under the mouse is its tool tip.
#include <QWidget>

#include "container/pt_file.h"

namespace varnholt {

class PaletteGrid final : public QWidget {
  Q_OBJECT
 public:
  explicit PaletteGrid(QWidget* parent = nullptr);

  static constexpr int kCell = 12;

  void setPalette(const pt::Bytes& palette);  // alpha, red, green, blue per entry
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  pt::Bytes palette_;
};

}  // namespace varnholt
