#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "tools/mkfileset/estimate.h"
#include "tools/mkfileset/file_io.h"
#include "tools/mkfileset/sample_plan.h"
#include "tools/mkfileset/tree_scan.h"
#include "tools/tests/packer_fixture.h"

using namespace packer_test;

namespace {

constexpr std::uint64_t KiB = 1 << 10;
constexpr std::uint64_t MiB = 1 << 20;

// Small pieces, so that trees of a few MiB are larger than the sample.
const EstimateSettings small_sample{64 * KiB, 16, 3};

enum class Fill { zeros, random, text };

std::string contents(Fill fill, std::uint64_t size, std::uint32_t seed) {
  std::string bytes;
  bytes.reserve(size);
  std::mt19937_64 rng(seed);
  while (bytes.size() < size) {
    switch (fill) {
      case Fill::zeros: bytes.append(size, '\0'); break;
      case Fill::random: {
        const std::uint64_t r = rng();
        bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
        break;
      }
      case Fill::text:
        bytes += "line " + std::to_string(rng() % 1000) + ": the setup writes each file below the folder\n";
        break;
    }
  }
  bytes.resize(size);
  return bytes;
}

struct TreeFile {
  std::string name;  // "/" between folders
  Fill fill;
  std::uint64_t size;
};

void make_tree(const fs::path& root, const std::vector<TreeFile>& files) {
  fs::create_directories(root);
  std::uint32_t seed = 1;
  for (const TreeFile& f : files) write_file(root / f.name, contents(f.fill, f.size, seed++));
}

std::vector<TreeFile> many(const std::string& folder, int count, Fill fill, std::uint64_t size) {
  std::vector<TreeFile> files;
  for (int i = 0; i < count; ++i) files.push_back({folder + "/f" + std::to_string(1000 + i), fill, size});
  return files;
}

std::vector<TreeFile> joined(std::vector<TreeFile> a, const std::vector<TreeFile>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// read_file_range, noting each call.
struct CountingReader {
  std::vector<std::tuple<fs::path, std::uint64_t, std::size_t>> calls;
  std::uint64_t bytes = 0;

  RangeReader reader() {
    return [this](const fs::path& file, std::uint64_t offset, std::uint8_t* out, std::size_t size, std::string& error) {
      calls.emplace_back(file, offset, size);
      bytes += size;
      return read_file_range(file, offset, out, size, error);
    };
  }
};

class EstimateTest : public ::testing::Test {
 protected:
  fs::path root() const { return tmp_.path() / "files"; }
  TempDir tmp_;
};

struct SavingCase {
  const char* what;
  std::vector<TreeFile> files;
  double least, most;  // the saving expected, 0 to 1
  bool whole;          // small enough to be read whole
};

TEST_F(EstimateTest, SavingFollowsTheBytesOfTheFiles) {
  const SavingCase cases[] = {
      {"random data does not shrink", {{"a.bin", Fill::random, 3 * MiB}, {"d/b.bin", Fill::random, 500 * KiB}}, 0, 0.01,
       false},
      {"text", {{"readme.txt", Fill::text, 2 * MiB}}, 0.6, 1, false},
      {"zeros", {{"a.bin", Fill::zeros, 3 * MiB}}, 0.95, 1, false},
      {"an empty folder", {}, 0, 0, true},
      {"empty files only", {{"a.txt", Fill::text, 0}, {"d/e/b.bin", Fill::zeros, 0}}, 0, 0, true},
      {"smaller than the sample: read whole", {{"a.txt", Fill::text, 300 * KiB}, {"b.bin", Fill::random, 200 * KiB}},
       0.35, 0.62, true},
      // A sample from the start alone would see zeros only.
      {"zeros, then random data", {{"a.bin", Fill::zeros, 2 * MiB}, {"b.bin", Fill::random, 2 * MiB}}, 0.4, 0.6, false},
      // Weighed by files, the zeros would be most of it.
      {"one large random file beside many small files of zeros",
       joined({{"big.bin", Fill::random, 4 * MiB}}, many("z", 200, Fill::zeros, 2 * KiB)), 0, 0.15, false},
  };
  for (const SavingCase& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(root());
    make_tree(root(), c.files);
    const CompressionEstimate estimate = estimate_tree(root(), small_sample);
    ASSERT_TRUE(estimate.ok()) << estimate.error;
    std::uint64_t total = 0;
    for (const TreeFile& f : c.files) total += f.size;
    EXPECT_EQ(estimate.total_bytes, total);
    EXPECT_EQ(estimate.sampled_bytes, c.whole ? total : small_sample.piece_size * small_sample.max_pieces);
    EXPECT_LE(estimate.compressed_bytes, estimate.sampled_bytes);
    EXPECT_GE(estimate.saving(), c.least);
    EXPECT_LE(estimate.saving(), c.most);
  }
}

// Random data but for a run of zeros at the start of every MiB: zstd shrinks
// the first of its own blocks of 128 KiB, and the piece of 1 MiB shrinks by
// that alone, which the packer keeps only when it is at least 1%.
TEST_F(EstimateTest, PiecesThatShrinkByLessThanOnePercentCountWhole) {
  const struct {
    std::size_t run;
    double least, most;
  } cases[] = {{3 * KiB, 0, 0}, {30 * KiB, 0.02, 0.04}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.run);
    std::string data = contents(Fill::random, 4 * MiB, 7);
    for (std::size_t at = 0; at < data.size(); at += MiB) data.replace(at, c.run, c.run, '\0');
    fs::remove_all(root());
    write_file(root() / "a.bin", data);
    const CompressionEstimate estimate = estimate_tree(root(), EstimateSettings{MiB, 4, 3});
    ASSERT_TRUE(estimate.ok()) << estimate.error;
    EXPECT_GE(estimate.saving(), c.least);
    EXPECT_LE(estimate.saving(), c.most);
  }
}

// Two files of random bytes, of one kind and size: when the second is a copy
// of the first and both lie in one block, the packer's zstd finds it whole, and
// so must the estimate, which reads the first file's bytes to make sure.
TEST_F(EstimateTest, ACopyOfTheFileBeforeItInOneBlockCostsNothing) {
  const std::string random = contents(Fill::random, 256 * KiB, 9);
  const struct {
    const char* what;
    std::string second;         // b\tex.dat
    const char* second_name;
    std::uint64_t block_size;
    double least, most;
  } cases[] = {
      {"a copy", random, "b/tex.dat", 8 * MiB, 0.49, 0.51},
      {"a copy, the kind's letter case another", random, "b/tex.DAT", 8 * MiB, 0.49, 0.51},
      {"the same size, other bytes", contents(Fill::random, 256 * KiB, 10), "b/tex.dat", 8 * MiB, 0, 0.01},
      {"a copy in the next block", random, "b/tex.dat", 256 * KiB, 0, 0.01},
      {"a copy of another kind", random, "b/tex.bin", 8 * MiB, 0, 0.01},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(root());
    fs::create_directories(root() / "b");
    write_file(root() / "a.dat", random);
    write_file(root() / c.second_name, c.second);
    EstimateSettings settings = small_sample;
    settings.block_size = c.block_size;
    CountingReader counted;
    const CompressionEstimate estimate = estimate_compression(scan_tree(root()), settings, counted.reader());
    ASSERT_TRUE(estimate.ok()) << estimate.error;
    EXPECT_EQ(estimate.sampled_bytes, 512 * KiB);
    EXPECT_GE(estimate.saving(), c.least);
    EXPECT_LE(estimate.saving(), c.most);
    EXPECT_EQ(estimate.copied_bytes, c.least > 0 ? 256 * KiB : 0);
    EXPECT_LE(counted.bytes, 2 * estimate.sampled_bytes);
  }
}

// Files of 20 KiB, so that each piece of 64 KiB spans several of them.
TEST_F(EstimateTest, ReadsExactlyThePlannedPiecesOfTheStreamAndTheSameEachTime) {
  make_tree(root(), joined(many("a", 150, Fill::text, 20 * KiB), many("b/c", 150, Fill::random, 20 * KiB)));
  const TreeScan scan = scan_tree(root());
  ASSERT_TRUE(scan.ok()) << scan.error;

  CountingReader first, second;
  const CompressionEstimate a = estimate_compression(scan, small_sample, first.reader());
  const CompressionEstimate b = estimate_compression(scan, small_sample, second.reader());
  ASSERT_TRUE(a.ok()) << a.error;
  EXPECT_EQ(first.bytes, small_sample.piece_size * small_sample.max_pieces) << "read more than the sample";
  EXPECT_EQ(first.calls, second.calls);
  EXPECT_EQ(std::tie(a.sampled_bytes, a.compressed_bytes, a.pieces),
            std::tie(b.sampled_bytes, b.compressed_bytes, b.pieces));

  // Each call mapped onto the stream of the files in the packer's order: the
  // calls make up the planned pieces, byte for byte.
  std::map<fs::path, std::uint64_t> starts;
  std::uint64_t total = 0;
  for (const ScannedEntry& e : scan.entries) {
    if (e.folder) continue;
    starts[e.source] = total;
    total += static_cast<std::uint64_t>(e.size);
  }
  std::vector<SamplePiece> read;
  for (const auto& [file, offset, size] : first.calls) {
    const std::uint64_t at = starts.at(file) + offset;
    if (!read.empty() && read.back().offset + read.back().size == at) {
      read.back().size += size;
    } else {
      read.push_back({at, size});
    }
  }
  EXPECT_EQ(read, plan_sample(total, small_sample.piece_size, small_sample.max_pieces));
}

TEST_F(EstimateTest, HundredGibibytesCostOnlyTheSample) {
  fs::create_directories(root() / "data");
  const std::uint64_t sizes[] = {50ull << 30, 30ull << 30, 20ull << 30};
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < std::size(sizes); ++i) {
    const fs::path file = root() / "data" / ("part" + std::to_string(i) + ".pak");
    write_file(file, "");
    std::error_code ec;
    fs::resize_file(file, sizes[i], ec);  // sparse: no disk space taken
    if (ec) GTEST_SKIP() << "no sparse files of " << sizes[i] << " bytes here: " << ec.message();
    total += sizes[i];
  }
  CountingReader counted;
  const CompressionEstimate estimate = estimate_compression(scan_tree(root()), EstimateSettings{}, counted.reader());
  ASSERT_TRUE(estimate.ok()) << estimate.error;
  EXPECT_EQ(estimate.total_bytes, total);
  EXPECT_EQ(counted.bytes, 64 * MiB);
  EXPECT_EQ(estimate.sampled_bytes, 64 * MiB);
  EXPECT_EQ(estimate.pieces, 64u);
  EXPECT_GT(estimate.saving(), 0.99);
}

