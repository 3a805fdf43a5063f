#pragma once
// The message boxes a file routine may need, behind a port so that the
// window uses real message boxes and tests and the command line their own.
#include <string>

namespace pt {

inline constexpr const char* kAppTitle = "Varnholt";

// Answer to "save the changes before they are lost?".
enum class SaveChoice { Save, Discard, Cancel };

// Answer to "the file changed on disk since it was opened or saved".
enum class ChangedChoice { Overwrite, SaveElsewhere, Cancel };

class UserPrompt {
 public:
  virtual ~UserPrompt() = default;
  // Yes/No question; true means Yes.
  virtual bool askYesNo(const std::string& title, const std::string& text) = 0;
  // An error with an OK button.
  virtual void showError(const std::string& caption, const std::string& text) = 0;
  // Information with an OK button.
  virtual void showInfo(const std::string& caption, const std::string& text) = 0;
  // Asked before unsaved changes to `fileName` would be lost. A prompt that
  // cannot ask keeps them (Cancel).
  virtual SaveChoice askSaveChanges(const std::string& /*fileName*/) { return SaveChoice::Cancel; }
  // Asked before Save replaces `fileName`, which another program changed
  // since it was opened or last saved. A prompt that cannot ask keeps the
  // file (Cancel).
  virtual ChangedChoice askOverwriteChanged(const std::string& /*fileName*/) { return ChangedChoice::Cancel; }
};

}  // namespace pt
