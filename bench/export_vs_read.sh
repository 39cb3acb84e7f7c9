#!/bin/sh
# karigane export over a generated database, against reading the same CSV files with
# cat > /dev/null, measured in the same run: the first export to SQLite, an incremental one
# after an update (every price file gets a new newest day, rewritten whole as `karigane update`
# rewrites it), an incremental one with nothing changed, and the CSV export. Prints the times
# (best of RUNS) and their ratios to the read; the targets are <= 5 for the first export and
# <= 0.2 for the incremental one.
#
#   bench/export_vs_read.sh [KARIGANE_BINARY] [STOCKS] [ROWS] [RUNS]
#
# Defaults: build/src/cli/karigane, 3600 stocks of 5000 rows (600 MB of price files), 3 runs.
# Everything lives in a temporary folder removed at the end (TMPDIR chooses the file system).
set -eu

bin=${1:-build/src/cli/karigane}
stocks=${2:-3600}
rows=${3:-5000}
runs=${4:-3}
[ -x "$bin" ] || { echo "export_vs_read: no karigane binary at $bin" >&2; exit 2; }
bin=$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/karigane-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
db=$work/db
newest=$("$here/make_price_database.sh" "$db" "$stocks" "$rows")

# Wall seconds of a command; its CPU seconds (user + system) go to $work/cpu, since the machine
# may be shared and the wall time then says more about the neighbours than about the command.
seconds() {
  /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
    cat "$work/err" >&2; exit 1; }
  read -r wall user sys <"$work/time"
  echo "$user + $sys" | bc -l >"$work/cpu"
  echo "$wall"
}
min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc -l)" = 1 ]; then echo "$2"; else echo "$1"; fi; }
read_all() { find "$db/kabuka" -name '*.csv' -print0 | xargs -0 cat >/dev/null; }

# The update: the next weekday after the newest row goes to the end of every price file, whose
# header's newest date and count change; each file is replaced by a rename, as the update does.
next=$(date -d "$newest + 1 day" +%Y%m%d)
while [ "$(date -d "$next" +%u)" -gt 5 ]; do next=$(date -d "$next + 1 day" +%Y%m%d); done
update_all() {
  LC_ALL=C awk -v day="$1" '
    function finish() {
      if (out == "") return
      split(last, r, ",")
      printf "%s,%s,%s,%s,%s,%s\n", day, r[2], r[3], r[4], r[5], r[6] > out
      close(out)
      system("mv \"" out "\" \"" prev "\"")
    }
    FNR == 1 {
      finish()
      prev = FILENAME; out = FILENAME ".new"
      split($0, h, ",")
      printf "%s,%s,%s,%s,%s,%d\r\n", h[1], h[2], h[3], h[4], day, h[6] + 1 > out
      next
    }
    { print > out; last = $0 }
    END { finish() }' "$db"/kabuka/data_m/*.csv
}

read_all
best_read= best_first= best_incremental= best_unchanged= best_csv=
i=0
while [ "$i" -lt "$runs" ]; do
  i=$((i + 1))
  r=$(seconds sh -c "find '$db/kabuka' -name '*.csv' -print0 | xargs -0 cat >/dev/null")
  r_cpu=$(cat "$work/cpu")
  rm -f "$work/export.sqlite"
  first=$(seconds "$bin" --dir "$db" export --sqlite "$work/export.sqlite")
  first_cpu=$(cat "$work/cpu")
  update_all "$next"
  incremental=$(seconds "$bin" --dir "$db" export --sqlite "$work/export.sqlite")
  incremental_cpu=$(cat "$work/cpu")
  unchanged=$(seconds "$bin" --dir "$db" export --sqlite "$work/export.sqlite")
  csv=$(seconds "$bin" --dir "$db" export --csv "$work/csv")
  printf 'run %d: read %.2f s, first export %.2f s, after an update %.2f s, unchanged %.2f s, csv %.2f s\n' \
    "$i" "$r" "$first" "$incremental" "$unchanged" "$csv"
  printf '       cpu: read %.2f s, first export %.2f s, after an update %.2f s\n' \
    "$r_cpu" "$first_cpu" "$incremental_cpu"
  best_read=$(min "$best_read" "$r")
  best_first=$(min "$best_first" "$first")
  best_incremental=$(min "$best_incremental" "$incremental")
  best_unchanged=$(min "$best_unchanged" "$unchanged")
  best_csv=$(min "$best_csv" "$csv")
  next=$(date -d "$next + 1 day" +%Y%m%d)
  while [ "$(date -d "$next" +%u)" -gt 5 ]; do next=$(date -d "$next + 1 day" +%Y%m%d); done
done

size=$(du -sh "$db/kabuka/data_m" | cut -f1)
ratio() { echo "$1 / ($best_read + 0.005)" | bc -l; }
printf '%s stocks x %s rows (%s), best of %s; cat of the same files %.2f s:\n' \
  "$stocks" "$rows" "$size" "$runs" "$best_read"
printf '  first export to SQLite   %6.2f s  ratio %5.2f (target <= 5)\n' "$best_first" "$(ratio "$best_first")"
printf '  after an update          %6.2f s  ratio %5.2f (target <= 0.2)\n' "$best_incremental" "$(ratio "$best_incremental")"
printf '  nothing changed          %6.2f s  ratio %5.2f\n' "$best_unchanged" "$(ratio "$best_unchanged")"
printf '  export to CSV            %6.2f s  ratio %5.2f\n' "$best_csv" "$(ratio "$best_csv")"
