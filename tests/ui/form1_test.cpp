// Start-up, the log, Open, Save, About and Exit of the real main window.
#include <gtest/gtest.h>

#include <QAction>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTime>

#include "container/pt_writer.h"
#include "sample/sample_container.h"
#include "tests/ui/ui_test_support.h"
#include "ui/slot_list.h"
#include "ui/startup.h"

namespace varnholt::test {
namespace {

using pt::test::readAll;
using pt::test::writeAllBytes;

class Form1Test : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    makeWindow();
  }

  void expectContainerCommands(bool enabled) {
    EXPECT_EQ(form->Command1->isEnabled(), enabled);
    EXPECT_EQ(form->cbEx->isEnabled(), enabled);
    EXPECT_EQ(form->Command2->isEnabled(), enabled);
    EXPECT_EQ(form->frmRes->isEnabled(), enabled);
    EXPECT_EQ(form->Command3->isEnabled(), enabled);
    EXPECT_EQ(form->Command4->isEnabled(), enabled);
    EXPECT_EQ(form->highres->isEnabled(), enabled);
    EXPECT_EQ(form->lowres->isEnabled(), enabled);
  }
};

TEST_F(Form1Test, StartUpLogsOneTimeStampedLine) {
  const QString log = form->logText();
  const QString today = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
  ASSERT_TRUE(log.startsWith(today + "-")) << log.toStdString();
  ASSERT_TRUE(log.endsWith(": Loading bitmap header\r\n")) << log.toStdString();
  EXPECT_EQ(log.count("\r\n"), 1);

  // The time between date and message carries hours, minutes and seconds,
  // and is the time of day now.
  const QString time = log.mid(today.size() + 1, log.indexOf(": Loading") - today.size() - 1);
  const QRegularExpression parts("(\\d{1,2})\\D+(\\d{2})\\D+(\\d{2})");
  const auto m = parts.match(time);
  ASSERT_TRUE(m.hasMatch()) << time.toStdString();
  int hour = m.captured(1).toInt();
  if (time.contains("PM", Qt::CaseInsensitive) && hour < 12) hour += 12;
  if (time.contains("AM", Qt::CaseInsensitive) && hour == 12) hour = 0;
  const QTime stamped(hour, m.captured(2).toInt(), m.captured(3).toInt());
  ASSERT_TRUE(stamped.isValid());
  const int drift = std::abs(stamped.secsTo(QTime::currentTime()));
  EXPECT_TRUE(drift <= 5 || drift >= 86395) << time.toStdString();
}

TEST_F(Form1Test, StartsWithOnlyOpenAndTheMenuUsable) {
  EXPECT_EQ(form->windowTitle(), "Brennick Varnholt");
  EXPECT_TRUE(form->cbOpen->isEnabled());
  expectContainerCommands(false);
  for (QAction* a : {form->mnuOpen, form->mnuSave, form->mnuExit, form->mnuAbout})
    EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
  EXPECT_FALSE(form->highres->isChecked());
  EXPECT_FALSE(form->lowres->isChecked());
  EXPECT_TRUE(form->Text1->text().isEmpty());
  EXPECT_EQ(form->lv->topLevelItemCount(), 0);
  EXPECT_TRUE(form->p1->pixmap().isNull());
}

