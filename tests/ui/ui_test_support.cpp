#include "tests/ui/ui_test_support.h"

#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "container/pt_writer.h"
#include "sample/sample_container.h"
#include "ui/qt_paths.h"
#include "ui/slot_list.h"
#include "ui/startup.h"

namespace varnholt::test {

QString ScriptedFileDialog::answer(bool save) {
  shown.push_back({save, title(), filter(), defaultExt(), fileName()});
  if (answers.empty()) return {};
  QString a = answers.front();
  answers.pop_front();
  return a;
}

QString q(const std::filesystem::path& path) { return fromPath(path); }
std::filesystem::path p(const QString& s) { return toPath(s); }

std::vector<QString> logMessages(const QString& log) {
  std::vector<QString> out;
  for (const QString& line : log.split("\r\n", Qt::SkipEmptyParts)) {
    const qsizetype at = line.indexOf(": ");
    out.push_back(at < 0 ? line : line.mid(at + 2));
  }
  return out;
}

QRgb slotColour(const pt::PtSlot& slot, const pt::Bytes& data, int x, int y, int side,
                bool alphaView) {
  const std::uint8_t index = data[static_cast<std::size_t>(y) * side + x];
  const std::uint8_t* e = &slot.palette[4u * index];
  if (alphaView) return qRgb(e[0], e[0], e[0]);
  return qRgb(e[1], e[2], e[3]);
}

void whenFormatDialogUp(Form1& form, std::function<void(ExDialog&)> action) {
  QPointer<Form1> window(&form);
  QTimer::singleShot(0, &form, [window, action] {
    ExDialog* dialog = window ? window->exDialog() : nullptr;
    if (!dialog || !dialog->isVisible()) {
      ADD_FAILURE() << "the format dialog is not up";
      return;
    }
    QPointer<ExDialog> watched(dialog);
    action(*dialog);
    QTimer::singleShot(5000, [watched] {
      if (watched && watched->isVisible()) {
        ADD_FAILURE() << "the command still waits for the format dialog";
        watched->close();
      }
    });
  });
}

void WindowTest::SetUp() {
  std::filesystem::copy_file(VARNHOLT_BMP_HEADER, program / pt::kBmpHeaderFileName);
  const auto loaded = loadProgramHeader(q(program.path()), prompt);
  ASSERT_TRUE(loaded.has_value());
  header = *loaded;
}

void WindowTest::TearDown() { form.reset(); }

void WindowTest::makeWindow(const QString& programFolder) {
  form = std::make_unique<Form1>(cd, prompt, programFolder.isEmpty() ? q(program.path()) : programFolder,
                                 header);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
}

QString WindowTest::writeSample(const std::string& name,
                                const std::function<void(pt::PtFile&)>& change) {
  pt::PtFile file = pt::makeSamplePtFile();
  if (change) change(file);
  const auto path = files / name;
  pt::test::writeAllBytes(path, pt::serializePtFile(file));
  return q(path);
}

void WindowTest::openThroughDialog(const QString& path) {
  cd.answers.push_back(path);
  form->cbOpen_Click();
}

void WindowTest::clickRow(int row) {
  QTreeWidgetItem* item = form->lv->topLevelItem(row);
  ASSERT_NE(item, nullptr);
  form->lv->scrollToItem(item);
  const QRect rect = form->lv->visualItemRect(item);
  QTest::mouseClick(form->lv->viewport(), Qt::LeftButton, {}, rect.center());
}

QImage WindowTest::shownPicture() const { return form->p1->pixmap().toImage(); }

QString WindowTest::lastMessage() const {
  const auto messages = logMessages(form->logText());
  return messages.empty() ? QString() : messages.back();
}

std::size_t WindowTest::messageCount() const { return logMessages(form->logText()).size(); }

}  // namespace varnholt::test
