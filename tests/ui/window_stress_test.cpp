// Thousands of mixed commands on the real window, checked after every step
// against a model of the container kept by this test: the model knows the
// file layout by its numbers and never calls the core's writer or reader.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <map>
#include <random>

#include "sample/sample_container.h"
#include "tests/ui/ui_test_support.h"
#include "ui/slot_list.h"

namespace varnholt::test {
namespace {

using pt::Bytes;
using pt::test::readAll;
using pt::test::writeAllBytes;

// Facts of the container layout.
constexpr std::size_t kContainerSize = 1409024, kUsedFlagsAt = 53250, kResFlagsAt = 53270;
constexpr std::size_t kPaletteBytes = 1024, kPixelBytes = 65536;

struct ModelSlot {
  int used = 0;
  Bytes palette;  // alpha, red, green, blue
  Bytes pixels;   // all 65536
  bool low = false;
  bool height128 = false;  // low as a bitmap import leaves it, not as read
};
using Model = std::array<ModelSlot, 20>;

// Where the slot's palette and pixel data lie in the file: (file offset,
// offset in palette + pixels, length). Slot 10's pixels jump a 16384-byte gap.
std::vector<std::array<std::size_t, 3>> slotBlocks(int i) {
  const std::size_t at = i <= 10 ? 53292 + i * 66572u : 801968 + (i - 11) * 66572u;
  if (i != 10) return {{at, 0, kPaletteBytes + kPixelBytes}};
  return {{at, 0, kPaletteBytes + 25436}, {at + kPaletteBytes + 25436 + 16384, kPaletteBytes + 25436, 40100}};
}

Model parseModel(const Bytes& file) {
  Model m;
  for (int i = 0; i < 20; ++i) {
    Bytes both(kPaletteBytes + kPixelBytes);
    for (const auto& [from, to, n] : slotBlocks(i)) std::copy_n(file.begin() + from, n, both.begin() + to);
    m[i] = {file[kUsedFlagsAt + i] != 0 ? 1 : 0, Bytes(both.begin(), both.begin() + kPaletteBytes),
            Bytes(both.begin() + kPaletteBytes, both.end()), file[kResFlagsAt + i] == 0};
  }
  return m;
}

// The container file the model describes, over the blocks of `base` that no
// command changes.
Bytes containerBytes(const Model& m, Bytes base) {
  for (int i = 0; i < 20; ++i) {
    base[kUsedFlagsAt + i] = m[i].used == 1 ? 1 : 0;
    base[kResFlagsAt + i] = m[i].low ? 0 : 1;
    Bytes both = m[i].palette;
    both.insert(both.end(), m[i].pixels.begin(), m[i].pixels.end());
    for (const auto& [to, from, n] : slotBlocks(i)) std::copy_n(both.begin() + from, n, base.begin() + to);
  }
  return base;
}

void putLe32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

Bytes bitmapBytes(const ModelSlot& s, const Bytes& headerTemplate) {
  Bytes b = headerTemplate;
  putLe32(b, 2, 66614);
  putLe32(b, 18, s.low ? 128 : 256);
  putLe32(b, 22, static_cast<std::uint32_t>(s.low ? -128 : -256));
  putLe32(b, 34, 65536);
  for (int n = 0; n < 256; ++n)
    for (int k = 3; k >= 0; --k) b.push_back(s.palette[4 * n + k]);
  b.insert(b.end(), s.pixels.begin(), s.pixels.end());
  return b;
}

Bytes rawBytes(const ModelSlot& s) {
  Bytes b = s.palette;
  b.insert(b.end(), s.pixels.begin(), s.pixels.end());
  return b;
}

class WindowStress : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    makeWindow();
    headerTemplate = Bytes(header.begin(), header.end());
    original = pt::makeSampleContainer();
    samplePath = q(files / "sample.pt");
    writeAllBytes(p(samplePath), original);
    writeAllBytes(files / "bad.pt", Bytes(kContainerSize, 'Z'));
    writeAllBytes(files / "short.pt", Bytes(original.begin(), original.begin() + 5000));
    writeAllBytes(files / "bad.bmp", Bytes(70000, 'x'));
    writeAllBytes(files / "short.tex", Bytes(1000, 7));
    slotFiles[q(files / "short.tex")] = Bytes(1000, 7);
  }

  // --- the commands, each with what the model expects of it ---

  void expectLog(const QString& message) { expectedMessages.push_back(message); }

  void previewOf(int slot, bool alpha) { preview = {model[slot], alpha}; }
  void radioOf(int slot) { radioLow = model[slot].low; }

  void clickRandomRow() {
    const int row = pick(20);
    clickRow(row);
    selected = row;
    alpha = false;
    previewOf(row, false);
    radioOf(row);
    expectLog("Preview of slot " + QString::number(row) + " created.");
  }

  void toggleAlpha() {
    form->Command4_Click();
    expectLog(alpha ? "Creating preview of slot " + QString::number(selected)
                    : "Creating alpha (transparency) indication in grey scale of slot " +
                          QString::number(selected));
    alpha = !alpha;
    previewOf(selected, alpha);
  }

