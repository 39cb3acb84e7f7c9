#!/bin/sh
# Catching up a database of every stock of the factory list (about 3,600 series) that is one
# week behind, against the local quote site, in the two ways a user has:
#   update --catch-up               the missing days of every series from the history pages,
#                                   then the latest day from the search pages (the cron line)
#   collect --table --since-stored  each stock's period from the day after its newest row
# Prints per way the pages asked for (history pages and search pages), the wall time, the
# client's CPU time and the pages per second. A week is one 50-day window: one history page
# per stock. Over loopback the local quote site's own work sets the pace; off this machine the
# pages are "アクセス間隔ミリ秒" apart (500 ms by default), about half an hour for 3,600 pages.
#
#   bench/catch_up_week.sh [BUILD_FOLDER] [ROWS]
#
# Defaults: build, 1000 rows per series. Everything lives in a temporary folder removed at the end.
set -eu

build=${1:-build}
rows=${2:-1000}
bin=$build/src/cli/karigane
site=$build/quote_site/karigane-quote-site
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_common.sh"
for b in "$bin" "$site"; do
  [ -x "$b" ] || { echo "catch_up_week: no $b (build first)" >&2; exit 2; }
done

bench_work "${TMPDIR:-/tmp}"

iconv -f CP932 -t UTF-8 "$here/../data/meigara_list_org.csv" | tail -n +2 | cut -d, -f1 >"$work/codes"
stocks=$(wc -l <"$work/codes")
newest=$("$here/make_price_database.sh" "$work/db" "$stocks" "$rows" "$work/codes")
mv "$work/db/kabuka" "$work/original"

# A week after the newest row, after the close, on a weekday.
now=$(date -d "$newest + 7 days" +%Y-%m-%d)
while [ "$(date -d "$now" +%u)" -gt 5 ]; do now=$(date -d "$now + 1 day" +%Y-%m-%d); done
now=${now}T18:00
bench_site "$site" "$now"

# A fresh program folder on a copy of the database.
prepare() {
  rm -rf "$work/db"
  mkdir -p "$work/db"
  cp -r "$work/original" "$work/db/kabuka"
  bench_settings "$work/db"
  cp "$here/../data/meigara_list_org.csv" "$work/db/meigara_list.csv"
  { echo "$stocks"; cat "$work/codes"; } | sed 's/$/\r/' >"$work/db/download_code.csv"
  curl -s "$url/_control/reset" >/dev/null
  sync
}

measure() {
  label=$1
  shift
  KARIGANE_NOW=$now /usr/bin/time -f '%e %U %S' -o "$work/time" \
    "$bin" --dir "$work/db" "$@" >/dev/null 2>"$work/err" || {
    echo "catch_up_week: $label ended with status $?" >&2
    tail -n 5 "$work/err" >&2
  }
  read -r seconds user sys <"$work/time"
  curl -s "$url/_control/requests" >"$work/requests"
  history=$(grep -c '^/history/' "$work/requests" || true)
  search=$(grep -c '^/search/' "$work/requests" || true)
  printf '%-32s %8d %8d %9.2f %9.2f %8.0f\n' "$label" "$history" "$search" "$seconds" \
    "$(calc "$user + $sys")" "$(calc "($history + $search) / $seconds")"
}

printf '%s series of %s rows, stored up to %s, caught up at %s\n' "$stocks" "$rows" "$newest" "$now"
printf '%-32s %8s %8s %9s %9s %8s\n' way history search seconds "CPU s" pages/s
prepare
measure "update --catch-up" update --catch-up
tail -n 2 "$work/db/kabuka/data_m/7203.csv" | tr -d '\r' | sed 's/^/  7203: /'
prepare
measure "collect --table --since-stored" collect --table --from 1990/01/01 --since-stored
tail -n 2 "$work/db/kabuka/data_m/7203.csv" | tr -d '\r' | sed 's/^/  7203: /'
