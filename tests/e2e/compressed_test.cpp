// A setup whose files are compressed in blocks, carried in setup.exe itself
// or in data volumes beside it, installs them byte for byte and uninstalls
// them; a byte changed anywhere in the compressed blocks or in the block
// index is refused with exit code 2 before anything is written, and nothing
// of the installation stays.
#include <gtest/gtest.h>

#include <functional>

#include "core/exit_codes.h"
#include "e2e_paths.h"
#include "payload/volume_format.h"
#include "setup_run.h"
#include "tests/e2e/install_check.h"
#include "tests/e2e/machine_state.h"
#include "tests/e2e/tree_snapshot.h"
#include "tests/support/win_fs.h"
#include "tools/mkfileset/pe_resource.h"

namespace {

// A copy of a setup, with its volumes when it has any, in a folder of its own.
class SetupCopy {
 public:
  explicit SetupCopy(const std::string& name) : name_(name) {
    const std::string from = std::string(e2e_bin_dir) + "\\";
    EXPECT_TRUE(CopyFileA((from + name + ".exe").c_str(), setup().c_str(), FALSE));
    while (CopyFileA((from + volume_file(volumes_ + 1)).c_str(), (dir_ / volume_file(volumes_ + 1)).c_str(), FALSE))
      ++volumes_;
  }
  std::string setup() const { return dir_ / (name_ + ".exe"); }
  std::string volume(int n) const { return dir_ / volume_file(n); }
  int volumes() const { return volumes_; }

 private:
  std::string volume_file(int n) const { return name_ + "-" + std::to_string(n) + ".bin"; }
  TempDir dir_;
  std::string name_;
  int volumes_ = 0;
};

class Compressed : public ::testing::Test {
 protected:
  std::string installed() const { return target_ / product_folder; }
  SetupRun silent(const std::string& setup, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"-G", "-Q", "-P" + target_.path(), "-W" + log_};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_setup(setup, args);
  }
  std::string log() const { return read_file(log_).value_or(""); }

  TempDir target_;
  TempDir logs_;
  const std::string log_ = logs_ / "setup.log";
};

TEST_F(Compressed, InstallByteForByteAndUninstallLeavesTheMachineAsItWas) {
  struct Case {
    const char* setup;
    bool volumes;
  };
  for (const Case c : {Case{"e2e_setup_compressed", false}, Case{"e2e_setup_compressed_volumes", true}}) {
    SCOPED_TRACE(c.setup);
    const SetupCopy copy(c.setup);
    EXPECT_EQ(copy.volumes() > 0, c.volumes);
    const TreeSnapshot before = machine();
    const std::string keys = uninstall_keys();

    const SetupRun r = silent(copy.setup(), {"-M", "-R", "-F"});
    ASSERT_EQ(r.exit_code, DWORD(exit_success)) << r.log << log();
    EXPECT_TRUE(r.boxes.empty()) << r.log;
    expect_same_files(e2e_product_files, installed(), installation_adds);
    if (!c.volumes) EXPECT_NE(log().find("compressed blocks"), std::string::npos) << log();

    const SetupRun removed = run_command(driver::quote_arg(installed() + "\\uninst\\uninstall.exe") + " -G -Q");
    EXPECT_EQ(removed.exit_code, DWORD(exit_success)) << removed.log;
    ASSERT_TRUE(DeleteFileA(log_.c_str()));
    EXPECT_EQ(tree_differences(before, machine()), "");
    EXPECT_EQ(uninstall_keys(), keys);
  }
}