  void chooseResolution() {
    const bool low = pick(2) == 0;
    (low ? form->lowres : form->highres)->click();
    radioLow = low;
  }

  void setResolution() {
    form->Command3_Click();
    ModelSlot& s = model[selected];
    modified = modified || s.low != radioLow || (radioLow && s.height128);
    s.low = radioLow;
    s.height128 = false;
    previewOf(selected, false);
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

  // Answers the overwrite question if the model expects one.
  void scriptOverwrite(const QString& path, bool& asked, bool& yes) {
    asked = slotFiles.count(path) > 0 || std::filesystem::exists(p(path));
    yes = pick(4) != 0;
    if (asked) prompt.answers.push_back(yes);
  }

  void exportSlot() {
    const int choice = pick(6) == 0 ? 2 : pick(2);
    const bool cancelSave = pick(10) == 0;
    const QString path = fileFor(choice, pick(2));
    answerFormat(choice);
    cd.answers = {cancelSave ? QString() : path};
    bool asked = false, yes = false;
    const bool used = model[selected].used == 1;
    if (choice != 2 && !cancelSave && used) scriptOverwrite(path, asked, yes);
    form->cbEx_Click();
    expectedQuestions += asked ? 1 : 0;
    if (choice == 2 || cancelSave) return;
    const QString n = QString::number(selected);
    if (!used || (asked && !yes)) {
      expectLog("Slot " + n + " not extracted");
      return;
    }
    slotFiles[path] = choice == 0 ? rawBytes(model[selected]) : bitmapBytes(model[selected], headerTemplate);
    if (choice == 1) radioOf(selected);
    ++extracted;
    expectLog("Slot " + n + " extracted as " + path);
  }

  void importSlot() {
    const int choice = pick(6) == 0 ? 2 : pick(2);
    const bool cancelOpen = pick(10) == 0;
    const int source = pick(5);
    const QString path = source == 4 ? q(files / (choice == 0 ? "short.tex" : "bad.bmp")) : fileFor(choice, source % 2);
    answerFormat(choice);
    cd.answers = {cancelOpen ? QString() : path};
    form->Command2_Click();
    if (choice == 2) return;  // nothing happened, nothing refreshed
    const QString n = QString::number(selected);
    if (!cancelOpen) {
      const auto known = slotFiles.find(path);
      if (known == slotFiles.end()) {
        expectLog("Slot " + n + " not loaded with new file");
        expectLog("*");  // its reason, in the file routine's words
      } else {
        const Bytes& f = known->second;
        ModelSlot& s = model[selected];
        if (choice == 0) {
          // A raw file fills palette and pixels as far as it reaches.
          Bytes all = s.palette;
          all.insert(all.end(), s.pixels.begin(), s.pixels.end());
          std::copy(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(std::min(f.size(), all.size())), all.begin());
          s.palette.assign(all.begin(), all.begin() + kPaletteBytes);
          s.pixels.assign(all.begin() + kPaletteBytes, all.end());
          s.used = 1;
        } else {
          for (int e = 0; e < 256; ++e)
            for (int k = 0; k < 4; ++k) s.palette[4 * e + k] = f[54 + 4 * e + 3 - k];
          s.pixels.assign(f.begin() + 1078, f.begin() + 1078 + kPixelBytes);
          s.low = f[22] == 0x80;  // height -128 rather than -256
          s.height128 = s.low;
        }
        modified = true;
        ++loaded;
        expectLog("Slot " + n + " loaded with " + path);
        if (choice == 0 && f.size() < kPaletteBytes + kPixelBytes)
          expectLog("Note: " + QString::number(f.size()) + " of the 66560 bytes of a raw texture came "
                    "from the file; the rest of the slot kept its bytes.");
      }
    }
    previewOf(selected, false);
    radioOf(selected);
  }

  void openFile() {
    const int which = pick(4);
    if (which == 3 && !savedMid) return;
    const QString path = which == 0   ? samplePath
                         : which == 1 ? q(files / "bad.pt")
                         : which == 2 ? q(files / "short.pt")
                                      : q(files / "mid.pt");
    cd.answers = {path};
    const bool keep = modified && pick(4) == 0;
    if (modified) {
      ++expectedSaveQuestions;
      windowPrompt.saveChoices = {keep ? pt::SaveChoice::Cancel : pt::SaveChoice::Discard};
    }
    form->cbOpen_Click();
    if (keep) {
      cd.answers.clear();
      return;
    }
    if (which == 1 || which == 2) {
      expectedErrors += which == 2 ? 1 : 0;
      expectLog("Open failed of " + path);
      return;
    }
    model = which == 0 ? parseModel(original) : midModel;
    rows = model;
    modified = false;
    selected = 0;
    previewOf(0, false);
    radioOf(0);
    expectLog("Opened : " + path);
  }

  void saveMid() {
    const QString path = q(files / "mid.pt");
    bool asked = false, yes = true;
    scriptOverwrite(path, asked, yes);
    cd.answers = {path};
    form->Command1_Click();
    expectedQuestions += asked ? 1 : 0;
    if (asked && !yes) {
      expectLog("Save not completed of " + path);
      return;
    }
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
      ASSERT_EQ(std::tuple(int{s.used}, pt::isLowRes(s.height), int{s.width}), std::tuple(m.used, m.low, m.low ? 128 : 256))
          << "slot " << i;
      ASSERT_TRUE(s.palette == m.palette && pt::fullPixelData(s) == m.pixels) << "slot " << i;
      const QTreeWidgetItem* row = form->lv->topLevelItem(i);
      const QString side = rows[i].low ? "128" : "256";
      ASSERT_EQ(QStringList({row->text(1), row->text(2), row->text(3)}),
                QStringList({QString::number(rows[i].used), side, side})) << "row " << i;
    }
    ASSERT_EQ(std::tuple(form->lv->topLevelItemCount(), form->lv->columnCount(), form->lv->selectedPosition()),
              std::tuple(20, 4, selected + 1));
    ASSERT_EQ(form->isAlphaShown(), alpha);
    ASSERT_EQ(form->Command4->text(), alpha ? "View normal" : "View alpha");
    ASSERT_EQ(std::pair(form->lowres->isChecked(), form->highres->isChecked()), std::pair(radioLow, !radioLow));
    for (QWidget* w : std::initializer_list<QWidget*>{form->Command1, form->cbEx, form->Command2, form->frmRes})
      ASSERT_TRUE(w->isEnabled());
    ASSERT_EQ(form->exDialog(), nullptr);
    ASSERT_EQ(form->isWindowModified(), modified);
    ASSERT_EQ(windowPrompt.saveQuestions.size(), expectedSaveQuestions);

    const auto messages = logMessages(form->logText());
    ASSERT_EQ(messages.size(), expectedMessages.size());
    const std::size_t last = messages.size() - (expectedMessages.back() == "*" ? 2 : 1);
    ASSERT_EQ(messages[last], expectedMessages[last]);
    ASSERT_FALSE(messages.back().isEmpty());
    ASSERT_EQ(std::pair(prompt.questions.size(), prompt.errors.size()), std::pair(expectedQuestions, expectedErrors));
    ASSERT_TRUE(prompt.answers.empty());

    const QImage picture = shownPicture();
    const auto& [shown, alphaMap] = preview;
    const int side = shown.low ? 128 : 256;
    ASSERT_EQ(picture.size(), QSize(side, side));
    for (int k = 0; k < 12; ++k) {
      const int x = pick(side), y = pick(side);
      const std::uint8_t* e = &shown.palette[4u * shown.pixels[static_cast<std::size_t>(y) * side + x]];
      const QRgb want = alphaMap ? qRgb(e[0], e[0], e[0]) : qRgb(e[1], e[2], e[3]);
      ASSERT_EQ(picture.pixel(x, y) & 0xFFFFFF, want & 0xFFFFFF) << "pixel " << x << "," << y;
    }
    for (const auto& [path, bytes] : slotFiles) ASSERT_TRUE(readAll(p(path)) == bytes);
  }

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

