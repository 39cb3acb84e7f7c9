#!/bin/sh
# The adjusted-price run (karigane adjust) over a generated database, against copying the same
# tree with cp -r. Prints both times (best of RUNS) and their ratio; the target is at most 3.
#
#   bench/adjust_vs_copy.sh [KARIGANE_BINARY] [STOCKS] [ROWS] [RUNS]
#
# Defaults: build/src/cli/karigane, 3600 stocks of 5000 rows, 3 runs. The database (about
# 35 bytes a row, 600 MB at the defaults) and every run's copies live in a temporary folder
# removed at the end (2 x RUNS x 600 MB); the generator writes the database once, so both
# sides read from a warm cache. TMPDIR chooses the file system: on disk both sides pay for
# creating thousands of files; on a tmpfs (TMPDIR=/dev/shm) cp -r is a bare memory copy and
# the ratio measures the run's own work.
set -eu

bin=${1:-build/src/cli/karigane}
stocks=${2:-3600}
rows=${3:-5000}
runs=${4:-3}

if [ ! -x "$bin" ]; then
  echo "adjust_vs_copy: no karigane binary at $bin" >&2
  exit 2
fi
bin=$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/karigane-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
db=$work/db
# Trading days (weekdays from 1990), prices that wander, and one stock in three with two
# splits that fall on trading days, so that the run really scales rows.
"$(dirname "$0")/make_price_database.sh" "$db" "$stocks" "$rows" >/dev/null

# Wall seconds of a command, best of the runs; the machine may be shared, so the CPU seconds
# (user + system) are printed as well.
timed() {
  /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null
  read -r wall user sys <"$work/time"
  echo "$wall $(echo "$user + $sys" | bc -l)"
}

min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc -l)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

# Every run writes into new folders and nothing is deleted until the end: creating files where
# many were just deleted costs the file system far more, and would favour whichever command
# ran first. The adjusted folder is moved per run through the settings file.
best_copy= best_adjust= cpu_copy= cpu_adjust=
i=0
while [ "$i" -lt "$runs" ]; do
  i=$((i + 1))
  printf '修正株価データベースフォルダパス,adjusted%d\\\r\nEOF,EOF\r\n' "$i" >"$db/settei.txt"
  sync
  set -- $(timed cp -r "$db/kabuka" "$work/copy$i")
  copy=$1 copy_cpu=$2
  sync
  set -- $(timed "$bin" --dir "$db" adjust)
  adjust=$1 adjust_cpu=$2
  printf 'run %d: cp -r %.2f s (cpu %.2f s), adjust %.2f s (cpu %.2f s)\n' \
    "$i" "$copy" "$copy_cpu" "$adjust" "$adjust_cpu"
  best_copy=$(min "$best_copy" "$copy")
  best_adjust=$(min "$best_adjust" "$adjust")
  cpu_copy=$(min "$cpu_copy" "$copy_cpu")
  cpu_adjust=$(min "$cpu_adjust" "$adjust_cpu")
done

size=$(du -sh "$db/kabuka/data_m" | cut -f1)
printf '%s stocks x %s rows (%s), best of %s:\n' "$stocks" "$rows" "$size" "$runs"
printf '  wall: cp -r %.2f s, adjust %.2f s, ratio %.2f (target <= 3)\n' \
  "$best_copy" "$best_adjust" "$(echo "$best_adjust / $best_copy" | bc -l)"
if [ "$(echo "$cpu_copy > 0" | bc -l)" = 1 ]; then
  printf '  cpu:  cp -r %.2f s, adjust %.2f s, ratio %.2f\n' \
    "$cpu_copy" "$cpu_adjust" "$(echo "$cpu_adjust / $cpu_copy" | bc -l)"
fi