TEST_F(Form1Test, LayoutFollowsTheDesign) {
  auto at = [&](QWidget* w) { return w->mapTo(form.get(), QPoint(0, 0)); };
  auto rect = [&](QWidget* w) { return QRect(at(w), w->size()); };
  // Buttons left to right, with a wider gap between the save and export buttons.
  const QRect open = rect(form->cbOpen), save = rect(form->Command1), ex = rect(form->cbEx),
              im = rect(form->Command2);
  EXPECT_LT(open.right(), save.left());
  EXPECT_LT(save.right(), ex.left());
  EXPECT_LT(ex.right(), im.left());
  EXPECT_GT(ex.left() - save.right(), 2 * (save.left() - open.right()));
  EXPECT_EQ(open.top(), im.top());
  // The file name across the window under the buttons, the content below it.
  EXPECT_GT(rect(form->Text1).top(), rect(form->Options).bottom());
  EXPECT_GT(rect(form->Frame1).top(), rect(form->Text1).bottom());
  EXPECT_GE(form->Text1->width(), form->Frame1->width() - 2);
  // List on the left, preview at the top right, resolution frame under it,
  // log across the bottom.
  const QRect list = rect(form->lv), pic = rect(form->p1), res = rect(form->frmRes),
              log = rect(form->tlog);
  EXPECT_LT(list.right(), pic.left());
  EXPECT_LE(pic.top(), list.top() + 2);
  EXPECT_GT(res.top(), pic.bottom());
  EXPECT_LT(list.right(), res.left());
  EXPECT_GT(log.top(), list.bottom());
  EXPECT_GT(log.top(), res.bottom());
  EXPECT_LE(log.left(), list.left());
  EXPECT_GE(log.right(), res.right());
  EXPECT_EQ(form->p1->contentsRect().size(), QSize(257, 257));
  // In the resolution frame: 128x128 above 256x256, the buttons beside them.
  EXPECT_LT(rect(form->lowres).bottom(), rect(form->highres).top());
  EXPECT_LT(rect(form->lowres).right(), rect(form->Command3).left());
  EXPECT_LT(rect(form->highres).right(), rect(form->Command4).left());
  EXPECT_LT(rect(form->Command3).bottom(), rect(form->Command4).top());
}

TEST_F(Form1Test, OpenLogsOneLineAndEnablesTheContainerCommands) {
  const QString path = writeSample("sample.pt");
  cd.setFileName("left over.pt");
  const std::size_t before = messageCount();
  openThroughDialog(path);

  ASSERT_EQ(cd.shown.size(), 1u);
  EXPECT_FALSE(cd.shown[0].save);
  EXPECT_EQ(cd.shown[0].title, "Open Paint Tool file");
  EXPECT_EQ(cd.shown[0].filter, "*.pt|*.pt");
  EXPECT_EQ(cd.shown[0].defaultExt, "pt");
  EXPECT_EQ(cd.shown[0].fileName, "left over.pt");  // Open does not clear it

  EXPECT_EQ(messageCount(), before + 1);
  EXPECT_EQ(lastMessage(), "Opened : " + path);
  EXPECT_EQ(form->Text1->text(), path);
  expectContainerCommands(true);
  EXPECT_TRUE(prompt.errors.empty());
  EXPECT_EQ(pt::serializePtFile(form->container()), readAll(p(path)));
}

TEST_F(Form1Test, OpenOfAFileWithTheWrongMagicEnablesNothing) {
  pt::Bytes bytes = pt::makeSampleContainer();
  bytes[0] = 'X';
  writeAllBytes(files / "bad.pt", bytes);
  openThroughDialog(q(files / "bad.pt"));
  EXPECT_EQ(lastMessage(), "Open failed of " + q(files / "bad.pt"));
  EXPECT_TRUE(prompt.errors.empty());
  EXPECT_TRUE(form->Text1->text().isEmpty());
  EXPECT_EQ(form->lv->topLevelItemCount(), 0);
  expectContainerCommands(false);
}

