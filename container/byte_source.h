#pragma once
// Random-access bytes from a file or from memory, for readers that look at
// offsets a file names and must never read past its end.
#include <algorithm>
#include <cstring>
#include <optional>
#include <span>

#include "common/file_io.h"

namespace pt {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Fills out from offset; got < out.size() only at the end of the data.
  virtual Result<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> data) : data_(data) {}
  std::uint64_t size() const override { return data_.size(); }
  Result<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    const std::size_t got = offset >= data_.size() ? 0 : std::min<std::uint64_t>(out.size(), data_.size() - offset);
    if (got) std::memcpy(out.data(), data_.data() + offset, got);
    return got;
  }

 private:
  std::span<const std::uint8_t> data_;
};

class FileSource final : public ByteSource {
 public:
  Status open(const std::filesystem::path& path) { return reader_.open(path); }
  std::uint64_t size() const override { return reader_.size(); }
  Result<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    return reader_.readAt(offset, out);
  }

 private:
  FileReader reader_;
};

}  // namespace pt
