// The real main window: start-up, what the 3,000-step run does not reach
// (dialog settings, Save before Open, About, closing while a command waits,
// the preview's views, unsaved changes), and faults once seen.
#include <gtest/gtest.h>

#include <QDate>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QStatusBar>
#include <QWheelEvent>
#include <thread>

#include "tests/ui/ui_test_support.h"
#include "ui/startup.h"

namespace varnholt::test {
namespace {

using pt::SaveChoice;

class Form1Test : public WindowTest {
 protected:
  std::vector<bool> containerCommandsEnabled() const {
    return {child<QPushButton>("Command1")->isEnabled(), child<QPushButton>("cbEx")->isEnabled(), child<QPushButton>("Command2")->isEnabled(), child("frmRes")->isEnabled()};
  }
};

TEST_F(Form1Test, StartsWithOneLogLineAndOnlyOpenSaveAndTheMenus) {
  const QString today = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
  EXPECT_TRUE(form->logText().startsWith(today + "-")) << form->logText().toStdString();
  EXPECT_TRUE(form->logText().endsWith(": Loading bitmap header\r\n")) << form->logText().toStdString();
  EXPECT_EQ(form->logText().count("\r\n"), 1);
  EXPECT_EQ(form->windowTitle(), "Brennick Varnholt");
  EXPECT_TRUE(child<QPushButton>("cbOpen")->isEnabled());
  EXPECT_TRUE(action("mnuSave")->isEnabled());
  EXPECT_EQ(containerCommandsEnabled(), std::vector<bool>(4, false));
  // Save with nothing open refuses without writing; a bad file enables nothing.
  const QString target = q(files / "early.pt");
  cd.answers = {target};
  action("mnuSave")->trigger();
  EXPECT_EQ(lastTwo(), (std::vector<QString>{"Save not completed of " + target, "No container has been read completely, so none is saved."}));
  EXPECT_FALSE(std::filesystem::exists(p(target)));
  pt::test::writeAllBytes(files / "bad.pt", pt::Bytes(pt::kFileSize, 'Z'));
  openThroughDialog(q(files / "bad.pt"));
  EXPECT_EQ(lastTwo(), (std::vector<QString>{"Open failed of " + q(files / "bad.pt"), "Not a Paint Tool file: it does not start with \"CON \"."}));
  EXPECT_EQ(containerCommandsEnabled(), std::vector<bool>(4, false));
  const QString good = writeSample("good.pt");
  openThroughDialog(good);
  EXPECT_EQ(containerCommandsEnabled(), std::vector<bool>(4, true));
  EXPECT_EQ(child<QLineEdit>("Text1")->text(), good);
  EXPECT_EQ(form->windowTitle(), "good.pt[*] \u2014 Brennick Varnholt");
}

// Export and import dialogs: their settings, and the folder of the container.
TEST_F(Form1Test, SlotDialogsNameTheSlotAndFormatAndStartInTheContainersFolder) {
  openThroughDialog(writeSample("s.pt"));
  clickRow(6);
  using F = pt::SlotFileFormat;
  const std::tuple<int, const char*, F> formats[] = {{2, "bmp", F::Bmp}, {1, "tex", F::Tex}, {3, "png", F::Png}};  // the format dialog's OptionN
  for (const bool exportIt : {true, false})
    for (const auto& [option, ext, format] : formats) {
      whenFormatDialogUp(*form, [this, option = option, format = format](ExDialog& d) {
        if (option != 2) (option == 1 ? d.Option1 : d.Option3)->click();
        d.OKButton->click();
        EXPECT_EQ(form->ExDialog_Return, format);
      });
      cd.answers = {""};
      exportIt ? form->cbEx_Click() : form->Command2_Click();
      const ShownDialog& shown = cd.shown.back();
      EXPECT_EQ(shown.title, exportIt ? "Extract slot 6" : "Import into slot 6 from...");
      EXPECT_EQ(shown.filter, QString("*.%1|*.%1").arg(ext));
      EXPECT_EQ(shown.defaultExt, ext);
      EXPECT_EQ(shown.directory, q(files.path()));
      EXPECT_EQ(shown.save, exportIt);
    }
  // A format dialog closed without an answer shows no file dialog.
  const std::size_t dialogs = cd.shown.size();
  whenFormatDialogUp(*form, [](ExDialog& d) { d.CancelButton->click(); });
  form->cbEx_Click();
  EXPECT_EQ(cd.shown.size(), dialogs);
}

// Every format's failed export says why after its line; a kept file does not.
TEST_F(Form1Test, FailedExportsGiveTheirReasonInOneForm) {
  openThroughDialog(writeSample("s.pt"));
  clickRow(6);
  pt::test::writeAllBytes(files / "kept.png", pt::Bytes{1});
  const struct { int option; const char* target; std::vector<QString> lines; } cases[] = {
      {1, "missing/x.tex", {"Slot 6 not extracted", "Slot 6: No such file or directory."}},
      {2, "missing/x.bmp", {"Slot 6 not extracted", "Slot 6: No such file or directory."}},
      {3, "missing/x.png", {"Slot 6 not extracted", "Slot 6: No such file or directory."}},
      {3, "kept.png", {"Slot 6: No such file or directory.", "Slot 6 not extracted"}},
  };
  prompt.answers = {false};  // No to "File exists. Overwrite?"
  for (const auto& c : cases) {
    whenFormatDialogUp(*form, [option = c.option](ExDialog& d) {
      (option == 1 ? d.Option1 : option == 2 ? d.Option2 : d.Option3)->click();
      d.OKButton->click();
    });
    cd.answers = {q(files / c.target)};
    action("exportAction")->trigger();
    const auto messages = logMessages(form->logText());
    EXPECT_EQ(std::vector<QString>(messages.end() - 2, messages.end()), c.lines) << c.target;
  }
  EXPECT_EQ(pt::test::readAll(files / "kept.png"), pt::Bytes{1});
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
}

TEST_F(Form1Test, ClosingWhileTheFormatDialogWaitsEndsTheCommand) {
  openThroughDialog(writeSample("s.pt"));
  const std::size_t dialogs = cd.shown.size();
  whenFormatDialogUp(*form, [this](ExDialog&) {
    EXPECT_FALSE(child<QPushButton>("cbEx")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("Command2")->isEnabled());
    action("mnuExit")->trigger();
  });
  form->Command2_Click();
  EXPECT_EQ(cd.shown.size(), dialogs);
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible());
}

// Once filled, the list keeps one row selected whatever is clicked.
TEST_F(Form1Test, ClicksInEmptySpaceOrWithCtrlKeepTheSelection) {
  openThroughDialog(writeSample("s.pt"));
  clickRow(3);
  QWidget* viewport = lv()->viewport();
  QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, viewport->height() - 3));
  EXPECT_EQ(lv()->selectedPosition(), 4);
  const QRect row = lv()->visualItemRect(lv()->topLevelItem(3));
  QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, row.center());
  EXPECT_EQ(lv()->selectedPosition(), 4);
  form->Command4_Click();
  EXPECT_EQ(lastMessage(), "Creating alpha (transparency) indication in grey scale of slot 3");
}