// 50 single-byte changes: 40 spread over the compressed blocks setup.exe
// carries, 10 over its block index. Each is refused before anything is
// written: exit code 2, no folder, no record, no entry.
TEST_F(Compressed, AnyChangedByteOfTheBlocksOrTheIndexIsRefused) {
  const SetupCopy pristine("e2e_setup_compressed");
  const std::optional<std::string> program = read_file(pristine.setup());
  ASSERT_TRUE(program);
  const auto* image = reinterpret_cast<const std::uint8_t*>(program->data());
  const PeResource blocks = find_pe_resource(image, program->size(), block_resource_type, block_resource_name);
  const PeResource index =
      find_pe_resource(image, program->size(), volume_index_resource_type, volume_index_resource_name);
  ASSERT_EQ(blocks.status, PeResourceStatus::found);
  ASSERT_EQ(index.status, PeResourceStatus::found);
  std::vector<std::size_t> places;
  for (std::size_t i = 0; i < 40; ++i) places.push_back(blocks.offset + (2 * i + 1) * blocks.size / 80);
  for (std::size_t i = 0; i < 10; ++i) places.push_back(index.offset + (2 * i + 1) * index.size / 20);

  const TreeSnapshot before = snapshot(target_.path());
  const std::string keys = uninstall_keys();
  const std::string damaged = target_ / "damaged-setup.exe";
  for (const std::size_t at : places) {
    SCOPED_TRACE(at);
    std::string bytes = *program;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    ASSERT_TRUE(write_file(damaged, bytes));
    const SetupRun r = silent(damaged);
    EXPECT_EQ(r.exit_code, DWORD(exit_input_damaged)) << r.log << log();
    EXPECT_EQ(GetFileAttributesA(installed().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(unfinished_records(target_.path()).empty());
    EXPECT_EQ(uninstall_keys(), keys);
    ASSERT_TRUE(DeleteFileA(damaged.c_str()));
  }
  EXPECT_EQ(tree_differences(before, snapshot(target_.path())), "");
}

// A compressed volume changed after its header: found while installing,
// named, and the installation rolled back.
TEST_F(Compressed, AChangedCompressedVolumeIsNamedAndRolledBack) {
  const SetupCopy copy("e2e_setup_compressed_volumes");
  ASSERT_GE(copy.volumes(), 2);
  const std::optional<std::string> last = read_file(copy.volume(copy.volumes()));
  ASSERT_TRUE(last);
  std::string changed = *last;
  changed[volume_header_size + (changed.size() - volume_header_size) / 2] ^= 0x20;
  ASSERT_TRUE(write_file(copy.volume(copy.volumes()), changed));
  const TreeSnapshot before = snapshot(target_.path());
  const SetupRun r = silent(copy.setup(), {"-M", "-R"});
  EXPECT_EQ(r.exit_code, DWORD(exit_input_damaged)) << r.log << log();
  EXPECT_NE(log().find("data volume " + copy.volume(copy.volumes()) + ": It is damaged"), std::string::npos) << log();
  EXPECT_EQ(tree_differences(before, snapshot(target_.path())), "");
  EXPECT_TRUE(unfinished_records(target_.path()).empty());
}

// The same damage, found by one of the decoding workers while a person
// installs: the volume is put right while the message is up, and Retry reads
// the block again; the installation completes byte for byte.
TEST_F(Compressed, RetryAfterTheVolumeIsPutRightInstallsEveryFile) {
  const SetupCopy copy("e2e_setup_compressed_volumes");
  ASSERT_GE(copy.volumes(), 2);
  const std::string damaged = copy.volume(copy.volumes());
  const std::optional<std::string> intact = read_file(damaged);
  ASSERT_TRUE(intact);
  std::string changed = *intact;
  changed[volume_header_size + (changed.size() - volume_header_size) / 2] ^= 0x20;
  ASSERT_TRUE(write_file(damaged, changed));
  int asked = 0;
  const DialogAnswer answer = [&](driver::Driver& d, const driver::Dialog& box) {
    if (box.caption != "Data volume") return install_into(target_.path())(d, box);
    ++asked;
    EXPECT_NE(box.message.find(damaged + "\r\nIt is damaged"), std::string::npos) << box.message;
    EXPECT_TRUE(write_file(damaged, *intact));
    d.press(box, IDRETRY);
    return true;
  };
  const SetupRun r = run_setup(copy.setup(), {"-L0", "-M", "-R", "-F"}, 60000, answer);
  EXPECT_EQ(r.exit_code, DWORD(exit_success)) << r.log;
  EXPECT_EQ(asked, 1) << r.log;
  expect_same_files(e2e_product_files, installed(), installation_adds);
  const SetupRun removed = run_command(driver::quote_arg(installed() + "\\uninst\\uninstall.exe") + " -G -Q");
  EXPECT_EQ(removed.exit_code, DWORD(exit_success)) << removed.log;
}

}  // namespace
