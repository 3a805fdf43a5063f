#include "ui/ex_dialog.h"

#include <algorithm>

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace varnholt {

ExDialog::ExDialog(Answer& answer, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      answer_(answer) {
  setObjectName("ExDialog");
  setWindowTitle("Export as...");
  setModal(false);
  OKButton = new QPushButton("OK", this);
  CancelButton = new QPushButton("Cancel", this);
  Option1 = new QRadioButton("raw data (*.tex)", this);
  Option2 = new QRadioButton("windows 8-bit bitmap with alpha, 256 colours (*.bmp)", this);
  Option3 = new QRadioButton("PNG with alpha, 256 colours (*.png)", this);
  OKButton->setObjectName("OKButton");
  CancelButton->setObjectName("CancelButton");
  Option1->setObjectName("Option1");
  Option2->setObjectName("Option2");
  Option3->setObjectName("Option3");

  // Enter and Escape choose nothing here; only a click or Space does.
  for (QPushButton* b : {OKButton, CancelButton}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  Option2->setChecked(true);
  layOut();

  setTabOrder(OKButton, CancelButton);
  setTabOrder(CancelButton, Option1);
  setTabOrder(Option1, Option2);
  setTabOrder(Option2, Option3);

  connect(OKButton, &QPushButton::clicked, this, &ExDialog::OKButton_Click);
  connect(CancelButton, &QPushButton::clicked, this, &ExDialog::CancelButton_Click);
  connect(Option1, &QRadioButton::clicked, this, &ExDialog::Option1_Click);
  connect(Option2, &QRadioButton::clicked, this, &ExDialog::Option2_Click);
  connect(Option3, &QRadioButton::clicked, this, &ExDialog::Option3_Click);

  // Load handler.
  if (owner) setWindowIcon(owner->windowIcon());
  Modus = 0;
}

// The designed window is 285 x 111 pixels, one option row (32 pixels)
// taller for PNG. It widens for captions that the system font makes longer,
// up to kMaxWidth; beyond that the dialog's font shrinks until they fit.
void ExDialog::layOut() {
  constexpr int kMaxWidth = 480;
  const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, Option2) +
                        style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, Option2) + 4;
  const auto widest = [&](const QFont& font) {
    const QFontMetrics m(font);
    int w = 0;
    for (QRadioButton* o : {Option1, Option2, Option3})
      w = std::max(w, m.horizontalAdvance(o->text()) + indicator);
    return w;
  };
  QFont f = font();
  while (widest(f) > kMaxWidth - 12 && f.pointSizeF() > 6.0) f.setPointSizeF(f.pointSizeF() - 0.5);
  setFont(f);
  const int optionWidth = std::clamp(widest(f), 273, kMaxWidth - 12);
  const int width = optionWidth + 12;
  setFixedSize(width, 143);
  Option1->setGeometry(8, 0, optionWidth + 8, 33);
  Option2->setGeometry(8, 32, optionWidth, 33);
  Option3->setGeometry(8, 64, optionWidth, 33);
  OKButton->setGeometry(24, 104, 81, 25);
  CancelButton->setGeometry(width - 109, 104, 81, 25);
}

void ExDialog::SetMode(std::uint8_t m) {
  Modus = m;
  if (m == 0)
    setWindowTitle("Export as...");
  else if (m == 1)
    setWindowTitle("Import from...");
}

// The options exclude each other also where the toolkit would not group them.
void ExDialog::Option1_Click() {
  if (!Option1->isChecked()) return;
  Option2->setChecked(false);
  Option3->setChecked(false);
}

void ExDialog::Option2_Click() {
  if (!Option2->isChecked()) return;
  Option1->setChecked(false);
  Option3->setChecked(false);
}

void ExDialog::Option3_Click() {
  if (!Option3->isChecked()) return;
  Option1->setChecked(false);
  Option2->setChecked(false);
}

void ExDialog::OKButton_Click() {
  const bool raw = Option1->isChecked();
  const bool bitmap = Option2->isChecked();
  const bool png = Option3->isChecked();
  if (raw) answer_ = pt::SlotFileFormat::Tex;
  if (bitmap) answer_ = pt::SlotFileFormat::Bmp;
  if (png) answer_ = pt::SlotFileFormat::Png;
  if (raw || bitmap || png) Q_EMIT answered();
}

void ExDialog::CancelButton_Click() { close(); }

void ExDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->ignore();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void ExDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  OKButton->setFocus(Qt::OtherFocusReason);
}

}  // namespace varnholt
