// Shortcuts and the Add/Remove Programs entry on the real shell and registry.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include "core/settings.h"
#include "core/journal.h"
#include "engine/tests/test_run.h"
#include "payload/digest.h"
#include "system/com_init.h"
#include "system/com_ptr.h"
#include "system/launch_args.h"
#include "system/shortcuts.h"
#include "system/uninstall_key.h"
#include "system/uninstall_registration.h"
#include "tests/support/registry_view.h"
#include "tests/support/win_fs.h"

namespace {

using Records = std::vector<std::string>;

struct Link {
  std::string target, arguments, working_dir, description, icon_file;
  int icon_index = -1;
};

// Reads a link back through the shell's own link object.
std::optional<Link> read_link(const std::string& path) {
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, file.put()))) {
    return std::nullopt;
  }
  std::wstring wide(path.begin(), path.end());
  if (FAILED(file->Load(wide.c_str(), STGM_READ))) return std::nullopt;
  char text[1024];
  Link l;
  link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
  l.target = text;
  link->GetArguments(text, sizeof text);
  l.arguments = text;
  link->GetWorkingDirectory(text, sizeof text);
  l.working_dir = text;
  link->GetDescription(text, sizeof text);
  l.description = text;
  link->GetIconLocation(text, sizeof text, &l.icon_index);
  l.icon_file = text;
  return l;
}

// The arguments as the started program receives them.
std::vector<std::wstring> split_command_line(const std::string& arguments) {
  const std::wstring line = L"game.exe " + std::wstring(arguments.begin(), arguments.end());
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
  std::vector<std::wstring> result(argv + 1, argv + count);
  LocalFree(argv);
  return result;
}

void copy_paths_and_texts(const InstallerSettings& from, InstallerSettings& to) {
  to.install_dir = from.install_dir;
  to.start_menu_dir = from.start_menu_dir;
  to.uninstall_menu_dir = from.uninstall_menu_dir;
  to.product_title = from.product_title;
  to.uninstall_title = from.uninstall_title;
  to.game_exe_path = from.game_exe_path;
  to.uninstaller_path = from.uninstaller_path;
  to.game_comment = from.game_comment;
  to.uninstall_comment = from.uninstall_comment;
  to.folders = from.folders;
}

class FinishingTest : public testing::Test {
 protected:
  void SetUp() override {
    initialise_com();
    s.install_dir = tmp / "Games\\Quasarine_II\\";
    s.product_folder = "Quasarine_II";
    s.product_title = "Quasarine II";
    s.uninstall_title = "Uninstall Quasarine";
    s.game_exe_path = "\\exebin\\quasarine2.exe";
    s.uninstaller_path = "\\uninst\\uninstall.exe";
    s.game_comment = "Spielen";
    s.uninstall_comment = "Entfernen";
    s.folders.desktop_dir = tmp / "Desktop";
    s.folders.common_appdata_dir = tmp / "All Users\\";  // ends in "\" on purpose
    s.start_menu_dir = tmp / "Start\\Games\\Quasarine_II";
    s.uninstall_menu_dir = s.start_menu_dir;
    CreateDirectoryA(s.folders.desktop_dir.c_str(), nullptr);
    CreateDirectoryA((tmp / "Games").c_str(), nullptr);
    CreateDirectoryA(s.install_dir.c_str(), nullptr);
    for (const char* folder : {"exebin", "uninst"}) CreateDirectoryA((s.install_dir + folder).c_str(), nullptr);
    ASSERT_TRUE(write_file(s.install_dir + "exebin\\quasarine2.exe", "MZ"));
    ASSERT_TRUE(write_file(s.install_dir + "uninst\\uninstall.exe", "MZ"));
  }

  TempDir tmp;
  TestRun test_run;
  InstallerSettings& s = test_run.settings;
};

}  // namespace

