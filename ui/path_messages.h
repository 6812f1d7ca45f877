#pragma once
// The path dialog's refusals. Their caption is the product folder name in
// the chosen language, so only the texts are fixed here.

#include <string>

#include "core/local_text.h"

namespace path_message {

// The options shown differ from the dialog's own record of them.
constexpr LocalText inconsistent = {
    nullptr,
    "Installer has detected some inconsisteny between it's internal settings\r\n"
    "and the settings displayed to you. I'd recommend to cancel the installation.\r\n"
    "Anyway, feel free to choose ok, if you know what you're doing...",
    "Installer hat eine Inkonsistenz zwischen den Einstellungen, die angezeigt wurden,\r\n"
    "und seiner internen Einstellungsdatenbank festgestllt. Es empfiehlt sich ein Abbruch\r\n"
    "Ansonsten wird beim OK halt irgendwas passieren...",
};

// The installation folder has operations queued for the next reboot.
constexpr LocalText install_pending = {
    nullptr,
    "The install-path you selected is currently marked for deletio on reboot,\r\n"
    "so can't yet be used for installation. Select another path\r\n"
    "or reboot you computer before installation.",
    "Der gewählte Installationspfad kann momentan leider nicht verwendet werden,\r\n"
    "da noch reboot-Löschaufträge auf ihn zeigen. Bitte entweder einen anderen Pfad wählen\r\n"
    "oder den Rechner vor der Installation neu starten.",
};

// A start-menu folder has operations queued for the next reboot.
constexpr LocalText start_menu_pending = {
    nullptr,
    "The startmenu-path you selected is currently marked for deletio on reboot,\r\n"
    "so can't yet be used for installation. Select another path\r\n"
    "or reboot you computer before installation.",
    "Der gewählte Startmenupfad kann momentan leider nicht verwendet werden,\r\n"
    "da noch reboot-Löschaufträge auf ihn zeigen. Bitte entweder einen anderen Pfad wählen\r\n"
    "oder den Rechner vor der Installation neu starten.",
};

// The start-menu entries exist, the installation folder does not.
constexpr LocalText start_menu_exists = {
    nullptr,
    "Can't install, because the selected startmenu-entries already exist, while the install-folder doesn't.",
    "Folgendes kleine Problemchen:\r\n"
    "Die Startmenueinträge existieren schon, der Zielpfad aber noch nicht.",
};

// Both exist: probably installed already.
constexpr LocalText both_exist = {
    nullptr,
    "The selected startmenu-entries and destination folder already exist. If you're really sure the program is "
    "already installed only on your machine, feel free to choose OK, else you should CANCEL to select another "
    "position for the startmenu-entries.",
    "Die Startmenueinträge und Zielpfad existieren schon. Bitte nur OK drücken, falls Sie sicher sind, daß nur eine "
    "Instanz des Programms schon installiert ist. Ansonsten besser ABBRECHEN und eine andere Position für die "
    "Startmenueinträge wählen.",
};

// The installation folder cannot be used.
constexpr LocalText unusable = {
    nullptr,
    "We don't have write-permission or some other similar problem keeps us from using the install-paths.",
    "Mangels Schreibberechtigung (oder durch andere, unbekannten Ursachen) kann der Installationspfad nicht "
    "benutzt werden.",
};

}  // namespace path_message

namespace path_message {

// "-p" names the installation folder or a folder inside it.
inline std::string backup_inside(bool german, const std::string& folder) {
  return german ? "Der Ordner für ersetzte Dateien (-p)\r\n" + folder +
                      "\r\nist der Installationsordner oder liegt darin. Bitte einen anderen Installationsordner "
                      "wählen."
                : "The folder for replaced files (-p)\r\n" + folder +
                      "\r\nis the installation folder or lies inside it. Choose another installation folder.";
}

}  // namespace path_message
