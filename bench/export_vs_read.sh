#!/bin/sh
# karigane export over a generated database, against reading the same CSV files with
# cat > /dev/null, measured in the same run: the first export to SQLite, an incremental one
# after an update (every price file gets a new newest day, rewritten whole as `karigane update`
# rewrites it), an incremental one with nothing changed, and the CSV export. Prints the times
# (best of RUNS), the CPU times, the peak memory of each kind of export (largest of RUNS) and
# the ratios to the read; the targets are <= 5 for the first export, <= 0.2 for the incremental
# one, <= 2.5 for the CSV export, and 150 MiB of memory for any export.
#
# With PEER_BINARY (another build, such as the one before a change) every export is run by both
# builds on the same files, one after the other in each round (their order alternating), and the
# CSV files the two write must be the same byte for byte: the script fails otherwise.
#
#   bench/export_vs_read.sh [KARIGANE_BINARY] [STOCKS] [ROWS] [RUNS] [PEER_BINARY]
#
# Defaults: build/src/cli/karigane, 3600 stocks of 5000 rows (600 MB of price files), 3 runs.
# Everything lives in a temporary folder removed at the end (TMPDIR chooses the file system).
set -eu

bin=${1:-build/src/cli/karigane}
stocks=${2:-3600}
rows=${3:-5000}
runs=${4:-3}
peer=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_common.sh"
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
for b in "$bin" $peer; do
  [ -x "$b" ] || { echo "export_vs_read: no karigane binary at $b" >&2; exit 2; }
done
bin=$(absolute "$bin")
[ -n "$peer" ] && peer=$(absolute "$peer")

bench_work "${TMPDIR:-/tmp}"
db=$work/db
newest=$("$here/make_price_database.sh" "$db" "$stocks" "$rows")

# The update: the next weekday after the newest row goes to the end of every price file, whose
# header's newest date and count change; each file is replaced by a rename, as the update does.
next_weekday() {
  _d=$(date -d "$1 + 1 day" +%Y%m%d)
  while [ "$(date -d "$_d" +%u)" -gt 5 ]; do _d=$(date -d "$_d + 1 day" +%Y%m%d); done
  echo "$_d"
}
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

# keep NAME WALL CPU KB: the best wall and CPU times and the largest peak of NAME.
keep() {
  range "$1" "$2"
  range "$1_cpu" "$3"
  range "$1_kb" "$4"
}

# export_with WHO BINARY KIND ARGS...: one export by BINARY ("bin" or "peer" as WHO), kept as
# WHO_KIND; prints its part of the round's line.
export_with() {
  _who=$1 _binary=$2 _kind=$3
  shift 3
  _t=$(timed "$_binary" --dir "$db" export "$@") || exit 1
  set -- $_t
  keep "${_who}_$_kind" "$1" "$2" "$3"
  printf ' %s %.2f s (cpu %.2f s, %d MiB)' "$_kind" "$1" "$2" $(($3 / 1024))
}

builds=bin
[ -n "$peer" ] && builds="bin peer"
binary_of() { if [ "$1" = peer ]; then echo "$peer"; else echo "$bin"; fi; }

find "$db/kabuka" -name '*.csv' -print0 | xargs -0 cat >/dev/null
next=$(next_weekday "$newest")
i=0
while [ "$i" -lt "$runs" ]; do
  i=$((i + 1))
  _t=$(timed sh -c "find '$db/kabuka' -name '*.csv' -print0 | xargs -0 cat >/dev/null")
  set -- $_t
  keep read "$1" "$2" "$3"
  printf 'run %d: read %.2f s (cpu %.2f s)\n' "$i" "$1" "$2"
  order=$builds
  [ $((i % 2)) -eq 0 ] && [ -n "$peer" ] && order="peer bin"
  for who in $order; do
    rm -f "$work/$who.sqlite"
    printf '  %s:' "$who"
    export_with "$who" "$(binary_of "$who")" first --sqlite "$work/$who.sqlite"
    echo
  done
  update_all "$next"
  for who in $order; do
    printf '  %s:' "$who"
    export_with "$who" "$(binary_of "$who")" update --sqlite "$work/$who.sqlite"
    export_with "$who" "$(binary_of "$who")" unchanged --sqlite "$work/$who.sqlite"
    export_with "$who" "$(binary_of "$who")" csv --csv "$work/csv-$who"
    echo
  done
  if [ -n "$peer" ]; then
    for f in "$work/csv-bin/"*.csv; do
      cmp "$f" "$work/csv-peer/$(basename "$f")" ||
        { echo "export_vs_read: the CSV files of the two builds differ" >&2; exit 1; }
    done
    echo "  the CSV files of both builds are the same byte for byte"
  fi
  next=$(next_weekday "$next")
done

size=$(du -sh "$db/kabuka/data_m" | cut -f1)
printf '%s stocks x %s rows (%s), best of %s; cat of the same files %.2f s (cpu %.2f s):\n' \
  "$stocks" "$rows" "$size" "$runs" "$read_min" "$read_cpu_min"
line() {  # WHO KIND CAPTION TARGET
  eval "_w=\${$1_$2_min} _c=\${$1_$2_cpu_min} _k=\${$1_$2_kb_max}"
  printf '  %-4s %-22s %6.2f s  ratio %5.2f%s  cpu %6.2f s (%5.2f x cat)  peak %4d MiB\n' \
    "$1" "$3" "$_w" "$(calc "$_w / ($read_min + 0.005)")" "$4" "$_c" \
    "$(calc "$_c / ($read_cpu_min + 0.005)")" $((_k / 1024))
}
for who in $builds; do
  line "$who" first "first export to SQLite" " (target <= 5)"
  line "$who" update "after an update" " (target <= 0.2)"
  line "$who" unchanged "nothing changed" ""
  line "$who" csv "export to CSV" " (target <= 2.5)"
done
