#include "ui/form1.h"

#include <QCloseEvent>
#include <QEventLoop>
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
#include <QVBoxLayout>

#include "exchange/ex_dialog.h"
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
  setWindowTitle("Brennick Varnholt");
  buildControls();
  buildMenu();
  Form_Load();
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
  Command1->setEnabled(false);
  cbEx->setEnabled(false);
  Command2->setEnabled(false);
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

  p1 = new QLabel(Frame1);
  p1->setObjectName("p1");
  p1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  p1->setLineWidth(1);
  p1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  p1->setBackgroundRole(QPalette::Dark);
  p1->setAutoFillBackground(true);
  const int framed = kPreviewSide + 2 * p1->frameWidth();
  p1->setFixedSize(framed, framed);
  content->addWidget(p1, 0, 1, Qt::AlignTop | Qt::AlignLeft);

  frmRes = new QGroupBox("Resolution/Alpha state", Frame1);
  frmRes->setObjectName("frmRes");
  frmRes->setFixedWidth(framed);
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
  content->addWidget(frmRes, 1, 1, Qt::AlignTop);

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
  content->setRowStretch(1, 1);
  content->setRowStretch(2, 1);
  column->addWidget(Frame1, 1);
  setCentralWidget(central);
  resize(720, 700);

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

void Form1::buildMenu() {
  mnuFile = menuBar()->addMenu("File");
  mnuFile->setObjectName("mnuFile");
  mnuOpen = mnuFile->addAction("Open");
  mnuOpen->setObjectName("mnuOpen");
  mnuOpen->setShortcut(QKeySequence::Open);
  mnuSave = mnuFile->addAction("Save");
  mnuSave->setObjectName("mnuSave");
  mnuSave->setShortcut(QKeySequence::Save);
  mnuFile->addSeparator();
  mnuExit = mnuFile->addAction("Exit");
  mnuExit->setObjectName("mnuExit");
  mnuExit->setShortcut(QKeySequence::Quit);
  mnuHelp = menuBar()->addMenu("Help");
  mnuHelp->setObjectName("mnuHelp");
  mnuAbout = mnuHelp->addAction("About");
  mnuAbout->setObjectName("mnuAbout");

  connect(mnuOpen, &QAction::triggered, this, &Form1::mnuOpen_Click);
  connect(mnuSave, &QAction::triggered, this, &Form1::mnuSave_Click);
  connect(mnuExit, &QAction::triggered, this, &Form1::mnuExit_Click);
  connect(mnuAbout, &QAction::triggered, this, &Form1::mnuAbout_Click);
}

void Form1::closeEvent(QCloseEvent* event) {
  // A command waiting for the format dialog ends without an answer, and the
  // dialog goes with the window so that the program can end.
  closing_ = true;
  endFormatWait();
  if (exDialog_) exDialog_->close();
  QMainWindow::closeEvent(event);
}

}  // namespace varnholt
