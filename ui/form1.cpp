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
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>

#include "exchange/ex_dialog.h"
#include "ui/palette_grid.h"
#include "ui/slot_list.h"

namespace varnholt {

namespace {

constexpr int kPreviewSide = 257;

QPushButton* makeButton(const QString& name, const QString& caption, const QString& tip,
                        QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setToolTip(tip);
  b->setMinimumWidth(110);
  return b;
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
  buildControls();
  buildMenu();
  Form_Load();
  updateTitle();
  updateActions();
}

Form1::~Form1() {
  endFormatWait();
  delete exDialog_;
}

void Form1::buildControls() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(8, 6, 8, 8);
  column->setSpacing(6);

  Options = new QGroupBox("Options", central);
  Options->setObjectName("Options");
  cbOpen = makeButton("cbOpen", "Open PT", "Open .PT file", Options);
  Command1 = makeButton("Command1", "Save PT", "Save the current Paint Tool file", Options);
  cbEx = makeButton("cbEx", "Export image", "Export the image", Options);
  Command2 = makeButton("Command2", "Import image", "Import the image", Options);
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

  Frame1 = new QGroupBox("Content", central);
  Frame1->setObjectName("Frame1");
  auto* content = new QGridLayout(Frame1);
  content->setHorizontalSpacing(10);
  content->setVerticalSpacing(8);

  lv = new SlotList(Frame1);
  lv->setObjectName("lv");
  lv->setMinimumWidth(300);
  content->addWidget(lv, 0, 0, 2, 1);

  // The picture grows with the window; zoom and pixel readout in form1_view.cpp.
  previewArea = new QScrollArea(Frame1);
  previewArea->setObjectName("previewArea");
  previewArea->setBackgroundRole(QPalette::Dark);
  previewArea->setAlignment(Qt::AlignCenter);
  previewArea->setMinimumSize(kPreviewSide + 4, kPreviewSide + 4);
  p1 = new QLabel;
  p1->setObjectName("p1");
  p1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  p1->setMouseTracking(true);
  p1->installEventFilter(this);
  previewArea->setWidget(p1);
  previewArea->viewport()->installEventFilter(this);
  content->addWidget(previewArea, 0, 1);

  frmRes = new QGroupBox("Resolution/Alpha state", Frame1);
  frmRes->setObjectName("frmRes");
  frmRes->setFixedWidth(kPreviewSide + 4);
  lowres = new QRadioButton("128x128", frmRes);
  lowres->setObjectName("lowres");
  highres = new QRadioButton("256x256", frmRes);
  highres->setObjectName("highres");
  Command3 = makeButton("Command3", "Set", "Set the image to the selected resolution", frmRes);
  Command4 = makeButton("Command4", "View alpha",
                        "View alpha map (black is no transparency, white = full transparency on a "
                        "grey scale)",
                        frmRes);
  auto* res = new QGridLayout(frmRes);
  res->addWidget(lowres, 0, 0);
  res->addWidget(highres, 1, 0);
  res->addWidget(Command3, 0, 1);
  res->addWidget(Command4, 1, 1);
  res->setColumnStretch(0, 1);
  paletteGrid = new PaletteGrid(Frame1);
  paletteGrid->setObjectName("paletteGrid");
  auto* under = new QHBoxLayout;
  under->setSpacing(12);
  under->addWidget(frmRes, 0, Qt::AlignTop);
  under->addWidget(paletteGrid, 0, Qt::AlignTop);
  under->addStretch(1);
  content->addLayout(under, 1, 1);

  tlog = new QPlainTextEdit(Frame1);
  tlog->setObjectName("tlog");
  tlog->setReadOnly(true);
  tlog->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  tlog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  tlog->setLineWrapMode(QPlainTextEdit::NoWrap);
  tlog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  tlog->setMinimumHeight(8 * tlog->fontMetrics().lineSpacing() + 12);
  content->addWidget(tlog, 2, 0, 1, 2);

  content->setColumnStretch(0, 1);
  content->setColumnStretch(1, 2);
  content->setRowStretch(0, 3);
  content->setRowStretch(2, 1);
  column->addWidget(Frame1, 1);
  setCentralWidget(central);
  resize(900, 760);
  statusBar();

