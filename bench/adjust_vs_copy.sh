#!/bin/sh
# The adjusted-price run (karigane adjust) over a generated database, against copying the same
# tree with cp -r. One stock in three has two splits (its rows before them are scaled); the
# others are copied as they are.
#
#   bench/adjust_vs_copy.sh [--in FOLDER] [--build DIR] [--stocks N] [--rows N] [--runs N]
#
# --in: where the database and the copies live: a tmpfs (/dev/shm) measures the run's own work,
# a folder on disk adds what creating and flushing files costs there (default: $TMPDIR, else
# /tmp). --build: the build folder (default build, from scripts/setup release). 3600 stocks of
# 5000 rows (about 600 MB) and 3 runs by default. Every run writes into new folders (the
# adjusted folder is moved per run through the settings file); the two sides take turns going
# first. Prints wall and CPU seconds (user + system) of each side per run, their ranges, the
# median of the runs' wall ratios and the ratio of the best times (the target is at most 2),
# and on disk also the ratio against cp -r followed by sync, which writes the copy to the disk
# as the run writes every file.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_common.sh"

folder=${TMPDIR:-/tmp} build=build stocks=3600 rows=5000 runs=3
while [ $# -gt 0 ]; do
  case $1 in
    --in) folder=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --stocks) stocks=$2; shift 2 ;;
    --rows) rows=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) echo "usage: $0 [--in FOLDER] [--build DIR] [--stocks N] [--rows N] [--runs N]" >&2; exit 2 ;;
  esac
done
bin=$(cd "$build" && pwd)/src/cli/karigane
[ -x "$bin" ] || { echo "adjust_vs_copy: no $bin (scripts/setup release first)" >&2; exit 2; }

bench_work "$folder"
fs=$(bench_fs "$work")
db=$work/db
"$here/make_price_database.sh" "$db" "$stocks" "$rows" >/dev/null

i=0
while [ "$i" -lt "$runs" ]; do
  i=$((i + 1))
  printf '修正株価データベースフォルダパス,adjusted%d\\\r\nEOF,EOF\r\n' "$i" >"$db/settei.txt"
  sync
  copy_side() { copy_round "$db/kabuka" "$work/copy$i"; }
  adjust_side() {
    set -- $(timed "$bin" --dir "$db" adjust)
    adjust=$1 adjust_cpu=$2 adjust_kb=$3
    sync
  }
  if [ $((i % 2)) = 1 ]; then copy_side; adjust_side; else adjust_side; copy_side; fi
  record_round "$i" adjust "$adjust" "$adjust_cpu" "$adjust_kb"
  # A tmpfs holds everything in memory: the runs' folders go once measured.
  [ "$fs" = tmpfs ] && rm -rf "$db/adjusted$i" "$work/copy$i"
done

size=$(du -sh "$db/kabuka" | cut -f1)
printf '%s stocks x %s rows (%s) on %s, %s runs:\n' "$stocks" "$rows" "$size" "$fs" "$runs"
printf '  wall: cp -r %.2f-%.2f s, adjust %.2f-%.2f s; ratio per run %.2f-%.2f, median %.2f,\n' \
  "$copy_min" "$copy_max" "$adjust_min" "$adjust_max" "$ratio_min" "$ratio_max" "$(median $ratios)"
printf '        best/best %.2f (target <= 2)\n' "$(calc "$adjust_min / $copy_min")"
# cp -r leaves its copy in the page cache; with the sync that writes it to the disk (as the run
# does each file before its rename), on disk:
[ "$fs" = tmpfs ] ||
  printf '  against cp -r and then sync: ratio per run median %.2f\n' "$(median $synced_ratios)"
printf '  cpu:  cp -r %.2f s, adjust %.2f s (best of each), ratio %.2f\n' \
  "$copy_cpu_min" "$adjust_cpu_min" "$(calc "$adjust_cpu_min / $copy_cpu_min")"
