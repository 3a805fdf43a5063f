// What the preview pane draws and how: zoom, the transparency view, the
// palette grid, the pixel under the mouse, and files dropped on the window.
#include <QActionGroup>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QScrollArea>
#include <QStatusBar>
#include <QWheelEvent>
#include <algorithm>
#include <array>

#include "ui/form1.h"
#include "ui/palette_grid.h"
#include "ui/slot_picture.h"

namespace varnholt {

namespace {
constexpr std::array<int, 4> kZoomLevels = {1, 2, 4, 8};

// The local file of a drag, if it carries exactly one.
QString droppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

bool isContainerName(const QString& path) { return path.endsWith(".pt", Qt::CaseInsensitive); }
}  // namespace

double Form1::previewScale() const {
  if (zoom_ > 0 || !shownSlot_) return zoom_ > 0 ? zoom_ : 1.0;
  const int side = slotSide(ptFile.slots[*shownSlot_]);
  const QSize room = previewArea->viewport()->size();
  return std::max(0.25, std::min(room.width(), room.height()) / static_cast<double>(side));
}

void Form1::setZoom(int factor) {
  zoom_ = factor;
  for (QAction* a : zoomGroup->actions()) a->setChecked(a->data().toInt() == factor);
  previewArea->setHorizontalScrollBarPolicy(factor == 0 ? Qt::ScrollBarAlwaysOff
                                                        : Qt::ScrollBarAsNeeded);
  previewArea->setVerticalScrollBarPolicy(factor == 0 ? Qt::ScrollBarAlwaysOff
                                                      : Qt::ScrollBarAsNeeded);
  drawPreview();
}

void Form1::zoomIn() {
  const double now = previewScale();
  for (int level : kZoomLevels)
    if (level > now + 1e-9) return setZoom(level);
  setZoom(kZoomLevels.back());
}

void Form1::zoomOut() {
  const double now = previewScale();
  for (auto it = kZoomLevels.rbegin(); it != kZoomLevels.rend(); ++it)
    if (*it < now - 1e-9) return setZoom(*it);
  setZoom(kZoomLevels.front());
}

void Form1::setTransparencyShown(bool on) {
  transparency_ = on;
  transparencyAction->setChecked(on);
  drawPreview();
}

void Form1::drawPreview() {
  if (!shownSlot_) return;
  const pt::PtSlot& slot = ptFile.slots[*shownSlot_];
  const SlotView view = shownAlphaMap_  ? SlotView::AlphaMap
                        : transparency_ ? SlotView::Transparency
                                        : SlotView::Colours;
  const QPixmap picture = renderSlot(slotImage(slot, view), previewScale(), view == SlotView::Transparency);
  p1->setPixmap(picture);
  p1->resize(picture.size());
  paletteGrid->setPalette(slot.palette);
}

void Form1::showPixelAt(const QPoint& widgetPos) {
  if (!shownSlot_) return;
  const pt::PtSlot& slot = ptFile.slots[*shownSlot_];
  const int side = slotSide(slot);
  const double scale = previewScale();
  const int x = static_cast<int>(widgetPos.x() / scale);
  const int y = static_cast<int>(widgetPos.y() / scale);
  if (widgetPos.x() < 0 || widgetPos.y() < 0 || x >= side || y >= side) {
    statusBar()->clearMessage();
    return;
  }
  statusBar()->showMessage(pixelDescription(slot, x, y));
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == p1 && event->type() == QEvent::MouseMove) {
    showPixelAt(static_cast<QMouseEvent*>(event)->position().toPoint());
  } else if (watched == p1 && event->type() == QEvent::Leave) {
    statusBar()->clearMessage();
  } else if (watched == previewArea->viewport()) {
    if (event->type() == QEvent::Wheel) {
      auto* wheel = static_cast<QWheelEvent*>(event);
      if (wheel->modifiers() & Qt::ControlModifier) {
        if (opened_) wheel->angleDelta().y() > 0 ? zoomIn() : zoomOut();
        return true;
      }
    } else if (event->type() == QEvent::Resize && zoom_ == 0) {
      drawPreview();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
  const QString path = droppedFile(event->mimeData());
  if (isContainerName(path) || (opened_ && slotFormatOfFile(path)))
    event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
  const QString path = droppedFile(event->mimeData());
  if (isContainerName(path)) {
    event->acceptProposedAction();
    if (maybeSave()) openFile(path);
    return;
  }
  // A picture goes into the selected slot when it lands on the preview.
  const auto format = slotFormatOfFile(path);
  const QPoint at = previewArea->mapFrom(this, event->position().toPoint());
  if (!format || !opened_ || formatWait_ || !previewArea->rect().contains(at)) return;
  event->acceptProposedAction();
  importFile(*format, path);
  if (const auto n = selectedSlot()) {
    showPreview(*n);
    showResolution(*n);
  }
}

}  // namespace varnholt