TEST_F(Form1Test, FailedOpenAfterASuccessfulOneChangesNothing) {
  const QString good = writeSample("good.pt");
  openThroughDialog(good);
  writeAllBytes(files / "short.pt", pt::Bytes{'C', 'O', 'N', ' ', 1, 2, 3});
  const pt::Bytes before = pt::serializePtFile(form->container());
  const QString missing = q(files / "missing.pt");

  openThroughDialog(q(files / "short.pt"));
  EXPECT_EQ(lastMessage(), "Open failed of " + q(files / "short.pt"));
  ASSERT_EQ(prompt.errors.size(), 1u);  // the reader's own message: too short
  EXPECT_EQ(prompt.errors[0].title, "Varnholt");

  openThroughDialog(missing);
  EXPECT_EQ(lastMessage(), "Open failed of " + missing);
  ASSERT_EQ(prompt.errors.size(), 2u);
  EXPECT_EQ(prompt.errors[1].text, "No such file or directory");

  EXPECT_EQ(form->Text1->text(), good);
  expectContainerCommands(true);
  EXPECT_EQ(form->lv->topLevelItemCount(), 20);
  EXPECT_EQ(pt::serializePtFile(form->container()), before);
}

TEST_F(Form1Test, CancelledOpenDoesNothing) {
  const std::size_t before = messageCount();
  cd.answers.push_back("");
  form->cbOpen_Click();
  EXPECT_EQ(cd.shown.size(), 1u);
  EXPECT_EQ(messageCount(), before);
  expectContainerCommands(false);
}

TEST_F(Form1Test, MenuOpenAndTheRealButtonRunTheOpenCommand) {
  const QString a = writeSample("a.pt");
  const QString b = writeSample("b.pt", [](pt::PtFile& f) { pt::setSlotResolution(f.slots[0], true); });
  cd.answers = {a};
  form->mnuOpen->trigger();
  EXPECT_EQ(lastMessage(), "Opened : " + a);
  cd.answers = {b};
  QTest::mouseClick(form->cbOpen, Qt::LeftButton);
  EXPECT_EQ(lastMessage(), "Opened : " + b);
  ASSERT_EQ(cd.shown.size(), 2u);
  EXPECT_EQ(cd.shown[0].title, cd.shown[1].title);
  EXPECT_EQ(cd.shown[1].fileName, a);  // left by the first open
  EXPECT_EQ(form->Text1->text(), b);
}

TEST_F(Form1Test, TwoOpensLeaveTwentyRowsInFourColumns) {
  const QString a = writeSample("a.pt");
  const QString b = writeSample("b.pt", [](pt::PtFile& f) {
    pt::setSlotResolution(f.slots[0], true);
    pt::setSlotResolution(f.slots[2], false);
    f.slots[1].used = 0;
  });
  openThroughDialog(a);
  EXPECT_EQ(form->lv->topLevelItem(2)->text(2), "128");
  EXPECT_EQ(form->lv->topLevelItem(2)->text(3), "128");
  openThroughDialog(b);

  SlotList* lv = form->lv;
  ASSERT_EQ(lv->topLevelItemCount(), 20);
  ASSERT_EQ(lv->columnCount(), 4);
  const QTreeWidgetItem* headers = lv->headerItem();
  EXPECT_EQ(headers->text(0), "slot");
  EXPECT_EQ(headers->text(1), "used");
  EXPECT_EQ(headers->text(2), "width");
  EXPECT_EQ(headers->text(3), "heigth");
  const int quarter = lv->columnWidth(0);
  EXPECT_GT(quarter, 20);
  for (int c = 1; c < 4; ++c) EXPECT_EQ(lv->columnWidth(c), quarter);
  EXPECT_LE(4 * quarter, lv->viewport()->width());

  pt::PtFile expected = pt::makeSamplePtFile();
  pt::setSlotResolution(expected.slots[0], true);
  pt::setSlotResolution(expected.slots[2], false);
  expected.slots[1].used = 0;
  for (int row = 0; row < 20; ++row) {
    const QTreeWidgetItem* item = lv->topLevelItem(row);
    const pt::PtSlot& s = expected.slots[row];
    EXPECT_EQ(lv->key(row), "t" + QString::number(row));
    EXPECT_EQ(item->text(0), QString::number(row));
    EXPECT_EQ(item->text(1), QString::number(s.used));
    const bool low = pt::isLowRes(s.height);
    EXPECT_EQ(item->text(2), low ? "128" : "256") << row;
    EXPECT_EQ(item->text(3), low ? "128" : "256") << row;
  }
  EXPECT_EQ(lv->selectedPosition(), 1);
  // The program's own selection of row 1 logs no preview line.
  EXPECT_EQ(lastMessage(), "Opened : " + b);
  EXPECT_TRUE(form->lowres->isChecked());
  EXPECT_FALSE(form->highres->isChecked());
}

