#!/usr/bin/env bash
# Makes the seed corpora of the fuzz harnesses from what the program really reads: the pages the
# local quote site serves to a collection (raw for the serializer, in the legacy form for the
# extractors), the data files that collection writes, and the settings and list files.
# Usage: fuzz/make_corpus.sh [BUILD_DIR]   (default build-asan; it must hold karigane,
# karigane-quote-site and karigane_legacy_page). Replaces the site-made seeds only; seeds that
# the fuzzers found (named after what they found) stay.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="${1:-build-asan}"
karigane="$root/$build/src/cli/karigane"
site="$root/$build/quote_site/karigane-quote-site"
legacy="$root/$build/fuzz/karigane_legacy_page"
corpus="$root/fuzz/corpus"
work=$(mktemp -d)
trap 'kill ${site_pid:-} 2>/dev/null || true; rm -rf "$work"' EXIT

"$site" --port 0 --now 2013-02-20T16:00 --log "$work/requests.log" >"$work/site.out" 2>&1 &
site_pid=$!
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/site.out" | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$work/site.out" >&2; exit 1; }
url="http://127.0.0.1:$port"

# Two program folders: the default page forms, and the mobile history with the old margin table.
for forms in new other; do
  dir="$work/$forms"
  mkdir -p "$dir"
  {
    for key in 株価サイトURL モバイルサイトURL 旧株価テーブルURL 企業情報サイトURL 指標サイトURL; do
      printf '%s,%s\r\n' "$key" "$url"
    done
    [ "$forms" = other ] && printf '時系列株価取得サイト,Ｍ\r\n時系列信用売買残取得サイト,旧\r\n'
    printf 'EOF,EOF\r\n'
  } >"$dir/settei.txt"
  printf '3\r\n1301\r\n1332\r\n1001\r\n' >"$dir/download_code.csv"
  KARIGANE_NOW=2013-02-20T16:00 "$karigane" --dir "$dir" collect --table --latest --margin --financial \
    --yearly --from 2013/01/01 --to 2013/02/19 >/dev/null 2>&1 || true
done

rm -f "$corpus"/serializer/site-* "$corpus"/page_extractors/site-* "$corpus"/data_files/site-* \
  "$corpus"/settings_lists/site-*
mkdir -p "$corpus"/{serializer,page_extractors,data_files,settings_lists}

# One page of every address kind the collection asked for (the path and which keys it has).
n=0
sort -u "$work/requests.log" | while read -r target; do
  kind=$(printf '%s' "$target" | sed -e 's/[?].*//' -e 's#[0-9]*$##' -e 's#[^a-z]#-#g' -e 's#-*$##' -e 's#^-*##')
  n=$((n + 1))
  name="site-${kind:-top}-$n.html"
  curl -s --noproxy '*' "$url$target" -o "$corpus/serializer/$name"
  "$legacy" <"$corpus/serializer/$name" >"$corpus/page_extractors/$name" || rm -f "$corpus/page_extractors/$name"
done
# The pages of a stock that does not exist and of an address that does not exist.
curl -s --noproxy '*' "$url/history/?code=9998" -o "$corpus/serializer/site-history-no-stock.html"
curl -s --noproxy '*' "$url/no/such/page" -o "$corpus/serializer/site-not-found.html"

# The data files the collection wrote, and the files a user writes.
find "$work/new/kabuka" "$work/other/kabuka" -type f -name '*.csv' | sort | while read -r f; do
  rel=${f#"$work"/}
  cp "$f" "$corpus/data_files/site-$(printf '%s' "$rel" | tr '/' '-')"
done
# The server's port varies from run to run; the seeds name a fixed one.
sed "s#$url#http://127.0.0.1:8080#" "$work/new/settei.txt" >"$corpus/settings_lists/site-settei.txt"
sed "s#$url#http://127.0.0.1:8080#" "$work/other/settei.txt" >"$corpus/settings_lists/site-settei-other-forms.txt"
cp "$work/new/download_code.csv" "$corpus/settings_lists/site-download_code.csv"
# The stock list the renewal wrote, cut to 20 stocks with its count set to match.
if [ -f "$work/new/meigara_list.csv" ]; then
  awk 'NR == 1 { sub(/^[0-9]+/, "20") } NR <= 21' "$work/new/meigara_list.csv" \
    >"$corpus/settings_lists/site-meigara_list.csv"
fi
for h in serializer page_extractors data_files settings_lists; do
  echo "$h: $(ls "$corpus/$h" | wc -l) seeds, $(du -sk "$corpus/$h" | cut -f1) KB"
done
