#pragma once
// The mkfileset tests' scratch folders, a packer fixture that checks
// refusals, and the capabilities a root test run has to give up.

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "payload/digest.h"
#include "tools/mkfileset/cli.h"
#include "tools/mkfileset/pack.h"
#include "tools/mkfileset/tree_scan.h"
#include "tools/tests/host_test_support.h"

namespace fs = std::filesystem;

// Each suite's helpers in a namespace of their own: both suites link into one program.
namespace packer_test {

inline constexpr const char* seed_a = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
inline constexpr const char* seed_b = "7E1F0C93A25BD4866F0E3B19C2D7A548E90B1F2C3D4E5F60718293A4B5C6D7E8";

inline std::string vectors_path() {
#ifdef SETUP_TEST_VECTORS
  return SETUP_TEST_VECTORS;
#else
  // A host program: the vectors lie beside the sources.
  return (fs::path(__FILE__).parent_path() / "../../tests/vectors/digest.txt").string();
#endif
}

// The tests' own scratch folder.
class TempDir : public HostTempDir {
 public:
  TempDir() : HostTempDir("mkfileset_test") {}
};

inline void write_file(const fs::path& path, const std::string& contents) { write_host_file(path, contents); }

inline std::vector<std::uint8_t> read_file(const fs::path& path) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  read_whole_file(path, bytes, error);
  return bytes;
}

// The tree the container vectors were computed for.
inline void make_worked_example(const fs::path& root) {
  fs::create_directories(root / "data");
  write_file(root / "a.txt", "hello");
  write_file(root / "data" / "b.bin", "xyz");
}

inline std::vector<std::string> scanned_names(const TreeScan& scan) {
  std::vector<std::string> names;
  for (const auto& e : scan.entries) names.push_back(e.name);
  return names;
}

using Cli = CliResult;

inline Cli run(const std::vector<std::string>& args) { return run_cli(run_mkfileset, args); }

// Takes from this thread the capabilities that let root read and search
// whatever the permissions say, and gives them back at the end, so a file
// without read permission is unreadable here too. Does nothing where the
// thread holds no such capabilities.
class WithoutReadOverride {
 public:
  WithoutReadOverride() {
    if (::syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
  }
  ~WithoutReadOverride() {
    if (active_) ::syscall(SYS_capset, &header_, saved_);
  }
  WithoutReadOverride(const WithoutReadOverride&) = delete;
  WithoutReadOverride& operator=(const WithoutReadOverride&) = delete;

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2] = {};
  bool active_ = false;
};

class PackerTest : public ::testing::Test {
 protected:
  fs::path src() const { return tmp_.path() / "src"; }
  fs::path output() const { return tmp_.path() / "out.bin"; }

  // Packing must fail, name the culprit and leave no output and no temporary file.
  void expect_refused(const std::string& culprit) {
    Tdigest checksum(seed_a);
    const PackOutcome outcome = pack_directory(src(), output(), checksum);
    EXPECT_FALSE(outcome.ok());
    EXPECT_NE(outcome.error.find(culprit), std::string::npos) << outcome.error;
    EXPECT_FALSE(fs::exists(output()));
    for (const auto& e : fs::directory_iterator(tmp_.path()))
      EXPECT_EQ(e.path().filename(), "src") << "left behind: " << e.path();
  }

  TempDir tmp_;
};

}  // namespace packer_test
