// Unsaved changes: the title's mark, the question before they are lost, and
// containers dropped on the window.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "tests/ui/ui_test_support.h"

namespace varnholt::test {
namespace {

using pt::SaveChoice;

class ChangesTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    makeWindow();
    first = writeSample("first.pt");
    other = writeSample("other.pt");
  }
  void openAndChange() {
    openThroughDialog(first);
    clickRow(2);  // low resolution
    form->highres->click();
    form->Command3_Click();
  }
  QString first, other;
};

TEST_F(ChangesTest, NothingToAskAfterASave) {
  openAndChange();
  EXPECT_EQ(form->windowTitle(), "first.pt[*] \u2014 Brennick Varnholt");
  cd.answers = {q(files / "saved.pt")};
  form->Command1_Click();
  EXPECT_FALSE(form->isWindowModified());
  EXPECT_EQ(form->windowTitle(), "saved.pt[*] \u2014 Brennick Varnholt");
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(prompt.saveQuestions.empty());
}

TEST_F(ChangesTest, CloseOrOpenWithChangesAsksSaveDiscardOrCancel) {
  // Close or Open, the answer, the answer to Save's dialog ("" cancels it),
  // and whether the window closed or the other container opened.
  const struct {
    bool close;
    SaveChoice choice;
    const char* saveAs;
    bool goesOn;
  } cases[] = {{true, SaveChoice::Cancel, "", false},  {true, SaveChoice::Discard, "", true},
               {true, SaveChoice::Save, "", false},    {true, SaveChoice::Save, "kept.pt", true},
               {false, SaveChoice::Cancel, "", false}, {false, SaveChoice::Discard, "", true},
               {false, SaveChoice::Save, "kept2.pt", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "close " << c.close << " choice " << int(c.choice) << " " << c.saveAs);
    makeWindow();
    cd.answers.clear();
    openAndChange();
    prompt.saveQuestions.clear();
    prompt.saveChoices = {c.choice};
    const QString saveAs = *c.saveAs ? q(files / c.saveAs) : QString();
    if (c.choice == SaveChoice::Save) cd.answers.push_back(saveAs);
    if (!c.close) cd.answers.push_back(other);
    c.close ? (void)form->close() : form->cbOpen_Click();
    EXPECT_EQ(prompt.saveQuestions, std::vector<std::string>{"first.pt"});
    EXPECT_EQ(c.close ? !form->isVisible() : form->Text1->text() == other, c.goesOn);
    EXPECT_EQ(form->isWindowModified(), !c.goesOn || (c.close && c.choice == SaveChoice::Discard));
    if (!saveAs.isEmpty()) EXPECT_EQ(pt::test::readAll(p(saveAs)).size(), pt::kFileSize);
  }
}

TEST_F(ChangesTest, DroppedContainerAsksAboutTheChangesAndOpens) {
  openAndChange();
  prompt.saveChoices = {SaveChoice::Discard};
  drop(other, form->tlog);
  EXPECT_EQ(lastMessage(), "Opened : " + other);
  EXPECT_EQ(prompt.saveQuestions.size(), 1u);
  EXPECT_FALSE(form->isWindowModified());
}

}  // namespace
}  // namespace varnholt::test
