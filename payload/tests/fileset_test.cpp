#include "payload/fileset.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "payload/digest.h"
#include "payload/fileset_writer.h"

namespace {

constexpr const char* seed = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";

using Bytes = std::vector<std::uint8_t>;

void put_int32(Bytes& bytes, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

// A container written field by field, with whatever header values a test
// needs; the digest is left zero.
Bytes raw_container(std::int32_t count, std::int32_t names_length, std::int32_t data_length,
                    const std::vector<std::int32_t>& sizes, const std::string& names, const std::string& data) {
  Bytes bytes;
  put_int32(bytes, count);
  put_int32(bytes, names_length);
  put_int32(bytes, data_length);
  bytes.resize(28, 0);
  for (const std::int32_t size : sizes) put_int32(bytes, size);
  bytes.insert(bytes.end(), names.begin(), names.end());
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

// A consistent container: header values taken from the parts.
Bytes raw_container(const std::vector<std::int32_t>& sizes, const std::string& names, const std::string& data) {
  return raw_container(static_cast<std::int32_t>(sizes.size()), static_cast<std::int32_t>(names.size()),
                       static_cast<std::int32_t>(data.size()), sizes, names, data);
}

std::string name_list(const std::vector<std::string>& names) {
  std::string block;
  for (const auto& n : names) {
    block += static_cast<char>(n.size());
    block += n;
  }
  return block;
}

struct Seen {
  std::int32_t index;
  std::string name;
  EntryKind kind;
  std::int32_t size;
  std::uint32_t data_offset;
  std::string contents;
};

std::vector<Seen> walk(const FilesetView& view) {
  std::vector<Seen> seen;
  for_each_entry(view, [&](const Tpayload_entry& e) {
    std::string contents;
    if (e.kind == EntryKind::file) contents.assign(reinterpret_cast<const char*>(e.data), std::size_t(e.size));
    seen.push_back({e.index, e.name, e.kind, e.size, e.data_offset, contents});
    return true;
  });
  return seen;
}

std::vector<Seen> walk(const Bytes& bytes) {
  const auto view = FilesetView::open(bytes.data(), bytes.size());
  if (!view) {
    ADD_FAILURE() << "container refused";
    return {};
  }
  return walk(*view);
}

bool opens(const Bytes& bytes) { return FilesetView::open(bytes.data(), bytes.size()).has_value(); }

}  // namespace

TEST(FilesetWalk, WorkedExampleByteForByte) {
  Tdigest checksum(seed);
  const FilesetBuild build = build_fileset(
      {FilesetEntry::folder("data"), FilesetEntry::file("a.txt", "hello"), FilesetEntry::file("data\\b.bin", "xyz")},
      checksum);
  ASSERT_TRUE(build.ok()) << build.error;
  ASSERT_EQ(build.bytes.size(), 70u);

  Bytes expected = raw_container({-1, 5, 3}, name_list({"data", "a.txt", "data\\b.bin"}), "helloxyz");
  std::memcpy(expected.data() + 12, checksum.digest().data(), 16);
  EXPECT_EQ(build.bytes, expected);

  const auto view = FilesetView::open(build.bytes.data(), build.bytes.size());
  ASSERT_TRUE(view);
  EXPECT_EQ(view->count(), 3);
  EXPECT_EQ(view->names_length(), 22);
  EXPECT_EQ(view->data_length(), 8);
  EXPECT_EQ(view->names_block() - view->image(), 40);
  EXPECT_EQ(view->data_block() - view->image(), 62);

  const auto seen = walk(*view);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].name, "data");
  EXPECT_EQ(seen[0].kind, EntryKind::folder);
  EXPECT_EQ(seen[0].size, -1);
  EXPECT_EQ(seen[1].name, "a.txt");
  EXPECT_EQ(seen[1].kind, EntryKind::file);
  EXPECT_EQ(seen[1].data_offset, 0u);
  EXPECT_EQ(seen[1].contents, "hello");
  EXPECT_EQ(seen[2].name, "data\\b.bin");
  EXPECT_EQ(seen[2].data_offset, 5u);
  EXPECT_EQ(seen[2].contents, "xyz");
  EXPECT_EQ(seen[2].index, 2);
}

TEST(FilesetWalk, EmptySetIsAValid28ByteContainer) {
  Tdigest checksum(seed);
  const FilesetBuild build = build_fileset({}, checksum);
  ASSERT_TRUE(build.ok());
  ASSERT_EQ(build.bytes.size(), 28u);
  const auto view = FilesetView::open(build.bytes.data(), build.bytes.size());
  ASSERT_TRUE(view);
  EXPECT_TRUE(walk(*view).empty());
  EXPECT_TRUE(checksum.verify_container(*view));
}

