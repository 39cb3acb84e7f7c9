#!/bin/sh
# The whole market's daily prices from the local quote site's J-Quants API, asked for in the two
# ways the J-Quants source knows: day by day (one query a business day for every stock) and stock
# by stock (one query a stock over the whole period). The source chooses the one with fewer
# queries by itself; KARIGANE_JQUANTS_WALK imposes each in turn here. Prints per way the queries
# (pages included), the rows written, the wall time, the client's CPU time per row and its peak
# memory. The plan's pace is off on both sides (KARIGANE_JQUANTS_MINUTE=0,
# --jquants-rate-window 0): on the real service the queries set the time (Premium: 500 a minute).
#
#   bench/jquants_by_date_vs_by_code.sh [BUILD_FOLDER] [YEARS] [WALKS]
#
# Defaults: build, 1 year (the data set's year 2025), "date code". With YEARS 20 and WALKS
# "date", the day-by-day walk over twenty years shows that its memory stays bounded (the rows are
# stored every million). Everything lives in a temporary folder removed at the end.
set -eu

build=${1:-build}
years=${2:-1}
walks=${3:-date code}
bin=$build/src/cli/karigane
site=$build/quote_site/karigane-quote-site
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_common.sh"
for b in "$bin" "$site"; do
  [ -x "$b" ] || { echo "jquants_by_date_vs_by_code: no $b (build first)" >&2; exit 2; }
done

bench_work "${TMPDIR:-/tmp}"
now=2026-01-10T18:00
bench_site "$site" "$now" --jquants-key bench-key --plan Premium --jquants-rate-window 0
from=$((2026 - years))/01/01
to=2025/12/31

printf 'the whole market (the factory list, codes 1300 to 9999), %s to %s, Premium\n' "$from" "$to"
printf '%-12s %9s %10s %9s %9s %12s %9s\n' walk queries rows seconds "CPU s" "CPU us/row" "peak MB"
for walk in $walks; do
  rm -rf "$work/db"
  mkdir -p "$work/db"
  bench_settings "$work/db" "データ取得元,J-Quants" "J-QuantsURL,$url" "J-QuantsAPIキー,bench-key" \
    "J-Quantsプラン,Premium"
  cp "$here/../data/meigara_list_org.csv" "$work/db/meigara_list.csv"
  curl -s "$url/_control/reset" >/dev/null
  set -- $(timed env KARIGANE_NOW=$now KARIGANE_JQUANTS_MINUTE=0 KARIGANE_JQUANTS_WALK=$walk \
    "$bin" --dir "$work/db" --quiet collect --range 1300 9999 --from "$from" --to "$to")
  wall=$1 cpu=$2 peak_kb=$3
  queries=$(curl -s "$url/_control/requests" | grep -c '^/v2/equities/bars/daily' || true)
  rows=$(for f in "$work/db/kabuka/data_m/"*.csv; do head -n 1 "$f" | cut -d, -f6; done |
    awk '{ n += $1 } END { print n + 0 }')
  printf '%-12s %9d %10d %9.2f %9.2f %12.2f %9.1f\n' "by $walk" "$queries" "$rows" "$wall" "$cpu" \
    "$(calc "$cpu * 1000000 / $rows")" "$(calc "$peak_kb / 1024")"
done
