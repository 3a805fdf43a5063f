#pragma once
// File > Import options: what imports do with a file's palette, alpha and
// row order, and whether they dither; kept between runs (QSettings). Every
// import (one slot, all slots, a drop) asks it.
#include <QMenu>

#include "options/import_options.h"

class QActionGroup;

namespace varnholt {

class ImportOptionsMenu final : public QMenu {
  Q_OBJECT
 public:
  explicit ImportOptionsMenu(QWidget* parent = nullptr);

  pt::ImportOptions options() const;

 private:
  void save() const;

  QActionGroup* palette_;
  QActionGroup* alpha_;
  QActionGroup* rows_;
  QAction* dither_;
};

}  // namespace varnholt