// One run with every link: the set of files, the journal order, and what each
// link holds, read back through the shell.
TEST_F(FinishingTest, AllLinksAreMadeJournaledAndReadBack) {
  s.desktop_icon = true;
  create_all_shortcuts(test_run);

  const std::string game = s.install_dir + "exebin\\quasarine2.exe";
  const std::string uninstaller = s.install_dir + "uninst\\uninstall.exe";
  const std::string menu = s.start_menu_dir + "\\";
  EXPECT_EQ(read_records(s.journal),
            (Records{"FILE:" + s.folders.desktop_dir + "\\Quasarine II.lnk", "DIR:" + tmp / "Start",
                     "DIR:" + tmp / "Start\\Games", "DIR:" + s.start_menu_dir, "FILE:" + menu + "Quasarine II.lnk",
                     "FILE:" + menu + "Uninstall Quasarine.lnk", "FILE:" + s.install_dir + "Quasarine II.lnk",
                     "FILE:" + s.install_dir + "Uninstall Quasarine.lnk"}));

  EXPECT_EQ(s.launch_args, "-L 0 -P \"" + s.folders.common_appdata_dir + "\\\"");
  // The game receives the shared folder exactly, trailing "\" included.
  const std::vector<std::wstring> argv = split_command_line(s.launch_args);
  ASSERT_EQ(argv.size(), 4u);
  EXPECT_EQ(argv[3], std::wstring(s.folders.common_appdata_dir.begin(), s.folders.common_appdata_dir.end()));

  const struct {
    std::string file, target, description;
  } expected[] = {
      {s.folders.desktop_dir + "\\Quasarine II.lnk", game, "Spielen"},
      {menu + "Quasarine II.lnk", game, "Spielen"},
      {menu + "Uninstall Quasarine.lnk", uninstaller, "Entfernen"},
      {s.install_dir + "Quasarine II.lnk", game, "Spielen"},
      {s.install_dir + "Uninstall Quasarine.lnk", uninstaller, "Entfernen"},
  };
  for (const auto& e : expected) {
    const std::optional<Link> link = read_link(e.file);
    ASSERT_TRUE(link) << e.file;
    EXPECT_EQ(link->target, e.target) << e.file;
    EXPECT_EQ(link->arguments, s.launch_args) << e.file;
    EXPECT_EQ(link->working_dir, s.install_dir) << e.file;
    EXPECT_EQ(link->description, e.description) << e.file;
    EXPECT_EQ(link->icon_file, e.target) << e.file;
    EXPECT_EQ(link->icon_index, 0) << e.file;
  }
}

