#pragma once
// Message boxes on a terminal: the overwrite question is answered by
// --force; the reasons of refusals come back as values and are printed by
// the commands after their own line.
#include <iostream>

#include "common/user_prompt.h"

namespace pt::cli {

class CliPrompt final : public UserPrompt {
 public:
  explicit CliPrompt(bool force) : force_(force) {}
  bool askYesNo(const std::string&, const std::string&) override { return force_; }
  void showError(const std::string& caption, const std::string& text) override {
    std::cerr << caption << ": " << text << '\n';
  }
  void showInfo(const std::string&, const std::string& text) override { std::cout << text << '\n'; }
  SaveChoice askSaveChanges(const std::string&) override { return SaveChoice::Discard; }

 private:
  bool force_;
};

}  // namespace pt::cli
