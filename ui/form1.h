#pragma once
// The main window: buttons, file name, slot list, preview with its
// resolution and alpha controls, and the activity log.
#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "bitmap/bmp_header.h"
#include "common/file_stamp.h"
#include "container/pt_file.h"
#include "common/user_prompt.h"
#include "ui/ex_dialog.h"
#include "options/import_options.h"
#include "ui/file_dialog.h"
#include "ui/preview_file.h"
#include "ui/slot_format.h"

class QAction;
class QActionGroup;
class QEventLoop;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QUndoStack;

namespace varnholt {

class ColourPicker;
class ImportOptionsMenu;
class PaletteGrid;
class PreviewPane;
class RecentFiles;
class SlotList;
struct SlotsBefore;

class Form1 final : public QMainWindow {
  Q_OBJECT
 public:
  // `cd` and `prompt` are the dialogs the commands use, `programFolder` the
  // folder of "pre.bmp", `bmpHeader` the loaded bitmap header template.
  Form1(FileDialog& cd, pt::UserPrompt& prompt, const QString& programFolder,
        const pt::BmpHeader& bmpHeader, QWidget* parent = nullptr);
  ~Form1() override;

  // Commands.
  void cbOpen_Click();
  void mnuOpen_Click();
  void Command1_Click();
  void mnuSave_Click();
  void mnuAbout_Click();
  void mnuExit_Click();
  void lv_Click();
  void Command4_Click();
  void Command3_Click();
  void highres_Click();
  void lowres_Click();
  void cbEx_Click();
  void Command2_Click();
  void saveTex(pt::SlotFileFormat ty);
  void importTex(pt::SlotFileFormat ty);

  // Open's work after its dialog: also what a file named at start-up gets.
  void openFile(const QString& name);
  // Loads the selected slot from `path` in `format` and logs the outcome.
  void importFile(pt::SlotFileFormat format, const QString& path);
  void logLine(const QString& message);
  // A note or a reason, after the log line it belongs to: "Slot N: " when it
  // is about a slot, and one sentence.
  void logNote(std::optional<std::uint8_t> slot, const std::string& text);
  // A refusal's reason, by one rule for every command: none for the user's
  // own No (Declined) or an unused slot, which the line before already tells.
  void logNote(std::optional<std::uint8_t> slot, const pt::Error& error);

  // What imports do with a file's palette and alpha: the Import options menu.
  pt::ImportOptions importOptions() const;
  // Every used slot as slotNN.png with manifest.json into a folder, and such
  // a folder back into the container, all or nothing.
  void exportAllSlots();
  void importAllSlots();

  // Edit menu (form1_edit.cpp): every change to the container goes on the
  // undo stack; a slot is copied as a PNG and in an exact form of our own.
  void copySlot();
  void pasteSlot();
  // Double-click on the palette grid: the entry's colour and alpha.
  void editPaletteEntry(int entry);
  // The colour dialog behind the palette edit; the window has a Qt one.
  void setColourPicker(ColourPicker* picker);

  // Answer of the format dialog; empty until it answers.
  ExDialog::Answer ExDialog_Return;

  // State, for the commands' callers and tests.
  const pt::PtFile& container() const { return ptFile; }
  bool isAlphaShown() const { return alphaShown; }
  const QString& logText() const { return logText_; }
  QString previewPath() const { return preview_.path(); }
  ExDialog* exDialog() const { return exDialog_; }
  bool waitingForFormat() const { return formatWait_ != nullptr; }
  std::optional<std::uint8_t> selectedSlot() const;
  // Text of the About message.
  static QString aboutText();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void makeActions();
  void buildControls();
  void buildMenu();
  void Form_Load();
  // Sets every control's and action's enabled state from the window's state.
  void updateActions();
  void updateTitle();
  // Asks about unsaved changes; false when the user keeps them (Cancel, or
  // a Save that did not complete).
  bool maybeSave();
  bool saveContainer();
  // What the container's file was like when it was opened or saved here.
  void setDiskStamp(const QString& name, const pt::Result<pt::FileStamp>& stamp);
  // True when `name` is that file and someone changed it since.
  bool changedOnDisk(const QString& name) const;
  void fillSlotList();
  void showPreview(std::uint8_t slot);
  bool writePreviewFile(std::uint8_t slot, bool alphaView);
  void showResolution(std::uint8_t slot);
  // alphaShown and the caption of Command4 and its menu entry.
  void setAlphaShown(bool on);
  // Shows the format dialog and waits for it; false when it was closed
  // without an answer or the window is closing.
  bool askFormat(std::uint8_t mode);
  void endFormatWait();
  void prepareSlotDialog(pt::SlotFileFormat format);

  // Edit menu, settings and Open recent (form1_edit.cpp, form1_settings.cpp).
  void buildEditMenu();
  // Puts a change just made to the container on the undo stack.
  void recordChange(const QString& text, const SlotsBefore& before, bool always = false);
  void showRestoredSlots(const std::vector<std::uint8_t>& slots);
  void buildRecentMenu();
  void fitToScreen();
  void restoreSettings();
  void storeSettings();

  FileDialog& cd;
  pt::UserPrompt& prompt;
  pt::BmpHeader bmpHeader;
  pt::PtFile ptFile;
  PreviewFile preview_;
  bool alphaShown = false;
  QString logText_;
  QPointer<ExDialog> exDialog_;
  QEventLoop* formatWait_ = nullptr;
  bool closing_ = false;
  bool opened_ = false;
  QString containerPath_;
  QString stampedPath_;
  std::optional<pt::FileStamp> diskStamp_;

  // Controls, named as in the window's design.
  QPushButton* Command1;
  QLineEdit* Text1;
  SlotList* lv;
  PreviewPane* pane_;
  PaletteGrid* paletteGrid;
  QGroupBox* frmRes;
  QRadioButton* lowres;
  QRadioButton* highres;
  QPushButton* Command4;
  QPlainTextEdit* tlog;
  ImportOptionsMenu* importOptionsMenu;

  // One action per command, shared by its button and its menu entry.
  QAction* mnuOpen;
  QAction* mnuSave;
  QAction* exportAction;
  QAction* importAction;
  QAction* exportAllAction;
  QAction* importAllAction;
  QAction* mnuExit;
  QAction* zoomInAction;
  QAction* zoomOutAction;
  QActionGroup* zoomGroup;
  QAction* transparencyAction;
  QAction* alphaAction;  // Command4
  QAction* mnuAbout;
  QAction* copySlotAction;
  QAction* pasteSlotAction;
  RecentFiles* recentMenu;
  QUndoStack* undoStack_;
  std::unique_ptr<ColourPicker> ownColourPicker_;
  ColourPicker* colourPicker_;
};

}  // namespace varnholt
