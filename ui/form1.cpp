#include "ui/form1.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QMenu>
#include <QStatusBar>
#include <QVBoxLayout>

#include "ui/ex_dialog.h"
#include "ui/import_options_menu.h"
#include "ui/palette_edit.h"
#include "ui/palette_grid.h"
#include "ui/preview_pane.h"
#include "ui/slot_list.h"

namespace varnholt {

namespace {

constexpr int kPreviewSide = 257;
constexpr int kSmallestPreview = 132;  // a low-resolution slot at 100%

QPushButton* makeButton(const QString& name, const QString& tip, QWidget* parent) {
  auto* b = new QPushButton(parent);
  b->setObjectName(name);
  b->setToolTip(tip);
  b->setMinimumWidth(110);
  return b;
}

// The button runs the action and shows its caption (the action's icon text)
// and, with `followEnabled`, its enabled state.
void bindButton(QPushButton* button, QAction* action, bool followEnabled = true) {
  const auto sync = [button, action, followEnabled] {
    button->setText(action->iconText());
    if (followEnabled) button->setEnabled(action->isEnabled());
  };
  sync();
  QObject::connect(action, &QAction::changed, button, sync);
  QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
}

QAction* makeAction(QObject* parent, const char* name, const QString& text, const QString& caption,
                    const QList<QKeySequence>& keys = {}) {
  auto* a = new QAction(text, parent);
  a->setObjectName(name);
  a->setIconText(caption);
  a->setShortcuts(keys);
  return a;
}

}  // namespace

Form1::Form1(FileDialog& dialog, pt::UserPrompt& userPrompt, const QString& programFolder,
             const pt::BmpHeader& header, QWidget* parent)
    : QMainWindow(parent),
      cd(dialog),
      prompt(userPrompt),
      bmpHeader(header),
      preview_(programFolder) {
  setObjectName("Form1");
  setAcceptDrops(true);
  makeActions();
  buildControls();
  buildMenu();
  buildEditMenu();
  buildRecentMenu();
  restoreSettings();
  Form_Load();
  updateTitle();
  updateActions();
}

Form1::~Form1() {
  endFormatWait();
  delete exDialog_;
}

void Form1::makeActions() {
  mnuOpen = makeAction(this, "mnuOpen", "Open", "Open PT", {QKeySequence::Open});
  mnuSave = makeAction(this, "mnuSave", "Save", "Save PT", {QKeySequence::Save});
  exportAction = makeAction(this, "exportAction", "Export image…", "Export image", {Qt::CTRL | Qt::Key_E});
  importAction = makeAction(this, "importAction", "Import image…", "Import image", {Qt::CTRL | Qt::Key_I});
  exportAllAction = makeAction(this, "exportAllAction", "Export all slots…", "Export all slots");
  importAllAction = makeAction(this, "importAllAction", "Import all slots…", "Import all slots");
  mnuExit = makeAction(this, "mnuExit", "Exit", "Exit", {QKeySequence::Quit});
  mnuAbout = makeAction(this, "mnuAbout", "About", "About");
  // Ctrl+= as well: on most layouts "+" needs Shift.
  zoomInAction = makeAction(this, "zoomInAction", "Zoom in", "Zoom in",
                            {QKeySequence::ZoomIn, Qt::CTRL | Qt::Key_Equal});
  zoomOutAction = makeAction(this, "zoomOutAction", "Zoom out", "Zoom out", {QKeySequence::ZoomOut});
  transparencyAction = makeAction(this, "transparencyAction", "Show transparency", "Show transparency",
                                  {Qt::CTRL | Qt::Key_T});
  transparencyAction->setCheckable(true);
  alphaAction = makeAction(this, "alphaAction", "View alpha", "View alpha", {Qt::CTRL | Qt::SHIFT | Qt::Key_A});
  connect(mnuOpen, &QAction::triggered, this, &Form1::cbOpen_Click);
  connect(mnuSave, &QAction::triggered, this, &Form1::Command1_Click);
  connect(exportAction, &QAction::triggered, this, &Form1::cbEx_Click);
  connect(importAction, &QAction::triggered, this, &Form1::Command2_Click);
  connect(exportAllAction, &QAction::triggered, this, &Form1::exportAllSlots);
  connect(importAllAction, &QAction::triggered, this, &Form1::importAllSlots);
  connect(mnuExit, &QAction::triggered, this, &Form1::mnuExit_Click);
  connect(mnuAbout, &QAction::triggered, this, &Form1::mnuAbout_Click);
  connect(alphaAction, &QAction::triggered, this, &Form1::Command4_Click);
}

void Form1::buildControls() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(8, 6, 8, 8);
  column->setSpacing(6);