TEST_F(EstimateTest, RefusesWhatCannotBeReadOrPacked) {
  // A file that got shorter after the scan.
  make_tree(root(), {{"a.bin", Fill::text, 300 * KiB}, {"b.bin", Fill::text, 100 * KiB}});
  const TreeScan scan = scan_tree(root());
  fs::resize_file(root() / "b.bin", 10);
  const CompressionEstimate shorter = estimate_compression(scan, small_sample, read_file_range);
  EXPECT_FALSE(shorter.ok());
  EXPECT_NE(shorter.error.find("b.bin': is shorter than when it was scanned"), std::string::npos) << shorter.error;

  // A name Windows cannot hold: the scan's reason.
  write_file(root() / "nul.txt", "x");
  const CompressionEstimate refused = estimate_tree(root(), small_sample);
  EXPECT_FALSE(refused.ok());
  EXPECT_NE(refused.error.find("nul.txt"), std::string::npos) << refused.error;
}

TEST_F(EstimateTest, CommandLineTellsTheSavingInOneLine) {
  make_tree(root(), {{"a.txt", Fill::text, 100 * KiB}});
  const std::string dir = root().string();
  const std::regex line("mkfileset: estimate for .*: [0-9]+\\.[0-9]% smaller with zstd level 3 \\(sampled 102400 of "
                        "102400 bytes in 1 pieces\\)\n");
  struct {
    std::vector<std::string> args;
    int code;
  } const cases[] = {
      {{"--estimate", dir}, mkfileset_ok},
      {{"--estimate"}, mkfileset_usage},
      {{"--estimate", dir, dir}, mkfileset_usage},
      {{"--estimate", "--check", dir}, mkfileset_usage},
      {{"--estimate", (tmp_.path() / "none").string()}, mkfileset_failed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const Cli cli = run(c.args);
    EXPECT_EQ(cli.code, c.code) << cli.err;
    if (c.code == mkfileset_ok) {
      EXPECT_TRUE(std::regex_match(cli.out, line)) << cli.out;
    } else {
      EXPECT_NE(cli.err, "");
    }
  }
}

}  // namespace
