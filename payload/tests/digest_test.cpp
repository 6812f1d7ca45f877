#include "payload/digest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "payload/fileset_writer.h"
#include "payload/tests/digest_vectors.h"

namespace {

constexpr const char* seed_a = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
constexpr const char* seed_b = "7E1F0C93A25BD4866F0E3B19C2D7A548E90B1F2C3D4E5F60718293A4B5C6D7E8";

std::vector<std::uint8_t> region_input(std::size_t length) {
  std::vector<std::uint8_t> data(length);
  for (std::size_t i = 0; i < length; ++i) data[i] = digest_vectors::region_byte(i);
  return data;
}

Tcode region_digest(Tdigest& checksum, const std::vector<std::uint8_t>& data, std::uint32_t tag = 1) {
  checksum.reset_digest();
  checksum.absorb_region(data.data(), static_cast<std::int32_t>(data.size()), tag);
  return checksum.digest();
}

const digest_vectors::All& vectors() {
  static const digest_vectors::All all = digest_vectors::load(SETUP_TEST_VECTORS);
  return all;
}

}  // namespace

TEST(DigestVectors, RegionsMatchTheIndependentImplementation) {
  ASSERT_TRUE(vectors().loaded) << SETUP_TEST_VECTORS;
  ASSERT_FALSE(vectors().regions.empty());
  for (const auto& v : vectors().regions) {
    Tdigest checksum(v.seed);
    region_digest(checksum, region_input(static_cast<std::size_t>(v.length)), v.tag);
    EXPECT_EQ(checksum.digest_hex(), v.digest_hex) << "length " << v.length << " tag " << v.tag;
  }
}

TEST(DigestVectors, ContainersCarryTheDigestOfTheirFourRegions) {
  ASSERT_FALSE(vectors().containers.empty());
  for (const auto& v : vectors().containers) {
    const auto view = FilesetView::open(v.bytes.data(), v.bytes.size());
    ASSERT_TRUE(view);
    Tdigest checksum(v.seed);
    checksum.digest_container(*view);
    EXPECT_EQ(checksum.digest(), view->stored_digest()) << v.seed << " count " << view->count();
    EXPECT_TRUE(checksum.verify_container(*view));
  }
}

TEST(DigestVectors, ContainerDigestIsTheFourRegionsTaggedOneToFour) {
  const auto& v = vectors().containers.at(0);
  const auto view = FilesetView::open(v.bytes.data(), v.bytes.size());
  ASSERT_TRUE(view);
  Tdigest checksum(v.seed);

  auto absorb_all = [&](std::uint32_t names_tag) {
    checksum.reset_digest();
    checksum.absorb_region(view->image(), 12, 1);
    checksum.absorb_region(view->size_table(), 4 * view->count(), 2);
    checksum.absorb_region(view->names_block(), view->names_length(), names_tag);
    checksum.absorb_region(view->data_block(), view->data_length(), 4);
    return checksum.digest();
  };
  EXPECT_EQ(absorb_all(3), view->stored_digest());
  // The tag enters every position value: the same bytes under another tag differ.
  EXPECT_NE(absorb_all(4), view->stored_digest());
}

TEST(DigestProperties, BytesSixteenToThirtyOneOfARegionAreNotRead) {
  Tdigest checksum(seed_a);
  for (const std::size_t length : {128u, 129u, 300u}) {
    const auto original = region_input(length);
    const Tcode expected = region_digest(checksum, original);
    for (std::size_t i = 16; i < 32; ++i) {
      auto changed = original;
      changed[i] ^= 0xA5;
      EXPECT_EQ(region_digest(checksum, changed), expected) << "length " << length << " byte " << i;
    }
    for (const std::size_t i : {0u, 15u, 32u}) {
      auto changed = original;
      changed[i] ^= 0xA5;
      EXPECT_NE(region_digest(checksum, changed), expected) << "length " << length << " byte " << i;
    }
  }
}

TEST(DigestProperties, GapBetweenLastBlockAndTailIsNotRead) {
  Tdigest checksum(seed_a);
  const std::size_t length = 1000;  // 7 blocks: bytes 320 to 895 are read by no step
  const auto original = region_input(length);
  const Tcode expected = region_digest(checksum, original);

  auto changed = original;
  for (std::size_t i = 320; i <= 895; ++i) changed[i] = static_cast<std::uint8_t>(~changed[i]);
  EXPECT_EQ(region_digest(checksum, changed), expected);

  for (const std::size_t i : {319u, 896u, 999u}) {
    changed = original;
    changed[i] ^= 1;
    EXPECT_NE(region_digest(checksum, changed), expected) << "byte " << i;
  }
}

