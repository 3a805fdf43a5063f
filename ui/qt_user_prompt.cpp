#include "ui/qt_user_prompt.h"

#include <QMessageBox>
#include <QPushButton>

namespace varnholt {

namespace {
int run(QWidget* owner, QMessageBox::Icon icon, const std::string& caption, const std::string& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), buttons, owner);
  box.setDefaultButton(defaultButton);
  return box.exec();
}
}  // namespace

bool QtUserPrompt::askYesNo(const std::string& title, const std::string& text) {
  return run(owner_, QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No,
             QMessageBox::Yes) == QMessageBox::Yes;
}

void QtUserPrompt::showError(const std::string& caption, const std::string& text) {
  run(owner_, QMessageBox::Critical, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtUserPrompt::showInfo(const std::string& caption, const std::string& text) {
  run(owner_, QMessageBox::NoIcon, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

pt::SaveChoice QtUserPrompt::askSaveChanges(const std::string& fileName) {
  const std::string text = "The changes to " + fileName + " have not been saved.";
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(pt::kAppTitle), QString::fromStdString(text),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, owner_);
  box.setInformativeText("Save them before they are lost?");
  box.setDefaultButton(QMessageBox::Save);
  switch (box.exec()) {
    case QMessageBox::Save:
      return pt::SaveChoice::Save;
    case QMessageBox::Discard:
      return pt::SaveChoice::Discard;
    default:
      return pt::SaveChoice::Cancel;
  }
}

pt::ChangedChoice QtUserPrompt::askOverwriteChanged(const std::string& fileName) {
  const std::string text = fileName + " was changed by another program since it was opened or saved here.";
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(pt::kAppTitle), QString::fromStdString(text),
                  QMessageBox::Cancel, owner_);
  box.setInformativeText("Overwrite those changes with this container, or save it under another name?");
  QPushButton* overwrite = box.addButton("Overwrite", QMessageBox::DestructiveRole);
  QPushButton* elsewhere = box.addButton("Save elsewhere…", QMessageBox::AcceptRole);
  box.setDefaultButton(elsewhere);
  box.exec();
  if (box.clickedButton() == overwrite) return pt::ChangedChoice::Overwrite;
  if (box.clickedButton() == elsewhere) return pt::ChangedChoice::SaveElsewhere;
  return pt::ChangedChoice::Cancel;
}

}  // namespace varnholt
