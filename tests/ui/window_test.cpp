// The real main window: start-up, what the 3,000-step run does not reach
// (dialog settings, Save before Open, About, closing while a command waits),
// and faults once seen.
#include <gtest/gtest.h>

#include <QDate>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include "tests/ui/ui_test_support.h"
#include "ui/startup.h"

namespace varnholt::test {
namespace {

class Form1Test : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    makeWindow();
  }
  std::vector<bool> containerCommandsEnabled() const {
    return {form->Command1->isEnabled(), form->cbEx->isEnabled(), form->Command2->isEnabled(), form->frmRes->isEnabled()};
  }
};

TEST_F(Form1Test, StartsWithOneLogLineAndOnlyOpenSaveAndTheMenus) {
  const QString today = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
  EXPECT_TRUE(form->logText().startsWith(today + "-") && form->logText().endsWith(": Loading bitmap header\r\n") &&
              form->logText().count("\r\n") == 1) << form->logText().toStdString();
  EXPECT_EQ(form->windowTitle(), "Brennick Varnholt");
  EXPECT_TRUE(form->cbOpen->isEnabled() && form->mnuSave->isEnabled());
  EXPECT_EQ(containerCommandsEnabled(), std::vector<bool>(4, false));

  // Save with nothing open refuses without writing; a bad file enables nothing.
  const QString target = q(files / "early.pt");
  cd.answers = {target};
  form->mnuSave->trigger();
  EXPECT_EQ(lastMessage(), "Save not completed of " + target);
  EXPECT_FALSE(std::filesystem::exists(p(target)));
  pt::test::writeAllBytes(files / "bad.pt", pt::Bytes(pt::kFileSize, 'Z'));
  openThroughDialog(q(files / "bad.pt"));
  EXPECT_EQ(lastMessage(), "Open failed of " + q(files / "bad.pt"));
  EXPECT_EQ(containerCommandsEnabled(), std::vector<bool>(4, false));

  const QString good = writeSample("good.pt");
  openThroughDialog(good);
  EXPECT_EQ(containerCommandsEnabled(), std::vector<bool>(4, true));
  EXPECT_EQ(form->Text1->text(), good);
  EXPECT_EQ(form->windowTitle(), "good.pt[*] \u2014 Brennick Varnholt");
  const ShownDialog& open = cd.shown.back();
  EXPECT_EQ(QStringList({open.title, open.filter, open.defaultExt}), QStringList({"Open Paint Tool file", "*.pt|*.pt", "pt"}));
}

TEST_F(Form1Test, AboutShowsThreeLines) {
  form->mnuAbout->trigger();
  ASSERT_EQ(prompt.infos.size(), 1u);
  const QStringList lines = QString::fromStdString(prompt.infos[0].title + "\r\n" + prompt.infos[0].text).split("\r\n");
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[0] == "Varnholt" && lines[1].startsWith("ui_tests by ") &&
              lines[1].endsWith(" version 0.1.4 in december 2009")) << lines[1].toStdString();
}

// Export and import dialogs: their settings, and the folder of the container.
TEST_F(Form1Test, SlotDialogsNameTheSlotAndFormatAndStartInTheContainersFolder) {
  openThroughDialog(writeSample("s.pt"));
  clickRow(6);
  const std::pair<int, const char*> formats[] = {{2, "bmp"}, {1, "tex"}, {3, "png"}};  // the format dialog's OptionN
  for (const bool exportIt : {true, false})
    for (const auto& [option, ext] : formats) {
      whenFormatDialogUp(*form, [this, option = option](ExDialog& d) {
        if (option != 2) (option == 1 ? d.Option1 : d.Option3)->click();
        d.OKButton->click();
        EXPECT_EQ(form->ExDialog_Return, option - 1);
      });
      cd.answers = {""};
      exportIt ? form->cbEx_Click() : form->Command2_Click();
      const ShownDialog& shown = cd.shown.back();
      EXPECT_EQ(QStringList({shown.title, shown.filter, shown.defaultExt, shown.directory}),
                QStringList({exportIt ? "Extract slot 6" : "Import into slot 6 from...", QString("*.%1|*.%1").arg(ext), ext,
                             q(files.path())}));
      EXPECT_EQ(shown.save, exportIt);
    }
  // A format dialog closed without an answer shows no file dialog.
  const std::size_t dialogs = cd.shown.size();
  whenFormatDialogUp(*form, [](ExDialog& d) { d.CancelButton->click(); });
  form->cbEx_Click();
  EXPECT_EQ(cd.shown.size(), dialogs);
}

