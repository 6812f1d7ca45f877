#include "core/run_sequence.h"

#include <windows.h>

#include <optional>

#include "core/exit_codes.h"
#include "core/gdi_object.h"
#include "core/message_box.h"
#include "core/options.h"
#include "core/run_messages.h"
#include "core/settings.h"
#include "payload/digest.h"
#include "payload/payload_resource.h"
#include "resources/resource_ids.h"
#include "ui/strings.h"

namespace {

class RunSequence {
 public:
  RunSequence(InstallerSettings& settings, Tchecksum& checksum) : s_(settings), checksum_(checksum) {}

  int run(const std::vector<std::string>& arguments) {
    if (s_.folder_discovery_failed) return exit_folder_discovery_failed;
    s_.backup_dir.clear();
    s_.backups = BackupStatistics{};
    parse_options(s_, arguments);
    s_.journal.init();

    check_payload();
    load_logo();
    if (!s_.abort) load_product_texts(language_english);
    if (!s_.abort) load_product_texts(s_.language_offset);

    s_.journal.done();
    return exit_code_;
  }

 private:
  // Sets `abort` and remembers the first reason as the exit code.
  void stop(ExitCode code) {
    if (!s_.abort) exit_code_ = code;
    s_.abort = true;
  }

  void check_payload() {
    if (verify_payload(checksum_, payload_)) return;
    stop(exit_payload_invalid);
    if (!s_.silent) show_message(s_, checksum_message, MB_OK | MB_ICONERROR);
  }

  void load_logo() {
    logo_ = GdiObject<HBITMAP>(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), LOGO_BITMAP_NAME, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  }

  void load_product_texts(std::int32_t offset) {
    std::string* const fields[IDS_PRODUCT_TEXT_COUNT] = {
        &s_.product_folder, &s_.game_exe_path,   &s_.uninstaller_path, &s_.product_title,
        &s_.uninstall_title, &s_.game_comment, &s_.uninstall_comment,
    };
    for (int i = 0; i < IDS_PRODUCT_TEXT_COUNT; ++i) *fields[i] = load_localised_string(IDS_PRODUCT_FOLDER + i + offset);
  }

  InstallerSettings& s_;
  Tchecksum& checksum_;
  std::optional<FilesetView> payload_;
  GdiObject<HBITMAP> logo_;
  ExitCode exit_code_ = exit_success;
};

}  // namespace

int run_setup(const std::vector<std::string>& arguments) {
  Tchecksum checksum(code_seed);
  InstallerSettings settings;
  RunSequence sequence(settings, checksum);
  return sequence.run(arguments);
}
