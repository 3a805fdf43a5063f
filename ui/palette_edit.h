#pragma once
// Editing one palette entry: the colour dialog behind a small port (tests
// script the answer), and the entry's four bytes as a colour.
#include <QColor>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "common/bytes.h"

namespace varnholt {

class ColourPicker {
 public:
  virtual ~ColourPicker() = default;
  // A modal colour dialog with alpha; nothing when it was cancelled.
  virtual std::optional<QColor> pick(const QColor& initial, const QString& title) = 0;
};

// QColorDialog with its alpha channel shown.
class QtColourPicker final : public ColourPicker {
 public:
  void setOwner(QWidget* owner) { owner_ = owner; }
  std::optional<QColor> pick(const QColor& initial, const QString& title) override;

 private:
  QPointer<QWidget> owner_;
};

// Entry `entry` (0-255) of a complete palette: 1024 bytes, alpha, red,
// green, blue per entry.
QColor paletteEntry(const pt::Bytes& palette, int entry);
void setPaletteEntry(pt::Bytes& palette, int entry, const QColor& colour);

}  // namespace varnholt
