#pragma once
#include <QPointer>
#include <QWidget>

#include "ui/file_dialog.h"

namespace varnholt {

// FileDialog shown as a QFileDialog. It never asks about overwriting: the
// program's file routines ask their own question.
class QtFileDialog final : public FileDialog {
 public:
  void setOwner(QWidget* owner) { owner_ = owner; }
  // Qt's own dialog instead of the platform's, which tests can drive.
  void setNonNative(bool on) { nonNative_ = on; }

 protected:
  QString runOpen() override;
  QString runSave() override;

 private:
  QString run(bool save);

  QPointer<QWidget> owner_;
  QString lastFolder_;
  bool nonNative_ = false;
};

}  // namespace varnholt
