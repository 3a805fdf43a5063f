#include "ui/import_options_menu.h"

namespace varnholt {

ImportOptionsMenu::ImportOptionsMenu(QWidget* parent) : QMenu("Import options", parent) {
  setObjectName("importOptionsMenu");
  keepAlpha_ = addAction("Keep the slot's alpha");
  keepAlpha_->setObjectName("keepAlphaAction");
  keepPalette_ = addAction("Map onto the slot's palette");
  keepPalette_->setObjectName("keepPaletteAction");
  dither_ = addAction("Dither");
  dither_->setObjectName("ditherAction");
  for (QAction* a : actions()) a->setCheckable(true);
  dither_->setChecked(true);
}

pt::ImportOptions ImportOptionsMenu::options() const {
  pt::ImportOptions options;
  options.keepAlpha = keepAlpha_->isChecked();
  options.palette = keepPalette_->isChecked() ? pt::PaletteChoice::Keep : pt::PaletteChoice::New;
  options.dither = dither_->isChecked();
  return options;
}

}  // namespace varnholt
