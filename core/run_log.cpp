#include "core/run_log.h"

#include "core/options.h"
#include "core/settings.h"

void RunLog::line(std::string_view text) {
  if (!output_) return;
  std::string bytes(text);
  bytes += "\r\n";
  output_->write(bytes);
}

void RunLog::failure(std::string_view what, std::uint32_t error) {
  if (!output_) return;
  line(with_system_error(what, error, error ? output_->system_message(error) : std::string()));
}

void RunLog::exit_code(int code) { line("exit code " + std::to_string(code)); }

std::string with_system_error(std::string_view what, std::uint32_t error, std::string_view message) {
  std::string text(what);
  if (error == 0) return text;
  text += ": error " + std::to_string(error);
  if (!message.empty()) text += ": " + std::string(message);
  return text;
}

std::string arguments_line(const std::vector<std::string>& arguments) {
  std::string text = "arguments:";
  for (const std::string& a : arguments) {
    text += ' ';
    text += a.find_first_of(" \t") == std::string::npos && !a.empty() ? a : "\"" + a + "\"";
  }
  return text;
}

std::string setup_options_line(const InstallerSettings& s, const ShellOptions& shell) {
  const struct {
    char letter;
    bool on;
  } flags[] = {
      {'G', s.silent},          {'Q', shell.quiet},          {'O', s.overwrite_all},       {'F', s.verify_files},
      {'B', s.rollback_on_failure}, {'U', s.user_only},  {'I', s.desktop_icon},        {'C', s.add_remove_entry},
      {'Y', s.start_menu_uninstall}, {'H', s.hide_uninstall}, {'S', s.no_data_sharing}, {'M', s.no_start_menu},
      {'R', s.no_registry},     {'V', s.game_explorer_legacy}, {'N', s.game_explorer_native},
  };
  std::string text = "options:";
  for (const auto& f : flags) {
    text += ' ';
    text += f.letter;
    text += f.on ? '+' : '-';
  }
  text += " language " + std::to_string(s.language_offset) + (s.skip_language_dialog ? " (-L)" : " (asked)");
  text += "; -P \"" + s.install_dir + "\"; -p \"" + s.backup_base_dir + "\"; -W \"" + shell.log_path + "\"";
  return text;
}