// A preview that cannot be written keeps the picture, the alpha view and its
// caption, and says why.
TEST_F(Form1Test, FailedPreviewKeepsThePictureAndTheAlphaView) {
  ScratchDir cache;
  pt::test::writeAllBytes(cache / "file", pt::Bytes{1});
  qputenv("XDG_CACHE_HOME", q(cache.path() / "file" / "cache").toUtf8());
  ScratchDir folder;
  makeWindow(q(folder.path()));
  openThroughDialog(writeSample("s.pt"));
  action("alphaAction")->trigger();
  const QImage before = shownPicture();
  std::filesystem::remove_all(folder.path());
  pt::test::writeAllBytes(folder.path(), pt::Bytes{1});  // the folder's name is now a file
  clickRow(2);
  EXPECT_EQ(lastMessage(), "Slot 2: The preview was not written: Not a directory.");
  action("alphaAction")->trigger();
  qunsetenv("XDG_CACHE_HOME");
  const auto messages = logMessages(form->logText());
  EXPECT_EQ(std::vector<QString>(messages.end() - 2, messages.end()),
            (std::vector<QString>{"Creating preview of slot 2", "Slot 2: The preview was not written: Not a directory."}));
  EXPECT_EQ(shownPicture(), before);
  EXPECT_TRUE(form->isAlphaShown());
  EXPECT_EQ(child<QPushButton>("Command4")->text(), "View normal");
  EXPECT_EQ(action("alphaAction")->text(), "View normal");
  std::filesystem::remove(folder.path());
  std::filesystem::create_directory(folder.path());
}

