#pragma once
// The selected slot's 256 palette entries as a 16 x 16 grid: the left half
// of each cell shows the entry's colour, the right half the colour with its
// alpha over a checkerboard. The entry under the mouse is its tool tip; a
// double click on an entry asks to edit it. The cells grow and shrink with
// the room the grid is given.
#include <QWidget>

#include "container/pt_file.h"

namespace varnholt {

class PaletteGrid final : public QWidget {
  Q_OBJECT
 public:
  explicit PaletteGrid(QWidget* parent = nullptr);

  static constexpr int kCell = 12;     // cell side the grid asks for
  static constexpr int kMinCell = 7;   // and the smallest it takes

  void setPalette(const pt::Bytes& palette);  // alpha, red, green, blue per entry
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return width; }
  // The entry at a point of the widget, or -1 off the grid.
  int entryAt(QPoint at) const;

 Q_SIGNALS:
  void entryActivated(int entry);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  int cell() const;

  pt::Bytes palette_;
};

}  // namespace varnholt
