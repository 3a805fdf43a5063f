#pragma once
// Scripted dialogs, and a fixture that runs the real main window in scratch
// folders.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

#include "container/pt_writer.h"
#include "sample/sample_container.h"
#include "tests/support/test_support.h"
#include "ui/form1.h"
#include "ui/app_settings.h"
#include "ui/qt_paths.h"
#include "ui/preview_pane.h"
#include "ui/slot_list.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace varnholt::test {

using pt::test::ScratchDir;
using pt::test::ScriptedPrompt;

template <class T>
T takeFront(std::deque<T>& script, T whenEmpty) {
  if (script.empty()) return whenEmpty;
  T first = script.front();
  script.pop_front();
  return first;
}

struct ShownDialog {  // the settings when it came up
  bool save = false;
  QString title, filter, defaultExt, directory;
};

class ScriptedFileDialog final : public FileDialog {
 public:
  std::deque<QString> answers;  // front first; "" or an empty script cancels
  std::vector<ShownDialog> shown;

 protected:
  QString runOpen() override { return answer({false, title(), filter(), defaultExt(), directory()}); }
  QString runSave() override { return answer({true, title(), filter(), defaultExt(), directory()}); }
  QString runFolder(const QString& title) override { return answer({false, title, "folder", {}, directory()}); }

 private:
  QString answer(const ShownDialog& dialog) {
    shown.push_back(dialog);
    return takeFront(answers, QString());
  }
};

// Scripted answers also to the unsaved-changes question (Cancel when the
// script is empty).
class WindowPrompt final : public ScriptedPrompt {
 public:
  std::deque<pt::SaveChoice> saveChoices;
  std::vector<std::string> saveQuestions;
  pt::SaveChoice askSaveChanges(const std::string& fileName) override {
    saveQuestions.push_back(fileName);
    return takeFront(saveChoices, pt::SaveChoice::Cancel);
  }
  // The question before Save overwrites a file changed on disk; `whenChanged`
  // runs while it is asked.
  std::deque<pt::ChangedChoice> changedChoices;
  std::vector<std::string> changedQuestions;
  std::function<void()> whenChanged;
  pt::ChangedChoice askOverwriteChanged(const std::string& fileName) override {
    changedQuestions.push_back(fileName);
    if (whenChanged) whenChanged();
    return takeFront(changedChoices, pt::ChangedChoice::Cancel);
  }
};

inline QString q(const std::filesystem::path& path) { return fromPath(path); }
inline std::filesystem::path p(const QString& s) { return toPath(s); }

// The messages of the log, time stamps removed.
inline std::vector<QString> logMessages(const QString& log) {
  std::vector<QString> out;
  for (const QString& line : log.split("\r\n", Qt::SkipEmptyParts)) out.push_back(line.mid(line.indexOf(": ") + 2));
  return out;
}

// Runs `action` on the format dialog once a command has put it up and waits
// for it. If the dialog is still up a few seconds later it is closed and the
// test fails, so that a broken wait cannot hang the suite.
inline void whenFormatDialogUp(Form1& form, std::function<void(ExDialog&)> action) {
  QTimer::singleShot(0, &form, [window = QPointer<Form1>(&form), action] {
    ExDialog* dialog = window ? window->exDialog() : nullptr;
    if (!dialog || !dialog->isVisible()) return ADD_FAILURE() << "the format dialog is not up";
    action(*dialog);
    QTimer::singleShot(5000, [watched = QPointer<ExDialog>(dialog)] {
      if (!watched || !watched->isVisible()) return;
      ADD_FAILURE() << "the command still waits for the format dialog";
      watched->close();
    });
  });
}

// Starts with a window over the fixture's program folder.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings::open().clear();  // what an earlier test's window left
    std::filesystem::copy_file(VARNHOLT_BMP_HEADER, program / pt::kBmpHeaderFileName);
    header = pt::test::shippedBmpHeader();
    makeWindow();
  }
  void TearDown() override { form.reset(); }
  // Makes a new window over `programFolder` (default: the fixture's own).
  void makeWindow(const QString& programFolder = {}) {
    form = std::make_unique<Form1>(cd, prompt, programFolder.isEmpty() ? q(program.path()) : programFolder, header);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  // Writes the sample container (optionally changed) and returns its path.
  QString writeSample(const std::string& name, const std::function<void(pt::PtFile&)>& change = {}) {
    pt::PtFile file = pt::makeSamplePtFile();
    if (change) change(file);
    pt::test::writeAllBytes(files / name, pt::serializePtFile(file));
    return q(files / name);
  }
  void openThroughDialog(const QString& path) {
    cd.answers.push_back(path);
    form->cbOpen_Click();
  }
  void clickRow(int row) {  // 0-based, a real mouse click on the list
    QTreeWidgetItem* item = lv()->topLevelItem(row);
    ASSERT_NE(item, nullptr);
    lv()->scrollToItem(item);
    QTest::mouseClick(lv()->viewport(), Qt::LeftButton, {}, lv()->visualItemRect(item).center());
  }
  // A file dragged onto `onto` and dropped there.
  void drop(const QString& path, QWidget* onto) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = onto->mapTo(form.get(), onto->rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent e(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QApplication::sendEvent(form.get(), &e);
  }
  QImage shownPicture() const { return pane()->picture(); }
  // The window's controls and actions, by their names.
  template <class T = QWidget>
  T* child(const QString& name) const {
    T* found = form->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
  }
  QAction* action(const QString& name) const { return child<QAction>(name); }
  SlotList* lv() const { return child<SlotList>("lv"); }
  PreviewPane* pane() const { return child<PreviewPane>("previewArea"); }
  QString lastMessage() const { return logMessages(form->logText()).back(); }
  std::vector<QString> lastTwo() const {
    const auto all = logMessages(form->logText());
    return {all.end() - 2, all.end()};
  }
  ScratchDir files{pt::test::Medium::Memory};    // containers and slot files
  ScratchDir program{pt::test::Medium::Memory};  // the program's folder, with bmp_header.bin
  ScriptedFileDialog cd;
  WindowPrompt prompt;
  pt::BmpHeader header{};
  std::unique_ptr<Form1> form;
};

}  // namespace varnholt::test
