#include "payload/fileset_sums.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "payload/digest.h"
#include "payload/fileset_writer.h"
#include "payload/payload_check.h"
#include "payload/xxh3.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* seed = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";

std::uint64_t le64(const Bytes& b, std::size_t at) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | b[at + std::size_t(i)];
  return v;
}

// A small product: folders, an empty file, names with Windows-1252 letters,
// files of a few bytes to a few KB.
std::vector<FilesetEntry> small_product() {
  std::vector<FilesetEntry> entries = {FilesetEntry::folder("data"), FilesetEntry::folder("Gr\xFC\xDF" "e"),
                                       FilesetEntry::folder("data\\levels")};
  const std::size_t sizes[] = {0, 1, 5, 37, 128, 129, 700, 1500, 3000, 96};
  for (std::size_t i = 0; i < std::size(sizes); ++i) {
    std::string contents(sizes[i], '\0');
    for (std::size_t k = 0; k < contents.size(); ++k) contents[k] = static_cast<char>((k * 131 + i * 17) ^ (k >> 5));
    const std::string folder = i % 3 == 0 ? "data\\levels\\" : i % 3 == 1 ? "Gr\xFC\xDF" "e\\" : "";
    entries.push_back(FilesetEntry::file(folder + "f" + std::to_string(i) + (i == 4 ? "\xE4.bin" : ".bin"),
                                         contents));
  }
  return entries;
}

struct Packed {
  Bytes container;
  Bytes sums;
};

Packed pack(const std::vector<FilesetEntry>& entries, Tdigest& checksum) {
  Packed p;
  FilesetBuild build = build_fileset(entries, checksum);
  EXPECT_TRUE(build.ok()) << build.error;
  p.container = std::move(build.bytes);
  p.sums = make_fileset_sums(*FilesetView::open(p.container.data(), p.container.size()));
  return p;
}

// The checksums alone, without the keyed digest: whether they refuse the bytes.
bool sums_refuse(const Bytes& container, const Bytes& sums) {
  const auto view = FilesetView::open(container.data(), container.size());
  const auto checksums = FilesetSums::open(sums.data(), sums.size());
  return !view || !checksums || !check_fileset_sums(*view, *checksums).ok();
}

}  // namespace

TEST(FilesetSums, WorkedExampleByteForByte) {
  Tdigest checksum(seed);
  const Packed p = pack({FilesetEntry::folder("data"), FilesetEntry::file("a.txt", "hello"),
                         FilesetEntry::file("data\\b.bin", "xyz")},
                        checksum);
  ASSERT_EQ(p.container.size(), 70u);
  ASSERT_EQ(p.sums.size(), 56u);
  EXPECT_EQ(std::string(p.sums.begin(), p.sums.begin() + 16),
            std::string("FSUM\x01\0\0\0\x03\0\0\0\x46\0\0\0", 16));
  EXPECT_EQ(le64(p.sums, 16), xxh3_64(p.container.data(), 62));
  EXPECT_EQ(le64(p.sums, 24), 0u);
  EXPECT_EQ(le64(p.sums, 32), xxh3_64("hello", 5));
  EXPECT_EQ(le64(p.sums, 40), xxh3_64("xyz", 3));
  EXPECT_EQ(le64(p.sums, 48), xxh3_64(p.sums.data(), 48));

  const auto sums = FilesetSums::open(p.sums.data(), p.sums.size());
  ASSERT_TRUE(sums);
  EXPECT_EQ(sums->count(), 3);
  EXPECT_EQ(sums->container_size(), 70u);
  EXPECT_TRUE(check_payload(p.container.data(), p.container.size(), p.sums.data(), p.sums.size(), checksum).payload);
  // An empty container has checksums too.
  const Packed empty = pack({}, checksum);
  EXPECT_EQ(empty.sums.size(), 32u);
  EXPECT_FALSE(sums_refuse(empty.container, empty.sums));
}

