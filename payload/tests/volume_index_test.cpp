#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "payload/volume_index.h"
#include "payload/xxh3.h"

namespace {

constexpr char seed[] = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";

// Three entries: a folder, a file of 300 KiB and one of 5 bytes, in volumes
// of two 64 KiB blocks.
VolumeIndexInput sample_input() {
  VolumeIndexInput in;
  in.names = {"data", "data\\big.bin", "a.txt"};
  in.sizes = {-1, 300 * 1024, 5};
  in.volume_name = "game-setup";
  in.block_size = 64 * 1024;
  in.volume_capacity = 128 * 1024;
  const std::uint64_t length = 300 * 1024 + 5;
  for (std::uint64_t at = 0; at < length; at += in.block_size) {
    PackedBlock b;
    b.stored_size = static_cast<std::uint32_t>(std::min<std::uint64_t>(in.block_size, length - at));
    b.digest[0] = static_cast<std::uint8_t>(at / in.block_size + 1);
    b.digest[31] = 0xEE;
    b.sum = at + 7;
    in.blocks.push_back(b);
  }
  in.entry_sums = {0, 11, 12};
  return in;
}

std::vector<std::uint8_t> encoded(const VolumeIndexInput& in) {
  Tdigest checksum(seed);
  return encode_volume_index(in, checksum);
}

// Puts the own sum right again after a change, so that the field checks
// behind it are what refuses.
void reseal(std::vector<std::uint8_t>& bytes) {
  const std::uint64_t sum = xxh3_64(bytes.data(), bytes.size() - 8);
  std::memcpy(bytes.data() + bytes.size() - 8, &sum, 8);
}

TEST(VolumeIndex, RoundTripGivesLayoutVolumesAndSums) {
  const VolumeIndexInput in = sample_input();
  const std::vector<std::uint8_t> bytes = encoded(in);
  const auto index = VolumeIndex::open(bytes.data(), bytes.size());
  ASSERT_TRUE(index);
  Tdigest checksum(seed);
  EXPECT_TRUE(index->verify_digest(checksum));
  EXPECT_EQ(index->volume_count(), 3u);
  EXPECT_EQ(index->block_count(), 5u);
  EXPECT_EQ(index->data_length(), 300u * 1024 + 5);
  EXPECT_EQ(index->volume_name(), "game-setup");
  EXPECT_EQ(index->volume_file(3), "game-setup-3.bin");
  const BlockEntry last_block = index->block(4);
  EXPECT_EQ(last_block.digest[0], 5u);
  EXPECT_EQ(last_block.digest[31], 0xEEu);
  EXPECT_EQ(last_block.sum, 4u * 64 * 1024 + 7);
  EXPECT_EQ(last_block.original_size, 44u * 1024 + 5);
  EXPECT_EQ(last_block.stored_offset, 4u * 64 * 1024);
  EXPECT_EQ(last_block.volume, 3u);
  EXPECT_FALSE(index->compressed());
  EXPECT_EQ(index->stored_length(), index->data_length());
  EXPECT_EQ(index->entry_sum(2), 12u);
  const VolumeSpan last = index->volume(3);
  EXPECT_EQ(last.offset, 256u * 1024);
  EXPECT_EQ(last.size, 44u * 1024 + 5);
  EXPECT_EQ(index->volume(4).size, 0u);

  const PayloadLayout layout = index->layout();
  ASSERT_EQ(layout.entries.size(), 3u);
  EXPECT_TRUE(layout.names_exact && layout.sizes_fill_data);
  EXPECT_EQ(layout.entries[0].kind, EntryKind::folder);
  EXPECT_EQ(layout.entries[1].offset, 0u);
  EXPECT_EQ(layout.entries[2].offset, 300u * 1024);
  EXPECT_EQ(layout.file_bytes(), layout.data_length);
}

TEST(VolumeIndex, SizesBeyondFourGiBKeepTheirBits) {
  VolumeIndexInput in = sample_input();
  in.sizes = {-1, (std::int64_t{5} << 30) + 7, 5};
  in.block_size = 64u << 20;
  in.volume_capacity = std::uint64_t{1} << 30;
  in.blocks.assign(81, PackedBlock{});
  for (PackedBlock& b : in.blocks) b.stored_size = 64u << 20;
  in.blocks.back().stored_size = 12;
  const std::vector<std::uint8_t> bytes = encoded(in);
  const auto index = VolumeIndex::open(bytes.data(), bytes.size());
  ASSERT_TRUE(index);
  EXPECT_EQ(index->volume_count(), 6u);
  EXPECT_EQ(index->layout().entries[2].offset, (std::uint64_t{5} << 30) + 7);
  EXPECT_EQ(index->volume(6).size, std::uint64_t{12});
}

// Every field an index can get wrong is refused, whatever else is right.
TEST(VolumeIndex, DamagedOrInconsistentIndexesAreRefused) {
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> change;
    bool reseal;
  };
  const auto put32 = [](std::size_t at, std::uint32_t v) {
    return [at, v](std::vector<std::uint8_t>& b) { std::memcpy(b.data() + at, &v, 4); };
  };
  const auto put64 = [](std::size_t at, std::uint64_t v) {
    return [at, v](std::vector<std::uint8_t>& b) { std::memcpy(b.data() + at, &v, 8); };
  };
  const Case cases[] = {
      {"a byte of the block digests", [](auto& b) { b[b.size() - 40] ^= 1; }, false},
      {"the own sum", [](auto& b) { b.back() ^= 1; }, false},
      {"cut short", [](auto& b) { b.resize(b.size() - 1); }, false},
      {"a byte after it", [](auto& b) { b.push_back(0); }, true},
      {"another magic", [](auto& b) { b[0] = 'X'; }, true},
      {"version 1, with XXH3 block sums", put32(4, 1), true},
      {"version 2, with no block table", put32(4, 2), true},
      {"a negative count", put32(8, 0xFFFFFFFF), true},
      {"a count beyond the bytes", put32(8, 0x10000000), true},
      {"a names length beyond the bytes", put32(12, 0x7FFFFFF0), true},
      {"no volumes but a capacity", put32(16, 0), true},
      {"one volume too many", put32(16, 4), true},
      {"a block size no power of two", put32(20, 96 * 1024), true},
      {"a block size below 64 KiB", put32(20, 32 * 1024), true},
      {"a capacity of no whole blocks", put64(32, 100 * 1024), true},
      {"a capacity of 0", put64(32, 0), true},
      {"a data length beyond the block digests", put64(24, 1u << 30), true},
      {"a volume name with a folder", [](auto& b) { b[b.size() - 8 - 24 - 5 * 48 - 4] = '\\'; }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> bytes = encoded(sample_input());
    c.change(bytes);
    if (c.reseal) reseal(bytes);
    EXPECT_FALSE(VolumeIndex::open(bytes.data(), bytes.size()));
  }
  EXPECT_FALSE(VolumeIndex::open(nullptr, 0));
}

// The own sum covers damage; the keyed digest covers an index edited on
// purpose and given a new own sum: no byte of it can change unnoticed, the
// block digests in the middle of a long index included.
TEST(VolumeIndex, NoEditedByteOfTheIndexGoesUnnoticed) {
  const std::vector<std::uint8_t> original = encoded(sample_input());
  int refused_by_fields = 0, refused_by_digest = 0;
  for (std::size_t at = 0; at + 8 < original.size(); ++at) {
    if (at >= volume_index_digest_offset && at < volume_index_header_size) continue;  // the digest itself
    std::vector<std::uint8_t> bytes = original;
    bytes[at] ^= 0x04;
    reseal(bytes);
    const auto index = VolumeIndex::open(bytes.data(), bytes.size());
    if (!index) {
      ++refused_by_fields;
      continue;
    }
    Tdigest checksum(seed);
    EXPECT_FALSE(index->verify_digest(checksum)) << "byte " << at;
    ++refused_by_digest;
  }
  EXPECT_GT(refused_by_digest, 200);
  EXPECT_GT(refused_by_fields, 0);
}

// Compressed blocks are fewer bytes than their original; volumes take whole
// blocks as long as they fit, and a payload in setup.exe has no volumes.
TEST(VolumeIndex, CompressedBlocksArePlacedWholeIntoVolumesOrTheProgram) {
  VolumeIndexInput in = sample_input();
  in.blocks[1].method = in.blocks[4].method = BlockMethod::zstd;
  in.blocks[1].stored_size = 1000;
  in.blocks[4].stored_size = 100;
  std::vector<std::uint8_t> bytes = encoded(in);
  auto index = VolumeIndex::open(bytes.data(), bytes.size());
  ASSERT_TRUE(index);
  EXPECT_TRUE(index->compressed());
  EXPECT_EQ(index->stored_length(), 3u * 64 * 1024 + 1100);
  ASSERT_EQ(index->volume_count(), 3u);
  const VolumeSpan second = index->volume(2);
  EXPECT_EQ(second.first_block, 2u);
  EXPECT_EQ(second.end_block, 4u);
  EXPECT_EQ(second.offset, 64u * 1024 + 1000);
  EXPECT_EQ(second.size, 128u * 1024);
  EXPECT_EQ(index->block(4).volume, 3u);
  EXPECT_EQ(index->block(4).stored_offset, 3u * 64 * 1024 + 1000);
  EXPECT_EQ(index->block(4).method, BlockMethod::zstd);

  in.volume_capacity = 0;
  bytes = encoded(in);
  index = VolumeIndex::open(bytes.data(), bytes.size());
  ASSERT_TRUE(index);
  EXPECT_TRUE(index->in_program());
  EXPECT_EQ(index->block(3).volume, 0u);
  EXPECT_EQ(index->volume(1).size, 0u);
}

// A block whose stored size does not fit its method, or volumes that cannot
// hold a block, are refused although the index is sealed as its maker would.
TEST(VolumeIndex, BlockTablesThatCannotBeReadAreRefused) {
  struct Case {
    const char* what;
    std::function<void(VolumeIndexInput&)> change;
  };
  const Case cases[] = {
      {"an unknown method", [](VolumeIndexInput& in) { in.blocks[2].method = static_cast<BlockMethod>(2); }},
      {"a stored block of another size", [](VolumeIndexInput& in) { in.blocks[2].stored_size -= 1; }},
      {"a compressed block no smaller", [](VolumeIndexInput& in) { in.blocks[2].method = BlockMethod::zstd; }},
      {"a compressed block of no bytes",
       [](VolumeIndexInput& in) {
         in.blocks[2].method = BlockMethod::zstd;
         in.blocks[2].stored_size = 0;
       }},
      {"volumes smaller than a block", [](VolumeIndexInput& in) { in.volume_capacity = 1000; }},
      {"a block missing", [](VolumeIndexInput& in) { in.blocks.pop_back(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VolumeIndexInput in = sample_input();
    c.change(in);
    const std::vector<std::uint8_t> bytes = encoded(in);
    EXPECT_FALSE(VolumeIndex::open(bytes.data(), bytes.size()));
  }
}

TEST(VolumeIndex, PlaceInVolumesFillsEachWithWholeBlocks) {
  struct Row {
    std::vector<std::uint32_t> sizes;
    std::uint64_t capacity;
    std::vector<std::uint64_t> starts;
  };
  const Row rows[] = {
      {{}, 10, {0, 0}},
      {{10, 10, 10}, 10, {0, 1, 2, 3}},
      {{4, 4, 4, 4, 4}, 10, {0, 2, 4, 5}},
      {{6, 4, 7, 3}, 10, {0, 2, 4}},
      {{11}, 10, {}},
      {{5}, 0, {}},
  };
  for (const Row& r : rows) EXPECT_EQ(place_in_volumes(r.sizes, r.capacity), r.starts);
}

// The build id ties volumes to the blocks they were made with: another block
// is another build, even with every name and size the same.
TEST(VolumeIndex, AnotherBlockIsAnotherBuild) {
  VolumeIndexInput in = sample_input();
  const std::vector<std::uint8_t> first = encoded(in);
  in.blocks[2].digest[7] ^= 1;
  const std::vector<std::uint8_t> second = encoded(in);
  const auto a = VolumeIndex::open(first.data(), first.size());
  const auto b = VolumeIndex::open(second.data(), second.size());
  ASSERT_TRUE(a && b);
  EXPECT_NE(a->build_id(), b->build_id());
  EXPECT_EQ(encoded(in), second) << "the same input gives the same index";
}

TEST(VolumeIndex, VolumeHeadersBelongToTheirVolumeOnly) {
  const VolumeIndexInput in = sample_input();
  const std::vector<std::uint8_t> bytes = encoded(in);
  const auto index = VolumeIndex::open(bytes.data(), bytes.size());
  ASSERT_TRUE(index);
  const std::uint64_t id = index->build_id();
  const auto header = [&](std::uint32_t number, std::uint64_t build, VolumeSpan span) {
    const std::vector<std::uint8_t> h = encode_volume_header(number, 3, build, span, index->data_length());
    return read_volume_header(h.data(), h.size());
  };
  const VolumeSpan second = index->volume(2);
  const std::uint64_t full = volume_header_size + second.size;
  struct Case {
    const char* what;
    std::optional<Tvolume_header> header;
    std::uint64_t file_size;
    VolumeFault expected;
  };
  std::vector<std::uint8_t> flipped = encode_volume_header(2, 3, id, second, index->data_length());
  flipped[20] ^= 1;
  const Case cases[] = {
      {"its own", header(2, id, second), full, VolumeFault::none},
      {"one byte short", header(2, id, second), full - 1, VolumeFault::truncated},
      {"one byte long", header(2, id, second), full + 1, VolumeFault::truncated},
      {"shorter than a header", std::nullopt, 10, VolumeFault::truncated},
      {"a damaged header", read_volume_header(flipped.data(), flipped.size()), full, VolumeFault::damaged},
      {"another build", header(2, id ^ 1, second), full, VolumeFault::other_build},
      {"another number", header(1, id, index->volume(1)), full, VolumeFault::other_build},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(check_volume_header(*index, 2, c.header, c.file_size), c.expected);
  }
}

TEST(VolumeIndex, VolumesNeeded) {
  EXPECT_EQ(volumes_needed(0, 10), 1u);
  EXPECT_EQ(volumes_needed(10, 10), 1u);
  EXPECT_EQ(volumes_needed(11, 10), 2u);
  EXPECT_EQ(volumes_needed(std::uint64_t{150} << 30, std::uint64_t{2} << 30), 75u);
  EXPECT_EQ(volumes_needed(1, 0), 0u);
}

}  // namespace
