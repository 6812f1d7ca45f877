#include "tools/mkfileset/pe_resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "payload/digest.h"
#include "payload/fileset_writer.h"
#include "tools/mkfileset/cli.h"
#include "tools/tests/host_test_support.h"

namespace {

using Image = std::vector<std::uint8_t>;

void put16(Image& f, std::size_t at, std::uint32_t v) {
  f[at] = std::uint8_t(v);
  f[at + 1] = std::uint8_t(v >> 8);
}
void put32(Image& f, std::size_t at, std::uint32_t v) {
  put16(f, at, v);
  put16(f, at + 2, v >> 16);
}

constexpr std::uint32_t tree_at = 0x200;      // in the file
constexpr std::uint32_t tree_rva = 0x3000;    // in the loaded image
constexpr std::uint32_t sub = 0x80000000u;    // a subdirectory, or a named entry

// The smallest program the loader's rules accept: headers, one section
// .rsrc holding type 24 (one numbered entry) and type 999 with the entries
// LOGO and EXEBINFILESET, the latter carrying payload.
Image tiny_program(bool pe32_plus, const std::string& payload) {
  const std::uint32_t optional_size = pe32_plus ? 240 : 224;
  const std::uint32_t raw_size = (0xE8 + std::uint32_t(payload.size()) + 0x1FF) & ~0x1FFu;
  Image f(tree_at + raw_size, 0);
  put16(f, 0, 0x5A4D);  // MZ
  put32(f, 0x3C, 0x40);
  put32(f, 0x40, 0x4550);  // PE\0\0
  put16(f, 0x44, pe32_plus ? 0x8664 : 0x14C);
  put16(f, 0x46, 1);  // sections
  put16(f, 0x54, optional_size);
  put16(f, 0x58, pe32_plus ? 0x20B : 0x10B);
  const std::size_t tables = 0x58 + (pe32_plus ? 108 : 92);
  put32(f, tables, 16);
  put32(f, tables + 4 + 2 * 8, tree_rva);
  put32(f, tables + 4 + 2 * 8 + 4, 0xE0);
  const std::size_t section = 0x58 + optional_size;
  f[section] = '.';
  f[section + 1] = 'r';
  put32(f, section + 8, 0xE8 + std::uint32_t(payload.size()));
  put32(f, section + 12, tree_rva);
  put32(f, section + 16, raw_size);
  put32(f, section + 20, tree_at);

  const auto directory = [&](std::uint32_t at, std::uint16_t named, std::uint16_t numbered,
                             std::vector<std::pair<std::uint32_t, std::uint32_t>> entries) {
    put16(f, tree_at + at + 12, named);
    put16(f, tree_at + at + 14, numbered);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      put32(f, tree_at + at + 16 + 8 * i, entries[i].first);
      put32(f, tree_at + at + 20 + 8 * i, entries[i].second);
    }
  };
  const auto name = [&](std::uint32_t at, const std::string& text) {
    put16(f, tree_at + at, std::uint16_t(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) put16(f, tree_at + at + 2 + 2 * i, std::uint8_t(text[i]));
  };
  const auto data = [&](std::uint32_t at, std::uint32_t offset, std::size_t size) {
    put32(f, tree_at + at, tree_rva + offset);
    put32(f, tree_at + at + 4, std::uint32_t(size));
  };
  directory(0x00, 0, 2, {{24, sub | 0x20}, {999, sub | 0x38}});
  directory(0x20, 0, 1, {{1, sub | 0x70}});
  directory(0x38, 2, 0, {{sub | 0xA0, sub | 0x70}, {sub | 0xB0, sub | 0x88}});
  data(0x58, 0xE0, 8);
  directory(0x70, 0, 1, {{0x409, 0x58}});
  directory(0x88, 0, 1, {{0x407, 0xD0}});
  name(0xA0, "LOGO");
  name(0xB0, "EXEBINFILESET");
  data(0xD0, 0xE8, payload.size());
  for (std::size_t i = 0; i < 8; ++i) f[tree_at + 0xE0 + i] = std::uint8_t("manifest"[i]);
  for (std::size_t i = 0; i < payload.size(); ++i) f[tree_at + 0xE8 + i] = std::uint8_t(payload[i]);
  return f;
}

PeResource find(const Image& f, std::uint16_t type = 999, const char* name = "EXEBINFILESET") {
  return find_pe_resource(f.data(), f.size(), type, name);
}

std::string bytes_of(const Image& f, const PeResource& r) {
  return std::string(f.begin() + std::ptrdiff_t(r.offset), f.begin() + std::ptrdiff_t(r.offset + r.size));
}

}  // namespace

TEST(PeResource, FindsResourcesInBothProgramKinds) {
  for (const bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    const Image f = tiny_program(plus, "the payload");
    PeResource r = find(f);
    ASSERT_EQ(r.status, PeResourceStatus::found);
    EXPECT_EQ(bytes_of(f, r), "the payload");
    r = find(f, 999, "logo");
    ASSERT_EQ(r.status, PeResourceStatus::found);
    EXPECT_EQ(bytes_of(f, r), "manifest");
    EXPECT_EQ(find(f, 998).status, PeResourceStatus::not_found);
    EXPECT_EQ(find(f, 999, "EXEBINFILESE").status, PeResourceStatus::not_found);
    EXPECT_EQ(find(f, 24).status, PeResourceStatus::not_found);  // numbered, not named
  }
  const std::string others[] = {"", "MZ", "plain text, long enough to hold an offset at 0x3C ........ end",
                                std::string(64, '\0')};
  for (const std::string& other : others) {
    const Image f(other.begin(), other.end());
    EXPECT_EQ(find(f).status, PeResourceStatus::not_a_program) << other;
  }
}

