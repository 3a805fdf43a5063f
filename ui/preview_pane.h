#pragma once
// The preview pane: one slot's picture drawn from the container in memory,
// as its colours, its grey alpha map, or its colours with their real alpha
// over a checkerboard; zoomed by levels or fitted to the pane, nearest
// neighbour; and the pixel under the mouse.
//
// The wheel (with Ctrl) zooms about the point under the cursor, zoomIn() and
// zoomOut() about the centre of the view. After every zoom the readout is
// told the pixel now under the mouse.
#include <QScrollArea>
#include <optional>

#include "container/pt_file.h"

class QLabel;

namespace varnholt {

class PreviewPane final : public QScrollArea {
  Q_OBJECT
 public:
  explicit PreviewPane(QWidget* parent = nullptr);

  // Draws `slot` (which must outlive the pane or the next call) in the
  // normal view or as its alpha map.
  void showSlot(const pt::PtSlot& slot, bool alphaMap);
  // Draws the shown slot again, after its data changed.
  void redraw();
  bool hasSlot() const { return slot_ != nullptr; }

  // A factor (1, 2, 4, 8) or 0 for "fit the pane".
  int zoom() const { return zoom_; }
  double scale() const;
  bool canZoomIn() const;
  bool canZoomOut() const;
  void setZoom(int factor);
  void zoomIn();
  void zoomOut();

  void setTransparencyShown(bool on);
  bool transparencyShown() const { return transparency_; }

  // The picture as drawn.
  QImage picture() const;

 Q_SIGNALS:
  // "x 12  y 40  index 7  alpha 255  rgb 10 20 30", or "" off the picture.
  void pixelHovered(const QString& description);
  // The scale may have changed: the zoom commands' limits with it.
  void zoomChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Zooms to `factor` keeping the picture point under `point` (viewport
  // coordinates; none: the centre of the view) where it is.
  void zoomAbout(int factor, std::optional<QPointF> point);
  int nextLevel(int direction) const;
  void describePixelAt(QPointF viewportPos);

  QLabel* p1;
  const pt::PtSlot* slot_ = nullptr;
  bool alphaMap_ = false;
  bool transparency_ = false;
  int zoom_ = 1;
  std::optional<QPointF> mouse_;  // last mouse position over the viewport
};

}  // namespace varnholt
