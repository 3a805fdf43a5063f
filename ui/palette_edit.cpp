#include "ui/palette_edit.h"

#include <QColorDialog>

namespace varnholt {

std::optional<QColor> QtColourPicker::pick(const QColor& initial, const QString& title) {
  const QColor chosen = QColorDialog::getColor(initial, owner_, title, QColorDialog::ShowAlphaChannel);
  if (!chosen.isValid()) return std::nullopt;
  return chosen;
}

QColor paletteEntry(const pt::Bytes& palette, int entry) {
  const std::uint8_t* e = &palette.at(4u * entry);
  return QColor(e[1], e[2], e[3], e[0]);
}

void setPaletteEntry(pt::Bytes& palette, int entry, const QColor& colour) {
  const QColor rgb = colour.toRgb();
  std::uint8_t* e = &palette.at(4u * entry);
  e[0] = static_cast<std::uint8_t>(rgb.alpha());
  e[1] = static_cast<std::uint8_t>(rgb.red());
  e[2] = static_cast<std::uint8_t>(rgb.green());
  e[3] = static_cast<std::uint8_t>(rgb.blue());
}

}  // namespace varnholt
