#pragma once
// Length-prefixed string lists: each string is one length byte (0 to 255)
// followed by that many 8-bit characters, back to back, no terminator. The
// install journal is held in this form by a Tstring_writer; the payload's names
// block uses the same layout and is read with a Tstring_reader.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class Tstring_writer {
 public:
  static constexpr std::int32_t initial_capacity = 10000;

  Tstring_writer() { init(); }
  ~Tstring_writer() = default;
  Tstring_writer(const Tstring_writer&) = delete;
  Tstring_writer& operator=(const Tstring_writer&) = delete;

  // An empty list with room for 10,000 bytes.
  void init();
  // Releases the buffer; length and capacity become 0. init() makes it usable again.
  void done();

  // Appends s, cut at 255 characters. Grows the buffer to twice the needed
  // size when it is full; readers attached before that must not be used again.
  void add(std::string_view s);

  const std::uint8_t* data() const { return buffer_.get(); }
  std::int32_t length() const { return length_; }
  std::int32_t capacity() const { return capacity_; }

 private:
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::int32_t length_ = 0;
  std::int32_t capacity_ = 0;
};

// A cursor over a string list it does not own.
class Tstring_reader {
 public:
  Tstring_reader() = default;
  Tstring_reader(const std::uint8_t* data, std::int32_t size) { init(data, size); }

  void init(const std::uint8_t* data, std::int32_t size);
  // Sees the strings the writer holds at this moment.
  void attach(const Tstring_writer& writer) { init(writer.data(), writer.length()); }

  // The next string. False at the end of the block, and also for a string whose
  // declared length runs past the end (s then holds the characters that were
  // there, and the cursor stays at the end).
  bool read(std::string& s);

  std::int32_t position() const { return position_; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::int32_t position_ = 0;
  std::int32_t size_ = 0;
};