// The program itself, and the header template it needs beside it (its
// --help and --version: the install test).
TEST(Program, NeedsTheHeaderTemplateAndRefusesTwoContainers) {
  ScratchDir empty;
  ScriptedPrompt prompt;
  EXPECT_FALSE(loadProgramHeader(q(empty.path()), prompt).has_value());
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0].title, "Varnholt");
  EXPECT_NE(prompt.errors[0].text.find("No such file or directory"), std::string::npos) << prompt.errors[0].text;
  const std::string run = "QT_QPA_PLATFORM=offscreen timeout 20 " + pt::test::shellQuote(VARNHOLT_APP);
  EXPECT_EQ(pt::test::runCommand(run + " a.pt b.pt").status, 2);
}

// The preview pane's zoom, transparency view and pixel readout.

class ViewTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // Slot 0: entries 1-3 and 7 with known colours at known pixels.
    openThroughDialog(writeSample("s.pt", [](pt::PtFile& f) {
      pt::PtSlot& s = f.slots[0];
      const std::uint8_t entries[][5] = {
          {1, 0, 200, 10, 10}, {2, 128, 0, 0, 255}, {3, 255, 10, 200, 30}, {7, 200, 10, 20, 30}};
      for (const auto& e : entries) std::copy(e + 1, e + 5, s.palette.begin() + 4 * e[0]);
      // (0, 0) on a light square of the checkerboard, (8, 0) on a dark one, (20, 20), (12, 40)
      s.pixels[0] = 1;
      s.pixels[8] = 2;
      s.pixels[20 * 256 + 20] = 3;
      s.pixels[40 * 256 + 12] = 7;
    }));
  }
  QSize pictureSize() const { return child<QLabel>("p1")->pixmap().size(); }
  void ctrlWheel(int delta, QPointF at) {
    QWidget* v = pane()->viewport();
    QWheelEvent e(at, v->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(v, &e);
  }
  // The slot pixel shown at a point of the pane's viewport.
  QPointF pixelAt(QPointF at) const { return (at - QPointF(child<QLabel>("p1")->pos())) / pane()->scale(); }
};

