# Sourced by the scripts that run Windows programs under Wine.
# Facts behind these settings are in ENGINEERING.md of the team.

# wine_use_prefix PREFIX HOME: a 32-bit prefix, a private HOME (else Desktop
# and Documents link into the real home), no Mono/Gecko prompts and no desktop
# files written for each saved link.
wine_use_prefix() {
  export WINEPREFIX="$(realpath -m "$1")"
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export HOME="$(realpath -m "$2")"
  mkdir -p "$HOME"
}

# wine_prefix_ensure: creates the prefix once (about 15 s); safe when several
# callers race, the first one creates it and the others wait.
wine_prefix_ensure() {
  [ -f "$WINEPREFIX/.setup-ready" ] && return 0
  mkdir -p "$WINEPREFIX" || return 1
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.setup-ready" ]; then
      wineboot -i >/dev/null 2>&1 || { echo "wineboot failed for $WINEPREFIX" >&2; exit 1; }
      # Unmanaged windows close at once under Xvfb; managed ones wait about 2 s
      # for a window manager that is not there.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
      # Let the boot finish writing the registry before anyone uses it.
      if [ -z "${SETUP_WINE_PERSISTENT:-}" ]; then wineserver -w; fi
      touch "$WINEPREFIX/.setup-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# A persistent server makes each program start cost ~50 ms instead of 0.5 s.
# Its helper processes are started here, detached from the caller's output.
wine_server_start() {
  export SETUP_WINE_PERSISTENT=1
  wineserver -p
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null
}

# Stops the server; this also writes system.reg.
wine_server_stop() {
  wineserver -k 2>/dev/null || true
}

# unix_to_wine PATH: the Windows name of a host path (drive Z: is /).
unix_to_wine() {
  printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"
}