TEST_F(FinishingTest, OptionsChooseTheLinks) {
  const struct {
    const char* name;
    bool desktop, no_menu, menu_uninstall;
    bool desktop_known;
    Records links;  // file names below tmp, in journal order
  } cases[] = {
      {"-M, German, no sharing", false, true, true, true,
       {"Games\\Quasarine_II\\Quasarine II.lnk", "Games\\Quasarine_II\\Uninstall Quasarine.lnk"}},
      {"-y", false, false, false, true,
       {"Start\\Games\\Quasarine_II\\Quasarine II.lnk", "Games\\Quasarine_II\\Quasarine II.lnk",
        "Games\\Quasarine_II\\Uninstall Quasarine.lnk"}},
      {"-I, desktop unknown: no link at the drive's root", true, true, true, false,
       {"Games\\Quasarine_II\\Quasarine II.lnk", "Games\\Quasarine_II\\Uninstall Quasarine.lnk"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestRun other_run;
    InstallerSettings& run = other_run.settings;
    copy_paths_and_texts(s, run);
    run.language_offset = language_german;
    run.no_data_sharing = true;
    run.desktop_icon = c.desktop;
    run.no_start_menu = c.no_menu;
    if (!c.menu_uninstall) run.uninstall_menu_dir.clear();
    if (!c.desktop_known) run.folders.desktop_dir.clear();
    create_all_shortcuts(other_run);
    Records links;
    for (const std::string& r : read_records(run.journal)) {
      if (has_prefix(r, record::file)) links.push_back(r.substr(record::file.size() + tmp.path().size() + 1));
    }
    EXPECT_EQ(links, c.links);
    EXPECT_EQ(run.launch_args, "-L 1000");
    remove_tree(tmp / "Start");
    for (const std::string& l : links) DeleteFileA((tmp / l).c_str());
  }
}

TEST_F(FinishingTest, LinksThatCannotBeMadeAreSkippedUnjournaled) {
  // A title that makes the record pass 255 characters, and a start menu whose
  // folder is a file: neither is written, the rest still are.
  ASSERT_TRUE(write_file(tmp / "Start", "a file"));
  s.uninstall_title = std::string(250 - s.install_dir.size(), 'u');
  create_all_shortcuts(test_run);
  EXPECT_EQ(read_records(s.journal), (Records{"FILE:" + s.install_dir + "Quasarine II.lnk"}));
  EXPECT_FALSE(file_exists(s.install_dir + s.uninstall_title + ".lnk"));
}

class RegistrationTest : public FinishingTest {
 protected:
  void SetUp() override {
    FinishingTest::SetUp();
    Tdigest checksum(code_seed);
    key_ = uninstall_key_name(checksum, s.product_folder, s.install_dir);
    s.launch_args = "-L 0";
    registry_.shell_delete_key(HKEY_LOCAL_MACHINE, (uninstall_root_key + key_).c_str());
  }
  void TearDown() override { registry_.shell_delete_key(HKEY_LOCAL_MACHINE, (uninstall_root_key + key_).c_str()); }

  // A value as the system's list reads it: from the program's registry view.
  std::optional<std::string> value(const char* name) const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (uninstall_root_key + key_).c_str(), 0,
                      KEY_READ | program_registry_view(), &key) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    char data[1024] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
    return std::string(data);
  }

  void run(std::uint64_t bytes = 0) {
    Tdigest checksum(code_seed);
    register_uninstall_entry(test_run, registry_, checksum, bytes, release_);
  }

  const ShellRegistry registry_ = load_shell_registry_helpers();
  std::string key_;
  ProductRelease release_;
};

TEST_F(RegistrationTest, WritesTheEntryJournalsItAndRemovesItWhole) {
  run(2049);
  EXPECT_EQ(read_records(s.journal), Records{"APP:" + key_});
  EXPECT_EQ(value("DisplayName"), "Quasarine II");
  EXPECT_EQ(value("UninstallString"), "\"" + s.install_dir + "uninst\\uninstall.exe\" -L 0");
  EXPECT_EQ(value("QuietUninstallString"), "\"" + s.install_dir + "uninst\\uninstall.exe\" -L 0 -G -Q");
  EXPECT_EQ(value("DisplayIcon"), s.install_dir + "exebin\\quasarine2.exe");
  EXPECT_EQ(value("InstallLocation"), s.install_dir);
  EXPECT_EQ(value("EstimatedSize"), "3");
  EXPECT_EQ(value("NoModify"), "1");
  EXPECT_EQ(value("NoRepair"), "1");

  EXPECT_TRUE(remove_uninstall_key(registry_, key_));
  EXPECT_FALSE(value("DisplayName"));
  EXPECT_FALSE(value("NoModify")) << "the whole key goes";
  EXPECT_FALSE(remove_uninstall_key(registry_, key_)) << "nothing left to remove";
}

