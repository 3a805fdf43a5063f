#pragma once
// A file dialog that answers from a script, and a fixture that runs the real
// main window on a sample container in scratch folders.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <deque>
#include <functional>
#include <ostream>
#include <memory>
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
  QString title;
  QString filter;
  QString defaultExt;
  QString fileName;  // the setting when the dialog came up
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

QString q(const std::filesystem::path& p);
std::filesystem::path p(const QString& s);

// The messages of the log, time stamps removed.
std::vector<QString> logMessages(const QString& log);

// Pixel of a slot's picture at (x, y), as the palette gives it (normal view)
// or as its grey alpha level; `data` is the slot's full pixel data.
QRgb slotColour(const pt::PtSlot& slot, const pt::Bytes& data, int x, int y, int side,
                bool alphaView);

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
  std::size_t messageCount() const;

  ScratchDir files{pt::test::Medium::Memory};    // containers and slot files
  ScratchDir program{pt::test::Medium::Memory};  // the program's folder, with bmp_header.bin
  ScriptedFileDialog cd;
  ScriptedPrompt prompt;
  pt::BmpHeader header{};
  std::unique_ptr<Form1> form;
};

}  // namespace varnholt::test