  connect(cbOpen, &QPushButton::clicked, this, &Form1::cbOpen_Click);
  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(cbEx, &QPushButton::clicked, this, &Form1::cbEx_Click);
  connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
  connect(highres, &QRadioButton::clicked, this, &Form1::highres_Click);
  connect(lowres, &QRadioButton::clicked, this, &Form1::lowres_Click);
  connect(lv, &SlotList::userSelected, this, &Form1::lv_Click);
}

void Form1::updateActions() {
  // Commands on the container need one; Save is always there and refuses
  // itself when nothing is open. While the format dialog waits, another
  // export or import cannot start.
  const bool open = opened_;
  const bool idle = formatWait_ == nullptr;
  const bool slot = selectedSlot().has_value();
  Command1->setEnabled(open);
  cbEx->setEnabled(open && idle);
  Command2->setEnabled(open && idle);
  exportAction->setEnabled(open && idle && slot);
  importAction->setEnabled(open && idle && slot);
  frmRes->setEnabled(open);
  alphaAction->setEnabled(open && slot);
  for (QAction* a : viewMenu->actions()) {
    if (a == alphaAction) continue;
    a->setEnabled(open);
  }
}

void Form1::updateTitle() {
  if (containerPath_.isEmpty()) {
    setWindowTitle("Brennick Varnholt");
    return;
  }
  setWindowTitle(QFileInfo(containerPath_).fileName() + "[*] — Brennick Varnholt");
}

void Form1::markModified() { setWindowModified(true); }

void Form1::buildMenu() {
  mnuFile = menuBar()->addMenu("File");
  mnuFile->setObjectName("mnuFile");
  mnuOpen = mnuFile->addAction("Open", QKeySequence::Open, this, &Form1::mnuOpen_Click);
  mnuOpen->setObjectName("mnuOpen");
  mnuSave = mnuFile->addAction("Save", QKeySequence::Save, this, &Form1::mnuSave_Click);
  mnuSave->setObjectName("mnuSave");
  mnuFile->addSeparator();
  exportAction = mnuFile->addAction("Export image…", QKeySequence(Qt::CTRL | Qt::Key_E), this,
                                    &Form1::cbEx_Click);
  importAction = mnuFile->addAction("Import image…", QKeySequence(Qt::CTRL | Qt::Key_I), this,
                                    &Form1::Command2_Click);
  mnuFile->addSeparator();
  mnuExit = mnuFile->addAction("Exit", QKeySequence::Quit, this, &Form1::mnuExit_Click);
  mnuExit->setObjectName("mnuExit");

  viewMenu = menuBar()->addMenu("View");
  viewMenu->setObjectName("viewMenu");
  zoomInAction = viewMenu->addAction("Zoom in", QKeySequence::ZoomIn, this, &Form1::zoomIn);
  // Ctrl+= as well: on most layouts "+" needs Shift.
  zoomInAction->setShortcuts({QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  zoomOutAction = viewMenu->addAction("Zoom out", QKeySequence::ZoomOut, this, &Form1::zoomOut);
  zoomGroup = new QActionGroup(this);
  struct Level {
    const char* text;
    int factor;
    QKeySequence key;
  };
  const Level levels[] = {{"100%", 1, QKeySequence(Qt::CTRL | Qt::Key_0)},
                          {"200%", 2, {}},
                          {"400%", 4, {}},
                          {"800%", 8, {}},
                          {"Fit", 0, {}}};
  for (const Level& level : levels) {
    const int factor = level.factor;
    QAction* a = viewMenu->addAction(level.text, level.key, this, [this, factor] { setZoom(factor); });
    a->setCheckable(true);
    a->setData(factor);
    a->setChecked(factor == zoom_);
    zoomGroup->addAction(a);
  }
  viewMenu->addSeparator();
  transparencyAction = viewMenu->addAction("Show transparency", QKeySequence(Qt::CTRL | Qt::Key_T),
                                           this, &Form1::setTransparencyShown);
  transparencyAction->setCheckable(true);
  alphaAction = viewMenu->addAction("Alpha map", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A),
                                    this, &Form1::Command4_Click);

  mnuHelp = menuBar()->addMenu("Help");
  mnuHelp->setObjectName("mnuHelp");
  mnuAbout = mnuHelp->addAction("About", this, &Form1::mnuAbout_Click);
  mnuAbout->setObjectName("mnuAbout");
}

void Form1::closeEvent(QCloseEvent* event) {
  if (!maybeSave()) {
    event->ignore();
    return;
  }
  // A command waiting for the format dialog ends without an answer, and the
  // dialog goes with the window so that the program can end.
  closing_ = true;
  endFormatWait();
  if (exDialog_) exDialog_->close();
  QMainWindow::closeEvent(event);
}

}  // namespace varnholt