  auto* Options = new QGroupBox("Options", central);
  Options->setObjectName("Options");
  auto* cbOpen = makeButton("cbOpen", "Open .PT file", Options);
  Command1 = makeButton("Command1", "Save the current Paint Tool file", Options);
  auto* cbEx = makeButton("cbEx", "Export the image", Options);
  auto* Command2 = makeButton("Command2", "Import the image", Options);
  bindButton(cbOpen, mnuOpen);
  // The Save menu entry is never disabled; the button waits for a container.
  bindButton(Command1, mnuSave, false);
  bindButton(cbEx, exportAction);
  bindButton(Command2, importAction);
  auto* buttons = new QHBoxLayout(Options);
  buttons->addWidget(cbOpen);
  buttons->addWidget(Command1);
  buttons->addSpacing(32);
  buttons->addWidget(cbEx);
  buttons->addWidget(Command2);
  buttons->addStretch(1);
  column->addWidget(Options);

  Text1 = new QLineEdit(central);
  Text1->setObjectName("Text1");
  Text1->setReadOnly(true);
  column->addWidget(Text1);

  // The content frame: slot list beside the preview, the log below; both
  // borders are splitters, so that every pane can be made larger or smaller
  // and the window fits small screens.
  auto* Frame1 = new QGroupBox("Content", central);
  Frame1->setObjectName("Frame1");
  auto* content = new QVBoxLayout(Frame1);
  auto* logSplitter = new QSplitter(Qt::Vertical, Frame1);
  logSplitter->setObjectName("logSplitter");
  auto* listSplitter = new QSplitter(Qt::Horizontal, logSplitter);
  listSplitter->setObjectName("listSplitter");
  content->addWidget(logSplitter);

  lv = new SlotList(listSplitter);
  lv->setObjectName("lv");
  lv->setMinimumWidth(200);

  // The preview takes what the list leaves, with the resolution frame under
  // it and the palette beside both.
  auto* right = new QWidget(listSplitter);
  auto* rightGrid = new QGridLayout(right);
  rightGrid->setContentsMargins(0, 0, 0, 0);
  rightGrid->setHorizontalSpacing(10);
  pane_ = new PreviewPane(right);
  pane_->setMinimumSize(kSmallestPreview, kSmallestPreview);
  rightGrid->addWidget(pane_, 0, 0);

  frmRes = new QGroupBox("Resolution/Alpha state", right);
  frmRes->setObjectName("frmRes");
  frmRes->setFixedWidth(kPreviewSide + 4);
  lowres = new QRadioButton("128x128", frmRes);
  lowres->setObjectName("lowres");
  highres = new QRadioButton("256x256", frmRes);
  highres->setObjectName("highres");
  auto* Command3 = makeButton("Command3", "Set the image to the selected resolution", frmRes);
  Command3->setText("Set");
  Command4 = makeButton("Command4",
                        "View alpha map (black is no transparency, white = full transparency on a "
                        "grey scale)",
                        frmRes);
  bindButton(Command4, alphaAction);
  auto* res = new QGridLayout(frmRes);
  res->addWidget(lowres, 0, 0);
  res->addWidget(highres, 1, 0);
  res->addWidget(Command3, 0, 1);
  res->addWidget(Command4, 1, 1);
  res->setColumnStretch(0, 1);
  paletteGrid = new PaletteGrid(right);
  paletteGrid->setObjectName("paletteGrid");
  rightGrid->addWidget(frmRes, 1, 0, Qt::AlignLeft);
  rightGrid->addWidget(paletteGrid, 0, 1, 2, 1, Qt::AlignTop);
  rightGrid->setRowStretch(0, 1);
  rightGrid->setColumnStretch(0, 1);
  listSplitter->setStretchFactor(0, 1);
  listSplitter->setStretchFactor(1, 2);
  listSplitter->setChildrenCollapsible(false);

  tlog = new QPlainTextEdit(logSplitter);
  tlog->setObjectName("tlog");
  tlog->setReadOnly(true);
  tlog->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  tlog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  tlog->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  tlog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Shrinkable to two lines; it starts with about eight.
  tlog->setMinimumHeight(2 * tlog->fontMetrics().lineSpacing() + 12);
  logSplitter->setStretchFactor(0, 3);
  logSplitter->setStretchFactor(1, 1);
  logSplitter->setCollapsible(0, false);
  logSplitter->setCollapsible(1, false);
  logSplitter->setSizes({500, 8 * tlog->fontMetrics().lineSpacing() + 12});