TEST_F(RegistrationTest, OptionsDecideWhatIsWrittenAndJournaled) {
  s.no_registry = true;  // -R: nothing at all
  run();
  EXPECT_TRUE(read_records(s.journal).empty());
  EXPECT_FALSE(value("DisplayName"));

  s.no_registry = false;
  s.add_remove_entry = false;  // -c: no entry, but the record the uninstaller expects
  run();
  EXPECT_EQ(read_records(s.journal), Records{"APP:" + key_});
  EXPECT_FALSE(value("DisplayName"));

  s.journal.init();
  s.add_remove_entry = true;
  const ShellRegistry missing;  // no registry functions: nothing written, nothing journaled
  Tdigest checksum(code_seed);
  register_uninstall_entry(test_run, missing, checksum, 0, release_);
  EXPECT_TRUE(read_records(s.journal).empty());
}

// The registry refuses every value but the first: the half-written key is
// journaled all the same, and taking it back removes it whole.
LONG WINAPI set_display_name_only(HKEY root, LPCSTR sub_key, LPCSTR value, DWORD type, LPCVOID data, DWORD size) {
  if (std::string(value) != "DisplayName") return ERROR_ACCESS_DENIED;
  return SHSetValueA(root, sub_key, value, type, data, size);
}

TEST_F(RegistrationTest, AnEntryWrittenInPartIsJournaledAndTakenBackWhole) {
  // The headers declare DWORD results where the entry points' own types say LONG: the same 32 bits.
  const ShellRegistry failing(reinterpret_cast<TSHGV>(SHGetValueA), set_display_name_only,
                              reinterpret_cast<TSHDV>(SHDeleteValueA), reinterpret_cast<TSHDK>(SHDeleteKeyA));
  Tdigest checksum(code_seed);
  register_uninstall_entry(test_run, failing, checksum, 0, release_);
  ASSERT_EQ(value("DisplayName"), "Quasarine II");
  EXPECT_FALSE(value("UninstallString"));
  EXPECT_EQ(read_records(s.journal), Records{"APP:" + key_});

  EXPECT_TRUE(take_back_uninstall_key(registry_, key_));
  EXPECT_FALSE(value("DisplayName"));
  EXPECT_TRUE(take_back_uninstall_key(registry_, key_)) << "gone counts as taken back";
}

// The version and publisher of [Release] go with the entry, and a product
// without them leaves none of an earlier installation's behind; a snapshot
// taken before puts the earlier ones back either way.
TEST_F(RegistrationTest, AnEarlierEntryComesBackAsItWas) {
  UninstallEntry earlier;
  earlier.display_name = "Quasarine II (earlier)";
  earlier.uninstall_command = "\"C:\\old\\uninstall.exe\" -L 1000";
  earlier.display_version = "1.0";
  earlier.publisher = "Lantern W\xF6rks";
  ASSERT_TRUE(write_uninstall_key(registry_, key_, earlier));
  const UninstallKeySnapshot before = snapshot_uninstall_key(key_);
  ASSERT_TRUE(before.existed);

  for (const char* version : {"1.2.0", ""}) {
    SCOPED_TRACE(version);
    release_.version = version;
    release_.publisher = *version ? "Lantern Works" : "";
    run();
    EXPECT_EQ(value("DisplayName"), "Quasarine II");
    EXPECT_EQ(value("DisplayVersion"), *version ? std::optional<std::string>(version) : std::nullopt);
    EXPECT_EQ(value("Publisher"), *version ? std::optional<std::string>("Lantern Works") : std::nullopt);
    EXPECT_TRUE(restore_uninstall_key(registry_, before));
    EXPECT_EQ(value("DisplayName"), "Quasarine II (earlier)");
    EXPECT_EQ(value("UninstallString"), earlier.uninstall_command);
    EXPECT_EQ(value("DisplayVersion"), "1.0");
    EXPECT_EQ(value("Publisher"), "Lantern W\xF6rks");
  }

  const UninstallKeySnapshot absent = snapshot_uninstall_key(key_ + "X");
  EXPECT_FALSE(absent.existed);
  EXPECT_TRUE(restore_uninstall_key(registry_, UninstallKeySnapshot{key_, false, {}}));
  EXPECT_FALSE(value("DisplayName"));
}
