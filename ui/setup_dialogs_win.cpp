#include "ui/setup_dialogs.h"

#include <string>

#include "core/message_box.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/protected_folders.h"
#include "core/size_text.h"
#include "system/default_paths.h"
#include "system/path_checks.h"
#include "system/shell_registry.h"
#include "ui/folder_browser.h"
#include "ui/strings.h"

namespace {

constexpr int language_dialog = 276;
constexpr int path_dialog = 299;

// Controls of the dialogs.
constexpr int logo_frame = 278;
constexpr int logo_image = 277;
constexpr int base_field = 302;
constexpr int folder_field = 304;
constexpr int browse_button = 305;
constexpr int group_combo = 307;
constexpr int preview = 318;
constexpr int reset_button = 319;
constexpr int ok_button = 320;

// The preview follows the fields at most this often, riding on whatever
// messages reach the dialog; commands make the next message refresh at once.
constexpr DWORD refresh_interval_ms = 200;
// The dialog opens with its locks settled by four passes (a lock imposed in
// one pass can impose another in the next).
constexpr int lock_passes = 4;

std::string item_text(HWND dialog, int id) {
  char buffer[1000] = {};
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return buffer;  // cut at the first NUL
}

}  // namespace

// One dialog on screen: the window, its template and the preview's clock.
class DialogRun : public ControlView {
 public:
  DialogRun(SetupDialogs& owner, int template_id) : d_(owner), template_(template_id) {}