TEST(FilesetWalk, EmptyFilesDoNotMoveTheDataOffset) {
  const auto seen = walk(raw_container({0, 2, 0, 3}, name_list({"e1", "ab", "e2", "xyz"}), "abxyz"));
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].kind, EntryKind::file);
  EXPECT_EQ(seen[0].contents, "");
  EXPECT_EQ(seen[1].data_offset, 0u);
  EXPECT_EQ(seen[1].contents, "ab");
  EXPECT_EQ(seen[2].data_offset, 2u);
  EXPECT_EQ(seen[2].contents, "");
  EXPECT_EQ(seen[3].data_offset, 2u);
  EXPECT_EQ(seen[3].contents, "xyz");
}

TEST(FilesetWalk, SizesBelowMinusOneArePassedOverWithoutData) {
  const auto seen = walk(raw_container({2, -2, -1, std::numeric_limits<std::int32_t>::min(), 3},
                                       name_list({"a", "skipped", "dir", "skipped too", "b"}), "abxyz"));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].contents, "ab");
  EXPECT_EQ(seen[1].name, "dir");
  EXPECT_EQ(seen[1].index, 2);
  EXPECT_EQ(seen[2].name, "b");
  EXPECT_EQ(seen[2].index, 4);
  EXPECT_EQ(seen[2].data_offset, 2u);
  EXPECT_EQ(seen[2].contents, "xyz");
}

TEST(FilesetWalk, FewerNamesThanCountEndsAfterTheLastCompleteName) {
  // Two complete names, then a length byte that promises more than is left.
  const std::string names = name_list({"a", "b"}) + "\x09" "cut";
  const auto seen = walk(raw_container({1, 1, 1, 1}, names, "1234"));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].name, "b");

  EXPECT_EQ(walk(raw_container({1, 1}, "", "12")).size(), 0u);
}

TEST(FilesetWalk, NamesBeyondCountAreNeverRead) {
  const auto seen = walk(raw_container({3}, name_list({"one", "two", "three"}), "abc"));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].name, "one");
}

TEST(FilesetWalk, NameOf255CharactersIsReadWhole) {
  const std::string longest(255, 'n');
  Tdigest checksum(seed);
  const FilesetBuild build = build_fileset({FilesetEntry::file(longest, "x"), FilesetEntry::folder("after")}, checksum);
  ASSERT_TRUE(build.ok());
  const auto seen = walk(build.bytes);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].name, longest);
  EXPECT_EQ(seen[0].contents, "x");
  EXPECT_EQ(seen[1].name, "after");
}

TEST(FilesetWalk, VisitorCanStopTheWalk) {
  const Bytes bytes = raw_container({-1, -1, -1}, name_list({"a", "b", "c"}), "");
  const auto view = FilesetView::open(bytes.data(), bytes.size());
  ASSERT_TRUE(view);
  int visits = 0;
  for_each_entry(*view, [&](const Tpayload_entry&) { return ++visits < 2; });
  EXPECT_EQ(visits, 2);
}

TEST(FilesetBounds, NegativeCountOrLengthsAreRefused) {
  EXPECT_FALSE(opens(raw_container(-1, 0, 0, {}, "", "")));
  EXPECT_FALSE(opens(raw_container(0, -1, 0, {}, "", "")));
  EXPECT_FALSE(opens(raw_container(0, 0, -1, {}, "", "")));
  EXPECT_FALSE(opens(raw_container(std::numeric_limits<std::int32_t>::min(), 0, 0, {}, "", "")));
}

TEST(FilesetBounds, RegionsRunningPastTheRealSizeAreRefused) {
  const std::string names = name_list({"a"});
  EXPECT_TRUE(opens(raw_container(1, 2, 1, {1}, names, "x")));
  EXPECT_FALSE(opens(raw_container(2, 2, 1, {1}, names, "x")));           // size table
  EXPECT_FALSE(opens(raw_container(0x01000000, 2, 1, {1}, names, "x")));  // 64 MiB of size table
  EXPECT_FALSE(opens(raw_container(1, 3, 1, {1}, names, "x")));           // names block
  EXPECT_FALSE(opens(raw_container(1, 2, 2, {1}, names, "x")));           // data block
  // Lengths whose sum wraps in 32 bits must not pass.
  EXPECT_FALSE(opens(raw_container(0x40000000, 0x7FFFFFFF, 0x7FFFFFFF, {1}, names, "x")));
  EXPECT_FALSE(opens(raw_container(1, 0x7FFFFFFF, 0x7FFFFFFF, {1}, names, "x")));
}

TEST(FilesetBounds, EveryTruncationOfAContainerIsRefused) {
  Tdigest checksum(seed);
  const FilesetBuild build = build_fileset(
      {FilesetEntry::folder("data"), FilesetEntry::file("a.txt", "hello"), FilesetEntry::file("data\\b.bin", "xyz")},
      checksum);
  ASSERT_TRUE(build.ok());
  EXPECT_TRUE(opens(build.bytes));
  for (std::size_t size = 0; size < build.bytes.size(); ++size)
    EXPECT_FALSE(FilesetView::open(build.bytes.data(), size)) << size;
  EXPECT_FALSE(FilesetView::open(nullptr, 28));
}

