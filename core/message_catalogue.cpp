// The texts of the message catalogue (core/messages.h), in the order of its
// ids. Sources are UTF-8; the program holds them as Windows-1252.
#include "core/messages.h"

namespace {

constexpr const char* in_both = nullptr;  // the English caption in both languages

const MessageTexts catalogue[] = {
    // checksum_error
    {"Input-files invalid", in_both, "This Install-file has a checksum-error, so we won't continue install.",
     "Diese Installationsdatei hat eine Checksummenfehler\r\nDaher kann die Installation nicht durchfegührt werden."},
    // install_complete
    {"Install complete", in_both, "Sucessfully installed %1 Files.", "Es wurden %1 Dateien erfolgreich installiert."},
    // install_incomplete
    {"Install incomplete", "Installation unvollständig",
     "The installation is incomplete: the list of installed files could not be written to\r\n%1\r\nso the game "
     "cannot be uninstalled.\r\nRun this setup again with the same folder to undo the installation.",
     "Die Installation ist unvollständig: Die Liste der installierten Dateien konnte nicht nach\r\n%1\r\ngeschrieben "
     "werden, daher kann das Spiel nicht deinstalliert werden.\r\nWird dieses Setup noch einmal mit demselben Ordner "
     "gestartet, kann es die Installation rückgängig machen."},
    // backup_folder_in_system
    {"Folder for replaced files", "Ordner für ersetzte Dateien",
     "The folder for replaced files\r\n%1\r\nlies in the Windows or system folder, where setup keeps no files.\r\n"
     "Give another folder with -p, or leave -p out.",
     "Der Ordner für ersetzte Dateien\r\n%1\r\nliegt im Windows- oder Systemordner, in dem Setup keine Dateien "
     "ablegt.\r\nBitte mit -p einen anderen Ordner angeben oder -p weglassen."},
    // backup_folder_unusable
    {"Folder for replaced files", "Ordner für ersetzte Dateien",
     "The folder for replaced files\r\n%1\r\nis no full folder name Windows can use (a drive, its root and names; no "
     "network path, no device name, no dot or blank at the end).\r\nGive another folder with -p, or leave -p out.",
     "Der Ordner für ersetzte Dateien\r\n%1\r\nist kein vollständiger Ordnername, den Windows verwenden kann "
     "(Laufwerk, Wurzel und Namen; kein Netzwerkpfad, kein Gerätename, kein Punkt oder Leerzeichen am Ende).\r\n"
     "Bitte mit -p einen anderen Ordner angeben oder -p weglassen."},
    // stopped_run_question
    {"Installation not finished", "Installation nicht beendet",
     "An earlier installation into\r\n%1\r\nwas stopped before it finished.\r\n\r\nSelect YES to undo it now and "
     "put back the files it replaced.\r\nSelect NO to leave everything as it is and end this setup.",
     "Eine frühere Installation nach\r\n%1\r\nwurde abgebrochen, bevor sie fertig war.\r\n\r\nWählen sie JA, um sie "
     "jetzt rückgängig zu machen und die von ihr ersetzten Dateien zurückzulegen.\r\nWählen sie NEIN, um alles so "
     "zu lassen, wie es ist, und diese Installation zu beenden."},
    // stopped_run_refused
    {"Installation not finished", "Installation nicht beendet",
     "An earlier installation into\r\n%1\r\nwas stopped before it finished, but its record\r\n%2\r\nnames places "
     "outside this installation, or cannot be read:\r\n%3\r\n\r\nSetup undoes nothing of it and installs nothing. "
     "Look at the record and delete it, then run setup again.",
     "Eine frühere Installation nach\r\n%1\r\nwurde abgebrochen, bevor sie fertig war. Ihre Aufzeichnung\r\n%2\r\n"
     "nennt aber Orte außerhalb dieser Installation oder lässt sich nicht lesen:\r\n%3\r\n\r\nSetup macht nichts "
     "davon rückgängig und installiert nichts. Bitte die Aufzeichnung prüfen und löschen, dann Setup erneut "
     "starten."},
    // record_failed
    {"Install failed", in_both,
     "The record of this installation\r\n%1\r\ncould not be written (%2).\r\nWithout it a stopped installation could "
     "not be undone, so setup changed nothing after that.",
     "Die Aufzeichnung dieser Installation\r\n%1\r\nließ sich nicht schreiben (%2).\r\nOhne sie ließe sich ein "
     "Abbruch nicht rückgängig machen, daher hat Setup danach nichts mehr verändert."},
    // saved_files_not_put_back
    {"Replaced files not put back", "Ersetzte Dateien nicht zurückgelegt",
     "These replaced files were not put back, because their saved copies were changed since they were saved:\r\n%1",
     "Diese ersetzten Dateien wurden nicht zurückgelegt, weil ihre gesicherten Kopien seit dem Sichern verändert "
     "wurden:\r\n%1"},
    // log_unwritable
    {"Log file", "Protokolldatei", "The log file\r\n%1\r\ncannot be written (%2).\r\nThe run goes on without a log.",
     "Die Protokolldatei\r\n%1\r\nlässt sich nicht schreiben (%2).\r\nEs geht ohne Protokoll weiter."},
    // volume_problem
    {"Data volume", "Datendatei",
     "This setup needs its data volume\r\n%1\r\n%2.\r\n\r\nPut the setup's volumes beside it and choose Retry, "
     "or Cancel to stop the installation.",
     "Dieses Setup benötigt seine Datendatei\r\n%1\r\n%2.\r\n\r\nLegen Sie die Datendateien neben das Setup "
     "und wählen Sie Wiederholen, oder Abbrechen, um die Installation zu beenden."},
    // volume_missing, volume_truncated, volume_other_build, volume_damaged
    {nullptr, in_both, "It is missing or cannot be opened", "Sie fehlt oder lässt sich nicht öffnen"},
    {nullptr, in_both, "It is incomplete: its size is not the one it was made with",
     "Sie ist unvollständig: ihre Größe ist nicht die, mit der sie erstellt wurde"},
    {nullptr, in_both, "It belongs to another build of this setup",
     "Sie gehört zu einer anderen Ausgabe dieses Setups"},
    {nullptr, in_both, "It is damaged: its bytes differ from their checksums",
     "Sie ist beschädigt: ihre Bytes weichen von ihren Prüfsummen ab"},
    // install_progress_title, install_progress_label
    {nullptr, in_both, "%1 - Installation", "%1 - Installation"},
    {nullptr, in_both, "Installing:", "Installiere:"},
    // language_dialog_title, path_dialog_title (the templates' titles: not localised)
    {nullptr, in_both, "%1 - Installation - Select Language", "%1 - Installation - Select Language"},
    {nullptr, in_both, "%1 - Installation - Path Selection", "%1 - Installation - Path Selection"},
    // overwrite_head, overwrite_body
    {"Install failed", in_both, "The file", "Die Datei"},
    {"Install failed", in_both,
     "already exists. Should we overwrite ALL existing files?\r\nSelect YES to overwrite ALL existing files\r\n"
     "Select NO to OVERWRITE THIS file (and keep warning about existing files)\r\nSelect CANCEL to not overwrite "
     "this file and abort the hole installation.\r\n\r\nAlways overwrite?",
     "existiert bereits. Sollen nun alle bereits exitierenden Dateien überschrieben werden?\r\nWählen sie JA, werden "
     "alle weiteren evtl. vorhandenen gleichnamigen Dateien überschrieben.\r\nWählen sie NEIN, so wird NUR DIESE "
     "Datei ÜBERSCHRIEBEN\r\nWählen sie ABBRUCH um keine Dateien zu überschreiben und die Installation abzubrechen.\r\n"
     "\r\nImmer Überschreiben?"},
    // rollback_question
    {"Install failed", in_both,
     "Installtion failed.\r\nSelect Yes to try to rollback all changes to your system,\r\nSelect No to ignore the "
     "problem and try to create the selected shortcuts.",
     "Fehler bei Installation gefunden.\r\nSoll versucht werden, die Installation rückgängig zu machen?\r\nWählen sie "
     "NEIN, so wird noch versucht, die gewählten Verknüpfungen zu erstellen,\r\nwählen sie Ja, so wird der Versuch "
     "unternommen, alle Änderungen an ihrem System rückgängig zu machen.\r\n"},
    // rollback_done ... rollback_registrations_left
    {"rollback result", in_both, "Rollback done.", "Rollback abgeschlossen."},
    {"rollback result", in_both, "%1 \"overwritten files were saved to temp\".",
     "%1 der überschriebenen Dateien wurden zuvor gesichert."},
    {"rollback result", in_both, "%1 of these files wre sucessfully restored", "%1 davon wurden auch wiederhergestellt"},
    {"rollback result", in_both, "%1 files in the tempdir beeing unrestored",
     "%1 Dateien wurden zwar gesichert, aber nicht wiederhergestellt, und sollten sich daher noch im trmporären "
     "Ordner befinden."},
    {"rollback result", in_both, "%1 files are now LOST because they haven't been saved",
     "%1 der überschriebenen Dateien wurden zuvor NICHT GESICHERT und sind daher verloren."},
    {"rollback result", in_both, "%1 files remain on your System",
     "%1 Dateien der Neuinstallation konnten leider NICHT wieder gelöscht werden."},
    {"rollback result", in_both, "%1 directories remain on your system",
     "%1 Vezeichnisse der Neuinstalation konnten NICHT wieder gelöscht werden."},
    {"rollback result", in_both, "%1 app-registrations weren't taken back",
     "%1 Neu-Registrierungen konnten NICHT rückgängig gemacht werden."},
    // cleanup_head, cleanup_choices, cleanup_cancel, cleanup_ask
    {"Delete temporary files?", in_both, "The files you chose to be overwritten were saved to the temporary path\r\n",
     "Von den eigentlich schon überschriebenen Dateien existieren noch temporäre Sicherungskopien, und zwar im "
     "Ordner\r\n"},
    {"Delete temporary files?", in_both,
     "Select YES to finally delete them\r\nSelect NO to (maximally) keep them there until uninstall (uninstaller "
     "doesn't have a provision deal with such files except deleting)\r\n",
     "Wählen sie JA, wenn diese Sicherungskopieen unwiderbringlich gelöscht werden sollen\r\nWählen sie NEIN, um die "
     "Dateien bis (höchstens) zur Deinstallation im angegebenen Temp-ordner aufzubewahren (der Uninstaller wird "
     "damit allerdings nix machen, als löschen)\r\n"},
    {"Delete temporary files?", in_both, "Select CANCEL to unroll the hole installation now\r\n",
     "Wählen sie ABBRUCH um zu versuchen, diese Installation rückgängig zu machen\r\n"},
    {"Delete temporary files?", in_both, "\r\nSure you want to delete the \"overwritten\" files?", "\r\nWeg damit?"},
    // path_inconsistent
    {nullptr, in_both,
     "Installer has detected some inconsisteny between it's internal settings\r\nand the settings displayed to you. "
     "I'd recommend to cancel the installation.\r\nAnyway, feel free to choose ok, if you know what you're doing...",
     "Installer hat eine Inkonsistenz zwischen den Einstellungen, die angezeigt wurden,\r\nund seiner internen "
     "Einstellungsdatenbank festgestllt. Es empfiehlt sich ein Abbruch\r\nAnsonsten wird beim OK halt irgendwas "
     "passieren..."},
    // path_install_pending
    {nullptr, in_both,
     "The install-path you selected is currently marked for deletio on reboot,\r\nso can't yet be used for "
     "installation. Select another path\r\nor reboot you computer before installation.",
     "Der gewählte Installationspfad kann momentan leider nicht verwendet werden,\r\nda noch reboot-Löschaufträge "
     "auf ihn zeigen. Bitte entweder einen anderen Pfad wählen\r\noder den Rechner vor der Installation neu "
     "starten."},
    // path_start_menu_pending
    {nullptr, in_both,
     "The startmenu-path you selected is currently marked for deletio on reboot,\r\nso can't yet be used for "
     "installation. Select another path\r\nor reboot you computer before installation.",
     "Der gewählte Startmenupfad kann momentan leider nicht verwendet werden,\r\nda noch reboot-Löschaufträge auf "
     "ihn zeigen. Bitte entweder einen anderen Pfad wählen\r\noder den Rechner vor der Installation neu starten."},
    // path_start_menu_exists
    {nullptr, in_both,
     "Can't install, because the selected startmenu-entries already exist, while the install-folder doesn't.",
     "Folgendes kleine Problemchen:\r\nDie Startmenueinträge existieren schon, der Zielpfad aber noch nicht."},
    // path_both_exist
    {nullptr, in_both,
     "The selected startmenu-entries and destination folder already exist. If you're really sure the program is "
     "already installed only on your machine, feel free to choose OK, else you should CANCEL to select another "
     "position for the startmenu-entries.",
     "Die Startmenueinträge und Zielpfad existieren schon. Bitte nur OK drücken, falls Sie sicher sind, daß nur eine "
     "Instanz des Programms schon installiert ist. Ansonsten besser ABBRECHEN und eine andere Position für die "
     "Startmenueinträge wählen."},
    // path_unusable
    {nullptr, in_both,
     "We don't have write-permission or some other similar problem keeps us from using the install-paths.",
     "Mangels Schreibberechtigung (oder durch andere, unbekannten Ursachen) kann der Installationspfad nicht "
     "benutzt werden."},
    // path_backup_inside
    {nullptr, in_both,
     "The folder for replaced files (-p)\r\n%1\r\nis the installation folder or lies inside it. Choose another "
     "installation folder.",
     "Der Ordner für ersetzte Dateien (-p)\r\n%1\r\nist der Installationsordner oder liegt darin. Bitte einen anderen "
     "Installationsordner wählen."},
    // path_no_space
    {nullptr, in_both,
     "There is not enough free space on drive %1 for this installation: it needs %2 there, and %3 are free.\r\n"
     "Free some space on the drive, or choose another folder.",
     "Auf dem Laufwerk %1 ist nicht genug Platz für diese Installation frei: Sie braucht dort %2, frei sind %3.\r\n"
     "Bitte auf dem Laufwerk Platz schaffen oder einen anderen Ordner wählen."},
    // uninstall_question (its caption is the product's title)
    {nullptr, in_both,
     "Remove %1 and everything its setup installed from this computer?\r\n\r\nYour own files, such as saved games, "
     "stay where they are.",
     "%1 und alles, was sein Setup installiert hat, von diesem Computer entfernen?\r\n\r\nIhre eigenen Dateien, etwa "
     "gespeicherte Spielstände, bleiben, wo sie sind."},
    // uninstall_complete, uninstall_incomplete (captions of the report)
    {"Uninstall complete", "Deinstallation abgeschlossen", "", ""},
    {"Uninstall incomplete", "Deinstallation unvollständig", "", ""},
    // uninstall_journal_missing, uninstall_journal_empty
    {"Uninstall failed", "Deinstallation fehlgeschlagen",
     "The list of installed files\r\n%1\r\nis missing or cannot be read. Nothing was removed.",
     "Die Liste der installierten Dateien\r\n%1\r\nfehlt oder lässt sich nicht lesen. Es wurde nichts entfernt."},
    {"Uninstall failed", "Deinstallation fehlgeschlagen",
     "The list of installed files\r\n%1\r\nholds no record the setup writes. Nothing was removed.",
     "Die Liste der installierten Dateien\r\n%1\r\nenthält keinen Eintrag, den das Setup schreibt. Es wurde nichts "
     "entfernt."},
    // uninstall_counts ... uninstall_close_programs: the report's parts
    {nullptr, in_both, "%1 files and %2 folders removed, %3 replaced files put back.",
     "%1 Dateien und %2 Ordner wurden entfernt, %3 ersetzte Dateien wurden zurückgelegt."},
    {nullptr, in_both, "These folders stay, as they hold files the installation did not create:",
     "Diese Ordner bleiben, da sie Dateien enthalten, die nicht installiert wurden:"},
    {nullptr, in_both, "Not removed:", "Nicht entfernt:"},
    {nullptr, in_both, "Refused, as they are not this installation's:", "Abgelehnt, da nicht von dieser Installation:"},
    {nullptr, in_both, "Left, as they now belong to another installation:",
     "Gelassen, da sie nun einer anderen Installation gehören:"},
    {nullptr, in_both, "Kept:", "Behalten:"},
    {nullptr, in_both, "%1 more", "%1 weitere"},
    {nullptr, in_both, "Close the programs that use them and uninstall again.",
     "Nach dem Schließen der genannten Programme bitte noch einmal deinstallieren."},
    // uninstall_at_restart
    {nullptr, in_both, "%1 goes at the next restart.", "%1 wird beim nächsten Neustart entfernt."},
    // uninstall_progress_title, uninstall_progress_label
    {nullptr, in_both, "%1 - Uninstall", "%1 - Deinstallation"},
    {nullptr, in_both, "Removing:", "Entferne:"},
    // The reasons.
    {nullptr, in_both, "in use", "in Benutzung"},
    {nullptr, in_both, "access denied", "Zugriff verweigert"},
    {nullptr, in_both, "not empty", "nicht leer"},
    {nullptr, in_both, "error %1", "Fehler %1"},
    {nullptr, in_both, "a folder, not a file", "ein Ordner, keine Datei"},
    {nullptr, in_both, "a folder is in its place", "an ihrer Stelle ist ein Ordner"},
    {nullptr, in_both, "its place is taken", "ihr Platz ist belegt"},
    {nullptr, in_both, "it is named by a short name", "sie ist mit einem Kurznamen benannt"},
    {nullptr, in_both, "it is reached through a link", "sie ist nur über eine Verknüpfung erreichbar"},
    {nullptr, in_both, "the entry could not be taken back", "der Eintrag ließ sich nicht entfernen"},
    {nullptr, in_both, "its bytes were changed since it was saved", "ihr Inhalt wurde seit dem Sichern verändert"},
    {nullptr, in_both, "it leads elsewhere now, so it is another installation's",
     "sie führt nun woandershin und gehört daher einer anderen Installation"},
    {nullptr, in_both, "the file lies outside the installation folder and is none of the product's shortcuts",
     "die Datei liegt außerhalb des Installationsordners und ist keine Verknüpfung des Produkts"},
    {nullptr, in_both,
     "the folder is neither the installation folder, above it or below it, nor one of the product's start-menu "
     "folders",
     "der Ordner ist weder der Installationsordner, über oder unter ihm, noch ein Startmenü-Ordner des Produkts"},
    {nullptr, in_both, "the entry is not the one of this product in this folder",
     "der Eintrag gehört nicht zu diesem Produkt in diesem Ordner"},
    {nullptr, in_both, "the folder of replaced files lies in no place a run saves to",
     "der Ordner der ersetzten Dateien liegt an keinem Ort, an dem ein Setup sichert"},
    {nullptr, in_both,
     "the saved file and its place are not a file of the installation and its copy in the folder of replaced files",
     "die gesicherte Datei und ihr Platz sind keine Datei der Installation und ihre Kopie im Ordner der ersetzten "
     "Dateien"},
    {nullptr, in_both, "the folder was not made for the folder of replaced files",
     "der Ordner wurde nicht für den Ordner der ersetzten Dateien angelegt"},
    {nullptr, in_both, "the file is none of the product's shortcuts", "die Datei ist keine Verknüpfung des Produkts"},
    {nullptr, in_both, "the file is not this installation's journal",
     "die Datei ist nicht das Protokoll dieser Installation"},
    {nullptr, in_both, "the line is no record the setup writes", "die Zeile ist kein Eintrag des Setups"},
    {nullptr, in_both, "the line is longer than a record can be", "die Zeile ist länger als ein Eintrag sein kann"},
    {nullptr, in_both, "the line holds a zero byte", "die Zeile enthält ein Null-Byte"},
    {nullptr, in_both, "the line holds a line break of another form", "die Zeile enthält einen fremden Zeilenumbruch"},
    {nullptr, in_both, "the journal ends in the middle of this line", "das Protokoll endet mitten in dieser Zeile"},
    {nullptr, in_both, "the backup list's line is none it writes, or belongs to no run",
     "die Zeile der Sicherungsliste ist keine, die das Setup schreibt, oder gehört zu keinem Lauf"},
    {nullptr, in_both, "the backup list names a run that log_inst.dat does not hold",
     "die Sicherungsliste nennt einen Lauf, den log_inst.dat nicht enthält"},
    {nullptr, in_both, "the journal could not be read whole, so it stays with the uninstaller",
     "das Protokoll ließ sich nicht ganz lesen, daher bleibt es mit dem Deinstallationsprogramm"},
    {nullptr, in_both, "the uninstaller could not run from a copy, and cannot remove itself",
     "das Deinstallationsprogramm konnte nicht aus einer Kopie laufen und kann sich nicht selbst entfernen"},
};

static_assert(sizeof catalogue / sizeof catalogue[0] == static_cast<std::size_t>(Msg::count),
              "one entry per message id, in the order of the ids");

}  // namespace

const MessageTexts& message_texts(Msg id) { return catalogue[static_cast<std::size_t>(id)]; }
