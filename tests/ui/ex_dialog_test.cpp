// The format dialog on its own.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "exchange/ex_dialog.h"

namespace varnholt::test {
namespace {

class ExDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog = std::make_unique<ExDialog>(answer, &owner);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  }
  QWidget owner;
  std::uint8_t answer = 255;
  std::unique_ptr<ExDialog> dialog;
};

TEST_F(ExDialogTest, StartsWithBitmapChosenAndOkAnswersWhileStayingUp) {
  EXPECT_EQ(dialog->windowTitle(), "Export as...");
  dialog->SetMode(1);
  EXPECT_EQ(dialog->windowTitle(), "Import from...");
  EXPECT_EQ(dialog->size(), QSize(285, 111));
  EXPECT_FALSE(dialog->isModal());
  QSignalSpy answered(dialog.get(), &ExDialog::answered);
  QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
  EXPECT_EQ(answer, 1);
  dialog->Option1->click();
  EXPECT_FALSE(dialog->Option2->isChecked());
  QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(answered.count(), 2);
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ExDialogTest, CancelEnterAndEscapeGiveNoAnswer) {
  QSignalSpy answered(dialog.get(), &ExDialog::answered);
  QTest::keyClick(dialog->OKButton, Qt::Key_Escape);
  QTest::keyClick(dialog->OKButton, Qt::Key_Return);
  EXPECT_TRUE(dialog->isVisible());
  QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(answer, 255);
  EXPECT_EQ(answered.count(), 0);
}

}  // namespace
}  // namespace varnholt::test