TEST(DigestProperties, OnlySeedCharactersOneToSeventeenMatter) {
  const std::string seed = seed_a;
  const auto data = region_input(200);
  Tdigest reference(seed);
  const Tcode expected = region_digest(reference, data);

  for (std::size_t i = 0; i < seed.size(); ++i) {
    std::string other = seed;
    other[i] = other[i] == 'F' ? '0' : 'F';
    Tdigest checksum(other);
    if (i < 17) {
      EXPECT_NE(region_digest(checksum, data), expected) << "seed character " << i + 1;
    } else {
      EXPECT_EQ(region_digest(checksum, data), expected) << "seed character " << i + 1;
    }
  }
}

TEST(DigestProperties, EmptyRegionStillAbsorbsItsClosingByte) {
  Tdigest checksum(seed_a);
  checksum.reset_digest();
  const Tcode after_reset = checksum.digest();
  EXPECT_NE(after_reset, Tcode{});  // the reset itself absorbs a byte

  checksum.absorb_region(nullptr, 0, 1);
  const Tcode tag_one = checksum.digest();
  EXPECT_NE(tag_one, after_reset);

  checksum.reset_digest();
  checksum.absorb_region(nullptr, 0, 2);
  EXPECT_NE(checksum.digest(), tag_one);
}

TEST(DigestProperties, NegativeLengthReadsNothing) {
  Tdigest checksum(seed_a);
  checksum.reset_digest();
  checksum.absorb_region(nullptr, 0, 3);
  const Tcode empty = checksum.digest();
  for (const std::int32_t length : {-1, -128, -129, std::numeric_limits<std::int32_t>::min()}) {
    checksum.reset_digest();
    checksum.absorb_region(nullptr, length, 3);  // would crash if it read
    EXPECT_EQ(checksum.digest(), empty) << length;
  }
}

TEST(VerifyContainer, PackedContainerVerifiesAndAnyChangedDigestByteFails) {
  Tdigest checksum(seed_a);
  std::string big(5000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 13);
  const FilesetBuild build = build_fileset(
      {FilesetEntry::folder("data"), FilesetEntry::file("a.txt", "hello"), FilesetEntry::file("data\\big.bin", big)},
      checksum);
  ASSERT_TRUE(build.ok()) << build.error;

  auto view = FilesetView::open(build.bytes.data(), build.bytes.size());
  ASSERT_TRUE(view);
  EXPECT_TRUE(checksum.verify_container(*view));

  for (std::size_t k = 0; k < 16; ++k) {
    for (const std::uint8_t flip : {0x01, 0x80}) {
      auto damaged = build.bytes;
      damaged[12 + k] ^= flip;
      view = FilesetView::open(damaged.data(), damaged.size());
      ASSERT_TRUE(view);
      EXPECT_FALSE(checksum.verify_container(*view)) << "digest byte " << k;
    }
  }
}

TEST(VerifyContainer, ChangedContentsOrOtherSeedFail) {
  Tdigest checksum(seed_a);
  const FilesetBuild build = build_fileset({FilesetEntry::file("a.txt", "hello")}, checksum);
  ASSERT_TRUE(build.ok());

  auto damaged = build.bytes;
  damaged.back() ^= 0x20;  // "hellO"
  auto view = FilesetView::open(damaged.data(), damaged.size());
  ASSERT_TRUE(view);
  EXPECT_FALSE(checksum.verify_container(*view));

  view = FilesetView::open(build.bytes.data(), build.bytes.size());
  Tdigest other(seed_b);
  EXPECT_FALSE(other.verify_container(*view));
}

TEST(DigestRegionStream, GivesTheDigestOfTheWholeRegionWhateverThePieces) {
  Tdigest whole(seed_b);
  Tdigest streamed(seed_b);
  std::vector<std::uint8_t> bytes(4096 + 300);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + (i >> 7));
  for (const std::size_t length : {0, 1, 127, 128, 129, 159, 160, 255, 256, 1000, 4096 + 300}) {
    whole.reset_digest();
    whole.absorb_region(bytes.data(), static_cast<std::int32_t>(length), 4);
    for (const std::size_t piece : {1, 7, 31, 32, 33, 96, 127, 128, 129, 1000, 100000}) {
      streamed.reset_digest();
      Tdigest::RegionStream region(streamed, static_cast<std::int32_t>(length), 4);
      for (std::size_t at = 0; at < length; at += piece) region.feed(bytes.data() + at, std::min(piece, length - at));
      ASSERT_TRUE(region.finish());
      EXPECT_EQ(streamed.digest(), whole.digest()) << "length " << length << ", pieces of " << piece;
    }
  }
  // Fewer bytes than announced: no digest.
  Tdigest::RegionStream short_region(streamed, 200, 4);
  short_region.feed(bytes.data(), 199);
  EXPECT_FALSE(short_region.finish());
}
