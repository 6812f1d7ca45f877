# Timed silent installations under Wine for the benchmarks (sourced by
# bench/install-bench and bench/compress-bench): a Wine prefix prepared once
# and copied afresh for every run, the check of what a run installed against
# the product's files, and NSIS installers of the same files, built and run
# alike in both benchmarks.
# The caller sets root (the project), arch (the Windows build that runs here),
# bench (where the template and its home go), work (where the runs' prefixes
# go) and defines say.

now_ns() { date +%s%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print ""; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

template="$bench/wineprefix-template-$arch"
# prepare_template: the prefix every run copies, made once.
prepare_template() {
  [ ! -f "$template/.setup-ready" ] || return 0
  say "creating the Wine prefix template (once)"
  rm -rf "$template"
  "$root/scripts/with-wine" "$template" "$bench/home" true
}

# fresh_prefix NAME: a copy of the template, returned in $prefix and $home,
# with a folder $work/NAME/logs.
fresh_prefix() {
  prefix="$work/$1/prefix"
  home="$work/$1/home"
  rm -rf "$work/$1"
  mkdir -p "$work/$1/logs"
  cp -a "$template" "$prefix"
}

# check_tree FILES RESULT: compares what landed below C:\bench in $prefix
# with FILES and records the outcome in RESULT (tree=same, or error=...).
check_tree() {
  local files=$1 result=$2
  local target
  target=$(find "$prefix/drive_c/bench" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | head -n1 || true)
  if [ -z "$target" ]; then
    echo "error=nothing installed below C:\\bench" >>"$result"
  else
    # Everything of files/ must be there, byte for byte; the journal and
    # other additions are fine.
    diff -rq "$files" "$target" >"$result.diff.all" 2>&1 || true
    grep -v -F "Only in $target" "$result.diff.all" >"$result.diff" || true
    if [ -s "$result.diff" ]; then
      echo "error=installed tree differs from files/: $(head -n3 "$result.diff" | tr '\n' ';')" >>"$result"
    else
      echo "tree=same" >>"$result"
    fi
  fi
}

# nsis_build FILES EXE stored|lzma LOG [--uninstaller]: EXE, an NSIS
# installer of FILES (bench/make-nsis.py, its script beside it as .nsi), made
# again only when FILES or the generator changed since. EXE.stamp keeps how
# long makensis took (pack_s=SECONDS).
nsis_build() {
  local files=$1 exe=$2 compression=$3 log=$4 uninstaller=${5:-}
  local stamp="$exe.stamp" nsi="${exe%.exe}.nsi"
  if [ -f "$exe" ] && [ -f "$stamp" ] && [ ! "$root/bench/make-nsis.py" -nt "$stamp" ] &&
     [ -z "$(find "$files" -newer "$stamp" -print -quit)" ]; then
    return 0
  fi
  command -v makensis >/dev/null || { echo "makensis is missing (apt-get install nsis)" | tee "$log" >&2; return 1; }
  say "makensis $(basename "$exe") ($compression)"
  python3 "$root/bench/make-nsis.py" "$files" "$nsi" "$exe" --compression "$compression" \
    --target "$([ "$arch" = x86_64 ] && echo amd64-unicode || echo x86-unicode)" $uninstaller
  local t0
  t0=$(now_ns)
  if ! makensis -V1 "$nsi" >"$log" 2>&1; then
    tail -n 20 "$log" >&2
    say "makensis failed for $(basename "$exe") (log: $log)"
    return 1
  fi
  awk -v n=$(($(now_ns) - t0)) 'BEGIN { printf "pack_s=%.1f\n", n / 1e9 }' >"$stamp"
}

# nsis_install EXE RESULT: one silent installation into C:\bench\nsis in
# $prefix, timed from the installer's start until it exits; appends
# install_ms and setup_rc to RESULT.
nsis_install() {
  sync
  "$root/scripts/with-wine" "$prefix" "$home" bash -c '
    start=$(date +%s%N)
    wine "$1" /S "/D=C:\bench\nsis" >/dev/null 2>&1
    rc=$?
    end=$(date +%s%N)
    printf "install_ms=%s\nsetup_rc=%s\n" $(((end - start) / 1000000)) "$rc"' _ "$1" >>"$2" || true
}
