// The format dialog on its own.
#include <gtest/gtest.h>

#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "exchange/ex_dialog.h"
#include "tests/ui/ui_test_support.h"

namespace varnholt::test {
namespace {

// On the round indicator: a radio button takes clicks only on it and its text.
void clickOption(QRadioButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }

class ExDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    owner.setWindowIcon(QIcon(icon));
    dialog = std::make_unique<ExDialog>(answer, &owner);
  }
  void showIt() {
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  }
  QWidget owner;
  std::uint8_t answer = 255;
  std::unique_ptr<ExDialog> dialog;
};

TEST_F(ExDialogTest, LoadsInItsDesignedState) {
  EXPECT_EQ(dialog->windowTitle(), "Export as...");
  EXPECT_EQ(dialog->Modus, 0);
  EXPECT_FALSE(dialog->isModal());
  EXPECT_FALSE(dialog->Option1->isChecked());
  EXPECT_TRUE(dialog->Option2->isChecked());
  EXPECT_EQ(dialog->windowIcon().cacheKey(), owner.windowIcon().cacheKey());

  showIt();
  EXPECT_EQ(dialog->size(), QSize(285, 111));
  EXPECT_EQ(dialog->minimumSize(), QSize(285, 111));
  EXPECT_EQ(dialog->maximumSize(), QSize(285, 111));
  const Qt::WindowFlags flags = dialog->windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_EQ(dialog->focusWidget(), dialog->OKButton);
  EXPECT_EQ(dialog->OKButton->nextInFocusChain(), dialog->CancelButton);
  EXPECT_EQ(dialog->CancelButton->nextInFocusChain(), dialog->Option1);
  EXPECT_EQ(dialog->Option1->nextInFocusChain(), dialog->Option2);
  EXPECT_FALSE(dialog->OKButton->isDefault() || dialog->OKButton->autoDefault());
  EXPECT_FALSE(dialog->CancelButton->isDefault() || dialog->CancelButton->autoDefault());
}

TEST_F(ExDialogTest, CaptionsFitTheirDesignedWidths) {
  showIt();
  for (QRadioButton* b : {dialog->Option1, dialog->Option2}) {
    const int text = b->fontMetrics().horizontalAdvance(b->text());
    EXPECT_LE(text + 16, b->width()) << b->objectName().toStdString();
    EXPECT_LE(b->sizeHint().width(), b->width()) << b->objectName().toStdString();
  }
}

TEST_F(ExDialogTest, SetModeSetsCaptionAndModus) {
  std::uint8_t m = 1;
  dialog->SetMode(m);
  EXPECT_EQ(dialog->windowTitle(), "Import from...");
  EXPECT_EQ(dialog->Modus, 1);
  dialog->SetMode(7);
  EXPECT_EQ(dialog->Modus, 7);
  EXPECT_EQ(dialog->windowTitle(), "Import from...");
  dialog->SetMode(0);
  EXPECT_EQ(dialog->windowTitle(), "Export as...");
  EXPECT_EQ(dialog->Modus, 0);
}

TEST_F(ExDialogTest, OkAnswersWithTheSelectedOptionAndStaysUp) {
  showIt();
  QSignalSpy answered(dialog.get(), &ExDialog::answered);
  QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(answered.count(), 1);
  EXPECT_TRUE(dialog->isVisible());

  answer = 255;
  clickOption(dialog->Option1);
  EXPECT_TRUE(dialog->Option1->isChecked());
  EXPECT_FALSE(dialog->Option2->isChecked());
  QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
  EXPECT_EQ(answer, 0);

  answer = 255;
  clickOption(dialog->Option1);
  clickOption(dialog->Option2);
  EXPECT_FALSE(dialog->Option1->isChecked());
  EXPECT_TRUE(dialog->Option2->isChecked());
  QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(answered.count(), 3);
}

TEST_F(ExDialogTest, CancelAndTheCloseBoxCloseWithoutAnAnswer) {
  showIt();
  QSignalSpy finished(dialog.get(), &QDialog::finished);
  QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(answer, 255);
  EXPECT_EQ(finished.count(), 1);

  showIt();
  dialog->close();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(answer, 255);
  EXPECT_EQ(finished.count(), 2);
}

TEST_F(ExDialogTest, EnterAndEscapeChooseNothing) {
  showIt();
  QSignalSpy answered(dialog.get(), &ExDialog::answered);
  QTest::keyClick(dialog->OKButton, Qt::Key_Escape);
  QTest::keyClick(dialog->OKButton, Qt::Key_Return);
  QTest::keyClick(dialog.get(), Qt::Key_Enter);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(answer, 255);
  EXPECT_EQ(answered.count(), 0);
  // Space on the focused button is a click.
  QTest::keyClick(dialog->OKButton, Qt::Key_Space);
  EXPECT_EQ(answer, 1);
}

}  // namespace
}  // namespace varnholt::test