  column->addWidget(Frame1, 1);
  setCentralWidget(central);
  statusBar();

  connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
  connect(highres, &QRadioButton::clicked, this, &Form1::highres_Click);
  connect(lowres, &QRadioButton::clicked, this, &Form1::lowres_Click);
  connect(lv, &SlotList::userSelected, this, &Form1::lv_Click);
  connect(pane_, &PreviewPane::zoomChanged, this, &Form1::updateActions);
  connect(pane_, &PreviewPane::pixelHovered, this, [this](const QString& text) {
    text.isEmpty() ? statusBar()->clearMessage() : statusBar()->showMessage(text);
  });
}

void Form1::updateActions() {
  // Commands on the container need one (and a selected slot, which the list
  // keeps once filled). While the format dialog waits, no other command that
  // changes the container or writes slot files can start.
  const bool open = opened_ && selectedSlot().has_value();
  const bool idle = formatWait_ == nullptr;
  Command1->setEnabled(open);
  for (QAction* a : {exportAction, importAction, exportAllAction, importAllAction}) a->setEnabled(open && idle);
  frmRes->setEnabled(open);
  alphaAction->setEnabled(open);
  transparencyAction->setEnabled(open);
  for (QAction* a : zoomGroup->actions()) a->setEnabled(open);
  zoomInAction->setEnabled(open && pane_->canZoomIn());
  zoomOutAction->setEnabled(open && pane_->canZoomOut());
  copySlotAction->setEnabled(open);
  pasteSlotAction->setEnabled(open && idle);
}

void Form1::updateTitle() {
  if (containerPath_.isEmpty()) {
    setWindowTitle("Brennick Varnholt");
    return;
  }
  setWindowTitle(QFileInfo(containerPath_).fileName() + "[*] — Brennick Varnholt");
}

void Form1::buildMenu() {
  QMenu* mnuFile = menuBar()->addMenu("File");
  mnuFile->setObjectName("mnuFile");
  mnuFile->addActions({mnuOpen, mnuSave});
  mnuFile->addSeparator();
  mnuFile->addActions({exportAction, importAction});
  mnuFile->addSeparator();
  mnuFile->addActions({exportAllAction, importAllAction});
  importOptionsMenu = new ImportOptionsMenu(mnuFile);
  mnuFile->addMenu(importOptionsMenu);
  mnuFile->addSeparator();
  mnuFile->addAction(mnuExit);

  QMenu* viewMenu = menuBar()->addMenu("View");
  viewMenu->setObjectName("viewMenu");
  viewMenu->addActions({zoomInAction, zoomOutAction});
  connect(zoomInAction, &QAction::triggered, pane_, &PreviewPane::zoomIn);
  connect(zoomOutAction, &QAction::triggered, pane_, &PreviewPane::zoomOut);
  zoomGroup = new QActionGroup(this);
  const std::pair<const char*, int> levels[] = {{"100%", 1}, {"200%", 2}, {"400%", 4}, {"800%", 8}, {"Fit", 0}};
  for (const auto& [text, factor] : levels) {
    QAction* a = viewMenu->addAction(text, pane_, [this, factor = factor] { pane_->setZoom(factor); });
    a->setObjectName(QString("zoom%1Action").arg(factor));
    a->setCheckable(true);
    a->setChecked(factor == pane_->zoom());
    zoomGroup->addAction(a);
  }
  zoomGroup->actions().front()->setShortcut(Qt::CTRL | Qt::Key_0);
  connect(pane_, &PreviewPane::zoomChanged, this, [this] {
    for (QAction* a : zoomGroup->actions()) a->setChecked(a->objectName() == QString("zoom%1Action").arg(pane_->zoom()));
  });
  viewMenu->addSeparator();
  viewMenu->addAction(transparencyAction);
  connect(transparencyAction, &QAction::toggled, pane_, &PreviewPane::setTransparencyShown);
  viewMenu->addAction(alphaAction);

  QMenu* mnuHelp = menuBar()->addMenu("Help");
  mnuHelp->setObjectName("mnuHelp");
  mnuHelp->addAction(mnuAbout);
}

void Form1::closeEvent(QCloseEvent* event) {
  if (!maybeSave()) {
    event->ignore();
    return;
  }
  // A command waiting for the format dialog ends without an answer, and the
  // dialog goes with the window so that the program can end.
  closing_ = true;
  storeSettings();
  endFormatWait();
  if (exDialog_) exDialog_->close();
  QMainWindow::closeEvent(event);
}

}  // namespace varnholt