TEST_F(Form1Test, SaveWritesTheContainerAndAsksBeforeReplacing) {
  const QString source = writeSample("source.pt");
  openThroughDialog(source);
  const QString target = q(files / "copy.pt");
  cd.setFileName("something");
  cd.answers = {target};
  form->Command1_Click();
  ASSERT_EQ(cd.shown.size(), 2u);
  const ShownDialog& shown = cd.shown[1];
  EXPECT_TRUE(shown.save);
  EXPECT_EQ(shown.title, "Save .pt as...");
  EXPECT_EQ(shown.filter, "*.pt|*.pt");
  EXPECT_EQ(shown.defaultExt, "pt");
  EXPECT_EQ(shown.fileName, "");
  EXPECT_TRUE(prompt.questions.empty());
  EXPECT_EQ(lastMessage(), "Saved : " + target);
  EXPECT_EQ(readAll(p(target)), readAll(p(source)));

  // No keeps the file; Yes replaces a longer file completely.
  const pt::Bytes longer(pt::kFileSize + 5000, 0xEE);
  writeAllBytes(p(target), longer);
  prompt.answers = {false};
  cd.answers = {target};
  form->mnuSave->trigger();
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.questions[0].title, "File");
  EXPECT_EQ(prompt.questions[0].text, "File exists. Overwrite?");
  EXPECT_EQ(lastMessage(), "Save not completed of " + target);
  EXPECT_EQ(readAll(p(target)), longer);

  prompt.answers = {true};
  cd.answers = {target};
  QTest::mouseClick(form->Command1, Qt::LeftButton);
  EXPECT_EQ(prompt.questions.size(), 2u);
  EXPECT_EQ(lastMessage(), "Saved : " + target);
  EXPECT_EQ(readAll(p(target)), readAll(p(source)));

  // Over the very file that is open.
  prompt.answers = {true};
  cd.answers = {source};
  form->Command1_Click();
  EXPECT_EQ(lastMessage(), "Saved : " + source);
  EXPECT_EQ(readAll(p(source)), pt::makeSampleContainer());
}

TEST_F(Form1Test, SaveBeforeAnyOpenWritesNothing) {
  const QString target = q(files / "early.pt");
  cd.answers = {target};
  form->mnuSave->trigger();
  EXPECT_EQ(cd.shown.size(), 1u);
  EXPECT_EQ(lastMessage(), "Save not completed of " + target);
  EXPECT_FALSE(std::filesystem::exists(p(target)));
  EXPECT_TRUE(prompt.questions.empty());

  writeAllBytes(p(target), pt::Bytes{1, 2, 3});
  cd.answers = {target};
  form->Command1_Click();
  EXPECT_EQ(lastMessage(), "Save not completed of " + target);
  EXPECT_EQ(readAll(p(target)), (pt::Bytes{1, 2, 3}));
  EXPECT_EQ(files.entries().size(), 1u);
}

TEST_F(Form1Test, CancelledSaveWritesAndLogsNothing) {
  openThroughDialog(writeSample("a.pt"));
  const std::size_t before = messageCount();
  cd.answers = {""};
  form->Command1_Click();
  EXPECT_EQ(messageCount(), before);
  EXPECT_EQ(files.entries().size(), 1u);
}

