// mkfileset --volume-size: the files in data volumes beside the index setup.exe
// carries, read back here as the setup reads them.
#include <cstring>
#include <sstream>

#include "core/sha256.h"
#include "payload/block_decoder.h"
#include "payload/volume_index.h"
#include "payload/xxh3.h"
#include "tools/mkfileset/listing.h"
#include "tools/mkfileset/pack_volumes.h"
#include "tools/tests/packer_fixture.h"

namespace packer_test {
namespace {

std::string pattern(std::size_t size, char first) {
  std::string s(size, 0);
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(first + i % 23);
  return s;
}

class VolumePacking : public PackerTest {
 protected:
  fs::path index_path() const { return tmp_.path() / "out" / "setup.idx"; }
  fs::path volume(int n) const { return tmp_.path() / "out" / ("game-setup-" + std::to_string(n) + ".bin"); }
  Cli pack(const std::string& size) {
    fs::create_directories(index_path().parent_path());
    return run({"--seed", seed_a, "--volume-size", size, "--volume-name", "game-setup", src().string(),
                index_path().string()});
  }
};

// A file spanning several volumes, small files sharing one, a folder: every
// volume's header belongs to it, every block matches its sum, and the data
// put back together is each file's bytes in entry order.
TEST_F(VolumePacking, VolumesHoldEveryByteOnceAndMatchTheIndex) {
  const std::string big = pattern(700 * 1024 + 3, 'a');
  fs::create_directories(src() / "maps" / "empty");
  write_file(src() / "maps" / "big.dat", big);
  write_file(src() / "a.txt", "hello");
  write_file(src() / "z.txt", "");
  // A volume of an earlier, larger build goes.
  fs::create_directories(index_path().parent_path());
  write_file(volume(9), "stale");
  write_file(volume(5), "stale");

  const Cli cli = pack("256K");
  ASSERT_EQ(cli.code, 0) << cli.err;
  EXPECT_NE(cli.out.find("wrote 3 volumes game-setup-1.bin to -3.bin (716808 bytes of file data)"),
            std::string::npos)
      << cli.out;
  EXPECT_FALSE(fs::exists(volume(5)));
  EXPECT_FALSE(fs::exists(volume(9)));

  const std::vector<std::uint8_t> bytes = read_file(index_path());
  const auto index = VolumeIndex::open(bytes.data(), bytes.size());
  ASSERT_TRUE(index);
  Tdigest checksum(seed_a);
  EXPECT_TRUE(index->verify_digest(checksum));
  EXPECT_EQ(index->block_size(), 256u * 1024);
  ASSERT_EQ(index->volume_count(), 3u);

  std::string data;
  for (std::uint32_t n = 1; n <= 3; ++n) {
    const std::vector<std::uint8_t> v = read_file(volume(static_cast<int>(n)));
    EXPECT_EQ(check_volume_header(*index, n, read_volume_header(v.data(), v.size()), v.size()), VolumeFault::none);
    data.append(v.begin() + volume_header_size, v.end());
  }
  ASSERT_EQ(data.size(), index->data_length());
  for (std::uint64_t b = 0; b < index->block_count(); ++b) {
    const std::size_t at = b * index->block_size();
    EXPECT_EQ(sha256(data.data() + at, std::min<std::size_t>(index->block_size(), data.size() - at)),
              index->block(b).digest)
        << "block " << b;
  }
  const PayloadLayout layout = index->layout();
  ASSERT_TRUE(layout.names_exact && layout.sizes_fill_data);
  std::vector<std::string> names;
  for (const PayloadEntry& e : layout.entries) {
    names.push_back(e.name);
    if (e.kind != EntryKind::file) continue;
    const std::string contents = data.substr(e.offset, e.size);
    EXPECT_EQ(xxh3_64(contents.data(), contents.size()), index->entry_sum(e.index)) << e.name;
    if (e.name == "maps\\big.dat") {
      EXPECT_EQ(contents, big);
    }
  }
  EXPECT_EQ(names, (std::vector<std::string>{"maps", "maps\\empty", "a.txt", "maps\\big.dat", "z.txt"}));

  // --list checks every volume as setup.exe would.
  std::ostringstream listed;
  Tdigest list_checksum(seed_a);
  EXPECT_EQ(list_volumes(bytes.data(), bytes.size(), index_path().parent_path(), {}, list_checksum, listed),
            ListResult::matches)
      << listed.str();
  std::vector<std::uint8_t> second = read_file(volume(2));
  second[volume_header_size + 1000] ^= 1;
  write_file(volume(2), std::string(second.begin(), second.end()));
  fs::remove(volume(3));
  std::ostringstream damaged;
  EXPECT_EQ(list_volumes(bytes.data(), bytes.size(), index_path().parent_path(), {}, list_checksum, damaged),
            ListResult::wrong_sums);
  EXPECT_NE(damaged.str().find("volume game-setup-1.bin: matches\nvolume game-setup-2.bin: damaged\n"
                               "volume game-setup-3.bin: missing\n"),
            std::string::npos)
      << damaged.str();

  // The same files give the same build; another file another one.
  ASSERT_EQ(pack("256K").code, 0);
  const std::vector<std::uint8_t> again = read_file(index_path());
  EXPECT_EQ(again, bytes);
  write_file(src() / "a.txt", "hellO");
  ASSERT_EQ(pack("256K").code, 0);
  const std::vector<std::uint8_t> other = read_file(index_path());
  EXPECT_NE(VolumeIndex::open(other.data(), other.size())->build_id(), index->build_id());
}

// --compress: text shrinks and is stored as zstd frames, random bytes stay as
// they are; decoded in order the blocks give every file's bytes, in setup.exe
// itself (OUTPUT.blocks) or in volumes; --list decodes and checks each block,
// and finds a changed byte.
TEST_F(VolumePacking, CompressedBlocksDecodeToTheFilesInEitherPlace) {
  std::string noise(compressed_block_size, 0);
  std::uint32_t x = 5;
  for (char& c : noise) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
  const std::string text = pattern(5 << 20, 'a');
  fs::create_directories(src() / "data");
  write_file(src() / "data" / "noise.bin", noise);
  write_file(src() / "data" / "text.txt", text);
  write_file(src() / "small.txt", "hello");
  write_file(src() / "z.txt", "hi");
  // Files of a kind lie together, smallest first.
  const std::string all = noise + "hi" + "hello" + text;
  struct Case {
    const char* what;
    std::vector<std::string> options;
    std::uint32_t volumes;
  };
  const Case cases[] = {
      {"in setup.exe", {"--compress", "3"}, 0},
      {"in volumes", {"--compress", "3", "--volume-size", "8M", "--volume-name", "game-setup"}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(index_path().parent_path());
    fs::create_directories(index_path().parent_path());
    std::vector<std::string> args = {"--seed", seed_a};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(src().string());
    args.push_back(index_path().string());
    const Cli cli = run(args);
    ASSERT_EQ(cli.code, 0) << cli.err;
    const std::vector<std::uint8_t> bytes = read_file(index_path());
    ASSERT_EQ(run(args).code, 0);
    EXPECT_EQ(read_file(index_path()), bytes) << "the same files give the same index, whatever the threads";
    const auto index = VolumeIndex::open(bytes.data(), bytes.size());
    ASSERT_TRUE(index);
    ASSERT_EQ(index->volume_count(), c.volumes);
    ASSERT_EQ(index->block_count(), 2u);
    std::vector<std::string> names;
    for (const PayloadEntry& e : index->layout().entries) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"data", "data\\noise.bin", "z.txt", "small.txt", "data\\text.txt"}));
    EXPECT_EQ(index->block(0).method, BlockMethod::stored) << "random bytes do not shrink";
    EXPECT_EQ(index->block(1).method, BlockMethod::zstd);
    EXPECT_LT(index->block(1).stored_size, text.size() / 10);

