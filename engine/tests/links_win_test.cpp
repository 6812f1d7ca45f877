// Links inside trees that are removed: never followed. The CTest fixture
// win_tests_links_setup makes, in the prefix's drive C:, a folder tree whose
// "sub\link" is a Unix symbolic link to a folder outside it; Wine shows that
// as a folder with FILE_ATTRIBUTE_REPARSE_POINT. Without the fixture these
// tests skip.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "core/journal.h"
#include "engine/backup_cleanup.h"
#include "engine/install_run.h"
#include "engine/rollback.h"
#include "engine/places.h"
#include "engine/tree_removal.h"
#include "engine/undo.h"
#include "engine/undo_plan.h"
#include "tests/support/win_fs.h"

namespace {

constexpr const char* fixture = "C:\\setup-link-test";

TEST(Links, NoRemovalEntersALinkOrTouchesWhatItLeadsTo) {
  const std::string tree = std::string(fixture) + "\\tree";
  const std::string link = tree + "\\sub\\link";
  const std::string outside = std::string(fixture) + "\\outside";
  if (!folder_exists(link)) GTEST_SKIP() << "the link fixture is not set up";
  ASSERT_TRUE(GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  const std::vector<std::string> before = list_tree(outside);
  ASSERT_FALSE(before.empty());

  // The link as a saved item's content and as a folder of the installation.
  BackupState saved;
  saved.items = {{std::string(fixture) + "\\game\\sub", tree + "\\sub"}};
  const std::vector<std::pair<const char*, std::function<void()>>> removals = {
      {"remove_empty_tree", [&] { remove_empty_tree(tree); }},
      {"delete_tree", [&] { delete_tree(tree); }},
      {"delete_file_or_empty_folder of the link", [&] { delete_file_or_empty_folder(link); }},
      {"delete_saved_files", [&] { delete_saved_files(saved, nullptr); }},
      {"an undo", [&] {
         RecordedRun run;
         run.records = {"DIR:" + tree, "DIR:" + tree + "\\sub", "FILE:" + link, "FILE:" + link + "\\keep.txt"};
         InstallationPlaces places;
         places.install_dir = tree + "\\";
         carry_out(plan_undo({run}, places, RecordSource::journal), {});
       }},
  };
  for (const auto& [name, remove] : removals) {
    remove();
    EXPECT_EQ(list_tree(outside), before) << name;
    EXPECT_EQ(read_file(outside + "\\keep.txt"), "keep me\n") << name;
  }
}

}  // namespace
