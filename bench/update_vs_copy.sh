#!/bin/sh
# The update run (karigane update) over a database of every stock of the factory list, against
# copying the same tree with cp -r, which is the floor that rewriting every file cannot beat.
# The local quote site serves the latest day (the first weekday after the database's newest
# row), so every run appends a row to every file, each file replaced atomically and flushed.
#
#   bench/update_vs_copy.sh [--in FOLDER] [--build DIR] [--rows N] [--runs N]
#
# --in: where the database and the copies live: a tmpfs (/dev/shm) measures the run's own work,
# a folder on disk adds what creating and flushing files costs there (default: $TMPDIR, else
# /tmp). --build: the build folder (default build, from scripts/setup release). 5000 rows and 3
# runs by default. Every run works in new folders: the update on a fresh copy of the database,
# cp -r into a new folder; the two sides take turns going first. Prints wall and CPU seconds
# (user + system) of each side per run, their ranges, the median of the runs' wall ratios and
# the ratio of the best times (the target is at most 2), and on disk also the ratio against
# cp -r followed by sync, which writes the copy to the disk as the run writes every file.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_common.sh"

folder=${TMPDIR:-/tmp} build=build rows=5000 runs=3
while [ $# -gt 0 ]; do
  case $1 in
    --in) folder=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --rows) rows=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) echo "usage: $0 [--in FOLDER] [--build DIR] [--rows N] [--runs N]" >&2; exit 2 ;;
  esac
done
bin=$(cd "$build" && pwd)/src/cli/karigane
site=$(cd "$build" && pwd)/quote_site/karigane-quote-site
for b in "$bin" "$site"; do
  [ -x "$b" ] || { echo "update_vs_copy: no $b (scripts/setup release first)" >&2; exit 2; }
done

bench_work "$folder"
fs=$(bench_fs "$work")
# The stocks of the factory list (indexes included), one code a line.
iconv -f CP932 -t UTF-8 "$here/../data/meigara_list_org.csv" | tail -n +2 | cut -d, -f1 >"$work/codes"
stocks=$(wc -l <"$work/codes")
newest=$("$here/make_price_database.sh" "$work/db" "$stocks" "$rows" "$work/codes")
original=$work/db/kabuka

latest=$(date -d "$newest + 1 day" +%Y-%m-%d)
while [ "$(date -d "$latest" +%u)" -gt 5 ]; do latest=$(date -d "$latest + 1 day" +%Y-%m-%d); done
bench_site "$site" "${latest}T17:00"

i=0
while [ "$i" -lt "$runs" ]; do
  i=$((i + 1))
  db=$work/run$i
  mkdir -p "$db"
  cp -r "$original" "$db/kabuka"
  bench_settings "$db"
  cp "$here/../data/meigara_list_org.csv" "$db/meigara_list.csv"
  sync
  copy_side() { copy_round "$original" "$work/copy$i"; }
  update_side() {
    set -- $(KARIGANE_NOW="${latest}T17:00" timed "$bin" --dir "$db" update)
    update=$1 update_cpu=$2 update_kb=$3
    sync
  }
  if [ $((i % 2)) = 1 ]; then copy_side; update_side; else update_side; copy_side; fi
  record_round "$i" update "$update" "$update_cpu" "$update_kb"
  [ "$i" = 1 ] && tail -n 1 "$db/kabuka/data_m/7203.csv" | tr -d '\r' | sed 's/^/  7203 now ends with /'
  # A tmpfs holds everything in memory: the runs' folders go once measured.
  [ "$fs" = tmpfs ] && rm -rf "$db" "$work/copy$i"
done

size=$(du -sh "$original" | cut -f1)
printf '%s stocks x %s rows (%s) on %s, %s runs:\n' "$stocks" "$rows" "$size" "$fs" "$runs"
printf '  wall: cp -r %.2f-%.2f s, update %.2f-%.2f s; ratio per run %.2f-%.2f, median %.2f,\n' \
  "$copy_min" "$copy_max" "$update_min" "$update_max" "$ratio_min" "$ratio_max" "$(median $ratios)"
printf '        best/best %.2f (target <= 2)\n' "$(calc "$update_min / $copy_min")"
# cp -r leaves its copy in the page cache; with the sync that writes it to the disk (as the run
# does each file before its rename), on disk:
[ "$fs" = tmpfs ] ||
  printf '  against cp -r and then sync: ratio per run median %.2f\n' "$(median $synced_ratios)"
printf '  cpu:  cp -r %.2f s, update %.2f s (best of each), ratio %.2f\n' \
  "$copy_cpu_min" "$update_cpu_min" "$(calc "$update_cpu_min / $copy_cpu_min")"
