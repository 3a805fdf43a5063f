#include <gtest/gtest.h>

#include "ui/file_dialog.h"

namespace varnholt {
namespace {

TEST(FileDialogFilter, PairsBecomeQtNameFiltersAndNamesGetTheDefaultExtension) {
  EXPECT_EQ(qtNameFilters("*.pt|*.pt"), QStringList{"*.pt"});
  EXPECT_EQ(qtNameFilters("Bitmaps|*.bmp;*.dib|All files|*.*"),
            (QStringList{"Bitmaps (*.bmp *.dib)", "All files (*.*)"}));
  EXPECT_TRUE(qtNameFilters("lonely").isEmpty());
  EXPECT_EQ(withDefaultExt("/tmp/a", "pt"), "/tmp/a.pt");
  EXPECT_EQ(withDefaultExt("/tmp/a.tex", "pt"), "/tmp/a.tex");
  EXPECT_EQ(withDefaultExt("/tmp/dir.d/a", "bmp"), "/tmp/dir.d/a.bmp");
}

}  // namespace
}  // namespace varnholt
