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
constexpr std::size_t kContainerSize = 1409024;
constexpr std::size_t kUsedFlagsAt = 53250, kResFlagsAt = 53270;
constexpr std::size_t kPaletteBytes = 1024, kPixelBytes = 65536;
constexpr std::size_t kSlot10FirstPart = 25436, kGapBytes = 16384;

std::size_t paletteOffset(int slot) {
  return slot <= 10 ? 53292 + slot * 66572u : 801968 + (slot - 11) * 66572u;
}

struct ModelSlot {
  int used = 0;
  Bytes palette;  // alpha, red, green, blue
  Bytes pixels;   // all 65536
  bool low = false;
};
using Model = std::array<ModelSlot, 20>;

Model parseModel(const Bytes& file) {
  Model m;
  for (int i = 0; i < 20; ++i) {
    ModelSlot& s = m[i];
    s.used = file[kUsedFlagsAt + i] != 0 ? 1 : 0;
    s.low = file[kResFlagsAt + i] == 0;
    const std::size_t at = paletteOffset(i);
    s.palette.assign(file.begin() + at, file.begin() + at + kPaletteBytes);
    const std::size_t px = at + kPaletteBytes;
    if (i == 10) {
      s.pixels.assign(file.begin() + px, file.begin() + px + kSlot10FirstPart);
      const std::size_t rest = px + kSlot10FirstPart + kGapBytes;
      s.pixels.insert(s.pixels.end(), file.begin() + rest,
                      file.begin() + rest + (kPixelBytes - kSlot10FirstPart));
    } else {
      s.pixels.assign(file.begin() + px, file.begin() + px + kPixelBytes);
    }
  }
  return m;
}

// The container file the model describes, over the blocks of `base` that no
// command changes.
Bytes containerBytes(const Model& m, Bytes base) {
  for (int i = 0; i < 20; ++i) {
    const ModelSlot& s = m[i];
    base[kUsedFlagsAt + i] = s.used == 1 ? 1 : 0;
    base[kResFlagsAt + i] = s.low ? 0 : 1;
    const std::size_t at = paletteOffset(i);
    std::copy(s.palette.begin(), s.palette.end(), base.begin() + at);
    const std::size_t px = at + kPaletteBytes;
    if (i == 10) {
      std::copy_n(s.pixels.begin(), kSlot10FirstPart, base.begin() + px);
      std::copy(s.pixels.begin() + kSlot10FirstPart, s.pixels.end(),
                base.begin() + px + kSlot10FirstPart + kGapBytes);
    } else {
      std::copy(s.pixels.begin(), s.pixels.end(), base.begin() + px);
    }
  }
  return base;
}

