#include "core/exit_codes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/outcome.h"

// The list is what the README and the winget manifest are made from: every
// code once, in order, each said for at least one program, and every failure
// with a winget response.
TEST(ExitCodes, TheListHoldsEveryCodeOnceWithItsTexts) {
  ASSERT_GT(exit_code_count, 0u);
  for (std::size_t i = 0; i < exit_code_count; ++i) {
    const ExitCodeInfo& info = exit_code_list[i];
    SCOPED_TRACE(info.name ? info.name : "unnamed");
    EXPECT_EQ(static_cast<std::size_t>(info.code), i);
    ASSERT_NE(info.name, nullptr);
    EXPECT_TRUE(info.setup || info.uninstall) << "a code neither program gives";
    EXPECT_EQ(info.winget == nullptr, info.code == exit_success);
  }
}

// Every way a run can end is a listed code, and no two endings share one:
// a script tells them apart by the code alone.
TEST(ExitCodes, EachOutcomeEndsInAListedCodeOfItsOwn) {
  const Outcome endings[] = {Outcome::done,        Outcome::no_special_folders, Outcome::input_damaged,
                             Outcome::user_left,   Outcome::refused,            Outcome::rolled_back,
                             Outcome::incomplete,  Outcome::saved_files_changed, Outcome::disk_full};
  std::set<int> codes;
  for (const Outcome o : endings) {
    const int code = exit_code_for(o);
    EXPECT_LT(static_cast<std::size_t>(code), exit_code_count) << code;
    EXPECT_TRUE(codes.insert(code).second) << "two endings share " << code;
  }
  EXPECT_EQ(codes.size(), exit_code_count) << "a listed code no run ends in";
  EXPECT_EQ(exit_code_for(Outcome::go_on), exit_success);
}
