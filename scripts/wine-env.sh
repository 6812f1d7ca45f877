# Sourced by the scripts that run Windows programs under Wine. The caller sets
# SETUP_ROOT to the source tree. Facts behind these settings are in
# ENGINEERING.md of the team.
#
# SETUP_WINE_ARCH says which build runs: i686 (the product, a 32-bit prefix,
# the default) or x86_64 (the 64-bit test build, a 64-bit prefix and Wine's
# 64-bit loader, for machines that run no 32-bit code; see wine-arch.sh).

# wine_use_prefix PREFIX HOME: the prefix of the build's architecture, a
# private HOME (else Desktop and Documents link into the real home), no
# Mono/Gecko prompts and no desktop files written for each saved link.
wine_use_prefix() {
  export WINEPREFIX="$(realpath -m "$1")"
  case "${SETUP_WINE_ARCH:-i686}" in
    i686)
      export WINEARCH=win32 ;;
    x86_64)
      # A 64-bit prefix run by the 64-bit loader; "wine" and "wineboot" are
      # the shims in scripts/wine64 from here on.
      export WINEARCH=win64
      export WINELOADER=/usr/lib/wine/wine64
      case ":$PATH:" in
        *":$SETUP_ROOT/scripts/wine64:"*) ;;
        *) export PATH="$SETUP_ROOT/scripts/wine64:$PATH" ;;
      esac ;;
    *)
      echo "SETUP_WINE_ARCH must be i686 or x86_64, not '$SETUP_WINE_ARCH'" >&2
      return 2 ;;
  esac
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export HOME="$(realpath -m "$2")"
  mkdir -p "$HOME"
}

# wine_prefix_ensure: creates the prefix once (about 15 s); safe when several
# callers race, the first one creates it and the others wait. When wineboot
# fails, its own output is shown: it names the real reason.
wine_prefix_ensure() {
  [ -f "$WINEPREFIX/.setup-ready" ] && return 0
  mkdir -p "$WINEPREFIX" || return 1
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.setup-ready" ]; then
      boot_log="$WINEPREFIX.boot.log"
      if ! wineboot -i >"$boot_log" 2>&1; then
        echo "wineboot -i failed for $WINEPREFIX ($WINEARCH prefix); its output:" >&2
        sed 's/^/  /' "$boot_log" >&2
        exit 1
      fi
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

# The registry view the build's programs write below HKLM\Software, for
# `wine reg query KEY $(wine_reg_view)`: the 32-bit product's writes are
# redirected into the 32-bit view on 64-bit Windows; the x86_64 test build
# writes the 64-bit view.
wine_reg_view() {
  case "${SETUP_WINE_ARCH:-i686}" in
    x86_64) echo /reg:64 ;;
    *) echo /reg:32 ;;
  esac
}

# unix_to_wine PATH: the Windows name of a host path (drive Z: is /).
unix_to_wine() {
  printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"
}
