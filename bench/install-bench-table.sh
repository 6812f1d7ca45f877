# The install benchmark's table (sourced by bench/install-bench): one row a
# figure, one column a product, each figure the median of its runs.
# Reads the benchmark's results and its variables (bench, products, modes,
# runs, arch, payload_file and the per-product arrays).

# values PRODUCT MODE KEY: KEY of every run; figure: their median.
values() { sed -n "s/^$3=//p" "$bench/results/$1-$2.txt" 2>/dev/null; }
figure() { values "$@" | median; }
secs() { [ -n "$1" ] && awk -v v="$1" 'BEGIN { printf "%.2f s", v / 1000 }' || echo "-"; }
mib() { [ -n "$1" ] && awk -v v="$1" 'BEGIN { printf "%.1f MiB", v / 1024 }' || echo "-"; }
ratio() { [ -n "$1" ] && [ -n "$2" ] && [ "$2" != 0 ] && awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f x", a / b }' || echo "-"; }
bytes() { echo "$1" | sed ':a; s/\B[0-9]\{3\}\>/,&/; ta'; }
exe_size() { stat -c %s "$bench/bench-$1.exe"; }
container_size() { stat -c %s "${payload_file[$1]}"; }

# One cell each, for product $1.
c_entries() { echo "$(find "$bench/products/bench-$1/files" -type f | wc -l) / $(find "$bench/products/bench-$1/files" -mindepth 1 -type d | wc -l)"; }
c_bytes() { awk -v v="$(du -sb "$bench/products/bench-$1/files" | cut -f1)" 'BEGIN { printf "%.1f MB", v / 1e6 }'; }
c_install_F() { secs "$(figure "$1" F install_ms)"; }
c_install_f() { secs "$(figure "$1" f install_ms)"; }
c_install_R() { secs "$(figure "$1" R install_ms)"; }
c_record_cost() {
  local a b; a=$(figure "$1" F install_ms); b=$(figure "$1" R install_ms)
  [ -n "$a" ] && [ -n "$b" ] && awk -v a="$a" -v b="$b" 'BEGIN { printf "%+.1f %%", (a - b) * 100 / b }' || echo "-"
}
c_range() { values "$1" "$2" install_ms | sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END { if (NR > 1) printf "%.2f to %.2f", lo / 1000, hi / 1000; else print "-" }'; }
c_range_F() { c_range "$1" F; }
c_range_f() { c_range "$1" f; }
c_range_R() { c_range "$1" R; }
c_verify() {
  local a b; a=$(figure "$1" F install_ms); b=$(figure "$1" f install_ms)
  [ -n "$a" ] && [ -n "$b" ] && secs "$((a - b))" || echo "-"
}
c_verify_share() {
  local a b; a=$(figure "$1" F install_ms); b=$(figure "$1" f install_ms)
  [ -n "$a" ] && [ -n "$b" ] && awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f x", (a - b) / b }' || echo "-"
}
c_nsis_stored() { secs "$(figure "$1" nsis-stored install_ms)"; }
c_nsis_lzma() { secs "$(figure "$1" nsis-lzma install_ms)"; }
c_uninstall() { secs "$(figure "$1" F uninstall_ms)"; }
c_uninstall_nsis() { secs "$(figure "$1" nsis-stored uninstall_ms)"; }
c_uninstall_ratio() { ratio "$(figure "$1" F uninstall_ms)" "$(figure "$1" nsis-stored uninstall_ms)"; }
c_uninstall_left() { echo "$(figure "$1" F uninstall_left) / $(figure "$1" nsis-stored uninstall_left)"; }
c_ratio_nsis() { ratio "$(figure "$1" F install_ms)" "$(figure "$1" nsis-stored install_ms)"; }
c_pack() { awk -v s="${pack_s[$1]}" -v k="${pack_kb[$1]}" 'BEGIN { printf "%.1f s, %.1f MiB", s, k / 1024 }'; }
c_sums_win() { [ -n "${sums_win[$1]:-}" ] && echo "${sums_win[$1]} MB/s" || echo "-"; }
c_sums_host() { [ -n "${sums_host[$1]:-}" ] && echo "${sums_host[$1]} MB/s" || echo "-"; }
c_sums_start() { [ -n "${sums_win_s[$1]:-}" ] && awk -v v="${sums_win_s[$1]}" 'BEGIN { printf "%.3f s", v }' || echo "-"; }
c_cp() { secs "${cp_ms[$1]}"; }
c_ratio_F() { ratio "$(figure "$1" F install_ms)" "${cp_ms[$1]}"; }
c_ratio_f() { ratio "$(figure "$1" f install_ms)" "${cp_ms[$1]}"; }
c_hwm_F() { mib "$(figure "$1" F VmHWM_kb)"; }
c_hwm_f() { mib "$(figure "$1" f VmHWM_kb)"; }
c_resident() {
  awk -v a="$(figure "$1" F RssAnon_kb)" -v f="$(figure "$1" F RssFile_kb)" \
    'BEGIN { if (a == "" || f == "") print "-"; else printf "%.1f + %.1f MiB", a / 1024, f / 1024 }'
}
c_digest_win() { [ -n "${dig_win[$1]:-}" ] && echo "${dig_win[$1]} MB/s" || echo "-"; }
c_digest_host() { [ -n "${dig_host[$1]:-}" ] && echo "${dig_host[$1]} MB/s" || echo "-"; }
c_digest_start() {
  awk -v s="$(container_size "$1")" -v r="${dig_win[$1]:-0}" 'BEGIN { if (r > 0) printf "%.2f s", s / 1e6 / r; else print "-" }'
}
c_exe() { bytes "$(exe_size "$1")"; }
c_container() { bytes "$(container_size "$1")"; }
c_overhead() { bytes "$(($(exe_size "$1") - $(container_size "$1")))"; }
c_build() { echo "${build_s[$1]} s"; }
c_matched() {
  local ok=0 mode
  for mode in "${modes[@]}"; do ok=$((ok + $(grep -c '^tree=same' "$bench/results/$1-$mode.txt" 2>/dev/null || true))); done
  echo "$ok of $((${#modes[@]} * runs))"
}
row() {
  printf '%-44s' "$1"
  local p; for p in "${products[@]}"; do printf '%20s' "$($2 "$p")"; done
  echo
}

print_table() {
    printf '%-44s' "install benchmark (median of $runs runs)"
    for p in "${products[@]}"; do printf '%20s' "bench-$p"; done
    echo
    row "files/: files / folders" c_entries
    row "files/: size" c_bytes
    echo
    row "install time, -F (with verification pass)" c_install_F
    row "  range over the runs" c_range_F
    row "install time, -f (no verification pass)" c_install_f
    row "  range over the runs" c_range_f
    row "install time, -F without the run record" c_install_R
    row "  range over the runs" c_range_R
    row "  what the record costs (-F over that)" c_record_cost
    row "verification pass (-F minus -f)" c_verify
    row "  as a share of the extraction (-f)" c_verify_share
    row "cp -r of files/, native, same disk" c_cp
    if [ "${#modes[@]}" -gt 3 ]; then
      row "NSIS, stored, /S" c_nsis_stored
      row "NSIS, solid lzma, /S" c_nsis_lzma
      row "install -F / NSIS stored" c_ratio_nsis
    fi
    row "uninstall, the game's uninstaller (-G -Q)" c_uninstall
    if [ "${#modes[@]}" -gt 3 ]; then
      row "uninstall, NSIS (/S, Delete per file)" c_uninstall_nsis
      row "uninstall: ours / NSIS" c_uninstall_ratio
      row "  entries left below C:\\bench: ours / NSIS" c_uninstall_left
    fi
    row "install -F / cp -r" c_ratio_F
    row "install -f / cp -r" c_ratio_f
    echo
    row "peak memory of setup.exe (VmHWM), -F" c_hwm_F
    row "peak memory of setup.exe (VmHWM), -f" c_hwm_f
    row "  resident at the box (-F): anon + file" c_resident
    echo
    row "checksum check, $arch code under Wine" c_sums_win
    row "checksum check, native x86-64" c_sums_host
    row "  so the check at start takes ($arch)" c_sums_start
    row "digest check, $arch code under Wine" c_digest_win
    row "digest check, native x86-64" c_digest_host
    row "  so the check at start takes ($arch)" c_digest_start
    echo
    row "setup.exe size (bytes)" c_exe
    row "payload container (payload.bin)" c_container
    row "setup.exe adds to its payload" c_overhead
    row "build-setup time (this run)" c_build
    row "mkfileset alone: time, peak memory" c_pack
    row "installs whose tree matched files/" c_matched
    for p in "${products[@]}"; do
      if [ -f "$bench/results/box-$p-F.log" ]; then
        echo
        echo "final box, bench-$p -F:"
        tr -d '\r' <"$bench/results/box-$p-F.log" | iconv -f CP1252 -t UTF-8 | sed 's/^/  /'
      fi
    done
}