  INT_PTR show() {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(template_), nullptr, &DialogRun::procedure,
                           reinterpret_cast<LPARAM>(this));
  }

  // ControlView
  int check(int id) override { return static_cast<int>(SendDlgItemMessageA(window_, id, BM_GETCHECK, 0, 0)); }
  void set_check(int id, int state) override { SendDlgItemMessageA(window_, id, BM_SETCHECK, state, 0); }
  void invalidate(int id) override { InvalidateRect(GetDlgItem(window_, id), nullptr, TRUE); }
  void blank_text(int id) override { SetDlgItemTextA(window_, id, ""); }
  void apply_captions() override {
    for (const CaptionRow& row : caption_rows(d_.tables_.words)) {
      SetDlgItemTextA(window_, row.control,
                      load_localised_string(row.string_id + d_.settings_.language_offset).c_str());
    }
  }

 private:
  // The procedure of both templates. The start parameter is this object,
  // which knows the template; the window keeps it (a pointer-sized slot).
  static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(window, GWLP_USERDATA, lparam);
    auto* self = reinterpret_cast<DialogRun*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return FALSE;
    self->window_ = window;
    return self->handle(message, wparam, lparam);
  }

  INT_PTR handle(UINT message, WPARAM wparam, LPARAM lparam) {
    if (d_.model_.current_dialog() == path_dialog) throttled_refresh();
    switch (message) {
      case WM_INITDIALOG:
        if (template_ == language_dialog) start_language_dialog();
        if (template_ == path_dialog) start_path_dialog();
        return TRUE;
      case WM_COMMAND:
        command(wparam, reinterpret_cast<HWND>(lparam));
        return FALSE;
      case WM_SYSCOMMAND:
        if (wparam == SC_CLOSE) EndDialog(window_, -1);
        return FALSE;
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORSCROLLBAR: {
        // The edit field inside the combo box takes the combo box's state.
        HWND control = reinterpret_cast<HWND>(lparam);
        while (control && GetParent(control) != window_) control = GetParent(control);
        const HBRUSH brush = colour(reinterpret_cast<HDC>(wparam), control, false);
        last_refresh_ = GetTickCount() - refresh_interval_ms;
        return reinterpret_cast<INT_PTR>(brush);
      }
      case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(colour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam), true));
      default:
        return FALSE;
    }
  }

  HBRUSH colour(HDC dc, HWND control, bool is_static) {
    const int id = control ? GetDlgCtrlID(control) & 0xFFFF : 0;
    return colour_control(d_.colours_, dc, is_static, d_.model_.is_enabled(id));
  }

  void start_language_dialog() {
    begin_opening();
    // The product's own name where the template holds the sample's.
    SetWindowTextA(window_, message(Msg::language_dialog_title, false, {d_.settings_.product_title}).c_str());
    SetDlgItemTextA(window_, logo_frame, d_.settings_.product_title.c_str());
    // The control loaded its own copy of the logo from the template's text;
    // that copy is handed back here and is ours to delete.
    const auto own_copy = reinterpret_cast<HGDIOBJ>(
        SendDlgItemMessageA(window_, logo_image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(d_.logo_)));
    if (own_copy && own_copy != d_.logo_) DeleteObject(own_copy);
    d_.model_.set_current_dialog(language_dialog);
    d_.model_.apply_start_values(*this, language_dialog);
    apply_captions();
    d_.model_.recompute_locks(*this, language_dialog);
  }

  void start_path_dialog() {
    begin_opening();
    SetWindowTextA(window_, message(Msg::path_dialog_title, false, {d_.settings_.product_title}).c_str());
    d_.model_.set_current_dialog(path_dialog);
    d_.model_.apply_start_values(*this, path_dialog);
    apply_captions();
    compute_dialog_defaults(d_.settings_);
    fill_start_menu_groups(window_, group_combo, d_.settings_.folders);
    show_defaults();
    suppressed_ = 0;
  }

  // No preview refresh until the start steps are done.
  void begin_opening() {
    suppressed_ = 10;
    last_refresh_ = GetTickCount();
  }

  // Fields 302, 304 and the preview from the defaults, then the locks.
  void show_defaults() {
    SetDlgItemTextA(window_, base_field, d_.settings_.default_install_base.c_str());
    SetDlgItemTextA(window_, folder_field, d_.settings_.default_install_subdir.c_str());
    SetDlgItemTextA(window_, preview, d_.settings_.start_menu_label.c_str());
    for (int i = 0; i < lock_passes; ++i) d_.model_.recompute_locks(*this, path_dialog);
  }

  // The preview waits while a command is handled: the fields it reads may be
  // about to change (Reset sets 304 from the text the preview keeps).
  void command(WPARAM wparam, HWND control) {
    ++suppressed_;
    handle_command(wparam, control);
    --suppressed_;
    last_refresh_ = GetTickCount() - refresh_interval_ms;
  }

  void handle_command(WPARAM wparam, HWND control) {
    const int id = LOWORD(wparam);
    const int dialog = d_.model_.current_dialog();
    if (dialog != path_dialog && is_success_item(d_.tables_, dialog, id)) EndDialog(window_, static_cast<INT_PTR>(wparam));
    if (is_failure_item(d_.tables_, dialog, id)) EndDialog(window_, -static_cast<INT_PTR>(wparam));
    d_.model_.option_clicked(*this, id);
    if (dialog == path_dialog) {
      switch (id) {
        case browse_button:
          if (const auto folder = browse_for_folder(window_, d_.settings_.default_install_base)) {
            SetDlgItemTextA(window_, base_field, folder->c_str());
          }
          break;
        case group_combo:
          read_group(HIWORD(wparam) == CBN_SELCHANGE ? control : nullptr);
          break;
        case reset_button:
          reset();
          break;
        case ok_button:
          if (ok_procedure()) EndDialog(window_, static_cast<INT_PTR>(wparam));
          break;
        default:
          break;
      }
    }
  }

  // The combo box's text into the preview. While a selection changes, the
  // edit field still shows the old entry: the selected entry is read instead.
  void read_group(HWND combo) {
    std::string text = item_text(window_, group_combo);
    if (combo) {
      const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
      const LRESULT length = index == CB_ERR ? CB_ERR : SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
      if (length != CB_ERR && length < 1000) {
        char buffer[1000] = {};
        SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
        text = buffer;
      }
    }
    d_.settings_.start_menu_subdir_text = text;
    compose_start_menu_label(d_.settings_);
    SetDlgItemTextA(window_, preview, d_.settings_.start_menu_label.c_str());
  }

  // Everything but the combo box back to the start.
  void reset() {
    compute_dialog_defaults(d_.settings_);
    d_.model_.apply_start_values(*this, d_.model_.current_dialog());
    d_.settings_.default_install_subdir = d_.settings_.product_folder;
    show_defaults();
    InvalidateRect(window_, nullptr, TRUE);
  }

  void throttled_refresh() {
    if (suppressed_ >= 1 || GetTickCount() - last_refresh_ < refresh_interval_ms) return;
    ++suppressed_;  // the calls below send messages back into the procedure
    InstallerSettings& s = d_.settings_;
    s.default_install_subdir = item_text(window_, folder_field);
    if (s.default_install_subdir.empty()) s.default_install_subdir = s.product_folder;
    s.start_menu_subdir_text = item_text(window_, group_combo);
    compose_start_menu_label(s);
    // Only a changed text is set: setting it repaints, which would refresh again.
    if (item_text(window_, preview) != s.start_menu_label) SetDlgItemTextA(window_, preview, s.start_menu_label.c_str());
    last_refresh_ = GetTickCount();
    --suppressed_;
  }

  // The fields and options into the settings; false when a box shows other
  // than the model holds.
  bool collect_paths() {
    InstallerSettings& s = d_.settings_;
    const bool consistent = d_.model_.read_options(*this, s);
    std::string base = item_text(window_, base_field);
    folder_name_ = item_text(window_, folder_field);
    to_backslashes(base);
    to_backslashes(folder_name_);
    base_ = base;
    s.start_menu_subdir_text = item_text(window_, group_combo);
    s.install_dir = join_path(base, folder_name_) + "\\";
    s.start_menu_dir = join_path3(game_start_menu_root(s), s.start_menu_subdir_text, folder_name_) + "\\";
    s.uninstall_menu_dir = join_path3(uninstall_start_menu_root(s), s.start_menu_subdir_text, folder_name_) + "\\";
    if (s.no_start_menu) {
      s.start_menu_dir.clear();
      s.uninstall_menu_dir.clear();
    }
    return consistent;
  }

  // The OK procedure's boxes: the dialog their owner, the product folder's
  // name their caption.
  int ask(Msg id, UINT style, std::initializer_list<std::string_view> args = {}) {
    const InstallerSettings& s = d_.settings_;
    return show_message_text(s.product_folder, message(id, s.german(), args), style, window_);
  }

  // True when the installation may go ahead; every refusal leaves the dialog
  // open with what the user entered. Nothing is written before the write
  // probe, the last check; a folder that a stopped run left to undo is taken
  // without it, since the run then only undoes that one.
  bool ok_procedure() {
    InstallerSettings& s = d_.settings_;
    if (!collect_paths() && ask(Msg::path_inconsistent, MB_OKCANCEL | MB_ICONWARNING) != IDOK) return false;
    // Names that cannot be used are refused before anything is looked up for
    // them; so is a folder too deep for the payload's longest entry.
    if (!base_folder_usable(base_) || !install_paths_fit(s, folder_name_) || !d_.fits_payload_(s.install_dir) ||
        is_in_system_folders(s.install_dir, s.folders)) {
      ask(Msg::path_unusable, MB_OK | MB_ICONERROR);
      return false;
    }
    s.install_dir = long_path(s.install_dir);
    if (!backup_folder_apart(s)) {
      ask(Msg::path_backup_inside, MB_OK | MB_ICONERROR, {s.backup_base_dir});
      return false;
    }
    if (d_.find_stopped_run_ && d_.find_stopped_run_()) return true;
    if (const std::optional<DriveNeed> drive = d_.find_short_drive_ ? d_.find_short_drive_() : std::nullopt) {
      const auto [needed, free] = size_texts_apart(drive->needed, drive->free.value_or(0), s.german());
      ask(Msg::path_no_space, MB_OK | MB_ICONERROR, {drive->volume, needed, free});
      return false;
    }
    if (has_pending_rename(d_.registry_, s.install_dir)) {
      ask(Msg::path_install_pending, MB_OK | MB_ICONERROR);
      return false;
    }
    if (!s.start_menu_dir.empty() && !s.uninstall_menu_dir.empty() &&
        (has_pending_rename(d_.registry_, s.start_menu_dir) || has_pending_rename(d_.registry_, s.uninstall_menu_dir))) {
      ask(Msg::path_start_menu_pending, MB_OK | MB_ICONERROR);
      return false;
    }
    // Retry after the user moved folders elsewhere; a box that could not be
    // shown counts as Cancel.
    while (existing_installation(s) == ExistingInstallation::start_menu_only) {
      if (ask(Msg::path_start_menu_exists, MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY) return false;
    }
    if (existing_installation(s) == ExistingInstallation::both &&
        ask(Msg::path_both_exist, MB_OKCANCEL | MB_ICONWARNING) != IDOK) {
      return false;
    }
    if (!install_dir_usable(s, folder_name_, d_.record_)) {
      ask(Msg::path_unusable, MB_OK | MB_ICONERROR);
      return false;
    }
    return true;
  }

  SetupDialogs& d_;
  const int template_;
  HWND window_ = nullptr;
  DWORD last_refresh_ = 0;
  int suppressed_ = 0;
  std::string base_;         // field 302 as OK read it
  std::string folder_name_;  // field 304 as OK read it
};

SetupDialogs::SetupDialogs(InstallerSettings& settings, const ShellRegistry& registry, HBITMAP logo,
                           RunRecordSink* record, FitsPayload fits_payload, FindStoppedRun find_stopped_run,
                           FindShortDrive find_short_drive)
    : settings_(settings),
      registry_(registry),
      record_(record),
      logo_(logo),
      fits_payload_(std::move(fits_payload)),
      find_stopped_run_(std::move(find_stopped_run)),
      find_short_drive_(std::move(find_short_drive)),
      tables_(load_gui_tables(settings.admin_level)),
      colours_(load_colours()),
      model_(tables_, settings.admin_level) {}

bool SetupDialogs::choose_language() {
  DialogRun run(*this, dialog_template(tables_, 0));
  const INT_PTR button = run.show();
  if (button < 0) return false;  // "Exit" (-298), the close button or no dialog (-1)
  settings_.language_offset = language_from_button(tables_, static_cast<int>(button));
  return true;
}

INT_PTR SetupDialogs::choose_paths() {
  DialogRun run(*this, dialog_template(tables_, 1));
  return run.show();
}
