#pragma once
// Sequential reads from a buffer whose length the caller has already checked.
#include <cassert>
#include <cstdint>
#include <span>

#include "container/pt_file.h"

namespace pt {

class ByteCursor {
 public:
  explicit ByteCursor(std::span<const std::uint8_t> data) : data_(data) {}
  Bytes take(std::size_t n) {
    assert(pos_ + n <= data_.size());
    Bytes out(data_.begin() + pos_, data_.begin() + pos_ + n);
    pos_ += n;
    return out;
  }
  std::uint8_t byte() {
    assert(pos_ < data_.size());
    return data_[pos_++];
  }
  std::size_t position() const { return pos_; }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

}  // namespace pt
