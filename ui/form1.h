#pragma once
// The main window: buttons, file name, slot list, preview with its
// resolution and alpha controls, and the activity log.
#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <optional>

#include "bitmap/bmp_header.h"
#include "container/pt_file.h"
#include "container/user_prompt.h"
#include "exchange/ex_dialog.h"
#include "exchange/import_options.h"
#include "ui/file_dialog.h"
#include "ui/preview_file.h"
#include "ui/slot_format.h"

class QAction;
class QActionGroup;
class QEventLoop;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;

namespace varnholt {

class PaletteGrid;
class SlotList;

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
  void saveTex(std::uint8_t ty);
  void importTex(std::uint8_t ty);

  // Open's work after its dialog: also what a file named at start-up gets.
  void openFile(const QString& name);
  // Loads the selected slot from `path` in `format` and logs the outcome.
  void importFile(pt::SlotFileFormat format, const QString& path);
  void logLine(const QString& message);

  // Preview zoom: a factor (1, 2, 4, 8) or 0 for "fit the pane".
  void setZoom(int factor);
  void zoomIn();
  void zoomOut();
  void setTransparencyShown(bool on);

  // What imports do with a file's palette and alpha: the Import options menu.
  pt::ImportOptions importOptions() const;
  // Every used slot as slotNN.png with manifest.json into a folder, and such
  // a folder back into the container, all or nothing.
  void exportAllSlots();
  void importAllSlots();

  // Answer of the format dialog: 0 raw data, 1 bitmap, 2 PNG, 255 none yet.
  std::uint8_t ExDialog_Return = 255;

  // Controls, named as in the window's design.
  QGroupBox* Options;
  QPushButton* cbOpen;
  QPushButton* Command1;
  QPushButton* cbEx;
  QPushButton* Command2;
  QLineEdit* Text1;
  QGroupBox* Frame1;
  SlotList* lv;
  QScrollArea* previewArea;
  QLabel* p1;
  PaletteGrid* paletteGrid;
  QGroupBox* frmRes;
  QRadioButton* lowres;
  QRadioButton* highres;
  QPushButton* Command3;
  QPushButton* Command4;
  QPlainTextEdit* tlog;
  QMenu* mnuFile;
  QAction* mnuOpen;
  QAction* mnuSave;
  QAction* exportAction;
  QAction* importAction;
  QAction* exportAllAction;
  QAction* importAllAction;
  QMenu* importOptionsMenu;
  QAction* keepAlphaAction;
  QAction* keepPaletteAction;
  QAction* ditherAction;
  QAction* mnuExit;
  QMenu* viewMenu;
  QAction* zoomInAction;
  QAction* zoomOutAction;
  QActionGroup* zoomGroup;
  QAction* transparencyAction;
  QAction* alphaAction;
  QMenu* mnuHelp;
  QAction* mnuAbout;

  // State, for the commands' callers and tests.
  const pt::PtFile& container() const { return ptFile; }
  bool isAlphaShown() const { return alphaShown; }
  const QString& logText() const { return logText_; }
  QString previewPath() const { return preview_.path(); }
  ExDialog* exDialog() const { return exDialog_; }
  bool waitingForFormat() const { return formatWait_ != nullptr; }
  std::optional<std::uint8_t> selectedSlot() const;
  int zoom() const { return zoom_; }
  double previewScale() const;
  // Text of the About message.
  static QString aboutText();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildControls();
  void buildMenu();
  void Form_Load();
  // Sets every control's and action's enabled state from the window's state.
  void updateActions();
  void updateTitle();
  void markModified();
  // Asks about unsaved changes; false when the user keeps them (Cancel, or
  // a Save that did not complete).
  bool maybeSave();
  bool saveContainer();
  void fillSlotList();
  void showPreview(std::uint8_t slot);
  bool writePreviewFile(std::uint8_t slot, bool alphaView);
  void drawPreview();
  void showResolution(std::uint8_t slot);
  void showPixelAt(const QPoint& widgetPos);
  // Shows the format dialog and waits for it; false when it was closed
  // without an answer or the window is closing.
  bool askFormat(std::uint8_t mode);
  void endFormatWait();
  void prepareSlotDialog(pt::SlotFileFormat format);

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
  // What the pane draws: the slot, and whether as its alpha map.
  std::optional<std::uint8_t> shownSlot_;
  bool shownAlphaMap_ = false;
  bool transparency_ = false;
  int zoom_ = 1;
};

}  // namespace varnholt
