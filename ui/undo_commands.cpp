#include "ui/undo_commands.h"

namespace varnholt {

namespace {
bool sameSlot(const pt::PtSlot& a, const pt::PtSlot& b) {
  return a.used == b.used && a.palette == b.palette && a.pixels == b.pixels && a.width == b.width &&
         a.height == b.height && a.dataSize == b.dataSize && a.trailer == b.trailer && a.extra == b.extra;
}
}  // namespace

SlotsBefore recordSlots(const pt::PtFile& file, std::uint8_t slot) { return {{{slot, file.slots[slot]}}}; }

SlotsBefore recordAllSlots(const pt::PtFile& file) {
  SlotsBefore before;
  for (std::uint8_t i = 0; i < pt::kSlotCount; ++i) before.slots.emplace_back(i, file.slots[i]);
  return before;
}

SlotsCommand::SlotsCommand(const QString& text, pt::PtFile& file, Restored restored)
    : QUndoCommand(text), file_(file), restored_(std::move(restored)) {}

std::unique_ptr<SlotsCommand> SlotsCommand::made(const QString& text, pt::PtFile& file, const SlotsBefore& before,
                                                 Restored restored, bool always) {
  std::unique_ptr<SlotsCommand> command(new SlotsCommand(text, file, std::move(restored)));
  for (const auto& [index, was] : before.slots) {
    const pt::PtSlot& now = file.slots[index];
    if (!always && sameSlot(was, now)) continue;
    command->indices_.push_back(index);
    command->before_.push_back(was);
    command->after_.push_back(now);
  }
  if (command->indices_.empty()) return nullptr;
  return command;
}

void SlotsCommand::put(bool after) {
  for (std::size_t i = 0; i < indices_.size(); ++i)
    file_.slots[indices_[i]] = after ? after_[i] : before_[i];
  if (restored_) restored_(indices_, !after);
}

void SlotsCommand::undo() {
  done_ = false;
  put(false);
}

void SlotsCommand::redo() {
  if (done_) return;
  put(true);
}

}  // namespace varnholt
