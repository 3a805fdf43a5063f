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

#include "common/file_lock.h"
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
  if (error.kind == pt::ErrorKind::Declined || error.kind == pt::ErrorKind::NotUsed) return;
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
  {
    // Read and stamped under the lock, so the stamp is of the bytes read.
    const auto lock = pt::FileLock::exclusive(toPath(name));
    if (const pt::Status read = pt::readPtFile(ptFile, toPath(name), prompt); !read) {
      logLine("Open failed of " + name);
      logNote(std::nullopt, read.error());
      return;
    }
    setDiskStamp(name, pt::stampFile(toPath(name)));
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

void Form1::setDiskStamp(const QString& name, const pt::Result<pt::FileStamp>& stamp) {
  stampedPath_ = QFileInfo(name).absoluteFilePath();
  diskStamp_.reset();
  if (stamp) diskStamp_ = *stamp;
}

bool Form1::changedOnDisk(const QString& name) const {
  if (!diskStamp_ || QFileInfo(name).absoluteFilePath() != stampedPath_) return false;
  const auto now = pt::stampFile(toPath(name));
  // A file that is gone holds nothing to lose; one that cannot be read is
  // the writer's to report.
  return now && *now != *diskStamp_;
}

void Form1::Command1_Click() { saveContainer(); }

bool Form1::saveContainer() {
  for (;;) {
    cd.setFilter("*.pt|*.pt");
    cd.setFileName("");
    cd.setTitle("Save .pt as...");
    cd.setDefaultExt("pt");
    const QString name = cd.showSave();
    if (name.isEmpty()) return false;
    const auto notCompleted = [&](const pt::Error& why) {
      logLine("Save not completed of " + name);
      logNote(std::nullopt, why);
      return false;
    };
    // Held while the file is checked and written: a ptool command on the
    // same container waits, and one that ran since it was opened or saved
    // here is noticed before its work is overwritten.
    const auto lock = pt::FileLock::exclusive(toPath(name));
    if (!lock) return notCompleted(lock.error());
    if (changedOnDisk(name)) {
      const std::string file = QFileInfo(name).fileName().toStdString();
      switch (prompt.askOverwriteChanged(file)) {
        case pt::ChangedChoice::Overwrite:
          break;
        case pt::ChangedChoice::SaveElsewhere:
          continue;
        case pt::ChangedChoice::Cancel:
          return notCompleted(pt::Error{pt::ErrorKind::Declined});
      }
    }
    // Before a container has been opened there is nothing complete to save,
    // and the writer refuses it without touching the file.
    if (const pt::Status saved = pt::writePtFile(ptFile, toPath(name), prompt); !saved) return notCompleted(saved.error());
    setDiskStamp(name, pt::stampWritten(toPath(name), pt::serializePtFile(ptFile)));
    logLine("Saved : " + name);
    containerPath_ = name;
    Text1->setText(name);
    undoStack_->setClean();
    recentMenu->add(name);
    setWindowModified(false);
    updateTitle();
    return true;
  }
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
