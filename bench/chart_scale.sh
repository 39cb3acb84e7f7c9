#!/bin/sh
# The chart's picture (karigane chart --out) of one stock of 20,000 and of 200,000 daily rows,
# with two splits and weekly margin balances: wall and CPU seconds and peak memory of each
# picture, and how much each grows from the short series to the long one (linear growth is
# 10x the rows; the fixed cost of starting Qt keeps it well below that). The targets: a
# 20,000-row daily chart well under a second and under 200 MB.
#
#   bench/chart_scale.sh [--in FOLDER] [--build DIR] [--runs N]
#
# --in: where the generated files live (default: $TMPDIR, else /tmp); --build: the build folder
# (default build, from scripts/setup release); --runs: pictures of each kind (default 3, the
# best is printed).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_common.sh"

folder=${TMPDIR:-/tmp} build=build runs=3
while [ $# -gt 0 ]; do
  case $1 in
    --in) folder=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) echo "usage: $0 [--in FOLDER] [--build DIR] [--runs N]" >&2; exit 2 ;;
  esac
done
bin=$(cd "$build" && pwd)/src/cli/karigane
[ -x "$bin" ] || { echo "chart_scale: no $bin (scripts/setup release first)" >&2; exit 2; }

bench_work "$folder"
for rows in 20000 200000; do
  db=$work/db$rows
  "$here/make_price_database.sh" "$db" 1 "$rows" >/dev/null
  # A margin balance every fifth trading day (a week), from the price file's days.
  mkdir -p "$db/kabuka/data_c"
  LC_ALL=C awk -F, 'NR > 1 && NR % 5 == 1 { n++; line[n] = sprintf("%s,%d,%d,0.5", $1, 500 + NR % 97, 900 + NR % 131) }
    END { printf "1301,M,N,%d\r\n", n; for (i = 1; i <= n; ++i) printf "%s\r\n", line[i] }' \
    "$db/kabuka/data_m/1301.csv" >"$db/kabuka/data_c/1301.csv"
done

# best ARGS...: the picture made --runs times; prints the best wall seconds, their CPU seconds
# and the highest peak memory (KB).
best() {
  _best= _cpu= _kb=0 _i=0
  while [ "$_i" -lt "$runs" ]; do
    _i=$((_i + 1))
    read -r _w _c _k <<EOF
$(timed "$bin" "$@")
EOF
    if [ -z "$_best" ] || [ "$(calc "$_w < $_best")" = 1.00 ]; then _best=$_w _cpu=$_c; fi
    [ "$_k" -gt "$_kb" ] && _kb=$_k
  done
  echo "$_best $_cpu $_kb"
}

echo "chart --out on $(nproc) cores, best of $runs; wall s, CPU s, peak MB"
printf '%-28s %10s %10s %10s %10s %10s %10s %8s %8s\n' picture "20k wall" "20k CPU" "20k MB" \
  "200k wall" "200k CPU" "200k MB" "x wall" "x MB"
for kind in "daily" "daily --adjusted" "weekly" "daily, SVG"; do
  case $kind in
    daily) opts="" ext=png ;;
    "daily --adjusted") opts="--adjusted" ext=png ;;
    weekly) opts="--weekly" ext=png ;;
    "daily, SVG") opts="" ext=svg ;;
  esac
  # shellcheck disable=SC2086
  set -- $(best --dir "$work/db20000" chart 1301 $opts --out "$work/c.$ext") \
    $(best --dir "$work/db200000" chart 1301 $opts --out "$work/c.$ext")
  printf '%-28s %10s %10s %10d %10s %10s %10d %8s %8s\n' "$kind" "$1" "$2" $(($3 / 1024)) \
    "$4" "$5" $(($6 / 1024)) "$(calc "$4 / $1")" "$(calc "$6 / $3")"
done