    // The stored stream: the blocks file, or the volumes after their headers.
    std::string stored;
    const auto add = [&stored](const fs::path& p, std::size_t skip) {
      const std::vector<std::uint8_t> v = read_file(p);
      stored.append(v.begin() + static_cast<std::ptrdiff_t>(skip), v.end());
    };
    if (c.volumes == 0) add(blocks_path_for(index_path()), 0);
    for (std::uint32_t n = 1; n <= c.volumes; ++n) add(volume(static_cast<int>(n)), volume_header_size);
    ASSERT_EQ(stored.size(), index->stored_length());
    std::string decoded;
    BlockDecoder decoder;
    for (std::uint64_t b = 0; b < index->block_count(); ++b) {
      const BlockEntry e = index->block(b);
      const auto* in = reinterpret_cast<const std::uint8_t*>(stored.data() + e.stored_offset);
      EXPECT_EQ(sha256(in, e.stored_size), e.digest);
      std::string out(e.original_size, 0);
      if (e.method == BlockMethod::zstd) {
        ASSERT_EQ(decoder.decode(in, e.stored_size, reinterpret_cast<std::uint8_t*>(out.data()), out.size()),
                  BlockFault::none);
      } else {
        out.assign(reinterpret_cast<const char*>(in), e.stored_size);
      }
      EXPECT_EQ(xxh3_64(out.data(), out.size()), e.sum);
      decoded += out;
    }
    EXPECT_TRUE(decoded == all);

