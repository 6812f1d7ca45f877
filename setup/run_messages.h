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

// "-p" is no folder name Windows can use as it stands.
inline std::string backup_unusable_text(bool german, const std::string& folder) {
  return german ? "Der Ordner für ersetzte Dateien\r\n" + folder +
                      "\r\nist kein vollständiger Ordnername, den Windows verwenden kann (Laufwerk, Wurzel und "
                      "Namen; kein Netzwerkpfad, kein Gerätename, kein Punkt oder Leerzeichen am Ende).\r\n"
                      "Bitte mit -p einen anderen Ordner angeben oder -p weglassen."
                : "The folder for replaced files\r\n" + folder +
                      "\r\nis no full folder name Windows can use (a drive, its root and names; no network path, "
                      "no device name, no dot or blank at the end).\r\n"
                      "Give another folder with -p, or leave -p out.";
}

// The record of a stopped run names places outside the installation, or
// cannot be read: nothing of it is done, and it stays for a person to see.
inline std::string stopped_run_refused_text(bool german, const std::string& folder, const std::string& record,
                                            const std::string& line) {
  return german ? "Eine frühere Installation nach\r\n" + folder +
                      "\r\nwurde abgebrochen, bevor sie fertig war. Ihre Aufzeichnung\r\n" + record +
                      "\r\nnennt aber Orte außerhalb dieser Installation oder lässt sich nicht lesen:\r\n" + line +
                      "\r\n\r\nSetup macht nichts davon rückgängig und installiert nichts. Bitte die Aufzeichnung "
                      "prüfen und löschen, dann Setup erneut starten."
                : "An earlier installation into\r\n" + folder +
                      "\r\nwas stopped before it finished, but its record\r\n" + record +
                      "\r\nnames places outside this installation, or cannot be read:\r\n" + line +
                      "\r\n\r\nSetup undoes nothing of it and installs nothing. Look at the record and delete it, "
                      "then run setup again.";
}

// A line of the run's own record could not be written: nothing was changed
// after it, and the installation failed.
inline std::string record_failed_text(bool german, const std::string& record, const std::string& error) {
  return german ? "Die Aufzeichnung dieser Installation\r\n" + record + "\r\nließ sich nicht schreiben (" + error +
                      ").\r\nOhne sie ließe sich ein Abbruch nicht rückgängig machen, daher hat Setup danach nichts "
                      "mehr verändert."
                : "The record of this installation\r\n" + record + "\r\ncould not be written (" + error +
                      ").\r\nWithout it a stopped installation could not be undone, so setup changed nothing after "
                      "that.";
}

constexpr const char* not_put_back_caption = "Replaced files not put back";

// Saved files whose bytes were changed since they were saved stay where they
// are: putting them back would install what somebody else chose.
inline std::string not_put_back_text(bool german, const std::string& files) {
  return german ? "Diese ersetzten Dateien wurden nicht zurückgelegt, weil ihre gesicherten Kopien seit dem "
                  "Sichern verändert wurden:\r\n" + files
                : "These replaced files were not put back, because their saved copies were changed since they were "
                  "saved:\r\n" + files;
}
