#pragma once
// File > Import options: what imports do with a file's palette and alpha,
// kept for the session. Every import (one slot, all slots, a drop) asks it.
#include <QMenu>

#include "options/import_options.h"

namespace varnholt {

class ImportOptionsMenu final : public QMenu {
  Q_OBJECT
 public:
  explicit ImportOptionsMenu(QWidget* parent = nullptr);

  pt::ImportOptions options() const;

 private:
  QAction* keepAlpha_;
  QAction* keepPalette_;
  QAction* dither_;
};

}  // namespace varnholt
