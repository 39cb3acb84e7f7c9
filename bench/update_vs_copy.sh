#!/bin/sh
# The update run (karigane update) over a database of every stock of the factory list, against
# copying the same tree with cp -r, which is the floor that rewriting every file cannot beat.
# The local quote site serves the latest day (the day after the database's newest row).
# Prints both times (best of RUNS) and their ratio; the target is at most 3.
#
#   bench/update_vs_copy.sh [BUILD_FOLDER] [ROWS] [RUNS]
#
# Defaults: build, 5000 rows, 3 runs. The database lives in a temporary folder removed at the end.
set -eu

build=${1:-build}
rows=${2:-5000}
runs=${3:-3}
bin=$build/src/cli/karigane
site=$build/quote_site/karigane-quote-site
here=$(cd "$(dirname "$0")" && pwd)
for b in "$bin" "$site"; do
  [ -x "$b" ] || { echo "update_vs_copy: no $b (build first)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/karigane-bench-XXXXXX")
site_pid=
trap '[ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null; rm -rf "$work"' EXIT INT TERM

# The stocks of the factory list (indexes included), one code a line.
iconv -f CP932 -t UTF-8 "$here/../data/meigara_list_org.csv" | tail -n +2 | cut -d, -f1 >"$work/codes"
stocks=$(wc -l <"$work/codes")
db=$work/db
newest=$("$here/make_price_database.sh" "$db" "$stocks" "$rows" "$work/codes")
mv "$db/kabuka" "$work/original"

# The latest day is the first weekday after the newest row, at 17:00.
latest=$(date -d "$newest + 1 day" +%Y-%m-%d)
while [ "$(date -d "$latest" +%u)" -gt 5 ]; do latest=$(date -d "$latest + 1 day" +%Y-%m-%d); done
"$site" --port 0 --now "${latest}T17:00" >"$work/site.log" 2>&1 &
site_pid=$!
port=
for _ in $(seq 1 100); do
  port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/site.log" | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "update_vs_copy: the quote site did not start" >&2; exit 1; }
url=http://127.0.0.1:$port
printf '株価サイトURL,%s\r\n指標サイトURL,%s\r\nEOF,EOF\r\n' "$url" "$url" >"$db/settei.txt"
cp "$here/../data/meigara_list_org.csv" "$db/meigara_list.csv"

timed() {
  /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null
  read -r wall user sys <"$work/time"
  echo "$wall $(echo "$user + $sys" | bc -l)"
}
min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc -l)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

best_copy= best_update=
i=0
while [ "$i" -lt "$runs" ]; do
  i=$((i + 1))
  rm -rf "$db/kabuka" "$work/copy"
  cp -r "$work/original" "$db/kabuka"
  sync
  set -- $(timed cp -r "$db/kabuka" "$work/copy")
  copy=$1
  rm -rf "$work/copy"
  sync
  set -- $(KARIGANE_NOW="${latest}T17:00" timed "$bin" --dir "$db" update)
  update=$1
  printf 'run %d: cp -r %.2f s, update %.2f s\n' "$i" "$copy" "$update"
  best_copy=$(min "$best_copy" "$copy")
  best_update=$(min "$best_update" "$update")
done
tail -n 1 "$db/kabuka/data_m/7203.csv" | tr -d '\r' | sed 's/^/  7203 now ends with /'

size=$(du -sh "$work/original/data_m" | cut -f1)
printf '%s stocks x %s rows (%s), best of %s:\n' "$stocks" "$rows" "$size" "$runs"
printf '  wall: cp -r %.2f s, update %.2f s, ratio %.2f (target <= 3)\n' \
  "$best_copy" "$best_update" "$(echo "$best_update / $best_copy" | bc -l)"
