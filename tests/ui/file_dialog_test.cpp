#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"
#include "ui/file_dialog.h"

namespace varnholt::test {
namespace {

TEST(FileDialogFilter, PairsBecomeQtNameFilters) {
  EXPECT_EQ(qtNameFilters("*.pt|*.pt"), QStringList{"*.pt"});
  EXPECT_EQ(qtNameFilters("Bitmaps|*.bmp;*.dib|All files|*.*"),
            (QStringList{"Bitmaps (*.bmp *.dib)", "All files (*.*)"}));
  EXPECT_TRUE(qtNameFilters("").isEmpty());
  EXPECT_TRUE(qtNameFilters("lonely").isEmpty());
}

TEST(FileDialogFilter, DefaultExtensionOnlyForNamesWithoutOne) {
  EXPECT_EQ(withDefaultExt("/tmp/a", "pt"), "/tmp/a.pt");
  EXPECT_EQ(withDefaultExt("/tmp/a.tex", "pt"), "/tmp/a.tex");
  EXPECT_EQ(withDefaultExt("/tmp/dir.d/a", "bmp"), "/tmp/dir.d/a.bmp");
  EXPECT_EQ(withDefaultExt("/tmp/a", ""), "/tmp/a");
  EXPECT_EQ(withDefaultExt("", "pt"), "");
}

TEST(FileDialogSettings, ChosenPathBecomesTheFileNameAndCancelKeepsIt) {
  ScriptedFileDialog cd;
  cd.setFileName("/old.pt");
  cd.answers = {"/chosen.pt", ""};
  EXPECT_EQ(cd.showOpen(), "/chosen.pt");
  EXPECT_EQ(cd.fileName(), "/chosen.pt");
  EXPECT_EQ(cd.showSave(), "");
  EXPECT_EQ(cd.fileName(), "/chosen.pt");
  ASSERT_EQ(cd.shown.size(), 2u);
  EXPECT_EQ(cd.shown[0].fileName, "/old.pt");
  EXPECT_FALSE(cd.shown[0].save);
  EXPECT_TRUE(cd.shown[1].save);
}

}  // namespace
}  // namespace varnholt::test
