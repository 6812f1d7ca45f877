# Sourced by scripts/build, test and demo and the benchmarks: decides which
# Windows build runs under Wine on this machine, in a few milliseconds.
#
# The product is the 32-bit (i686) setup.exe, and its tests run as i686
# wherever 32-bit programs run. Some kernels execute no 32-bit user code at all
# (IA-32 emulation off); no Wine mode gets around that. There the x86_64 build
# of the same sources is tested under Wine's 64-bit loader instead.
# SETUP_TEST_ARCH=i686|x86_64 forces the choice.
#
# wine_choose_arch sets SETUP_WINE_ARCH (i686 or x86_64) and SETUP_ARCH_WHY (one
# line saying why), and exports both so that nested scripts keep the choice.
# It fails with the loader's own message when the chosen build cannot run.

# wine_loader_error LOADER: empty when the loader starts, else what it said.
wine_loader_error() {
  if [ ! -x "$1" ]; then
    echo "$1 is missing (scripts/install-deps installs it)"
    return
  fi
  local out
  if out=$("$1" --version 2>&1); then return; fi
  printf '%s\n' "${out:-$1 --version failed}" | head -n 3 | paste -sd ' ' -
}

# Why 32-bit programs cannot run here, as far as the machine tells.
wine_32bit_hint() {
  if dmesg 2>/dev/null | grep -qi 'ia32 emulation.*off\|IA-32 emulation'; then
    echo "the kernel's IA-32 emulation is off"
  elif [ -x /lib/ld-linux.so.2 ] && ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "the kernel does not execute 32-bit programs"
  else
    echo "the 32-bit Wine loader does not start"
  fi
}

wine_choose_arch() {
  if [ -n "${SETUP_WINE_ARCH:-}" ] && [ -n "${SETUP_ARCH_WHY:-}" ]; then return 0; fi
  local err32 err64
  err64=$(wine_loader_error /usr/lib/wine/wine64)
  case "${SETUP_TEST_ARCH:-}" in
    i686|x86_64|"") ;;
    *) echo "SETUP_TEST_ARCH must be i686 or x86_64, not '$SETUP_TEST_ARCH'" >&2; return 2 ;;
  esac
  if [ "${SETUP_TEST_ARCH:-}" = x86_64 ]; then
    SETUP_WINE_ARCH=x86_64
    SETUP_ARCH_WHY="the x86_64 test build, as SETUP_TEST_ARCH asks"
  else
    err32=$(wine_loader_error /usr/lib/wine/wine)
    if [ -z "$err32" ]; then
      SETUP_WINE_ARCH=i686
      SETUP_ARCH_WHY="the i686 build (the product), since 32-bit programs run here"
    elif [ "${SETUP_TEST_ARCH:-}" = i686 ]; then
      echo "SETUP_TEST_ARCH=i686, but 32-bit Windows programs cannot run here: $(wine_32bit_hint)." >&2
      echo "  /usr/lib/wine/wine --version: $err32" >&2
      return 1
    else
      SETUP_WINE_ARCH=x86_64
      SETUP_ARCH_WHY="the x86_64 test build, since 32-bit programs cannot run here ($(wine_32bit_hint): $err32)"
    fi
  fi
  if [ "$SETUP_WINE_ARCH" = x86_64 ] && [ -n "$err64" ]; then
    echo "Wine's 64-bit loader cannot start here either, so no Windows program can run:" >&2
    echo "  /usr/lib/wine/wine64 --version: $err64" >&2
    return 1
  fi
  export SETUP_WINE_ARCH SETUP_ARCH_WHY
}

# The build folder below BUILD of each Windows build.
wine_build_subdir() {
  case "$1" in
    i686) echo win32 ;;
    x86_64) echo win64 ;;
  esac
}