// The format dialog takes only a click (or Space) on OK as an answer.
TEST_F(Form1Test, FormatDialogAnswersOnlyWithOkAndStaysUp) {
  openThroughDialog(writeSample("s.pt"));
  whenFormatDialogUp(*form, [this](ExDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Import from...");
    QSignalSpy answered(&d, &ExDialog::answered);
    QTest::keyClick(d.OKButton, Qt::Key_Escape);
    QTest::keyClick(d.OKButton, Qt::Key_Return);
    EXPECT_EQ(answered.count(), 0);
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    EXPECT_EQ(answered.count(), 1);
  });
  cd.answers = {""};
  form->Command2_Click();
  EXPECT_EQ(cd.shown.back().title, "Import into slot 0 from...");
}

TEST_F(Form1Test, ClosingWhileTheFormatDialogWaitsEndsTheCommand) {
  openThroughDialog(writeSample("s.pt"));
  const std::size_t dialogs = cd.shown.size();
  whenFormatDialogUp(*form, [this](ExDialog&) {
    EXPECT_FALSE(form->cbEx->isEnabled() || form->Command2->isEnabled());
    form->mnuExit->trigger();
  });
  form->Command2_Click();
  EXPECT_EQ(cd.shown.size(), dialogs);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->exDialog(), nullptr);
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible());
}

// Once filled, the list keeps one row selected whatever is clicked.
TEST_F(Form1Test, ClicksInEmptySpaceOrWithCtrlKeepTheSelection) {
  openThroughDialog(writeSample("s.pt"));
  clickRow(3);
  QWidget* viewport = form->lv->viewport();
  QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, viewport->height() - 3));
  EXPECT_EQ(form->lv->selectedPosition(), 4);
  const QRect row = form->lv->visualItemRect(form->lv->topLevelItem(3));
  QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, row.center());
  EXPECT_EQ(form->lv->selectedPosition(), 4);
  form->Command4_Click();
  EXPECT_EQ(lastMessage(), "Creating alpha (transparency) indication in grey scale of slot 3");
}

TEST_F(Form1Test, PreviewFileThatCannotBeWrittenIsLoggedWithoutACreatedLine) {
  ScratchDir cache;
  pt::test::writeAllBytes(cache / "file", pt::Bytes{1});
  qputenv("XDG_CACHE_HOME", q(cache.path() / "file" / "cache").toUtf8());
  ScratchDir folder;
  makeWindow(q(folder.path()));
  openThroughDialog(writeSample("s.pt"));
  std::filesystem::remove_all(folder.path());
  pt::test::writeAllBytes(folder.path(), pt::Bytes{1});  // the folder's name is now a file
  clickRow(2);
  qunsetenv("XDG_CACHE_HOME");
  EXPECT_EQ(lastMessage(), "Preview of slot 2 not written: Not a directory");
  EXPECT_EQ(shownPicture().size(), QSize(128, 128));  // drawn from memory all the same
  std::filesystem::remove(folder.path());
  std::filesystem::create_directory(folder.path());
}

// The program itself, and the header template it needs beside it.
TEST(Program, AnswersHelpAndVersionAndRefusesTwoContainers) {
  ScratchDir empty;
  ScriptedPrompt prompt;
  EXPECT_FALSE(loadProgramHeader(q(empty.path()), prompt).has_value());
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_NE((prompt.errors[0].title + prompt.errors[0].text).find("VarnholtNo such file or directory"), std::string::npos);
  const std::string run = "QT_QPA_PLATFORM=offscreen timeout 20 " + pt::test::shellQuote(VARNHOLT_APP);
  const auto version = pt::test::runCommand(run + " --version"), help = pt::test::runCommand(run + " --help");
  EXPECT_TRUE(version.status == 0 && version.out.find("0.1.4") != std::string::npos) << version.out;
  EXPECT_TRUE(help.status == 0 && help.out.find("CONTAINER.pt") != std::string::npos) << help.out;
  EXPECT_EQ(pt::test::runCommand(run + " a.pt b.pt").status, 2);
  EXPECT_EQ(pt::test::runCommand(run + " --frobnicate").status, 2);
}

}  // namespace
}  // namespace varnholt::test
