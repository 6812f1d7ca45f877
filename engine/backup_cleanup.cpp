#include "engine/backup_cleanup.h"

#include "core/short_string.h"

std::string cleanup_question(bool german, const std::string& folder, bool allow_cancel) {
  std::string text;
  if (german) {
    text = "Von den eigentlich schon überschriebenen Dateien existieren noch temporäre Sicherungskopien, und zwar im "
           "Ordner\r\n";
    text += cut_short(folder + "\r\n\r\n");
    text += "Wählen sie JA, wenn diese Sicherungskopieen unwiderbringlich gelöscht werden sollen\r\n"
            "Wählen sie NEIN, um die Dateien bis (höchstens) zur Deinstallation im angegebenen Temp-ordner "
            "aufzubewahren (der Uninstaller wird damit allerdings nix machen, als löschen)\r\n";
    if (allow_cancel) text += "Wählen sie ABBRUCH um zu versuchen, diese Installation rückgängig zu machen\r\n";
    text += "\r\nWeg damit?";
    return text;
  }
  text = cut_short("The files you chose to be overwritten were saved to the temporary path\r\n" + folder + "\r\n\r\n");
  text += "Select YES to finally delete them\r\n"
          "Select NO to (maximally) keep them there until uninstall (uninstaller doesn't have a provision deal with "
          "such files except deleting)\r\n";
  if (allow_cancel) text += "Select CANCEL to unroll the hole installation now\r\n";
  text += "\r\nSure you want to delete the \"overwritten\" files?";
  return text;
}
