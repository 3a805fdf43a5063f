// Thousands of mixed commands on the real window, checked after every step
// against a model of the container kept by this test: the model knows the
// file layout by its numbers and never calls the core's writer or reader.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <map>
#include <random>

#include "sample/sample_container.h"
#include "tests/ui/ui_test_support.h"

namespace varnholt::test {
namespace {

using pt::Bytes;
using pt::test::readAll;
using pt::test::writeAllBytes;

constexpr std::size_t kContainerSize = 1409024, kUsedFlagsAt = 53250, kResFlagsAt = 53270;
constexpr std::size_t kPaletteBytes = 1024, kRawBytes = 1024 + 65536;

struct ModelSlot {
  int used = 0;
  Bytes data;  // palette (alpha, red, green, blue) then all 65536 pixel bytes
  bool low = false;
  bool height128 = false;  // low as a bitmap import leaves it, not as read
  std::uint8_t colour(std::size_t pixel, int k) const { return data[4u * data[kPaletteBytes + pixel] + k]; }
};
using Model = std::array<ModelSlot, 20>;

// Where the slot's data lie in the file: (file offset, offset in data,
// length). Slot 10's pixels jump a 16384-byte gap.
std::vector<std::array<std::size_t, 3>> slotBlocks(int i) {
  const std::size_t at = i <= 10 ? 53292 + i * 66572u : 801968 + (i - 11) * 66572u;
  if (i != 10) return {{at, 0, kRawBytes}};
  return {{at, 0, kPaletteBytes + 25436}, {at + kPaletteBytes + 25436 + 16384, kPaletteBytes + 25436, 40100}};
}

Model parseModel(const Bytes& file) {
  Model m;
  for (int i = 0; i < 20; ++i) {
    m[i] = {file[kUsedFlagsAt + i] != 0 ? 1 : 0, Bytes(kRawBytes), file[kResFlagsAt + i] == 0};
    for (const auto& [from, to, n] : slotBlocks(i)) std::copy_n(file.begin() + from, n, m[i].data.begin() + to);
  }
  return m;
}

// The container file the model describes, over the blocks of `base` that no
// command changes.
Bytes containerBytes(const Model& m, Bytes base) {
  for (int i = 0; i < 20; ++i) {
    base[kUsedFlagsAt + i] = m[i].used == 1 ? 1 : 0;
    base[kResFlagsAt + i] = m[i].low ? 0 : 1;
    for (const auto& [to, from, n] : slotBlocks(i)) std::copy_n(m[i].data.begin() + from, n, base.begin() + to);
  }
  return base;
}

Bytes bitmapBytes(const ModelSlot& s, Bytes b) {  // b: the header template
  const auto put = [&b](std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
  };
  put(2, 66614);
  put(18, s.low ? 128 : 256);
  put(22, static_cast<std::uint32_t>(s.low ? -128 : -256));
  put(34, 65536);
  for (int n = 0; n < 256; ++n)
    for (int k = 3; k >= 0; --k) b.push_back(s.data[4 * n + k]);
  b.insert(b.end(), s.data.begin() + kPaletteBytes, s.data.end());
  return b;
}

class WindowStress : public WindowTest {
 public:
  void SetUp() override {
    WindowTest::SetUp();
    original = pt::makeSampleContainer();
    writeAllBytes(files / "sample.pt", original);
    writeAllBytes(files / "bad.pt", Bytes(kContainerSize, 'Z'));
    writeAllBytes(files / "short.pt", Bytes(original.begin(), original.begin() + 5000));
    writeAllBytes(files / "bad.bmp", Bytes(70000, 'x'));
    writeAllBytes(files / "short.tex", slotFiles[q(files / "short.tex")] = Bytes(1000, 7));
    action("newPaletteAction")->trigger();  // a bitmap lands as the file holds it, as the model has it
  }
  // --- the commands, each with what the model expects of it ---
  void expectLog(const QString& message) { expectedMessages.push_back(message); }
  void showSlot(int slot, bool alphaMap = false) {  // the preview and the radio buttons follow
    preview = {model[slot], alphaMap};
    radioLow = model[slot].low;
  }
  void clickRandomRow() {
    clickRow(selected = pick(20));
    showSlot(selected, alpha = false);
    expectLog("Preview of slot " + QString::number(selected) + " created.");
  }
  void toggleAlpha() {
    form->Command4_Click();
    expectLog((alpha ? "Creating preview of slot " : "Creating alpha (transparency) indication in grey scale of slot ") +
              QString::number(selected));
    preview = {model[selected], alpha = !alpha};
  }
  void chooseResolution() { ((radioLow = pick(2) == 0) ? child<QRadioButton>("lowres") : child<QRadioButton>("highres"))->click(); }
  void setResolution() {
    form->Command3_Click();
    ModelSlot& s = model[selected];
    modified = modified || s.low != radioLow || (radioLow && s.height128);
    s.low = radioLow;
    s.height128 = false;
    preview = {s, false};
    expectLog("Set slot " + QString::number(selected) + " to new resolution");
  }
  // 0 raw, 1 bitmap, 2 the format dialog is cancelled.
  void answerFormat(int choice) {
    whenFormatDialogUp(*form, [choice](ExDialog& d) {
      if (choice == 0) d.Option1->click();
      (choice == 2 ? d.CancelButton : d.OKButton)->click();
    });
  }
  QString fileFor(int format, int which) {
    return q(files / ((which == 0 ? "a" : "b") + std::string(format == 0 ? ".tex" : ".bmp")));
  }
  // Scripts the answer to the overwrite question if the model expects one;
  // returns whether it is asked, and the answer.
  std::pair<bool, bool> scriptOverwrite(const QString& path) {
    const bool asked = slotFiles.count(path) > 0 || std::filesystem::exists(p(path));
    const bool yes = pick(4) != 0;
    if (asked) prompt.answers.push_back(yes);
    expectedQuestions += asked;
    return {asked, yes};
  }
  void exportSlot() {
    const int choice = pick(6) == 0 ? 2 : pick(2);
    const bool cancelSave = pick(10) == 0;
    const bool used = model[selected].used == 1;
    const QString path = fileFor(choice, pick(2));
    const QString n = QString::number(selected);
    answerFormat(choice);
    cd.answers = {cancelSave ? QString() : path};
    const auto [asked, yes] = choice != 2 && !cancelSave && used ? scriptOverwrite(path) : std::pair(false, false);
    form->cbEx_Click();
    if (choice == 2 || cancelSave) return;
    if (!used || (asked && !yes)) return expectLog("Slot " + n + " not extracted");
    slotFiles[path] = choice == 0 ? model[selected].data : bitmapBytes(model[selected], Bytes(header.begin(), header.end()));
    if (choice == 1) radioLow = model[selected].low;
    ++extracted;
    expectLog("Slot " + n + " extracted as " + path);
  }
  void importSlot() {
    const int choice = pick(6) == 0 ? 2 : pick(2);
    const int source = pick(5);
    const bool cancelOpen = pick(10) == 0;
    const QString path = source == 4 ? q(files / (choice == 0 ? "short.tex" : "bad.bmp")) : fileFor(choice, source % 2);
    answerFormat(choice);
    cd.answers = {cancelOpen ? QString() : path};
    form->Command2_Click();
    if (choice == 2) return;  // nothing happened, nothing refreshed
    const QString n = QString::number(selected);
    const auto known = slotFiles.find(path);
    if (cancelOpen) {  // only the preview is redrawn
    } else if (known == slotFiles.end()) {
      expectLog("Slot " + n + " not loaded with new file");
      expectLog("*");  // its reason, in the file routine's words
    } else {
      const Bytes& f = known->second;
      ModelSlot& s = model[selected];
      if (choice == 0) {  // a raw file fills the slot as far as it reaches
        std::copy_n(f.begin(), std::min(f.size(), kRawBytes), s.data.begin());
        s.used = 1;
      } else {
        for (int k = 0; k < 1024; ++k) s.data[k] = f[54 + (k & ~3) + 3 - (k & 3)];
        std::copy_n(f.begin() + 1078, 65536, s.data.begin() + kPaletteBytes);
        s.low = s.height128 = f[22] == 0x80;  // height -128 rather than -256
      }
      modified = true;
      ++loaded;
      expectLog("Slot " + n + " loaded with " + path);
      if (choice == 0 && f.size() < kRawBytes)
        expectLog("Slot " + n + ": " + QString::number(f.size()) + " of the 66560 bytes of a raw texture came "
                  "from the file; the rest of the slot kept its bytes.");
    }
    showSlot(selected);
  }
  void openFile() { open(pick(4)); }
  void open(int which) {  // the sample, two bad files or the one saved mid-way
    if (which == 3 && !savedMid) return;
    const char* names[] = {"sample.pt", "bad.pt", "short.pt", "mid.pt"};
    const QString path = q(files / names[which]);
    cd.answers = {path};
    const bool keep = modified && pick(4) == 0;
    if (modified) {
      ++expectedSaveQuestions;
      prompt.saveChoices = {keep ? pt::SaveChoice::Cancel : pt::SaveChoice::Discard};
    }
    form->cbOpen_Click();
    if (keep) return cd.answers.clear();
    if (which == 1 || which == 2) {
      expectedErrors += which == 2;
      expectLog("Open failed of " + path);
      return expectLog("*");  // its reason
    }
    rows = model = which == 0 ? parseModel(original) : midModel;
    modified = false;
    showSlot(selected = 0);
    expectLog("Opened : " + path);
  }
  void saveMid() {
    const QString path = q(files / "mid.pt");
    const auto [asked, yes] = scriptOverwrite(path);
    cd.answers = {path};
    form->Command1_Click();
    if (asked && !yes) return expectLog("Save not completed of " + path);
    midModel = model;
    for (ModelSlot& s : midModel) s.height128 = false;  // read back as 512
    savedMid = true;
    modified = false;
    ++saves;
    expectLog("Saved : " + path);
    ASSERT_EQ(readAll(p(path)), containerBytes(model, original));
  }
  // --- the checks after every step ---
  void checkInvariants(int step) {
    SCOPED_TRACE(testing::Message() << "step " << step);
    const pt::PtFile& c = form->container();
    ASSERT_TRUE(pt::isComplete(c));
    for (int i = 0; i < 20; ++i) {
      const pt::PtSlot& s = c.slots[i];
      const ModelSlot& m = model[i];
      ASSERT_EQ(int{s.used}, m.used) << "slot " << i;
      ASSERT_EQ(int{s.width}, m.low ? 128 : 256) << "slot " << i;
      ASSERT_EQ(pt::isLowRes(s.height), m.low) << "slot " << i;
      Bytes data = s.palette;
      for (const Bytes* b : {&s.pixels, &s.extra}) data.insert(data.end(), b->begin(), b->end());
      ASSERT_TRUE(data == m.data) << "slot " << i;
      const QTreeWidgetItem* row = lv()->topLevelItem(i);
      const QString side = rows[i].low ? "128" : "256";
      ASSERT_EQ(row->text(1), QString::number(rows[i].used)) << "row " << i;
      ASSERT_EQ(row->text(2), side) << "row " << i;
      ASSERT_EQ(row->text(3), side) << "row " << i;
    }
    ASSERT_EQ(lv()->topLevelItemCount(), 20);
    ASSERT_EQ(lv()->selectedPosition(), selected + 1);
    ASSERT_EQ(form->isAlphaShown(), alpha);
    ASSERT_EQ(child<QPushButton>("Command4")->text(), alpha ? "View normal" : "View alpha");
    ASSERT_EQ(child<QRadioButton>("lowres")->isChecked(), radioLow);
    ASSERT_EQ(child<QRadioButton>("highres")->isChecked(), !radioLow);
    for (const char* command : {"Command1", "cbEx", "Command2", "frmRes"})
      ASSERT_TRUE(child(command)->isEnabled()) << command;
    ASSERT_EQ(form->exDialog(), nullptr);
    ASSERT_EQ(form->isWindowModified(), modified);
    ASSERT_EQ(prompt.saveQuestions.size(), expectedSaveQuestions);
    const auto messages = logMessages(form->logText());
    ASSERT_EQ(messages.size(), expectedMessages.size());
    const std::size_t last = messages.size() - (expectedMessages.back() == "*" ? 2 : 1);
    ASSERT_EQ(messages[last], expectedMessages[last]);
    ASSERT_FALSE(messages.back().isEmpty());
    ASSERT_EQ(prompt.questions.size(), expectedQuestions);
    ASSERT_EQ(prompt.errors.size(), expectedErrors);
    ASSERT_TRUE(prompt.answers.empty());
    const QImage picture = shownPicture();
    const auto& [shown, alphaMap] = preview;
    const int side = shown.low ? 128 : 256;
    ASSERT_EQ(picture.size(), QSize(side, side));
    for (int n = 0; n < 12; ++n) {
      const int x = pick(side);
      const int y = pick(side);
      const std::size_t at = static_cast<std::size_t>(y) * side + x;
      const auto c = [&](int k) { return shown.colour(at, alphaMap ? 0 : k); };
      ASSERT_EQ(picture.pixel(x, y) & 0xFFFFFF, qRgb(c(1), c(2), c(3)) & 0xFFFFFF) << "pixel " << x << "," << y;
    }
    for (const auto& [path, bytes] : slotFiles) ASSERT_TRUE(readAll(p(path)) == bytes);
  }
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  std::mt19937 rng{20091206};
  Bytes original;
  Model model, rows, midModel;  // rows: what the list shows
  bool savedMid = false, modified = false, alpha = false, radioLow = false;
  int selected = 0, loaded = 0, extracted = 0, saves = 0;
  std::pair<ModelSlot, bool> preview;  // the slot shown, as its alpha map or not
  std::vector<QString> expectedMessages{"Loading bitmap header"};
  std::size_t expectedQuestions = 0, expectedErrors = 0, expectedSaveQuestions = 0;
  std::map<QString, Bytes> slotFiles;  // what each exported file must hold
};

TEST_F(WindowStress, ThousandsOfMixedCommandsKeepTheContainerAndTheWindowConsistent) {
  open(0);
  checkInvariants(0);
  ASSERT_FALSE(HasFatalFailure());
  // Cumulative percentages of the command kinds.
  const std::pair<int, void (WindowStress::*)()> kinds[] = {
      {30, &WindowStress::clickRandomRow}, {42, &WindowStress::toggleAlpha}, {52, &WindowStress::chooseResolution},
      {62, &WindowStress::setResolution},  {77, &WindowStress::exportSlot},  {92, &WindowStress::importSlot},
      {97, &WindowStress::openFile},       {100, &WindowStress::saveMid}};
  std::array<int, 8> counts{};
  for (int step = 1; step <= 3000; ++step) {
    const int roll = pick(100);
    int kind = 0;
    while (roll >= kinds[kind].first) ++kind;
    (this->*kinds[kind].second)();
    ++counts[kind];
    ASSERT_FALSE(HasFatalFailure()) << "step " << step;
    checkInvariants(step);
    ASSERT_FALSE(HasFatalFailure()) << "step " << step << " (command kind " << kind << ")";
  }
  for (int k = 0; k < 8; ++k) EXPECT_GT(counts[k], 50) << "command kind " << k;
  const QString final = q(files / "final.pt");
  cd.answers = {final};
  form->Command1_Click();
  EXPECT_EQ(lastMessage(), "Saved : " + final);
  const Bytes saved = readAll(p(final));
  ASSERT_EQ(saved.size(), kContainerSize);
  EXPECT_TRUE(saved == containerBytes(model, original));
  // The run went through the paths that change slots and write files.
  EXPECT_GT(loaded, 50);
  EXPECT_GT(extracted, 50);
  EXPECT_GT(saves, 10);
}

}  // namespace
}  // namespace varnholt::test
