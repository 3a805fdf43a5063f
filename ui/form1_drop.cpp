// Files dropped on the window: a container opens, a slot file dropped on the
// preview is imported into the selected slot.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "ui/form1.h"
#include "ui/preview_pane.h"

namespace varnholt {

namespace {
// The local file of a drag, if it carries exactly one.
QString droppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

bool isContainerName(const QString& path) { return path.endsWith(".pt", Qt::CaseInsensitive); }
}  // namespace

void Form1::dragEnterEvent(QDragEnterEvent* event) {
  const QString path = droppedFile(event->mimeData());
  if (isContainerName(path) || (importAction->isEnabled() && slotFormatOfFile(path)))
    event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
  const QString path = droppedFile(event->mimeData());
  if (isContainerName(path)) {
    event->acceptProposedAction();
    if (maybeSave()) openFile(path);
    return;
  }
  // A picture goes into the selected slot when it lands on the preview and
  // the import command could run.
  const auto format = slotFormatOfFile(path);
  const QPoint at = pane_->mapFrom(this, event->position().toPoint());
  if (!format || !importAction->isEnabled() || !pane_->rect().contains(at)) return;
  event->acceptProposedAction();
  importFile(*format, path);
  if (const auto n = selectedSlot()) {
    showPreview(*n);
    showResolution(*n);
  }
}

}  // namespace varnholt
