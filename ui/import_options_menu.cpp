#include "ui/import_options_menu.h"

#include <QActionGroup>
#include <QSettings>

namespace varnholt {

namespace {

// Where the choices are kept: ~/.config/Varnholt/Varnholt.conf on Linux,
// the registry on Windows; keys "import/palette" and so on, valued with
// ptool's names of the choices.
constexpr auto kScope = QSettings::UserScope;
const char* const kOrganization = "Varnholt";
const char* const kApplication = "Varnholt";

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
  const QSettings settings(kScope, kOrganization, kApplication);
  const pt::ImportOptions defaults;
  const auto chosen = [&](const char* key, const char* fallback) { return settings.value(key, fallback).toString(); };
  palette_ = addChoices(
      this, "Palette",
      {{"autoPaletteAction", "Keep the slot's palette; new colours into free entries",
        pt::optionName(pt::PaletteChoice::Auto)},
       {"keepPaletteAction", "Map onto the slot's palette", pt::optionName(pt::PaletteChoice::Keep)},
       {"newPaletteAction", "New palette", pt::optionName(pt::PaletteChoice::New)}},
      chosen("import/palette", pt::optionName(defaults.palette)));
  alpha_ = addChoices(
      this, "Alpha",
      {{"autoAlphaAction", "The file's, or the slot's where an editor dropped it", pt::optionName(pt::AlphaChoice::Auto)},
       {"fileAlphaAction", "The file's alpha", pt::optionName(pt::AlphaChoice::File)},
       {"keepAlphaAction", "Keep the slot's alpha", pt::optionName(pt::AlphaChoice::Slot)}},
      chosen("import/alpha", pt::optionName(defaults.alpha)));
  rows_ = addChoices(this, "Bitmap rows",
                     {{"declaredRowsAction", "As the bitmap declares them (upright)", pt::optionName(pt::RowOrder::Declared)},
                      {"fileRowsAction", "In file order (as older versions)", pt::optionName(pt::RowOrder::File)}},
                     chosen("import/rows", pt::optionName(defaults.rows)));
  addSeparator();
  dither_ = addAction("Dither");
  dither_->setObjectName("ditherAction");
  dither_->setCheckable(true);
  dither_->setChecked(settings.value("import/dither", defaults.dither).toBool());
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
  QSettings settings(kScope, kOrganization, kApplication);
  settings.setValue("import/palette", pt::optionName(chosen.palette));
  settings.setValue("import/alpha", pt::optionName(chosen.alpha));
  settings.setValue("import/rows", pt::optionName(chosen.rows));
  settings.setValue("import/dither", chosen.dither);
}

}  // namespace varnholt
