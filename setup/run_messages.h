#pragma once
// The run sequence's own messages.

#include <cstdint>
#include <string>

#include "core/local_text.h"

constexpr LocalText checksum_message = {
    "Input-files invalid",
    "This Install-file has a checksum-error, so we won't continue install.",
    "Diese Installationsdatei hat eine Checksummenfehler\r\n"
    "Daher kann die Installation nicht durchfegührt werden.",
};

constexpr const char* success_caption = "Install complete";

// "Sucessfully installed N Files." or its German form.
inline std::string success_text(bool german, std::int32_t files) {
  const std::string n = std::to_string(files);
  return german ? "Es wurden " + n + " Dateien erfolgreich installiert."
                : "Sucessfully installed " + n + " Files.";
}

constexpr const char* incomplete_caption = "Install incomplete";

// log_inst.dat could not be written: the files stay, the record of the run
// too, so that running setup again into the folder can undo it.
inline std::string journal_failed_text(bool german, const std::string& path) {
  return german ? "Die Installation ist unvollständig: Die Liste der installierten Dateien konnte nicht nach\r\n" +
                      path +
                      "\r\ngeschrieben werden, daher kann das Spiel nicht deinstalliert werden.\r\n"
                      "Wird dieses Setup noch einmal mit demselben Ordner gestartet, kann es die Installation "
                      "rückgängig machen."
                : "The installation is incomplete: the list of installed files could not be written to\r\n" + path +
                      "\r\nso the game cannot be uninstalled.\r\n"
                      "Run this setup again with the same folder to undo the installation.";
}

constexpr const char* backup_folder_caption = "Folder for replaced files";

// "-p" names the Windows or system folder, or a folder below either.
inline std::string backup_in_system_text(bool german, const std::string& folder) {
  return german ? "Der Ordner für ersetzte Dateien\r\n" + folder +
                      "\r\nliegt im Windows- oder Systemordner, in dem Setup keine Dateien ablegt.\r\n"
                      "Bitte mit -p einen anderen Ordner angeben oder -p weglassen."
                : "The folder for replaced files\r\n" + folder +
                      "\r\nlies in the Windows or system folder, where setup keeps no files.\r\n"
                      "Give another folder with -p, or leave -p out.";
}
