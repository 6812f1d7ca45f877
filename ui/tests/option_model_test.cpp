// The option check-box model against a fake dialog, on the tables the program
// carries: start values, locks, saved choices, undone clicks, the
// unknown-level display and reading the boxes into the settings.
#include <gtest/gtest.h>

#include <list>
#include <map>
#include <set>
#include <string>

#include "core/settings.h"
#include "ui/option_model.h"
#include "ui/tests/expected_tables.h"

namespace {

// Check marks and captions as a dialog would keep them. A click behaves like
// an automatic three-state box: off, on, indeterminate, off.
class FakeView : public ControlView {
 public:
  explicit FakeView(const GuiTables& tables) {
    for (const CaptionRow& row : caption_rows(tables.words)) caption_controls.insert(row.control);
    apply_captions();
    --captions_applied;
  }
  int check(int id) override { return checks[id]; }
  void set_check(int id, int state) override { checks[id] = state; }
  void invalidate(int id) override { invalidated.insert(id); }
  void blank_text(int id) override { texts[id] = ""; }
  void apply_captions() override {
    ++captions_applied;
    for (const int id : caption_controls) texts[id] = "caption " + std::to_string(id);
  }

  std::map<int, int> checks;
  std::map<int, std::string> texts;
  std::set<int> invalidated;
  std::set<int> caption_controls;
  int captions_applied = 0;
};

class Tables {
 public:
  explicit Tables(std::int32_t admin_level) {
    for (const expected::Table& t : expected::tables()) {
      stored_.push_back(expected::bytes(t.ints, t.stored_size));
      const IntTable view(stored_.back().data(), stored_.back().size());
      const std::string name = t.name;
      if (name == "DLGNUMS") tables.dialogs = view;
      if (name == "GUIWORDS") tables.words = view;
      if (name == "LANGNUMS") tables.languages = view;
      if (name == "SUCESSITEMS") tables.success = view;
      if (name == "NOSUCESSITEMS") tables.failure = view;
      if (name == "DLGITEMS") tables.items = view;
      if (name == "GUIDISABELERS0") tables.disablers0 = view;
      if (name == "GUIDISABELERS1") tables.disablers1 = view;
    }
    for (const expected::Startup& s : expected::startups) {
      if (s.admin_level != admin_level) continue;
      const expected::Ints ints = expected::startup_ints(s);
      stored_.push_back(expected::bytes(ints, ints.size() * 4));
      tables.startup = IntTable(stored_.back().data(), stored_.back().size());
    }
  }
  // Replaces GUIDISABELERS0 by other rows (zero-terminated).
  void set_disablers0(const expected::Ints& ints) {
    stored_.push_back(expected::bytes(ints, ints.size() * 4));
    tables.disablers0 = IntTable(stored_.back().data(), stored_.back().size());
  }

  GuiTables tables;

 private:
  std::list<std::string> stored_;  // stable addresses for the views
};

// The path dialog as it opens: start values, captions, four passes.
struct PathDialog {
  explicit PathDialog(std::int32_t admin_level) : tables(admin_level), model(tables.tables, admin_level) {}
  void open() {
    model.set_current_dialog(299);
    model.apply_start_values(view, 299);
    for (int i = 0; i < 4; ++i) model.recompute_locks(view, 299);
  }
  void click(int id) {
    int& mark = view.checks[id];
    mark = mark == check_unchecked ? check_checked : mark == check_checked ? check_indeterminate : check_unchecked;
    model.option_clicked(view, id);
  }

