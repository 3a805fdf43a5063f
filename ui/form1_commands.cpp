// Start-up, the activity log, and the Open, Save, About and Exit commands.
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTime>
#include <QUndoStack>

#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "ui/form1.h"
#include "ui/qt_paths.h"
#include "ui/recent_files.h"

namespace varnholt {

namespace {

// The system's time format with seconds and without the time zone, which
// the long format of many locales appends.
QString timeFormatWithSeconds() {
  const QString format = QLocale::system().timeFormat(QLocale::LongFormat);
  QString out;
  bool quoted = false;
  for (QChar c : format) {
    if (c == QLatin1Char('\'')) quoted = !quoted;
    if (!quoted && c == QLatin1Char('t')) continue;
    out += c;
  }
  return out.trimmed();
}

// One sentence: without a "Note: " or "Warning: " label (the line's place
// says what it is), starting upper case and ending with a full stop.
QString sentence(QString text) {
  for (const QString label : {"Note: ", "Warning: "})
    if (text.startsWith(label)) text.remove(0, label.size());
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  if (!text.endsWith('.') && !text.endsWith('?') && !text.endsWith('!')) text += '.';
  return text;
}

}  // namespace

void Form1::logNote(std::optional<std::uint8_t> slot, const std::string& text) {
  const QString prefix = slot ? "Slot " + QString::number(*slot) + ": " : QString();
  logLine(prefix + sentence(QString::fromStdString(text)));
}

void Form1::logNote(std::optional<std::uint8_t> slot, const pt::Error& error) {
  logNote(slot, pt::describe(error));
}

void Form1::Form_Load() {
  setAlphaShown(false);
  // The template itself was read by the caller, which does not show the
  // window when it is missing or invalid.
  logLine("Loading bitmap header");
}

void Form1::logLine(const QString& message) {
  const QLocale locale = QLocale::system();
  static const QString timeFormat = timeFormatWithSeconds();
  const QString line = locale.toString(QDate::currentDate(), QLocale::ShortFormat) + "-" +
                       locale.toString(QTime::currentTime(), timeFormat) + ": " + message + "\r\n";
  logText_ += line;
  QTextCursor cursor = tlog->textCursor();
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(line);
  cursor.movePosition(QTextCursor::End);
  tlog->setTextCursor(cursor);
  tlog->ensureCursorVisible();
}

void Form1::cbOpen_Click() {
  if (!maybeSave()) return;
  cd.setTitle("Open Paint Tool file");
  cd.setDefaultExt("pt");
  cd.setFilter("*.pt|*.pt");
  const QString name = cd.showOpen();
  if (name.isEmpty()) return;
  openFile(name);
}

void Form1::mnuOpen_Click() { cbOpen_Click(); }

void Form1::openFile(const QString& name) {
  if (!pt::readPtFile(ptFile, toPath(name), prompt)) {
    logLine("Open failed of " + name);
    return;
  }
  Text1->setText(name);
  logLine("Opened : " + name);
  opened_ = true;
  containerPath_ = name;
  undoStack_->clear();
  recentMenu->add(name);
  cd.setDirectory(QFileInfo(name).absolutePath());
  setWindowModified(false);
  updateTitle();
  fillSlotList();
  updateActions();
}

void Form1::Command1_Click() { saveContainer(); }

bool Form1::saveContainer() {
  cd.setFilter("*.pt|*.pt");
  cd.setFileName("");
  cd.setTitle("Save .pt as...");
  cd.setDefaultExt("pt");
  const QString name = cd.showSave();
  if (name.isEmpty()) return false;
  // Before a container has been opened there is nothing complete to save,
  // and the writer refuses it without touching the file.
  if (!pt::writePtFile(ptFile, toPath(name), prompt)) {
    logLine("Save not completed of " + name);
    return false;
  }
  logLine("Saved : " + name);
  containerPath_ = name;
  Text1->setText(name);
  undoStack_->setClean();
  recentMenu->add(name);
  setWindowModified(false);
  updateTitle();
  return true;
}

void Form1::mnuSave_Click() { Command1_Click(); }

bool Form1::maybeSave() {
  if (!isWindowModified()) return true;
  switch (prompt.askSaveChanges(QFileInfo(containerPath_).fileName().toStdString())) {
    case pt::SaveChoice::Save:
      return saveContainer();
    case pt::SaveChoice::Discard:
      return true;
    case pt::SaveChoice::Cancel:
      break;
  }
  return false;
}

QString Form1::aboutText() {
  const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  return exe + " by Tamsin Brennick and Jorek Varnholt version " VARNHOLT_VERSION
               " in december 2009\r\n"
               "http://varnholt.example.org/\r\n"
               "Made for Kestrel Drift on the Halvard VX console";
}

void Form1::mnuAbout_Click() { prompt.showInfo(pt::kAppTitle, aboutText().toStdString()); }

void Form1::mnuExit_Click() { close(); }

}  // namespace varnholt
