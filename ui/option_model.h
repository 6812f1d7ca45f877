#pragma once
// The option check boxes of the path dialog as a state machine of their own:
// one state byte per control id. Start values make an option free or locked
// and on or off; while a source option is checked, the lock tables lock a
// target option off or on, and the user's choice waits aside until the lock
// ends. Locking never disables a window: a locked control is painted grey by
// the dialog (is_enabled) and a click on it is undone.
//
// The model talks to the dialog only through ControlView, so it runs without
// windows (tests use a fake view).

#include <array>
#include <cstdint>

#include "ui/gui_tables.h"

struct InstallerSettings;

// Check marks as the system reports them.
constexpr int check_unchecked = 0;
constexpr int check_checked = 1;
constexpr int check_indeterminate = 2;

// The controls of the dialog as the model sees them.
class ControlView {
 public:
  virtual ~ControlView() = default;
  virtual int check(int id) = 0;                 // BM_GETCHECK
  virtual void set_check(int id, int state) = 0;  // BM_SETCHECK
  virtual void invalidate(int id) = 0;           // repaint with background erase
  virtual void blank_text(int id) = 0;           // set the caption to ""
  virtual void apply_captions() = 0;             // the GUIWORDS captions again
};

namespace option_bits {
constexpr std::uint8_t FixedValue = 0x01;   // the value a table-locked option always has
constexpr std::uint8_t Fixed = 0x02;        // locked by its start value
constexpr std::uint8_t Checked = 0x04;      // on in the model
constexpr std::uint8_t Enabled = 0x08;      // the user may change it
constexpr std::uint8_t SavedChoice = 0x10;  // the user's value while locked
constexpr std::uint8_t ForcedValue = 0x20;  // the value a lock imposes in this pass
constexpr std::uint8_t Forced = 0x40;       // locked in this pass
constexpr std::uint8_t WasForced = 0x80;    // was locked after the previous pass
}  // namespace option_bits

// The state byte a start value gives (0 free off, 1 free on, 2 locked off,
// 3 locked on); nothing for other values.
bool start_value_byte(std::int32_t value, std::uint8_t& byte);

// The ten option boxes, 308 to 317, in the order of their settings.
constexpr int first_option_box = 308;
constexpr int option_box_count = 10;

class OptionModel {
 public:
  // admin_level 0 switches on the unknown-level display: locked options show
  // indeterminate (on) or a blank caption (off).
  OptionModel(const GuiTables& tables, std::int32_t admin_level) : tables_(tables), admin_level_(admin_level) {}

  // Takes the dialog's control range from DLGITEMS; without a row the range
  // stays as it was.
  void set_current_dialog(int dialog);
  int current_dialog() const { return dialog_; }

  void apply_start_values(ControlView& view, int dialog);
  void recompute_locks(ControlView& view, int dialog);
  void refresh_control(ControlView& view, int id);
  // Every WM_COMMAND of the dialog, whatever the control.
  void option_clicked(ControlView& view, int id);
  // Reads the ten boxes into the settings; true when every box shows the
  // model's value. The settings are written either way.
  bool read_options(ControlView& view, InstallerSettings& settings) const;

  bool is_enabled(int id) const { return (byte(id) & option_bits::Enabled) != 0; }
  bool is_checked(int id) const { return (byte(id) & option_bits::Checked) != 0; }
  std::uint8_t byte(int id) const { return state_[static_cast<std::uint16_t>(id)]; }

 private:
  std::uint8_t& at(int id) { return state_[static_cast<std::uint16_t>(id)]; }
  bool unknown_level() const { return admin_level_ == 0; }

  const GuiTables& tables_;
  std::int32_t admin_level_;
  int dialog_ = 0;
  int first_ = 0;
  int last_ = 0;
  std::array<std::uint8_t, 65536> state_{};
};
