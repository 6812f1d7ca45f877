#include "payload/payload_source.h"

#include <algorithm>
#include <new>

namespace {

// One read hands on at most this much: large sequential requests, little memory.
constexpr std::uint64_t largest_piece = 4u << 20;

}  // namespace

ByteRange ContainerSource::take(std::uint64_t max) {
  const std::uint64_t n = std::min({max, data_length_ - position_, largest_piece});
  if (n == 0 || !problem_.ok()) return {};
  if (!buffer_) {
    buffer_size_ = static_cast<std::size_t>(std::min(largest_piece, data_length_));
    buffer_.reset(new (std::nothrow) std::uint8_t[buffer_size_]);
  }
  if (!buffer_ || !bytes_.read(data_offset_ + position_, buffer_.get(), static_cast<std::size_t>(n))) {
    problem_ = {VolumeFault::damaged, 0, name_};
    return {};
  }
  position_ += n;
  return {buffer_.get(), static_cast<std::size_t>(n)};
}
