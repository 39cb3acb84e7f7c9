#!/bin/sh
# History pages to rows: our page path (decode, legacy form, the history page extractor:
# bench/history_rows.cpp) against python3-lxml (bench/history_rows_lxml.py) on the same saved
# pages, measured in the same run. The pages are the local quote site's 50-row history pages
# (2012-11-30 to 2013-02-19) of the first PAGES stocks of the 2012 listing, saved once with
# curl; both sides must read the same rows from them (the script fails otherwise). Each side
# reads every page PASSES times in one process and reports the time of that loop alone; the
# sides take turns going first. This is done with the pages on a tmpfs and on disk. Prints each
# round's seconds and lxml / ours, the median of the rounds' ratios and the ratio of the best
# times (the target is at least 10). With --peer, another history_rows (built before a change)
# is measured in the same rounds on the same pages and must read the same rows.
#
#   bench/history_vs_lxml.sh [--build DIR] [--pages N] [--passes N] [--runs N]
#                            [--tmpfs FOLDER] [--disk FOLDER] [--peer HISTORY_ROWS]
#
# Defaults: build (scripts/setup release), 300 pages, 5 passes, 5 runs, /dev/shm and /var/tmp.
# python3-lxml is installed (apt-get) when missing.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_common.sh"

build=build pages=300 passes=5 runs=5 tmpfs=/dev/shm disk=/var/tmp peer=
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2; shift 2 ;;
    --pages) pages=$2; shift 2 ;;
    --passes) passes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --tmpfs) tmpfs=$2; shift 2 ;;
    --disk) disk=$2; shift 2 ;;
    --peer) peer=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--pages N] [--passes N] [--runs N] [--tmpfs FOLDER] [--disk FOLDER] [--peer HISTORY_ROWS]" >&2
       exit 2 ;;
  esac
done
ours=$(cd "$build" && pwd)/bench/history_rows
site=$(cd "$build" && pwd)/quote_site/karigane-quote-site
for b in "$ours" "$site" $peer; do
  [ -x "$b" ] || { echo "history_vs_lxml: no $b (scripts/setup release first)" >&2; exit 2; }
done
command -v curl >/dev/null || { echo "history_vs_lxml: curl is needed" >&2; exit 2; }
python=/usr/bin/python3
if ! "$python" -c 'import lxml.html' 2>/dev/null; then
  echo "== Installing Debian packages: python3-lxml"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends python3-lxml
fi
lxml_side="$python $here/history_rows_lxml.py"
from=20121130 to=20130219

bench_work "$tmpfs"
mkdir -p "$disk"
disk_work=$(mktemp -d "$disk/karigane-bench-XXXXXX")
trap 'bench_cleanup; rm -rf "$disk_work"' EXIT

# The pages, saved from the quote site as it serves them.
bench_site "$site" 2013-02-20T17:00
mkdir "$work/pages"
saved=0
for code in $(tail -n +2 "$here/../data/listed-stocks-2012-09-23.csv" | cut -d, -f1); do
  [ "$saved" -ge "$pages" ] && break
  f=$work/pages/$code.html
  curl -sf -o "$f" "$url/history/?code=$code&sy=2012&sm=11&sd=30&ey=2013&em=02&ed=19&tm=d"
  if grep -q '該当する期間のデータはありません' "$f"; then rm "$f"; continue; fi
  saved=$((saved + 1))
done
kill "$site_pid" && wait "$site_pid" 2>/dev/null || true
site_pid=
cp -r "$work/pages" "$disk_work/pages"
kb=$(du -sk "$work/pages" | cut -f1)

# Both sides read the same rows.
"$ours" --rows $from $to "$work"/pages/*.html >"$work/ours.rows"
$lxml_side --rows $from $to "$work"/pages/*.html >"$work/lxml.rows"
if ! cmp -s "$work/ours.rows" "$work/lxml.rows"; then
  echo "history_vs_lxml: the two sides read different rows:" >&2
  diff "$work/ours.rows" "$work/lxml.rows" | head -n 10 >&2
  exit 1
fi
if [ -n "$peer" ]; then
  "$peer" --rows $from $to "$work"/pages/*.html >"$work/peer.rows"
  cmp -s "$work/ours.rows" "$work/peer.rows" || { echo "history_vs_lxml: the peer reads other rows" >&2; exit 1; }
fi
echo "$saved pages ($kb KB), $(wc -l <"$work/ours.rows") rows, $passes passes a run"

# side NAME COMMAND...: one run of a side; sets NAME (seconds) and checks its row count.
side() {
  _name=$1
  shift
  set -- $("$@")
  [ "$1" -eq $((rows_per_pass * passes)) ] || { echo "history_vs_lxml: $_name read $1 rows" >&2; exit 1; }
  eval "$_name=$2"
}

rows_per_pass=$(grep -vc ',split,' "$work/ours.rows")
for place in "$work" "$disk_work"; do
  files=$(ls "$place"/pages/*.html)
  echo "== pages on $(bench_fs "$place") ($place)"
  unset ours_min ours_max lxml_min lxml_max peer_min peer_max
  ratios= peer_ratios=
  i=1
  while [ "$i" -le "$runs" ]; do
    if [ $((i % 2)) -eq 1 ]; then
      side ours_t "$ours" "$passes" $from $to $files
      [ -z "$peer" ] || side peer_t "$peer" "$passes" $from $to $files
      side lxml_t $lxml_side "$passes" $from $to $files
    else
      side lxml_t $lxml_side "$passes" $from $to $files
      [ -z "$peer" ] || side peer_t "$peer" "$passes" $from $to $files
      side ours_t "$ours" "$passes" $from $to $files
    fi
    r=$(calc "$lxml_t / $ours_t")
    printf 'run %d: ours %.3f s, lxml %.3f s, ratio %.2f' "$i" "$ours_t" "$lxml_t" "$r"
    range ours "$ours_t"
    range lxml "$lxml_t"
    ratios="$ratios $r"
    if [ -n "$peer" ]; then
      printf '; peer %.3f s, ratio %.2f' "$peer_t" "$(calc "$lxml_t / $peer_t")"
      range peer "$peer_t"
      peer_ratios="$peer_ratios $(calc "$lxml_t / $peer_t")"
    fi
    echo
    i=$((i + 1))
  done
  printf 'ours %.3f..%.3f s (%.0f pages/s), lxml %.3f..%.3f s: median ratio %s, best to best %s (target >= 10)\n' \
    "$ours_min" "$ours_max" "$(calc "$saved * $passes / $ours_min")" "$lxml_min" "$lxml_max" \
    "$(median $ratios)" "$(calc "$lxml_min / $ours_min")"
  if [ -n "$peer" ]; then
    printf 'peer %.3f..%.3f s: median ratio %s, best to best %s\n' "$peer_min" "$peer_max" \
      "$(median $peer_ratios)" "$(calc "$lxml_min / $peer_min")"
  fi
done
