// What the window remembers between runs (ui/app_settings.h), the size it
// opens at, and File > Open recent.
#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSplitter>

#include "ui/app_settings.h"
#include "ui/form1.h"
#include "ui/preview_pane.h"
#include "ui/recent_files.h"

namespace varnholt {

namespace {
constexpr QSize kPreferredSize(1000, 760);
}

void Form1::buildRecentMenu() {
  recentMenu = new RecentFiles(this);
  findChild<QMenu*>("mnuFile")->insertMenu(mnuSave, recentMenu);
  connect(recentMenu, &RecentFiles::chosen, this, [this](const QString& path) {
    if (!maybeSave()) return;
    openFile(path);
    if (containerPath_ != path) recentMenu->remove(path);  // gone or no container any more
  });
}

void Form1::fitToScreen() {
  const QScreen* on = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!on) return resize(kPreferredSize);
  // The frame the window manager adds is not known before the window is
  // shown; a tenth of the room is left for it.
  const QRect room = on->availableGeometry();
  resize(std::min(kPreferredSize.width(), room.width() * 9 / 10),
         std::min(kPreferredSize.height(), room.height() * 9 / 10));
}

void Form1::restoreSettings() {
  const QSettings s = settings::open();
  if (!restoreGeometry(s.value(settings::kGeometry).toByteArray())) fitToScreen();
  restoreState(s.value(settings::kWindowState).toByteArray());
  const QVariantList splitterStates = s.value(settings::kSplitters).toList();
  const QList<QSplitter*> splitters = findChildren<QSplitter*>();
  for (int i = 0; i < splitters.size() && i < splitterStates.size(); ++i)
    splitters[i]->restoreState(splitterStates[i].toByteArray());
  const int zoom = s.value(settings::kZoom, 1).toInt();
  if (zoom == 0 || zoom == 1 || zoom == 2 || zoom == 4 || zoom == 8) pane_->setZoom(zoom);
  transparencyAction->setChecked(s.value(settings::kTransparency, false).toBool());
  if (const QString folder = s.value(settings::kContainerFolder).toString(); !folder.isEmpty())
    cd.setDirectory(folder);
  if (const QString folder = s.value(settings::kSlotsFolder).toString(); !folder.isEmpty()) cd.setFolder(folder);
}

void Form1::storeSettings() {
  QSettings s = settings::open();
  s.setValue(settings::kGeometry, saveGeometry());
  s.setValue(settings::kWindowState, saveState());
  QVariantList splitterStates;
  for (const QSplitter* splitter : findChildren<QSplitter*>()) splitterStates << splitter->saveState();
  s.setValue(settings::kSplitters, splitterStates);
  s.setValue(settings::kZoom, pane_->zoom());
  s.setValue(settings::kTransparency, transparencyAction->isChecked());
  s.setValue(settings::kContainerFolder, cd.directory());
  s.setValue(settings::kSlotsFolder, cd.folder());
}

}  // namespace varnholt