// Every single-byte change of the header, size table and names, a few
// hundred spread over the data, and every one of the checksum resource is
// refused before anything could be written.
TEST(FilesetSums, EverySingleByteChangeIsRefused) {
  Tdigest checksum(seed);
  const Packed p = pack(small_product(), checksum);
  const auto view = FilesetView::open(p.container.data(), p.container.size());
  ASSERT_TRUE(view);
  const std::size_t metadata = static_cast<std::size_t>(view->data_block() - view->image());
  const std::size_t data = p.container.size() - metadata;
  ASSERT_GT(data, 5000u);
  ASSERT_FALSE(sums_refuse(p.container, p.sums));

  // The checksums alone refuse each of the 255 other values of every
  // metadata byte and every byte of the checksum resource.
  std::size_t changes = 0;
  std::size_t passed = 0;
  Bytes container = p.container;
  for (std::size_t at = 0; at < metadata; ++at) {
    for (unsigned delta = 1; delta < 256; ++delta, ++changes) {
      container[at] = static_cast<std::uint8_t>(p.container[at] ^ delta);
      if (!sums_refuse(container, p.sums)) ++passed;
    }
    container[at] = p.container[at];
  }
  Bytes sums = p.sums;
  for (std::size_t at = 0; at < sums.size(); ++at) {
    for (unsigned delta = 1; delta < 256; ++delta, ++changes) {
      sums[at] = static_cast<std::uint8_t>(p.sums[at] ^ delta);
      if (!sums_refuse(p.container, sums)) ++passed;
    }
    sums[at] = p.sums[at];
  }
  EXPECT_EQ(passed, 0u) << "of " << changes << " changes to metadata and checksums";

  // The whole start-up check, keyed digest included, on one change per
  // metadata byte, 300 data bytes and a byte cut off or added.
  std::vector<Bytes> damaged;
  for (std::size_t at = 0; at < metadata; ++at) {
    damaged.push_back(p.container);
    damaged.back()[at] ^= 0x80;
  }
  for (std::size_t i = 0; i < 300; ++i) {
    damaged.push_back(p.container);
    damaged.back()[metadata + i * (data - 1) / 299] ^= static_cast<std::uint8_t>(1 + i % 255);
  }
  damaged.push_back(Bytes(p.container.begin(), p.container.end() - 1));
  damaged.push_back(p.container);
  damaged.back().push_back(0);
  std::size_t digest_alone_missed = 0;
  passed = 0;
  for (const Bytes& d : damaged) {
    if (check_payload(d.data(), d.size(), p.sums.data(), p.sums.size(), checksum).payload) ++passed;
    const auto v = FilesetView::open(d.data(), d.size());
    if (v && checksum.verify_container(*v)) ++digest_alone_missed;
  }
  EXPECT_EQ(passed, 0u) << "of " << damaged.size() << " damaged containers (" << digest_alone_missed
                        << " of them pass the keyed digest alone)";
}

TEST(FilesetSums, RefusesChecksumsOfAnotherContainerOrNone) {
  Tdigest checksum(seed);
  const Packed a = pack({FilesetEntry::file("a.txt", "hello")}, checksum);
  const Packed b = pack({FilesetEntry::file("a.txt", "world")}, checksum);
  const Packed c = pack({FilesetEntry::file("a.txt", "hello"), FilesetEntry::folder("d")}, checksum);
  const auto fault = [&](const Packed& container, const Bytes& sums) {
    return check_payload(container.container.data(), container.container.size(), sums.empty() ? nullptr : sums.data(),
                         sums.size(), checksum)
        .fault;
  };
  EXPECT_EQ(fault(a, a.sums), PayloadFault::none);
  EXPECT_EQ(fault(a, b.sums), PayloadFault::sums_differ);
  EXPECT_EQ(fault(a, c.sums), PayloadFault::sums_differ);
  EXPECT_EQ(fault(a, {}), PayloadFault::no_sums);
  EXPECT_EQ(fault(a, Bytes(a.sums.begin(), a.sums.end() - 1)), PayloadFault::no_sums);

  // A checksum resource whose own checksum is right but whose version is not.
  Bytes future = a.sums;
  future[4] = 2;
  const std::uint64_t own = xxh3_64(future.data(), future.size() - 8);
  for (int i = 0; i < 8; ++i) future[future.size() - 8 + std::size_t(i)] = static_cast<std::uint8_t>(own >> (8 * i));
  EXPECT_EQ(fault(a, future), PayloadFault::no_sums);

  // The keyed digest is still checked first, and a missing container is missing.
  Bytes wrong_digest = a.container;
  wrong_digest[12] ^= 1;
  EXPECT_EQ(check_payload(wrong_digest.data(), wrong_digest.size(), a.sums.data(), a.sums.size(), checksum).fault,
            PayloadFault::wrong_digest);
  EXPECT_EQ(check_payload(nullptr, 0, a.sums.data(), a.sums.size(), checksum).fault, PayloadFault::no_container);
}
