#include "ui/option_model.h"

#include "core/settings.h"

using namespace option_bits;

namespace {

void set_bit(std::uint8_t& b, std::uint8_t bit, bool on) {
  if (on) {
    b = static_cast<std::uint8_t>(b | bit);
  } else {
    b = static_cast<std::uint8_t>(b & ~bit);
  }
}

}  // namespace

bool start_value_byte(std::int32_t value, std::uint8_t& byte) {
  switch (value) {
    case 0: byte = Enabled; return true;
    case 1: byte = SavedChoice | Enabled | Checked; return true;
    case 2: byte = WasForced | Fixed; return true;
    case 3: byte = Fixed | FixedValue; return true;
    default: return false;
  }
}

void OptionModel::set_current_dialog(int dialog) {
  dialog_ = dialog;
  if (const auto range = control_range(tables_, dialog)) {
    first_ = range->first;
    last_ = range->second;
  }
}

void OptionModel::apply_start_values(ControlView& view, int dialog) {
  for (const auto& row : tables_.startup.records(3)) {
    const int id = row[1];
    if (row[0] != dialog || id < 0 || id > 1000) continue;
    start_value_byte(row[2], at(id));
    const int mark = unknown_level() ? check_indeterminate : (row[2] % 2 != 0 ? check_checked : check_unchecked);
    view.set_check(id, mark);
  }
}

void OptionModel::recompute_locks(ControlView& view, int dialog) {
  for (int id = first_; id <= last_; ++id) {
    std::uint8_t& b = at(id);
    set_bit(b, ForcedValue | Forced, false);
    if (b & Fixed) {
      set_bit(b, Forced, true);
      set_bit(b, ForcedValue, (b & FixedValue) != 0);
    }
  }
  // Locked unchecked first, then locked checked: a target both lock wins on.
  for (const auto& row : tables_.disablers0.records(3)) {
    if (row[0] != dialog || !is_checked(row[1])) continue;
    std::uint8_t& b = at(row[2]);
    set_bit(b, ForcedValue, false);
    set_bit(b, Forced, true);
  }
  for (const auto& row : tables_.disablers1.records(3)) {
    if (row[0] != dialog || !is_checked(row[1])) continue;
    set_bit(at(row[2]), ForcedValue | Forced, true);
  }
  // Blanked captions of the unknown-level display come back before the
  // refresh decides again which to blank.
  if (unknown_level()) view.apply_captions();
  for (int id = first_; id <= last_; ++id) refresh_control(view, id);
}

void OptionModel::refresh_control(ControlView& view, int id) {
  std::uint8_t& b = at(id);
  const bool forced = (b & Forced) != 0;
  if (((b & WasForced) != 0) != forced) {
    if (forced) {
      set_bit(b, SavedChoice, (b & Checked) != 0);  // a lock begins: keep the user's value
    } else {
      set_bit(b, Checked, (b & SavedChoice) != 0);  // a lock ends: give it back
    }
  }
  const bool was_enabled = (b & Enabled) != 0;
  if (forced) {
    set_bit(b, WasForced, true);
    set_bit(b, Enabled, false);
    set_bit(b, Checked, (b & ForcedValue) != 0);
  } else {
    set_bit(b, WasForced, false);
    set_bit(b, Enabled, true);
  }
  const bool enabled = (b & Enabled) != 0;
  if (enabled != was_enabled || unknown_level()) view.invalidate(id);

  int mark = (b & Checked) ? check_checked : check_unchecked;
  if (unknown_level() && !enabled) {
    if (b & Checked) {
      mark = check_indeterminate;
    } else {
      view.blank_text(id);
    }
  }
  view.set_check(id, mark);
}

void OptionModel::option_clicked(ControlView& view, int id) {
  const bool shown_checked = view.check(id) == check_checked;
  if (is_enabled(id)) {
    set_bit(at(id), Checked, shown_checked);
    recompute_locks(view, 299);
  } else if (shown_checked != is_checked(id)) {
    view.set_check(id, is_checked(id) ? check_checked : check_unchecked);  // undo the click
  }
}

bool OptionModel::read_options(ControlView& view, InstallerSettings& s) const {
  bool* const flags[option_box_count] = {
      &s.user_only,           &s.desktop_icon,         &s.add_remove_entry, &s.start_menu_uninstall,
      &s.hide_uninstall,      &s.game_explorer_legacy, &s.game_explorer_native, &s.no_data_sharing,
      &s.no_registry,         &s.no_start_menu,
  };
  bool consistent = true;
  for (int i = 0; i < option_box_count; ++i) {
    const int id = first_option_box + i;
    int mark = view.check(id);
    if (unknown_level() && mark == check_indeterminate) mark = check_checked;
    *flags[i] = mark == check_checked;
    if (*flags[i] != is_checked(id)) consistent = false;
  }
  return consistent;
}
