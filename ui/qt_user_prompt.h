#pragma once
#include <QPointer>
#include <QWidget>

#include "common/user_prompt.h"

namespace varnholt {

// UserPrompt with Qt message boxes, modal to the owner window.
class QtUserPrompt final : public pt::UserPrompt {
 public:
  void setOwner(QWidget* owner) { owner_ = owner; }

  bool askYesNo(const std::string& title, const std::string& text) override;
  void showError(const std::string& caption, const std::string& text) override;
  void showInfo(const std::string& caption, const std::string& text) override;
  pt::SaveChoice askSaveChanges(const std::string& fileName) override;
  pt::ChangedChoice askOverwriteChanged(const std::string& fileName) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace varnholt