TEST_F(ViewTest, ZoomLevelsScaleThePictureNearestNeighbour) {
  EXPECT_EQ(pictureSize(), QSize(256, 256));
  pane()->setZoom(8);
  EXPECT_EQ(pictureSize(), QSize(2048, 2048));
  // One slot pixel is a 4 x 4 block at 400%: (8, 0) shows entry 2 as opaque blue.
  pane()->setZoom(4);
  const QImage zoomed = shownPicture();
  EXPECT_EQ(zoomed.pixel(32, 0) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(zoomed.pixel(35, 3) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(zoomed.pixel(36, 3) & 0xFFFFFF, zoomed.pixel(36, 0) & 0xFFFFFF);
  pane()->setZoom(0);  // fit
  const QSize room = pane()->viewport()->size();
  EXPECT_EQ(pictureSize().width(), std::min(room.width(), room.height()));
  // A low-resolution slot at 200% is 256 pixels wide.
  pane()->setZoom(2);
  clickRow(2);
  EXPECT_EQ(pictureSize(), QSize(256, 256));
}

// The wheel zooms about the cursor, the menu about the centre; the readout
// follows at once, and the zoom commands stop at their ends.
TEST_F(ViewTest, ZoomKeepsItsAnchorAndStopsAtItsEnds) {
  QWidget* v = pane()->viewport();
  const auto centre = [v] { return QPointF(v->width() / 2.0, v->height() / 2.0); };
  const QPointF cursor = centre() + QPointF(70, -50);
  QMouseEvent move(QEvent::MouseMove, cursor, v->mapToGlobal(cursor), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(v, &move);
  // The action, or else a Ctrl+wheel step at the cursor; the zoom after it; Zoom in and Zoom out enabled.
  const struct { const char* action; int wheel; int zoom; bool in, out; } steps[] = {
      {"zoomInAction", 0, 2, true, true}, {"", 120, 4, true, true}, {"zoomInAction", 0, 8, false, true},
      {"", -120, 4, true, true},          {"zoom1Action", 0, 1, true, false},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.zoom);
    const QPointF before = pixelAt(*s.action ? centre() : cursor);
    *s.action ? action(s.action)->trigger() : ctrlWheel(s.wheel, cursor);
    EXPECT_EQ(pane()->zoom(), s.zoom);
    if (s.zoom > 1)  // at 100% the picture is centred
      EXPECT_LT((pixelAt(*s.action ? centre() : cursor) - before).manhattanLength(), 1.0);
    const QPointF p = pixelAt(cursor);
    EXPECT_TRUE(form->statusBar()->currentMessage().startsWith(QString("x %1  y %2  ").arg(std::floor(p.x())).arg(std::floor(p.y()))))
        << form->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(action("zoomInAction")->isEnabled(), s.in);
    EXPECT_EQ(action("zoomOutAction")->isEnabled(), s.out);
  }
}

TEST_F(ViewTest, TransparencyViewBlendsEachEntrysAlphaOverTheCheckerboard) {
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTest::keyClick(form.get(), Qt::Key_T, Qt::ControlModifier);  // View ▸ Show transparency
  const QImage shown = shownPicture();
  // Light squares are white, dark ones 204 grey; alpha 128 over 204 and 255 over anything.
  const struct { int x, y, r, g, b; } cases[] = {{0, 0, 255, 255, 255}, {8, 0, 102, 102, 230}, {20, 20, 10, 200, 30}};
  for (const auto& c : cases) {
    const QRgb px = shown.pixel(c.x, c.y);
    EXPECT_LE(std::max({std::abs(qRed(px) - c.r), std::abs(qGreen(px) - c.g), std::abs(qBlue(px) - c.b)}), 1)
        << c.x << "," << c.y;
  }
  // The grey alpha map is drawn as before, whatever the transparency view.
  form->Command4_Click();
  EXPECT_EQ(shownPicture().pixel(8, 0) & 0xFFFFFF, 0x808080u);
}

TEST_F(ViewTest, StatusBarDescribesThePixelUnderTheMouse) {
  pane()->setZoom(2);
  QMouseEvent move(QEvent::MouseMove, QPointF(25, 81), child<QLabel>("p1")->mapToGlobal(QPointF(25, 81)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(child<QLabel>("p1"), &move);
  EXPECT_EQ(form->statusBar()->currentMessage(), "x 12  y 40  index 7  alpha 200  rgb 10 20 30");
}

// Unsaved changes: the title's mark, the question before they are lost, and
// containers dropped on the window.
class ChangesTest : public WindowTest {
 protected:
  void openAndChange() {
    openThroughDialog(first);
    clickRow(2);  // low resolution
    child<QRadioButton>("highres")->click();
    form->Command3_Click();
  }
  QString first = writeSample("first.pt");
  QString other = writeSample("other.pt");
};

TEST_F(ChangesTest, CloseOrOpenWithChangesAsksSaveDiscardOrCancel) {
  // Close or Open, the answer, the answer to Save's dialog ("" cancels it),
  // and whether the window closed or the other container opened.
  const struct { bool close; SaveChoice choice; const char* saveAs; bool goesOn; } cases[] = {{true, SaveChoice::Cancel, "", false},  {true, SaveChoice::Discard, "", true},
               {true, SaveChoice::Save, "", false},    {true, SaveChoice::Save, "kept.pt", true},
               {false, SaveChoice::Cancel, "", false}, {false, SaveChoice::Discard, "", true},
               {false, SaveChoice::Save, "kept2.pt", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "close " << c.close << " choice " << int(c.choice) << " " << c.saveAs);
    makeWindow();
    cd.answers.clear();
    openAndChange();
    prompt.saveQuestions.clear();
    prompt.saveChoices = {c.choice};
    const QString saveAs = *c.saveAs ? q(files / c.saveAs) : QString();
    if (c.choice == SaveChoice::Save) cd.answers.push_back(saveAs);
    if (!c.close) cd.answers.push_back(other);
    c.close ? (void)form->close() : form->cbOpen_Click();
    EXPECT_EQ(prompt.saveQuestions, std::vector<std::string>{"first.pt"});
    EXPECT_EQ(c.close ? !form->isVisible() : child<QLineEdit>("Text1")->text() == other, c.goesOn);
    EXPECT_EQ(form->isWindowModified(), !c.goesOn || (c.close && c.choice == SaveChoice::Discard));
    if (!saveAs.isEmpty())
      EXPECT_EQ(pt::test::readAll(p(saveAs)).size(), pt::kFileSize);
  }
}

// Save over a container that ptool changed since it was opened asks first,
// and holds the container while it asks and writes: a ptool import started
// meanwhile waits and lands on what the window wrote. No update is lost
// without the question.
TEST_F(ChangesTest, SaveAsksBeforeOverwritingWhatPtoolChangedAndHoldsTheFile) {
  constexpr std::size_t kResFlag2 = 53272, kSlot5 = 53292 + 5 * 66572, kSlot7 = 53292 + 7 * 66572;
  const auto tex = [&](const char* name, std::uint8_t value) {
    pt::test::writeAllBytes(files / name, pt::Bytes(66560, value));
    return pt::test::quotePath(files / name);
  };
  const std::string five = tex("five.tex", 0x55);
  const std::string seven = tex("seven.tex", 0x77);
  const std::string pt = pt::test::quotePath(p(first));
  const auto byteAt = [](const QString& path, std::size_t at) { return int(pt::test::readAll(p(path)).at(at)); };
  // The answer; whether the window's change (slot 2 set to 256x256) and ptool's first import end in the file.
  const struct { pt::ChangedChoice answer; int resFlag2; int slot5; } cases[] = {
      {pt::ChangedChoice::Cancel, 0, 0x55}, {pt::ChangedChoice::SaveElsewhere, 0, 0x55}, {pt::ChangedChoice::Overwrite, 1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.answer));
    first = writeSample("first.pt");
    cd.answers.clear();
    makeWindow();
    openAndChange();
    const int slot5Before = byteAt(first, kSlot5);
    ASSERT_EQ(pt::test::runPtool("import " + pt + " 5 " + five + " -o " + pt + " --force").status, 0);
    std::thread second;
    prompt.whenChanged = [&] {
      second = std::thread([&] { pt::test::runPtool("import " + pt + " 7 " + seven + " -o " + pt + " --force"); });
      std::this_thread::sleep_for(std::chrono::milliseconds(300));  // ptool reaches the lock
    };
    prompt.changedChoices = {c.answer};
    prompt.changedQuestions.clear();
    prompt.answers = {true};  // "File exists. Overwrite?"
    cd.answers = {first, q(files / "elsewhere.pt")};
    form->Command1_Click();
    if (second.joinable()) second.join();
    EXPECT_EQ(prompt.changedQuestions, std::vector<std::string>{"first.pt"});
    EXPECT_EQ(byteAt(first, kResFlag2), c.resFlag2);
    EXPECT_EQ(byteAt(first, kSlot5), c.slot5 ? c.slot5 : slot5Before);
    EXPECT_EQ(byteAt(first, kSlot7), 0x77);  // the import made while the window held the file
    EXPECT_EQ(form->isWindowModified(), c.answer == pt::ChangedChoice::Cancel);
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), c.answer == pt::ChangedChoice::SaveElsewhere ? q(files / "elsewhere.pt") : first);
    EXPECT_TRUE(form->windowTitle().startsWith(c.answer == pt::ChangedChoice::SaveElsewhere ? "elsewhere.pt[*]" : "first.pt[*]"));
  }
}

TEST_F(ChangesTest, DroppedContainerAsksAboutTheChangesAndOpens) {
  openAndChange();
  prompt.saveChoices = {SaveChoice::Discard};
  drop(other, child("tlog"));
  EXPECT_EQ(lastMessage(), "Opened : " + other);
  EXPECT_EQ(prompt.saveQuestions.size(), 1u);
  EXPECT_FALSE(form->isWindowModified());
}

}  // namespace
}  // namespace varnholt::test