TEST_F(Form1Test, AboutShowsThreeLines) {
  form->mnuAbout->trigger();
  ASSERT_EQ(prompt.infos.size(), 1u);
  EXPECT_EQ(prompt.infos[0].title, "Varnholt");
  const QStringList lines = QString::fromStdString(prompt.infos[0].text).split("\r\n");
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0].startsWith("ui_tests by ")) << lines[0].toStdString();
  EXPECT_TRUE(lines[0].endsWith(" version 0.1.4 in december 2009")) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].startsWith("http"));
  EXPECT_FALSE(lines[2].isEmpty());
  EXPECT_FALSE(QString::fromStdString(prompt.infos[0].text).contains('\n' + QString("\n")));
}

TEST_F(Form1Test, ExitClosesTheWindow) {
  ASSERT_TRUE(form->isVisible());
  form->mnuExit->trigger();
  EXPECT_FALSE(form->isVisible());
}

TEST_F(Form1Test, LogOnlyGrowsWithOneLineBreakPerLineAndKeepsTheNewestInView) {
  for (int i = 0; i < 60; ++i) form->logLine("line " + QString::number(i));
  const QString log = form->logText();
  EXPECT_TRUE(log.endsWith("line 59\r\n"));
  EXPECT_EQ(log.count("\r\n"), 61);
  EXPECT_FALSE(log.contains("\r\n\r\n"));
  EXPECT_EQ(log.count('\n'), 61);
  const auto messages = logMessages(log);
  ASSERT_EQ(messages.size(), 61u);
  EXPECT_EQ(messages[0], "Loading bitmap header");
  EXPECT_EQ(messages[31], "line 30");
  // What the log shows is that text, and the caret sits at its end.
  QString shown = log;
  shown.replace("\r\n", "\n");
  EXPECT_EQ(form->tlog->toPlainText(), shown);
  EXPECT_EQ(form->tlog->textCursor().position(), form->tlog->document()->characterCount() - 1);
  QScrollBar* bar = form->tlog->verticalScrollBar();
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
}

TEST(ProgramHeader, MissingOrInvalidTemplateIsReported) {
  ScratchDir dir;
  ScriptedPrompt prompt;
  EXPECT_FALSE(loadProgramHeader(q(dir.path()), prompt).has_value());
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0].title, "Varnholt");
  EXPECT_NE(prompt.errors[0].text.find("No such file or directory"), std::string::npos);

  pt::Bytes bad = readAll(VARNHOLT_BMP_HEADER);
  bad[28] = 24;  // 24 bits per pixel
  writeAllBytes(dir / pt::kBmpHeaderFileName, bad);
  EXPECT_FALSE(loadProgramHeader(q(dir.path()), prompt).has_value());
  EXPECT_EQ(prompt.errors.size(), 2u);

  std::filesystem::copy_file(VARNHOLT_BMP_HEADER, dir / "good" , std::filesystem::copy_options::none);
  std::filesystem::rename(dir / "good", dir / pt::kBmpHeaderFileName);
  const auto header = loadProgramHeader(q(dir.path()), prompt);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(pt::Bytes(header->begin(), header->end()), readAll(VARNHOLT_BMP_HEADER));
  EXPECT_EQ(prompt.errors.size(), 2u);
}

// The program itself: it starts, shows its window and ends when asked to.
TEST(Program, StartsWithAndWithoutAContainerAndRefusesMoreArguments) {
  ScratchDir dir;
  pt::test::writeAllBytes(dir / "s.pt", pt::makeSampleContainer());
  const std::string run = "QT_QPA_PLATFORM=offscreen VARNHOLT_EXIT_AFTER_SHOW=1 timeout 60 " +
                          pt::test::shellQuote(VARNHOLT_APP);
  EXPECT_EQ(pt::test::runCommand(run).status, 0);
  EXPECT_EQ(pt::test::runCommand(run + " " + pt::test::shellQuote((dir / "s.pt").string())).status, 0);
  const auto extra = pt::test::runCommand(run + " a.pt b.pt");
  EXPECT_EQ(extra.status, 2);
  EXPECT_NE(extra.err.find("usage"), std::string::npos);
}

}  // namespace
}  // namespace varnholt::test