  Tables tables;
  OptionModel model;
  FakeView view{tables.tables};
};

TEST(OptionModel, EveryStartUpTableGivesItsMarksAndLocks) {
  // Shown mark and enabled state after opening, for 301, 303, 308 ... 318.
  struct Expect {
    std::int32_t level;
    int marks[13];
    bool enabled[13];
  };
  const Expect cases[] = {
      {1, {1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1}},
      // 316 locked on locks 310 off, 315 free.
      {-1, {1, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0}, {1, 1, 0, 1, 0, 1, 0, 0, 0, 1, 0, 1, 1}},
      // Unknown level: locked-on boxes indeterminate; 315 locks 308 on.
      {0, {0, 0, 2, 0, 1, 1, 0, 0, 0, 2, 0, 0, 0}, {0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1}},
  };
  for (const Expect& c : cases) {
    PathDialog d(c.level);
    d.open();
    for (int i = 0; i < 13; ++i) {
      const int id = expected::startup_controls[i];
      EXPECT_EQ(d.view.checks[id], c.marks[i]) << "level " << c.level << " control " << id;
      EXPECT_EQ(d.model.is_enabled(id), c.enabled[i]) << "level " << c.level << " control " << id;
    }
    // Every control of the range is managed: 301 greys field 302 where it starts on.
    EXPECT_EQ(d.model.is_enabled(302), c.level == 0);
    EXPECT_TRUE(d.model.is_enabled(305));
    EXPECT_TRUE(d.model.is_enabled(320));
  }
}

TEST(OptionModel, ALockKeepsTheUsersChoiceAndGivesItBack) {
  PathDialog d(1);
  d.open();
  for (const bool before : {true, false}) {
    if (d.model.is_checked(311) != before) d.click(311);
    ASSERT_EQ(d.model.is_checked(311), before);
    d.click(317);  // No Startmenu Entry
    EXPECT_EQ(d.view.checks[311], check_unchecked);
    EXPECT_FALSE(d.model.is_enabled(311));
    EXPECT_FALSE(d.model.is_enabled(307));
    EXPECT_FALSE(d.model.is_enabled(318));
    EXPECT_TRUE(d.view.invalidated.count(307));
    d.click(317);  // checked -> indeterminate, read as unchecked
    EXPECT_EQ(d.view.checks[317], check_unchecked);
    EXPECT_EQ(d.model.is_checked(311), before);
    EXPECT_EQ(d.view.checks[311], before ? check_checked : check_unchecked);
    EXPECT_TRUE(d.model.is_enabled(311));
    EXPECT_TRUE(d.model.is_enabled(307));
  }

  // 316 locks 310, 313 and 314 off; 313 and 314 stay locked by their start value.
  d.click(316);
  for (const int id : {310, 313, 314}) EXPECT_FALSE(d.model.is_enabled(id)) << id;
  EXPECT_EQ(d.view.checks[310], check_unchecked);
  d.click(316);
  EXPECT_TRUE(d.model.is_enabled(310));
  EXPECT_EQ(d.view.checks[310], check_checked);
  EXPECT_FALSE(d.model.is_enabled(313));
  EXPECT_FALSE(d.model.is_enabled(314));

  // 315 locks 308 on; afterwards 308 has the user's value again.
  d.click(315);
  EXPECT_EQ(d.view.checks[308], check_checked);
  EXPECT_FALSE(d.model.is_enabled(308));
  d.click(315);
  EXPECT_EQ(d.view.checks[308], check_unchecked);
  EXPECT_TRUE(d.model.is_enabled(308));

  // 301 locks the edit field 302 (greyed, not disabled).
  EXPECT_FALSE(d.model.is_enabled(302));
  d.click(301);  // checked -> indeterminate = off
  EXPECT_TRUE(d.model.is_enabled(302));
}

TEST(OptionModel, LockedCheckedBeatsLockedUnchecked) {
  PathDialog d(1);
  d.tables.set_disablers0({299, 316, 308, 0, 0, 0});
  d.open();
  d.click(316);
  EXPECT_EQ(d.view.checks[308], check_unchecked);
  d.click(315);
  EXPECT_EQ(d.view.checks[308], check_checked);
  EXPECT_FALSE(d.model.is_enabled(308));
}

TEST(OptionModel, ClicksOnLockedBoxesAreUndone) {
  PathDialog d(-1);
  d.open();
  for (const int id : {308, 316, 310, 312, 313, 314}) {
    const int before = d.view.checks[id];
    const std::uint8_t byte = d.model.byte(id);
    for (int n = 0; n < 3; ++n) {
      d.click(id);
      EXPECT_EQ(d.view.checks[id], before) << id;
      EXPECT_EQ(d.model.byte(id), byte) << id;
    }
  }
}

TEST(OptionModel, UnknownLevelShowsLocksAsIndeterminateOrBlank) {
  PathDialog d(0);
  d.model.set_current_dialog(299);
  d.model.apply_start_values(d.view, 299);
  for (const int id : expected::startup_controls) EXPECT_EQ(d.view.checks[id], check_indeterminate) << id;

  // 315 becomes Checked in the first pass and locks 308 in the second.
  const int applied = d.view.captions_applied;
  d.model.recompute_locks(d.view, 299);
  d.model.recompute_locks(d.view, 299);
  EXPECT_EQ(d.view.captions_applied, applied + 2);
  for (const int id : {301, 303, 312, 313, 314}) EXPECT_EQ(d.view.texts[id], "") << id;
  for (const int id : {308, 315}) EXPECT_EQ(d.view.checks[id], check_indeterminate) << id;
  EXPECT_EQ(d.view.texts[308], "caption 308");
  EXPECT_EQ(d.view.checks[309], check_unchecked);
  EXPECT_EQ(d.view.checks[310], check_checked);

  // An indeterminate box reads as checked, and agrees with the model.
  InstallerSettings s;
  EXPECT_TRUE(d.model.read_options(d.view, s));
  EXPECT_TRUE(s.user_only);
  EXPECT_TRUE(s.no_data_sharing);
  EXPECT_FALSE(s.hide_uninstall);

  // 317 blanks the combo box and the preview; only GUIWORDS captions return.
  d.view.texts[307] = "Programs";
  d.view.texts[318] = "Start/Programs/Quasarine_II";
  d.click(317);
  EXPECT_EQ(d.view.texts[307], "");
  EXPECT_EQ(d.view.texts[318], "");
  EXPECT_EQ(d.view.texts[311], "");
  d.click(317);
  EXPECT_EQ(d.view.texts[311], "caption 311");
  EXPECT_EQ(d.view.texts[307], "");
}

TEST(OptionModel, ReadOptionsStoresEveryBoxAndReportsDisagreement) {
  PathDialog d(1);
  d.open();
  d.click(309);
  d.click(317);
  InstallerSettings s;
  s.add_remove_entry = false;
  EXPECT_TRUE(d.model.read_options(d.view, s));
  EXPECT_FALSE(s.user_only);
  EXPECT_TRUE(s.desktop_icon);
  EXPECT_TRUE(s.add_remove_entry);
  EXPECT_FALSE(s.start_menu_uninstall);  // locked off by 317
  EXPECT_TRUE(s.hide_uninstall);
  EXPECT_FALSE(s.game_explorer_legacy);
  EXPECT_FALSE(s.game_explorer_native);
  EXPECT_FALSE(s.no_data_sharing);
  EXPECT_FALSE(s.no_registry);
  EXPECT_TRUE(s.no_start_menu);

  // A box left indeterminate while the model says on: inconsistent, and read as off.
  d.view.checks[310] = check_indeterminate;
  EXPECT_FALSE(d.model.read_options(d.view, s));
  EXPECT_FALSE(s.add_remove_entry);
}

TEST(GuiTables, LookupsStopAtTheTerminatorAndNeverReadPastTheData) {
  Tables t(1);
  const GuiTables& g = t.tables;
  EXPECT_EQ(dialog_template(g, 0), 276);
  EXPECT_EQ(dialog_template(g, 1), 299);
  EXPECT_EQ(language_from_button(g, 296), 1000);
  EXPECT_EQ(language_from_button(g, 295), 0);
  EXPECT_EQ(language_from_button(g, 281), 0);
  EXPECT_TRUE(is_success_item(g, 276, 296));
  EXPECT_FALSE(is_success_item(g, 276, 298));
  EXPECT_TRUE(is_failure_item(g, 276, 298));
  EXPECT_EQ(control_range(g, 299), std::make_pair(300, 320));
  EXPECT_FALSE(control_range(g, 7777));
  const std::vector<CaptionRow> rows = caption_rows(g.words);
  ASSERT_EQ(rows.size(), expected::captions().size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].control, expected::captions()[i].control);
    EXPECT_EQ(rows[i].string_id, expected::captions()[i].id);
  }
  // A table cut inside its last record, and one without a terminator.
  const std::string cut = expected::bytes({276, 277, 298, 0}, 13);
  EXPECT_EQ(IntTable(cut.data(), cut.size()).records(3).size(), 1u);
  // Integers past the data count as 0: the cut record ends with one.
  const std::string open = expected::bytes({276, 277, 298, 299, 300}, 20);
  const auto rows2 = IntTable(open.data(), open.size()).records(3);
  ASSERT_EQ(rows2.size(), 2u);
  EXPECT_EQ(rows2[1], (std::vector<std::int32_t>{299, 300, 0}));
  EXPECT_TRUE(IntTable().records(2).empty());
}

}  // namespace
