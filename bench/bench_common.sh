# Shell helpers of the whole-run benchmarks (sourced by update_vs_copy.sh, adjust_vs_copy.sh and
# scale.sh): the work folder, the local quote site, timing with CPU seconds and peak memory,
# and arithmetic without bc. POSIX sh.

# bench_work FOLDER: makes the work folder below FOLDER (a tmpfs such as /dev/shm, or a folder
# on disk) and removes it, and stops the quote site, when the script ends.
bench_work() {
  mkdir -p "$1"
  work=$(mktemp -d "$1/karigane-bench-XXXXXX")
  site_pid=
  trap 'bench_cleanup' EXIT
  trap 'exit 130' INT TERM
}

bench_cleanup() {
  [ -n "${site_pid:-}" ] && kill "$site_pid" 2>/dev/null && wait "$site_pid" 2>/dev/null
  [ -n "${work:-}" ] && rm -rf "$work"
}

# bench_fs FOLDER: the file system's type (tmpfs, ext4, ...).
bench_fs() { stat -f -c %T "$1"; }

# bench_site SITE_BINARY NOW [ARGS...]: starts the local quote site with "today" at NOW
# (YYYY-MM-DDTHH:MM) and sets `url`.
bench_site() {
  _site=$1 _now=$2
  shift 2
  "$_site" --port 0 --now "$_now" "$@" >"$work/site.log" 2>&1 &
  site_pid=$!
  _port=
  for _ in $(seq 1 200); do
    _port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/site.log" | head -n 1)
    [ -n "$_port" ] && break
    sleep 0.1
  done
  [ -n "$_port" ] || { echo "the quote site did not start:" >&2; cat "$work/site.log" >&2; exit 1; }
  url=http://127.0.0.1:$_port
}

# bench_settings FOLDER [KEY,VALUE...]: a settei.txt with every host at the quote site.
bench_settings() {
  _dir=$1
  shift
  {
    printf '株価サイトURL,%s\r\n指標サイトURL,%s\r\n' "$url" "$url"
    for _kv in "$@"; do printf '%s\r\n' "$_kv"; done
    printf 'EOF,EOF\r\n'
  } >"$_dir/settei.txt"
}

# timed COMMAND...: runs it with its output thrown away and prints "WALL CPU PEAK_KB" (wall
# and user + system seconds, peak resident memory). A command that fails ends the script.
timed() {
  if ! /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >"$work/out" 2>&1; then
    echo "failed: $*" >&2
    tail -n 5 "$work/out" >&2
    exit 1
  fi
  awk '{ printf "%.2f %.2f %d\n", $1, $2 + $3, $4 }' "$work/time"
}

# seconds COMMAND...: its wall seconds.
seconds() {
  _t0=$(date +%s.%N)
  "$@"
  calc "$(date +%s.%N) - $_t0"
}

# calc EXPRESSION: awk arithmetic, two decimals (in parentheses, so that ">" compares).
calc() { awk "BEGIN { printf \"%.2f\", ($1) }"; }

# Keeps the smallest and largest of a series: `range NAME VALUE` updates NAME_min and NAME_max.
range() {
  eval "_lo=\${$1_min:-} _hi=\${$1_max:-}"
  if [ -z "$_lo" ] || [ "$(calc "$2 < $_lo")" = 1.00 ]; then eval "$1_min=$2"; fi
  if [ -z "$_hi" ] || [ "$(calc "$2 > $_hi")" = 1.00 ]; then eval "$1_max=$2"; fi
}

# median VALUES...: the middle value (the mean of the two middle ones for an even count).
median() {
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# copy_round SOURCE TARGET: the cp -r side of a round, timed; sets copy, copy_cpu and
# copy_synced (with the sync that puts the copy on the disk, as the runs' flushes do).
copy_round() {
  set -- $(timed cp -r "$1" "$2")
  copy=$1 copy_cpu=$2
  copy_synced=$(calc "$copy + $(seconds sync)")
}

# record_round I NAME SECONDS CPU KB: prints round I of the run NAME against the copy of the
# same round and keeps the ranges and ratios the summary reads.
record_round() {
  printf 'run %d: cp -r %.2f s (cpu %.2f s), %s %.2f s (cpu %.2f s, %d MB), ratio %.2f\n' \
    "$1" "$copy" "$copy_cpu" "$2" "$3" "$4" $(($5 / 1024)) "$(calc "$3 / $copy")"
  range copy "$copy"
  range "$2" "$3"
  range copy_cpu "$copy_cpu"
  range "$2_cpu" "$4"
  range ratio "$(calc "$3 / $copy")"
  ratios="${ratios:-} $(calc "$3 / $copy")"
  synced_ratios="${synced_ratios:-} $(calc "$3 / $copy_synced")"
}
