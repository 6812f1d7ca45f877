#pragma once
// A region of a file as a ByteSource, read by position: no file pointer is
// shared, so each read stands alone and a failed one can simply be repeated.

#include <cstdint>

#include "core/win_handle.h"
#include "payload/byte_source.h"

class FileRegion final : public ByteSource {
 public:
  FileRegion(WinHandle file, std::uint64_t offset, std::uint64_t size)
      : file_(std::move(file)), offset_(offset), size_(size) {}
  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, std::uint8_t* into, std::size_t n) override;

 private:
  WinHandle file_;
  std::uint64_t offset_;
  std::uint64_t size_;
};