void putLe32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}
std::int32_t getLe32(const Bytes& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v |= std::uint32_t{b[at + k]} << (8 * k);
  return static_cast<std::int32_t>(v);
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

struct ExpectedPreview {
  ModelSlot slot;
  bool alpha = false;
};

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
    Bytes shortFile(original.begin(), original.begin() + 5000);
    writeAllBytes(files / "short.pt", shortFile);
    writeAllBytes(files / "bad.bmp", Bytes(70000, 'x'));
    writeAllBytes(files / "short.tex", Bytes(1000, 7));
    slotFiles[q(files / "short.tex")] = Bytes(1000, 7);
  }

  // --- the commands, each with what the model expects of it ---

  void expectLog(const QString& message) { expectedMessages.push_back(message); }

  void previewOf(int slot, bool alpha) { preview = ExpectedPreview{model[slot], alpha}; }
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
    model[selected].low = radioLow;
    previewOf(selected, false);
    expectLog("Set slot " + QString::number(selected) + " to new resolution");
  }

  // 0 raw, 1 bitmap, 2 the format dialog is cancelled.
  void answerFormat(int choice) {
    whenFormatDialogUp(*form, [choice](ExDialog& d) {
      if (choice == 2) {
        d.CancelButton->click();
        return;
      }
      if (choice == 0) d.Option1->click();
      d.OKButton->click();
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
    QString path;
    const int source = pick(5);
    if (source == 4)
      path = q(files / (choice == 0 ? "short.tex" : "bad.bmp"));
    else
      path = fileFor(choice, source % 2);
    answerFormat(choice);
    cd.answers = {cancelOpen ? QString() : path};
    form->Command2_Click();
    if (choice == 2) return;  // nothing happened, nothing refreshed
    const QString n = QString::number(selected);
    if (!cancelOpen) {
      const auto known = slotFiles.find(path);
      if (known == slotFiles.end()) {
        expectLog("Slot " + n + " not loaded with new file");
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
          s.low = std::abs(getLe32(f, 22)) != 256;
        }
        ++loaded;
        expectLog("Slot " + n + " loaded with " + path);
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
    form->cbOpen_Click();
    if (which == 1 || which == 2) {
      expectedErrors += which == 2 ? 1 : 0;
      expectLog("Open failed of " + path);
      return;
    }
    model = which == 0 ? parseModel(original) : midModel;
    rows = model;
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
    savedMid = true;
    ++saves;
    expectLog("Saved : " + path);
    ASSERT_EQ(readAll(p(path)), containerBytes(model, original));
  }

  // --- the checks after every step ---

  void checkInvariants(int step) {
    const pt::PtFile& c = form->container();
    ASSERT_TRUE(pt::isComplete(c)) << "step " << step;
    for (int i = 0; i < 20; ++i) {
      const pt::PtSlot& s = c.slots[i];
      ASSERT_EQ(s.used, model[i].used) << "slot " << i << " step " << step;
      ASSERT_EQ(pt::isLowRes(s.height), model[i].low) << "slot " << i << " step " << step;
      ASSERT_EQ(s.width, model[i].low ? 128 : 256) << "slot " << i << " step " << step;
      ASSERT_TRUE(s.palette == model[i].palette) << "slot " << i << " step " << step;
      ASSERT_TRUE(pt::fullPixelData(s) == model[i].pixels) << "slot " << i << " step " << step;
    }
    ASSERT_EQ(form->lv->topLevelItemCount(), 20);
    ASSERT_EQ(form->lv->columnCount(), 4);
    for (int i = 0; i < 20; ++i) {
      const QTreeWidgetItem* row = form->lv->topLevelItem(i);
      const QString side = rows[i].low ? "128" : "256";
      ASSERT_EQ(row->text(1), QString::number(rows[i].used)) << "row " << i << " step " << step;
      ASSERT_EQ(row->text(2), side) << "row " << i << " step " << step;
      ASSERT_EQ(row->text(3), side) << "row " << i << " step " << step;
    }
    ASSERT_EQ(form->lv->selectedPosition(), selected + 1) << "step " << step;
    ASSERT_EQ(form->isAlphaShown(), alpha) << "step " << step;
    ASSERT_EQ(form->Command4->text(), alpha ? "View normal" : "View alpha") << "step " << step;
    ASSERT_EQ(form->lowres->isChecked(), radioLow) << "step " << step;
    ASSERT_EQ(form->highres->isChecked(), !radioLow) << "step " << step;
    for (QWidget* w : {static_cast<QWidget*>(form->Command1), static_cast<QWidget*>(form->cbEx),
                       static_cast<QWidget*>(form->Command2), static_cast<QWidget*>(form->frmRes)})
      ASSERT_TRUE(w->isEnabled()) << "step " << step;
    ASSERT_EQ(form->exDialog(), nullptr) << "step " << step;

    const auto messages = logMessages(form->logText());
    ASSERT_EQ(messages.size(), expectedMessages.size()) << "step " << step;
    ASSERT_EQ(messages.back(), expectedMessages.back()) << "step " << step;
    ASSERT_EQ(prompt.questions.size(), expectedQuestions) << "step " << step;
    ASSERT_EQ(prompt.errors.size(), expectedErrors) << "step " << step;
    ASSERT_TRUE(prompt.answers.empty()) << "step " << step;

    const QImage picture = shownPicture();
    const int side = preview.slot.low ? 128 : 256;
    ASSERT_EQ(picture.size(), QSize(side, side)) << "step " << step;
    for (int k = 0; k < 12; ++k) {
      const int x = pick(side), y = pick(side);
      const std::uint8_t index = preview.slot.pixels[static_cast<std::size_t>(y) * side + x];
      const std::uint8_t* e = &preview.slot.palette[4u * index];
      const QRgb want = preview.alpha ? qRgb(e[0], e[0], e[0]) : qRgb(e[1], e[2], e[3]);
      ASSERT_EQ(picture.pixel(x, y) & 0xFFFFFF, want & 0xFFFFFF)
          << "pixel " << x << "," << y << " step " << step;
    }
    for (const auto& [path, bytes] : slotFiles) ASSERT_TRUE(readAll(p(path)) == bytes) << "step " << step;
  }

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

  std::mt19937 rng{20091206};
  Bytes headerTemplate, original;
  QString samplePath;
  Model model, rows, midModel;
  bool savedMid = false;
  int selected = 0;
  bool alpha = false;
  bool radioLow = false;
  ExpectedPreview preview;
  std::vector<QString> expectedMessages{"Loading bitmap header"};
  std::size_t expectedQuestions = 0, expectedErrors = 0;
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