  std::mt19937 rng{20091206};
  Bytes headerTemplate, original;
  QString samplePath;
  Model model, rows, midModel;  // rows: what the list shows
  bool savedMid = false, modified = false, alpha = false, radioLow = false;
  int selected = 0;
  std::pair<ModelSlot, bool> preview;  // the slot shown, as its alpha map or not
  std::vector<QString> expectedMessages{"Loading bitmap header"};
  std::size_t expectedQuestions = 0, expectedErrors = 0, expectedSaveQuestions = 0;
  std::map<QString, Bytes> slotFiles;  // what each exported file must hold
  int loaded = 0, extracted = 0, saves = 0;
};

TEST_F(WindowStress, ThousandsOfMixedCommandsKeepTheContainerAndTheWindowConsistent) {
  cd.answers = {samplePath};
  form->cbOpen_Click();
  model = rows = parseModel(original);
  previewOf(0, false);
  radioOf(0);
  expectLog("Opened : " + samplePath);
  checkInvariants(0);
  ASSERT_FALSE(HasFatalFailure());

  constexpr int kSteps = 3000;
  std::array<int, 9> counts{};
  for (int step = 1; step <= kSteps; ++step) {
    const int roll = pick(100);
    int kind;
    if (roll < 30) kind = 0, clickRandomRow();
    else if (roll < 42) kind = 1, toggleAlpha();
    else if (roll < 52) kind = 2, chooseResolution();
    else if (roll < 62) kind = 3, setResolution();
    else if (roll < 77) kind = 4, exportSlot();
    else if (roll < 92) kind = 5, importSlot();
    else if (roll < 97) kind = 6, openFile();
    else kind = 7, saveMid();
    ++counts[kind];
    ASSERT_FALSE(HasFatalFailure()) << "step " << step;
    checkInvariants(step);
    ASSERT_FALSE(HasFatalFailure()) << "step " << step << " (command kind " << kind << ")";
  }
  for (int k = 0; k < 8; ++k) EXPECT_GT(counts[k], 50) << "command kind " << k;

  const QString final = q(files / "final.pt");
  cd.answers = {final};
  form->Command1_Click();
  EXPECT_EQ(logMessages(form->logText()).back(), "Saved : " + final);
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
