#include "core/string_list.h"

#include <cstring>

#include "core/short_string.h"

void Tstring_writer::init() {
  capacity_ = initial_capacity;
  buffer_ = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(capacity_));
  length_ = 0;
}

void Tstring_writer::done() {
  buffer_.reset();
  capacity_ = 0;
  length_ = 0;
}

void Tstring_writer::add(std::string_view s) {
  s = s.substr(0, short_string_max);
  const auto n = static_cast<std::int32_t>(s.size());
  const std::int32_t needed = length_ + n + 1;
  if (needed > capacity_) {
    auto grown = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(needed) * 2);
    if (length_ > 0) std::memcpy(grown.get(), buffer_.get(), static_cast<std::size_t>(length_));
    buffer_ = std::move(grown);
    capacity_ = needed * 2;
  }
  buffer_[static_cast<std::size_t>(length_)] = static_cast<std::uint8_t>(n);
  if (n > 0) std::memcpy(buffer_.get() + length_ + 1, s.data(), s.size());
  length_ = needed;
}

void Tstring_reader::init(const std::uint8_t* data, std::int32_t size) {
  data_ = data;
  size_ = size < 0 ? 0 : size;
  position_ = 0;
}

bool Tstring_reader::read(std::string& s) {
  s.clear();
  if (position_ >= size_) return false;
  const int n = data_[position_++];
  const int available = size_ - position_;
  if (n > available) {
    s.assign(reinterpret_cast<const char*>(data_ + position_), static_cast<std::size_t>(available));
    position_ = size_;
    return false;
  }
  s.assign(reinterpret_cast<const char*>(data_ + position_), static_cast<std::size_t>(n));
  position_ += n;
  return true;
}
