#pragma once
// The interactive run's two dialogs: the language dialog (template 276) and
// the path dialog (template 299). Both run through one dialog procedure,
// driven by the tables of resources/gui.rc and the option model.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/space_needed.h"
#include "ui/gui_resources.h"
#include "ui/gui_tables.h"
#include "ui/option_model.h"

struct InstallerSettings;
class RunRecordSink;
class ShellRegistry;

class SetupDialogs {
 public:
  // Whether every entry of the payload fits below an installation folder.
  using FitsPayload = std::function<bool(const std::string& install_dir)>;
  // Whether a run into the installation folder was stopped and left its
  // record there to undo (or to refuse): then the folder is taken without
  // the write probe, since the run only deals with that record.
  using FindStoppedRun = std::function<bool()>;
  // The drive that has not the free space the installation needs, if any;
  // asked after the folders are named, before anything is written.
  using FindShortDrive = std::function<std::optional<DriveNeed>()>;

  // Loads the tables for the settings' administrator level and the colours.
  // The logo is borrowed, and so is the run's record, which the write probe
  // begins; the run sequence owns both.
  SetupDialogs(InstallerSettings& settings, const ShellRegistry& registry, HBITMAP logo, RunRecordSink* record,
               FitsPayload fits_payload, FindStoppedRun find_stopped_run, FindShortDrive find_short_drive);
  SetupDialogs(const SetupDialogs&) = delete;
  SetupDialogs& operator=(const SetupDialogs&) = delete;

  // Shows the language dialog; true when a language was chosen, which is
  // then in language_offset. False for "Exit", the close button or a dialog
  // that could not be shown.
  bool choose_language();

  // Shows the path dialog with the texts of the chosen language. 320 (OK)
  // when the folders and options were accepted and stored in the settings;
  // negative when the user closed it or it could not be shown.
  INT_PTR choose_paths();

 private:
  friend class DialogRun;
  InstallerSettings& settings_;
  const ShellRegistry& registry_;
  RunRecordSink* record_;
  HBITMAP logo_;
  FitsPayload fits_payload_;
  FindStoppedRun find_stopped_run_;
  FindShortDrive find_short_drive_;
  GuiTables tables_;
  DialogColours colours_;
  OptionModel model_;
};
