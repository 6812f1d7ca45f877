#pragma once
// Bytes read by their offset: a container held in memory (tests, tools), or
// the program's own file, which setup.exe reads its payload from by handle,
// so that none of it needs to stay in memory.

#include <cstddef>
#include <cstdint>
#include <cstring>

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Exactly n bytes at offset into into; false when they cannot all be read.
  virtual bool read(std::uint64_t offset, std::uint8_t* into, std::size_t n) = 0;
};

class MemoryBytes final : public ByteSource {
 public:
  MemoryBytes(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, std::uint8_t* into, std::size_t n) override {
    if (offset > size_ || n > size_ - offset) return false;
    if (n > 0) std::memcpy(into, bytes_ + offset, n);
    return true;
  }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
};
