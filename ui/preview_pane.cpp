#include "ui/preview_pane.h"

#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

#include "ui/slot_picture.h"

namespace varnholt {

namespace {
constexpr std::array<int, 4> kZoomLevels = {1, 2, 4, 8};
constexpr int kSide = 257;  // room for a 256 x 256 picture and a frame line
constexpr double kEpsilon = 1e-9;
}  // namespace

PreviewPane::PreviewPane(QWidget* parent) : QScrollArea(parent), p1(new QLabel) {
  setObjectName("previewArea");
  setBackgroundRole(QPalette::Dark);
  setAlignment(Qt::AlignCenter);
  setMinimumSize(kSide + 4, kSide + 4);
  p1->setObjectName("p1");
  p1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  p1->setMouseTracking(true);
  p1->installEventFilter(this);
  setWidget(p1);
  viewport()->setMouseTracking(true);
  viewport()->installEventFilter(this);
}

void PreviewPane::showSlot(const pt::PtSlot& slot, bool alphaMap) {
  slot_ = &slot;
  alphaMap_ = alphaMap;
  redraw();
}

double PreviewPane::scale() const {
  if (zoom_ > 0 || !slot_) return zoom_ > 0 ? zoom_ : 1.0;
  const QSize room = viewport()->size();
  return std::max(0.25, std::min(room.width(), room.height()) / static_cast<double>(slotSide(*slot_)));
}

bool PreviewPane::canZoomIn() const { return scale() < kZoomLevels.back() - kEpsilon; }
bool PreviewPane::canZoomOut() const { return scale() > kZoomLevels.front() + kEpsilon; }

int PreviewPane::nextLevel(int direction) const {
  const double now = scale();
  if (direction > 0) {
    for (int level : kZoomLevels)
      if (level > now + kEpsilon) return level;
    return kZoomLevels.back();
  }
  for (auto it = kZoomLevels.rbegin(); it != kZoomLevels.rend(); ++it)
    if (*it < now - kEpsilon) return *it;
  return kZoomLevels.front();
}

static QPointF centreOf(const QWidget* w) { return QPointF(w->width() / 2.0, w->height() / 2.0); }

void PreviewPane::setZoom(int factor) { zoomAbout(factor, std::nullopt); }
void PreviewPane::zoomIn() { setZoom(nextLevel(+1)); }
void PreviewPane::zoomOut() { setZoom(nextLevel(-1)); }

void PreviewPane::zoomAbout(int factor, std::optional<QPointF> point) {
  // The centre moves when scroll bars come or go; a point under the cursor
  // does not, since they take room at the right and the bottom.
  const auto anchor = [&] { return point.value_or(centreOf(viewport())); };
  const double before = scale();
  const QPointF at = (anchor() - QPointF(p1->pos())) / before;  // picture point under the anchor
  zoom_ = factor;
  const auto policy = factor == 0 ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
  setHorizontalScrollBarPolicy(policy);
  setVerticalScrollBarPolicy(policy);
  redraw();
  const double after = scale();
  horizontalScrollBar()->setValue(static_cast<int>(std::lround(at.x() * after - anchor().x())));
  verticalScrollBar()->setValue(static_cast<int>(std::lround(at.y() * after - anchor().y())));
  if (mouse_) describePixelAt(*mouse_);
  Q_EMIT zoomChanged();
}

void PreviewPane::setTransparencyShown(bool on) {
  transparency_ = on;
  redraw();
}

void PreviewPane::redraw() {
  if (!slot_) return;
  const SlotView view = alphaMap_ ? SlotView::AlphaMap : transparency_ ? SlotView::Transparency : SlotView::Colours;
  const QPixmap picture = renderSlot(slotImage(*slot_, view), scale(), view == SlotView::Transparency);
  p1->setPixmap(picture);
  p1->resize(picture.size());
  if (mouse_) describePixelAt(*mouse_);
}

QImage PreviewPane::picture() const { return p1->pixmap().toImage(); }

void PreviewPane::describePixelAt(QPointF viewportPos) {
  if (!slot_) return;
  const QPointF local = viewportPos - QPointF(p1->pos());
  const double s = scale();
  const int side = slotSide(*slot_);
  const int x = static_cast<int>(std::floor(local.x() / s));
  const int y = static_cast<int>(std::floor(local.y() / s));
  if (x < 0 || y < 0 || x >= side || y >= side) return Q_EMIT pixelHovered(QString());
  Q_EMIT pixelHovered(pixelDescription(*slot_, x, y));
}

bool PreviewPane::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseMove: {
      const QPointF pos = static_cast<QMouseEvent*>(event)->position();
      mouse_ = watched == p1 ? p1->mapToParent(pos) : pos;
      describePixelAt(*mouse_);
      break;
    }
    case QEvent::Leave:
      if (watched == viewport()) {
        mouse_.reset();
        Q_EMIT pixelHovered(QString());
      }
      break;
    case QEvent::Wheel: {
      auto* wheel = static_cast<QWheelEvent*>(event);
      if (watched != viewport() || !(wheel->modifiers() & Qt::ControlModifier)) break;
      if (slot_ && wheel->angleDelta().y() != 0) zoomAbout(nextLevel(wheel->angleDelta().y() > 0 ? 1 : -1), wheel->position());
      return true;
    }
    case QEvent::Resize:
      if (watched == viewport() && zoom_ == 0) {
        redraw();
        Q_EMIT zoomChanged();
      }
      break;
    default:
      break;
  }
  return QScrollArea::eventFilter(watched, event);
}

}  // namespace varnholt
