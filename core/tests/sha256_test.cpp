#include "core/sha256.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/hex.h"

namespace {

std::string hex_of(const Sha256Digest& d) {
  std::string h = to_hex(std::string_view(reinterpret_cast<const char*>(d.data()), d.size()));
  for (char& c : h) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return h;
}

const Sha256::Rounds both_rounds[] = {Sha256::Rounds::best, Sha256::Rounds::portable};

}  // namespace

// The published test vectors, through both round functions, given whole and
// one byte at a time (which exercises every partial-block path).
TEST(Sha256, PublishedVectorsWholeAndBytewise) {
  struct Row {
    std::string message;
    const char* digest;
  };
  const Row rows[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Sha256::Rounds rounds : both_rounds) {
    for (const Row& row : rows) {
      Sha256 whole(rounds);
      whole.update(row.message.data(), row.message.size());
      EXPECT_EQ(hex_of(whole.finish()), row.digest) << row.message.size() << " bytes";
      Sha256 bytewise(rounds);
      for (const char c : row.message) bytewise.update(&c, 1);
      EXPECT_EQ(hex_of(bytewise.finish()), row.digest) << row.message.size() << " bytes, one at a time";
    }
  }
}

// The processor's rounds against the portable ones on every length around the
// padding boundaries and on pieces of odd sizes; a finished object starts over.
TEST(Sha256, ProcessorRoundsMatchPortableOnEveryLengthAndSplit) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> bytes(70000);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  Sha256 best, portable(Sha256::Rounds::portable);
  EXPECT_FALSE(portable.uses_cpu_instructions());
  if (!best.uses_cpu_instructions()) GTEST_SKIP() << "this processor has no SHA instructions";
  for (std::size_t n = 0; n <= 300; ++n) {
    best.update(bytes.data(), n);
    portable.update(bytes.data(), n);
    ASSERT_EQ(best.finish(), portable.finish()) << n << " bytes";
  }
  for (const std::size_t piece : {1u, 3u, 63u, 64u, 65u, 127u, 4096u, 65537u}) {
    for (std::size_t at = 0; at < bytes.size(); at += piece) best.update(&bytes[at], std::min(piece, bytes.size() - at));
    ASSERT_EQ(best.finish(), sha256(bytes.data(), bytes.size())) << "pieces of " << piece;
  }
  portable.update(bytes.data(), bytes.size());
  EXPECT_EQ(portable.finish(), sha256(bytes.data(), bytes.size()));
}
