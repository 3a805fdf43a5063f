// The Qt file dialog and message boxes behind the window's dialog ports,
// driven as a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "tests/ui/ui_test_support.h"
#include "ui/qt_file_dialog.h"
#include "ui/qt_user_prompt.h"

namespace varnholt::test {
namespace {

// Runs `action` on the modal dialog once it is up; closes what is left.
template <class Dialog>
void whenModalUp(std::function<void(Dialog&)> action) {
  QTimer::singleShot(0, [action] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (!dialog) return ADD_FAILURE() << "no dialog is up";
    action(*dialog);
    if (dialog->isVisible()) {
      ADD_FAILURE() << "the dialog is still up";
      dialog->reject();
    }
  });
}

TEST(RealDialogs, OpenLetsAMissingNameReachTheReader) {
  ScratchDir dir, program;
  std::filesystem::copy_file(VARNHOLT_BMP_HEADER, program / pt::kBmpHeaderFileName);
  QtFileDialog cd;
  cd.setNonNative(true);
  cd.setDirectory(q(dir.path()));
  ScriptedPrompt prompt;
  Form1 form(cd, prompt, q(program.path()), pt::test::shippedBmpHeader());
  whenModalUp<QFileDialog>([](QFileDialog& d) {
    ASSERT_EQ(d.fileMode(), QFileDialog::AnyFile);  // else a missing name never gets through
    EXPECT_EQ(d.windowTitle(), "Open Paint Tool file");
    EXPECT_EQ(d.nameFilters(), QStringList({"*.pt"}));
    EXPECT_EQ(d.defaultSuffix(), "pt");
    EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
    auto* name = d.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    QTest::keyClicks(name, "missing");
    QTest::keyClick(name, Qt::Key_Return);
  });
  form.cbOpen_Click();
  const QString path = q(dir / "missing.pt");
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0].title, "Varnholt");
  EXPECT_NE(prompt.errors[0].text.find("No such file or directory"), std::string::npos) << prompt.errors[0].text;
  const auto messages = logMessages(form.logText());
  EXPECT_EQ(messages.end()[-2], "Open failed of " + path);
  EXPECT_EQ(messages.back(), "No such file or directory.");
}

// Export all into a folder typed in the chooser that does not exist yet;
// again into it, one question names the files there.
TEST(RealDialogs, ExportAllMakesATypedNewFolderAndNamesTheFilesThatExist) {
  settings::open().clear();  // no folder remembered from an earlier test
  ScratchDir dir, program;
  std::filesystem::copy_file(VARNHOLT_BMP_HEADER, program / pt::kBmpHeaderFileName);
  pt::test::writeAllBytes(dir / "s.pt", pt::makeSampleContainer());
  QtFileDialog cd;
  cd.setNonNative(true);
  ScriptedPrompt prompt;
  Form1 form(cd, prompt, q(program.path()), pt::test::shippedBmpHeader());
  form.openFile(q(dir / "s.pt"));
  // Qt's own refusal of a missing folder is a message box: closed, it fails the test.
  QTimer::singleShot(3000, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->close();
  });
  whenModalUp<QFileDialog>([](QFileDialog& d) {
    auto* name = d.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    QTest::keyClicks(name, "new");
    QTest::keyClick(name, Qt::Key_Return);
  });
  form.exportAllSlots();
  EXPECT_EQ(logMessages(form.logText()).back(), "Exported 17 slots to " + q(dir / "new"));
  whenModalUp<QFileDialog>([](QFileDialog& d) { QTest::keyClick(d.findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return); });
  form.exportAllSlots();
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.questions[0].text, "18 of the 18 files to write exist already in " + (dir / "new").string() +
                                          ":\nslot00.png, slot01.png, slot02.png, slot04.png, slot05.png and 13 more\nOverwrite them?");
}

TEST(RealDialogs, MessageBoxesAnswerWithTheClickedButton) {
  QtUserPrompt prompt;
  whenModalUp<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.windowTitle(), "File");
    box.button(QMessageBox::No)->click();
  });
  EXPECT_FALSE(prompt.askYesNo("File", "File exists. Overwrite?"));
  // The file changed on disk: its buttons by their captions.
  const std::pair<const char*, pt::ChangedChoice> changed[] = {
      {"Overwrite", pt::ChangedChoice::Overwrite}, {"Save elsewhere…", pt::ChangedChoice::SaveElsewhere}, {"Cancel", pt::ChangedChoice::Cancel}};
  for (const auto& [caption, choice] : changed) {
    whenModalUp<QMessageBox>([caption = QString(caption)](QMessageBox& box) {
      EXPECT_TRUE(box.text().startsWith("a.pt was changed by another program")) << box.text().toStdString();
      for (QAbstractButton* b : box.buttons())
        if (b->text() == caption) return b->click();
    });
    EXPECT_EQ(prompt.askOverwriteChanged("a.pt"), choice);
  }
}

}  // namespace
}  // namespace varnholt::test
