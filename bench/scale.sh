#!/bin/sh
# How the file runs grow with the database: a collection of a short period (one history page
# per stock, merged into every stored file), the update and the adjusted-price run, against the
# local quote site, from 360 to 8,800 stocks of 1,000 rows and from 1,000 to 20,000 rows of 360
# stocks. Prints for each size the wall seconds, the time per stock and per stored row, and the
# peak memory (resident set) of each run: linear runs keep their time per stock (by stocks) or
# per row (by rows) and a flat peak.
#
#   bench/scale.sh [--in FOLDER] [--build DIR] [--quick]
#
# --in: where the databases live (default $TMPDIR, else /tmp; /dev/shm keeps the disk out of
# it). --build: the build folder (default build, from scripts/setup release). --quick: the two
# smallest sizes of each series only. Four-digit codes leave room for 8,999 stocks (1000 to
# 9998); the codes here run from 1100, clear of the index codes 1001 to 1004. Takes a few
# minutes (the largest database is 290 MB).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_common.sh"

folder=${TMPDIR:-/tmp} build=build quick=
while [ $# -gt 0 ]; do
  case $1 in
    --in) folder=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --quick) quick=1; shift ;;
    *) echo "usage: $0 [--in FOLDER] [--build DIR] [--quick]" >&2; exit 2 ;;
  esac
done
bin=$(cd "$build" && pwd)/src/cli/karigane
site=$(cd "$build" && pwd)/quote_site/karigane-quote-site
for b in "$bin" "$site"; do
  [ -x "$b" ] || { echo "scale: no $b (scripts/setup release first)" >&2; exit 2; }
done
bench_work "$folder"

# One size: STOCKS ROWS. The rows end in 2013 or 2014, so that the quote site has the latest day
# after them and the update appends it (the common case); the collection takes the two weeks
# before that day.
measure() {
  stocks=$1 rows=$2
  db=$work/db
  rm -rf "$db" "$work/site"
  mkdir -p "$db" "$work/site"
  seq 1100 $((1100 + stocks - 1)) >"$work/codes"
  {
    echo "code,market_letter,market_name,name"
    awk '{ printf "%s,t,東証1部,銘柄%s\n", $1, $1 }' "$work/codes"
  } >"$work/site/stocks.csv"
  {
    printf '%s,20141120,市場名,銘柄名\r\n' "$stocks"
    awk '{ printf "%s,t,東証1部,銘柄%s\r\n", $1, $1 }' "$work/codes"
  } | iconv -f UTF-8 -t CP932 >"$db/meigara_list.csv"
  first_year=$((2014 - rows / 260 - 1))
  newest=$("$here/make_price_database.sh" "$db" "$stocks" "$rows" "$work/codes" "$first_year")
  latest=$(date -d "$newest + 1 day" +%Y-%m-%d)
  while [ "$(date -d "$latest" +%u)" -gt 5 ]; do latest=$(date -d "$latest + 1 day" +%Y-%m-%d); done
  bench_site "$site" "${latest}T17:00" --data "$work/site"
  bench_settings "$db"
  sync

  set -- $(KARIGANE_NOW="${latest}T17:00" timed "$bin" --dir "$db" collect \
    --range 1100 9999 --from "$(date -d "$latest - 14 days" +%Y/%m/%d)" \
    --to "$(date -d "$latest - 1 day" +%Y/%m/%d)")
  collect=$1 collect_kb=$3
  set -- $(KARIGANE_NOW="${latest}T17:00" timed "$bin" --dir "$db" update)
  update=$1 update_kb=$3
  set -- $(timed "$bin" --dir "$db" adjust)
  adjust=$1 adjust_kb=$3
  kill "$site_pid" 2>/dev/null && wait "$site_pid" 2>/dev/null || true
  site_pid=
  # Every run did its work: the collected days and the latest day are in the files.
  day=$(date -d "$latest" +%Y%m%d)
  last=$(tail -n 1 "$db/kabuka/data_m/1100.csv" | cut -d, -f1)
  count=$(head -n 1 "$db/kabuka/data_m/1100.csv" | cut -d, -f6 | tr -d '\r')
  [ "$last" = "$day" ] && [ "$count" -gt "$rows" ] && [ -f "$db/kabuka/syusei_kabuka/data_m/1100.csv" ] ||
    { echo "scale: the runs did not write what they should ($last, $count rows)" >&2; exit 1; }

  # Seconds, milliseconds per stock, nanoseconds per stored row, megabytes.
  line() {
    awk -v s="$1" -v n="$stocks" -v r="$rows" -v kb="$2" \
      'BEGIN { printf " %6.2f %6.2f %5.0f %4d |", s, 1000 * s / n, 1e9 * s / (n * r), kb / 1024 }'
  }
  printf '%6d %6d |%s%s%s\n' "$stocks" "$rows" "$(line "$collect" "$collect_kb")" \
    "$(line "$update" "$update_kb")" "$(line "$adjust" "$adjust_kb")"
}

printf 'on %s; each run: wall s, ms per stock, ns per stored row, peak MB\n' "$(bench_fs "$work")"
printf '%6s %6s | %-26s| %-26s| %-26s\n' stocks rows collect update adjust
printf '%6s %6s |%s%s%s\n' "" "" "      s  ms/st ns/row   MB |" "      s  ms/st ns/row   MB |" \
  "      s  ms/st ns/row   MB |"
if [ -n "$quick" ]; then
  for s in 360 1200; do measure "$s" 1000; done
  measure 360 5000
else
  for s in 360 1200 3600 8800; do measure "$s" 1000; done
  for r in 5000 20000; do measure 360 "$r"; done
fi
