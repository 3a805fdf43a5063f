#include "ui/import_options_menu.h"

#include <QActionGroup>

#include "ui/app_settings.h"

namespace varnholt {

namespace {

struct Choice {
  const char* objectName;
  const char* caption;
  const char* value;
};

QActionGroup* addChoices(QMenu* menu, const char* section, std::initializer_list<Choice> choices,
                         const QString& chosen) {
  menu->addSection(section);
  auto* group = new QActionGroup(menu);
  for (const Choice& c : choices) {
    QAction* a = menu->addAction(c.caption);
    a->setObjectName(c.objectName);
    a->setCheckable(true);
    a->setData(QString::fromLatin1(c.value));
    a->setChecked(chosen == c.value);
    group->addAction(a);
  }
  if (!group->checkedAction()) group->actions().front()->setChecked(true);
  return group;
}

std::string checkedValue(const QActionGroup* group) {
  return group->checkedAction()->data().toString().toStdString();
}

}  // namespace

ImportOptionsMenu::ImportOptionsMenu(QWidget* parent) : QMenu("Import options", parent) {
  setObjectName("importOptionsMenu");
  const QSettings s = settings::open();
  const pt::ImportOptions defaults;
  const auto chosen = [&](const char* key, const char* fallback) { return s.value(key, fallback).toString(); };
  palette_ = addChoices(
      this, "Palette",
      {{"autoPaletteAction", "Keep the slot's palette; new colours into free entries",
        pt::optionName(pt::PaletteChoice::Auto)},
       {"keepPaletteAction", "Map onto the slot's palette", pt::optionName(pt::PaletteChoice::Keep)},
       {"newPaletteAction", "New palette", pt::optionName(pt::PaletteChoice::New)}},
      chosen(settings::kImportPalette, pt::optionName(defaults.palette)));
  alpha_ = addChoices(
      this, "Alpha",
      {{"autoAlphaAction", "The file's, or the slot's where an editor dropped it", pt::optionName(pt::AlphaChoice::Auto)},
       {"fileAlphaAction", "The file's alpha", pt::optionName(pt::AlphaChoice::File)},
       {"keepAlphaAction", "Keep the slot's alpha", pt::optionName(pt::AlphaChoice::Slot)}},
      chosen(settings::kImportAlpha, pt::optionName(defaults.alpha)));
  rows_ = addChoices(this, "Bitmap rows",
                     {{"declaredRowsAction", "As the bitmap declares them (upright)", pt::optionName(pt::RowOrder::Declared)},
                      {"fileRowsAction", "In file order (as older versions)", pt::optionName(pt::RowOrder::File)}},
                     chosen(settings::kImportRows, pt::optionName(defaults.rows)));
  addSeparator();
  dither_ = addAction("Dither");
  dither_->setObjectName("ditherAction");
  dither_->setCheckable(true);
  dither_->setChecked(s.value(settings::kImportDither, defaults.dither).toBool());
  for (QAction* a : actions()) connect(a, &QAction::triggered, this, &ImportOptionsMenu::save);
}

pt::ImportOptions ImportOptionsMenu::options() const {
  pt::ImportOptions options;
  options.palette = pt::paletteChoiceNamed(checkedValue(palette_)).value_or(options.palette);
  options.alpha = pt::alphaChoiceNamed(checkedValue(alpha_)).value_or(options.alpha);
  options.rows = pt::rowOrderNamed(checkedValue(rows_)).value_or(options.rows);
  options.dither = dither_->isChecked();
  return options;
}

void ImportOptionsMenu::save() const {
  const pt::ImportOptions chosen = options();
  QSettings s = settings::open();
  s.setValue(settings::kImportPalette, pt::optionName(chosen.palette));
  s.setValue(settings::kImportAlpha, pt::optionName(chosen.alpha));
  s.setValue(settings::kImportRows, pt::optionName(chosen.rows));
  s.setValue(settings::kImportDither, chosen.dither);
}

}  // namespace varnholt
