#pragma once
// Scripted dialogs, and a fixture that runs the real main window in scratch
// folders.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "tests/support/test_support.h"
#include "ui/file_dialog.h"
#include "ui/form1.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace varnholt::test {

using pt::test::ScratchDir;
using pt::test::ScriptedPrompt;

struct ShownDialog {
  bool save = false;
  QString title, filter, defaultExt, fileName, directory;  // the settings when it came up
};

class ScriptedFileDialog final : public FileDialog {
 public:
  std::deque<QString> answers;  // front first; "" or an empty script cancels
  std::vector<ShownDialog> shown;

 protected:
  QString runOpen() override { return answer(false); }
  QString runSave() override { return answer(true); }

 private:
  QString answer(bool save);
};

// The fixture's ScriptedPrompt plus scripted answers to the unsaved-changes
// question (Cancel when the script is empty).
class WindowPrompt final : public pt::UserPrompt {
 public:
  explicit WindowPrompt(ScriptedPrompt& inner) : inner_(inner) {}
  std::deque<pt::SaveChoice> saveChoices;
  std::vector<std::string> saveQuestions;

  bool askYesNo(const std::string& t, const std::string& s) override { return inner_.askYesNo(t, s); }
  void showError(const std::string& c, const std::string& s) override { inner_.showError(c, s); }
  void showInfo(const std::string& c, const std::string& s) override { inner_.showInfo(c, s); }
  pt::SaveChoice askSaveChanges(const std::string& fileName) override;

 private:
  ScriptedPrompt& inner_;
};

QString q(const std::filesystem::path& p);
std::filesystem::path p(const QString& s);

// The messages of the log, time stamps removed.
std::vector<QString> logMessages(const QString& log);

// Runs `action` on the format dialog once a command has put it up and waits
// for it. If the dialog is still up a few seconds later it is closed and the
// test fails, so that a broken wait cannot hang the suite.
void whenFormatDialogUp(Form1& form, std::function<void(ExDialog&)> action);

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes a window over `programFolder` (default: the fixture's own).
  void makeWindow(const QString& programFolder = {});
  // Writes the sample container (optionally changed) and opens it.
  QString writeSample(const std::string& name, const std::function<void(pt::PtFile&)>& change = {});
  void openThroughDialog(const QString& path);
  void clickRow(int row);  // 0-based, a real mouse click on the list
  QImage shownPicture() const;
  QString lastMessage() const;

  ScratchDir files{pt::test::Medium::Memory};    // containers and slot files
  ScratchDir program{pt::test::Medium::Memory};  // the program's folder, with bmp_header.bin
  ScriptedFileDialog cd;
  ScriptedPrompt prompt;
  WindowPrompt windowPrompt{prompt};
  pt::BmpHeader header{};
  std::unique_ptr<Form1> form;
};

}  // namespace varnholt::test