TEST(PeResource, HostileFieldsAreDamageNotReadsOutside) {
  const Image good = tiny_program(false, "the payload");
  struct Case {
    const char* what;
    std::size_t at;
    int width;
    std::uint32_t value;
    PeResourceStatus expected;
  };
  const std::size_t resource_table = 0x58 + 96 + 2 * 8;
  const std::size_t section = 0x58 + 224;
  const Case cases[] = {
      {"section table past the end", 0x46, 2, 0xFFFF, PeResourceStatus::damaged},
      {"optional header too short", 0x54, 2, 96, PeResourceStatus::damaged},
      {"resource table outside every section", resource_table, 4, 0x9000, PeResourceStatus::damaged},
      {"section data past the end", section + 20, 4, 0xFFFFFFF0u, PeResourceStatus::damaged},
      {"type directory far away", tree_at + 0x18 + 4, 4, sub | 0x7FFFFFF0u, PeResourceStatus::damaged},
      {"type entry holding data", tree_at + 0x18 + 4, 4, 0x58, PeResourceStatus::damaged},
      {"language entry a directory", tree_at + 0x88 + 20, 4, sub | 0x88, PeResourceStatus::damaged},
      {"entry count beyond the tree", tree_at + 0x38 + 12, 2, 0xFFFF, PeResourceStatus::damaged},
      {"data larger than its section", tree_at + 0xD4, 4, 0xFFFFFFFFu, PeResourceStatus::damaged},
      {"data address wraps", tree_at + 0xD0, 4, 0xFFFFFFFFu, PeResourceStatus::damaged},
      {"name length beyond the tree", tree_at + 0xB0, 2, 0xFFFF, PeResourceStatus::not_found},
      {"no resource table", resource_table, 4, 0, PeResourceStatus::not_found},
  };
  for (const Case& c : cases) {
    Image f = good;
    if (c.width == 2) put16(f, c.at, c.value);
    else put32(f, c.at, c.value);
    EXPECT_EQ(find(f).status, c.expected) << c.what;
  }

  // Every cut and every byte set to 0xFF: each copy is exactly as long as
  // the file, so a read past its end is a read past the allocation.
  for (const bool plus : {false, true}) {
    const Image whole = tiny_program(plus, "the payload");
    for (std::size_t length = 0; length <= whole.size(); ++length) {
      const Image cut(whole.begin(), whole.begin() + std::ptrdiff_t(length));
      const PeResource r = find(cut);
      if (r.status == PeResourceStatus::found) {
        EXPECT_LE(r.offset + r.size, length);
      }
      // The payload's last byte is the last the lookup needs.
      EXPECT_EQ(r.status == PeResourceStatus::found, length >= tree_at + 0xE8 + 11) << length;
    }
    for (std::size_t at = 0; at < whole.size(); ++at) {
      Image changed = whole;
      changed[at] = 0xFF;
      const PeResource r = find(changed);
      if (r.status == PeResourceStatus::found) {
        EXPECT_LE(r.offset + r.size, changed.size()) << at;
      }
    }
  }
}

TEST(PeResource, ListingTellsProgramsContainersAndOtherFilesApart) {
  HostTempDir tmp("pe_resource_test");
  Tdigest checksum(code_seed);
  const FilesetBuild build = build_fileset({FilesetEntry::folder("data"), FilesetEntry::file("data\\a.txt", "hello")},
                                           checksum);
  ASSERT_TRUE(build.ok());
  const std::string container(build.bytes.begin(), build.bytes.end());
  const auto file = [&](const std::string& name, const Image& bytes) {
    write_host_file(tmp.path() / name, std::string(bytes.begin(), bytes.end()));
    return (tmp.path() / name).string();
  };
  Image cut_program = tiny_program(true, container);
  cut_program.resize(tree_at + 0xE8 + container.size() - 1);
  Image other_program = tiny_program(false, container);
  other_program[tree_at + 0xB2] = 'X';  // the resource's name

  struct Case {
    std::string path;
    int code;
    const char* out;
    const char* err;
  };
  const Case cases[] = {
      // Programs without the checksum resource: listed, and failed as setup.exe would.
      {file("setup32.exe", tiny_program(false, container)), 1, "data\\a.txt", ""},
      {file("setup64.exe", tiny_program(true, container)), 1, "no checksum resource EXEBINFILESUMS", ""},
      {file("bare.bin", Image(container.begin(), container.end())), 0, "data\\a.txt", ""},
      {file("cut.exe", cut_program), 1, "damaged", ""},
      {file("other.exe", other_program), 1, "", "not a container: a program without the resource"},
      {file("notes.txt", Image(200, 'x')), 1, "", "not a container, nor a setup program"},
  };
  for (const Case& c : cases) {
    const CliResult cli = run_cli(run_mkfileset, {"--list", c.path});
    EXPECT_EQ(cli.code, c.code) << c.path << '\n' << cli.out << cli.err;
    EXPECT_NE(cli.out.find(c.out), std::string::npos) << c.path << '\n' << cli.out;
    EXPECT_NE(cli.err.find(c.err), std::string::npos) << c.path << '\n' << cli.err;
  }
}
