# Sourced by the demo scripts inside a Wine environment.
. "$SETUP_ROOT/scripts/wine-env.sh"  # wine_reg_view
# remove_outside_traces JOURNAL TARGET: removes what an installation left
# outside its own folder TARGET (shortcuts, their folders, the Add/Remove
# Programs entry), by its journal log_inst.dat and newest first, so that the
# next demo installation does not find an earlier one.
remove_outside_traces() {
  local journal=$1 target=$2 line path drive
  tr -d '\r' <"$journal" | iconv -f CP1252 -t UTF-8 | tac | while IFS= read -r line; do
    path=${line#*:}
    case "$line" in
      FILE:*.lnk|DIR:*)
        [[ "$path" == "$target"* ]] && continue
        path=${path//\\//}
        drive=${path:0:1}
        path="$WINEPREFIX/dosdevices/${drive,,}:${path:2}"
        if [ -d "$path" ]; then rmdir "$path" 2>/dev/null || true; else rm -f "$path"; fi ;;
      APP:*)
        wine reg delete "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$path" $(wine_reg_view) /f \
          >/dev/null 2>&1 || true ;;
    esac
  done
}
