#pragma once
// Changes to the open container as the undo stack keeps them: each holds
// the slots it touched as they were before and after, so that undo and redo
// put them back byte for byte.
#include <QUndoCommand>
#include <cstdint>
#include <functional>
#include <vector>

#include "container/pt_file.h"

namespace varnholt {

// Slots as they are before a change.
struct SlotsBefore {
  std::vector<std::pair<std::uint8_t, pt::PtSlot>> slots;
};
SlotsBefore recordSlots(const pt::PtFile& file, std::uint8_t slot);
SlotsBefore recordAllSlots(const pt::PtFile& file);

class SlotsCommand final : public QUndoCommand {
 public:
  // Told the slots that undo (`undone`) or redo has just put back.
  using Restored = std::function<void(const std::vector<std::uint8_t>& slots, bool undone)>;

  // A change already made to `file`, holding the slots it changed; null when
  // it changed none. With `always` it holds every recorded slot: an import
  // of a slot's own bytes is still a change the user made.
  static std::unique_ptr<SlotsCommand> made(const QString& text, pt::PtFile& file, const SlotsBefore& before,
                                            Restored restored, bool always = false);

  void undo() override;
  void redo() override;

 private:
  SlotsCommand(const QString& text, pt::PtFile& file, Restored restored);
  void put(bool after);

  pt::PtFile& file_;
  Restored restored_;
  std::vector<std::uint8_t> indices_;
  std::vector<pt::PtSlot> before_;
  std::vector<pt::PtSlot> after_;
  bool done_ = true;  // pushed after the change was made: the first redo has nothing to do
};

}  // namespace varnholt