TEST(FilesetBounds, FileSizesAddingUpPastTheDataBlockAreRefused) {
  const std::string names = name_list({"a", "b"});
  EXPECT_TRUE(opens(raw_container({5, 3}, names, "12345678")));
  EXPECT_FALSE(opens(raw_container(2, 4, 8, {5, 4}, names, "12345678")));
  // Sizes that wrap a 32-bit sum back to a small number.
  EXPECT_FALSE(opens(raw_container(2, 4, 8, {0x7FFFFFFF, 0x7FFFFFFF}, names, "12345678")));
  // Entries beyond the names block count too: the names are not trusted.
  EXPECT_FALSE(opens(raw_container(3, 4, 8, {5, 3, 1}, names, "12345678")));
}

TEST(FilesetBounds, NoAcceptedDamageLeadsOutsideTheImage) {
  Tdigest checksum(seed);
  const FilesetBuild build = build_fileset(
      {FilesetEntry::folder("data"), FilesetEntry::file("a.txt", "hello"), FilesetEntry::file("data\\b.bin", "xyz")},
      checksum);
  ASSERT_TRUE(build.ok());
  const std::size_t data_start = 62;
  int accepted = 0;
  // Every byte before the data block, set to values at the edges of a field.
  for (std::size_t at = 0; at < data_start; ++at) {
    for (const std::uint8_t value : {0x00, 0x01, 0x04, 0x7F, 0x80, 0xFE, 0xFF}) {
      Bytes damaged = build.bytes;
      damaged[at] = value;
      const auto view = FilesetView::open(damaged.data(), damaged.size());
      if (!view) continue;
      ++accepted;
      const std::uint8_t* const end = damaged.data() + damaged.size();
      ASSERT_LE(view->data_block() + view->data_length(), end) << "byte " << at << " = " << int(value);
      for_each_entry(*view, [&](const Tpayload_entry& e) {
        if (e.kind == EntryKind::file) {
          EXPECT_GE(e.data, view->data_block());
          EXPECT_LE(e.data + e.size, view->data_block() + view->data_length()) << "byte " << at << " = " << int(value);
        }
        return true;
      });
      checksum.digest_container(*view);
    }
  }
  EXPECT_GT(accepted, 0);  // the names and the digest may change freely
}

TEST(FilesetBounds, BytesAfterTheDataBlockAreNotHashedOrWalked) {
  Tdigest checksum(seed);
  const FilesetBuild build = build_fileset({FilesetEntry::file("a", "hello")}, checksum);
  ASSERT_TRUE(build.ok());
  Bytes longer = build.bytes;
  longer.push_back(1);
  longer.push_back('z');
  const auto view = FilesetView::open(longer.data(), longer.size());
  ASSERT_TRUE(view);
  EXPECT_TRUE(checksum.verify_container(*view));
  EXPECT_EQ(walk(*view).size(), 1u);
}

TEST(FilesetWriter, RefusesWhatTheLayoutCannotHold) {
  Tdigest checksum(seed);
  FilesetBuild build = build_fileset({FilesetEntry::folder("ok"), FilesetEntry::file(std::string(256, 'n'), "")},
                                     checksum);
  EXPECT_FALSE(build.ok());
  EXPECT_EQ(build.failed_entry, 1);
  EXPECT_TRUE(build.bytes.empty());

  FilesetEntry liar = FilesetEntry::file("a", "hello");
  liar.size = 4;
  build = build_fileset({liar}, checksum);
  EXPECT_FALSE(build.ok());
  EXPECT_EQ(build.failed_entry, 0);

  FilesetEntry folder_with_data = FilesetEntry::folder("d");
  folder_with_data.contents = "x";
  EXPECT_FALSE(build_fileset({folder_with_data}, checksum).ok());
}

TEST(FilesetWriter, RefusesContainersBeyondThe32BitFields) {
  auto file_of_size = [](std::int32_t size) {
    FilesetEntry entry;
    entry.name = "f";
    entry.size = size;
    return entry;
  };
  // Planned before anything is allocated or read.
  // 28 header + 8 size table + 4 names: exactly 2 GiB - 1 in all.
  FilesetLayout layout = plan_fileset({file_of_size(0x40000000), file_of_size(0x3FFFFFFF - 40)});
  EXPECT_TRUE(layout.ok());
  EXPECT_EQ(layout.total_size, 0x7FFFFFFFu);
  EXPECT_FALSE(plan_fileset({file_of_size(0x40000000), file_of_size(0x3FFFFFFF - 39)}).ok());
  EXPECT_FALSE(plan_fileset({file_of_size(0x40000000), file_of_size(0x40000000)}).ok());
  layout = plan_fileset({file_of_size(0x7FFFFFFF), file_of_size(1)});
  EXPECT_FALSE(layout.ok());
  EXPECT_EQ(layout.failed_entry, 1);
  // The data fits its field but the whole container does not.
  EXPECT_FALSE(plan_fileset({file_of_size(0x7FFFFFF0)}).ok());
  EXPECT_TRUE(plan_fileset({file_of_size(0x7FFFFFFF - 28 - 4 - 2)}).ok());
}

