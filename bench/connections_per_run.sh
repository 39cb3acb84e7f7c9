#!/bin/sh
# Connections per collection run: the time series of the stocks FIRST..LAST of the factory list
# over the years 2012-2013 (karigane collect --range, 15 pages a stock) against the local quote
# site, over HTTP and over HTTPS with a throwaway certificate trusted through settei.txt.
# Prints per scheme the pages, the connections the site counted (over HTTPS each one is a TLS
# handshake), the wall time and the pages per second. A run keeps its connection, so the count
# is the pages divided by the server's 100 requests per connection, rounded up.
#
#   bench/connections_per_run.sh [BUILD_FOLDER] [FIRST] [LAST]
#
# Defaults: build, 1301, 1899 (132 stocks, 1,980 pages). Everything lives in a temporary folder removed at the end.
set -eu

build=${1:-build}
first=${2:-1301}
last=${3:-1899}
bin=$build/src/cli/karigane
site=$build/quote_site/karigane-quote-site
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_common.sh"
for b in "$bin" "$site"; do
  [ -x "$b" ] || { echo "connections_per_run: no $b (build first)" >&2; exit 2; }
done

bench_work "${TMPDIR:-/tmp}"
"$here/../scripts/make-test-cert" "$work/cert" >/dev/null
now=2014-01-10T17:00

printf '%-6s %7s %12s %8s %8s\n' scheme pages connections seconds pages/s
for scheme in http https; do
  tls=
  [ "$scheme" = https ] && tls="--tls $work/cert/cert.pem $work/cert/key.pem"
  # shellcheck disable=SC2086
  bench_site "$site" "$now" $tls
  url=$scheme://${url#http://}
  dir=$work/$scheme
  mkdir -p "$dir"
  cp "$here/../data/meigara_list_org.csv" "$dir/meigara_list.csv"
  printf '株価サイトURL,%s\r\nCA証明書ファイル,%s\r\nEOF,EOF\r\n' "$url" "$work/cert/cert.pem" >"$dir/settei.txt"
  curl_ca="--cacert $work/cert/cert.pem"
  start=$(date +%s.%N)
  KARIGANE_NOW=$now "$bin" --dir "$dir" collect --range "$first" "$last" --from 2012/01/01 \
    --to 2013/12/31 >/dev/null
  seconds=$(calc "$(date +%s.%N) - $start")
  # shellcheck disable=SC2086
  pages=$(curl -s $curl_ca "$url/_control/requests" | grep -c '^/history/')
  # shellcheck disable=SC2086
  connections=$(curl -s $curl_ca "$url/_control/connections")
  printf '%-6s %7d %12d %8.2f %8.0f\n' "$scheme" "$pages" "$connections" "$seconds" \
    "$(calc "$pages / $seconds")"
  kill "$site_pid"
  wait "$site_pid" 2>/dev/null || true
  site_pid=
done