    const ByteRegion in_program{reinterpret_cast<const std::uint8_t*>(stored.data()),
                                c.volumes == 0 ? stored.size() : 0};
    std::ostringstream listed;
    Tdigest list_checksum(seed_a);
    EXPECT_EQ(list_volumes(bytes.data(), bytes.size(), index_path().parent_path(), in_program, list_checksum, listed),
              ListResult::matches)
        << listed.str();
    // A changed byte in the compressed block.
    const std::size_t at = index->block(1).stored_offset + 20;
    if (c.volumes == 0) {
      stored[at] ^= 0x10;
    } else {
      std::vector<std::uint8_t> v = read_file(volume(2));
      v[volume_header_size + 20] ^= 0x10;
      write_file(volume(2), std::string(v.begin(), v.end()));
    }
    std::ostringstream damaged;
    EXPECT_EQ(list_volumes(bytes.data(), bytes.size(), index_path().parent_path(), in_program, list_checksum, damaged),
              ListResult::wrong_sums)
        << damaged.str();
    EXPECT_NE(damaged.str().find("damaged"), std::string::npos) << damaged.str();
  }
  EXPECT_EQ(run({"--compress", "23", src().string(), index_path().string()}).code, 2);
  EXPECT_EQ(run({"--compress", "max", src().string(), index_path().string()}).code, 2);
}

TEST_F(VolumePacking, SizesAndNamesTheMakerGives) {
  struct Case {
    const char* text;
    std::uint64_t bytes;
  };
  const Case sizes[] = {{"700M", 700ull << 20}, {"4G", 4ull << 30}, {"65536", 65536}, {"64K", 65536},
                        {"1T", 1ull << 40},     {"", 0},            {"M", 0},         {"12MB", 0},
                        {"-5", 0},              {"99999999999999999999", 0}};
  for (const Case& c : sizes) EXPECT_EQ(parse_volume_size(c.text), c.bytes) << c.text;

  fs::create_directories(src());
  write_file(src() / "a.txt", "x");
  const std::vector<std::vector<std::string>> refused = {
      {"--volume-size", "12MB", src().string(), output().string()},
      {"--volume-size", "1M", "--volume-name", "a\\b", src().string(), output().string()},
      {"--volume-name", "x", src().string(), output().string()},
      {"--volume-size", "32K", src().string(), output().string()},
  };
  for (const auto& args : refused) {
    const Cli cli = run(args);
    EXPECT_NE(cli.code, 0) << args[1];
    EXPECT_FALSE(fs::exists(output())) << args[1];
  }
}

// A file too large for the container goes into volumes: --check says so
// without reading it.
TEST_F(VolumePacking, FilesBeyondTwoGiBNeedVolumes) {
  fs::create_directories(src());
  std::ofstream(src() / "huge.pak").close();
  fs::resize_file(src() / "huge.pak", (std::uintmax_t{5} << 30) + 1);
  const Cli single = run({"--check", src().string()});
  EXPECT_NE(single.err.find("huge.pak': larger than 2 GiB, the most a container entry can hold (volumes can: "
                            "--volume-size)"),
            std::string::npos)
      << single.err;
  const Cli volumes = run({"--volume-size", "1G", "--check", src().string()});
  EXPECT_EQ(volumes.code, 0) << volumes.err;
  EXPECT_NE(volumes.out.find("5368709121 bytes of file data"), std::string::npos) << volumes.out;
}

}  // namespace
}  // namespace packer_test
