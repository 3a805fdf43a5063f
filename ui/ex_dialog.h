#pragma once
// The small window that asks in which format a slot is exported or imported.
// It is shown without blocking the main window; its OK button writes the
// answer, a slot file format, into the place it was given and
// signals it.
#include <QDialog>
#include <cstdint>
#include <optional>

#include "exchange/slot_files.h"

class QPushButton;
class QRadioButton;

namespace varnholt {

class ExDialog final : public QDialog {
  Q_OBJECT
 public:
  // `answer` is the main window's ExDialog_Return; `owner` lends its icon.
  using Answer = std::optional<pt::SlotFileFormat>;  // empty: no answer yet
  ExDialog(Answer& answer, QWidget* owner);

  // 0 export, 1 import; other values are stored and leave the caption alone.
  void SetMode(std::uint8_t m);
  std::uint8_t Modus = 0;

  QPushButton* OKButton;
  QPushButton* CancelButton;
  QRadioButton* Option1;
  QRadioButton* Option2;
  QRadioButton* Option3;

  void OKButton_Click();
  void CancelButton_Click();
  void Option1_Click();
  void Option2_Click();
  void Option3_Click();

 Q_SIGNALS:
  void answered();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void layOut();

  Answer& answer_;
};

}  // namespace varnholt
