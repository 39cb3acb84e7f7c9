#!/bin/sh
# Writes a database of price files (kabuka/data_m) and split lists (kabuka/data_mh) for the
# benchmarks: STOCKS files of ROWS trading days each (weekdays from 1 January of FIRST_YEAR,
# 1990 by default), prices that wander, and one stock in three with two splits that fall on
# trading days. Prints the date of the newest row.
#
#   bench/make_price_database.sh FOLDER STOCKS ROWS [CODES_FILE] [FIRST_YEAR]
#
# The codes are 1301, 1302, ... or, with CODES_FILE (one code a line; "" for none), the codes of
# that file.
set -eu
folder=$1
stocks=$2
rows=$3
codes=${4:-}
first_year=${5:-1990}
mkdir -p "$folder/kabuka/data_m" "$folder/kabuka/data_mh"
LC_ALL=C awk -v stocks="$stocks" -v rows="$rows" -v dir="$folder/kabuka" -v codes="$codes" \
  -v first_year="$first_year" '
function days_in(y, m) {
  if (m == 2) return (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? 29 : 28
  return (m == 4 || m == 6 || m == 9 || m == 11) ? 30 : 31
}
BEGIN {
  # The weekday of 1 January (0 Sunday) in the Gregorian calendar.
  y = first_year - 1
  dow = (y + int(y / 4) - int(y / 100) + int(y / 400) + 1) % 7
  y = first_year; m = 1; d = 1
  n = 0
  while (n < rows) {
    if (dow != 0 && dow != 6) date[++n] = sprintf("%04d%02d%02d", y, m, d)
    dow = (dow + 1) % 7
    if (++d > days_in(y, m)) { d = 1; if (++m > 12) { m = 1; ++y } }
  }
  listed = 0
  if (codes != "") while ((getline line < codes) > 0) code_of[++listed] = line
  market = "\223\214\217\330" "1\225\224"   # 東証1部 in CP932
  name = "\213\311\227m"                    # 極洋
  for (s = 0; s < stocks; ++s) {
    code = listed > 0 ? code_of[s % listed + 1] : 1301 + s
    if (listed > 0 && s >= listed) break
    f = dir "/data_m/" code ".csv"
    printf "%d,%s,%s,%s,%s,%d\r\n", code, market, name, date[1], date[rows], rows > f
    p = 500 + (s * 37) % 3000
    for (i = 1; i <= rows; ++i) {
      p += ((i * 7 + s) % 11) - 5
      if (p < 50) p = 50
      printf "%s,%d,%d,%d,%d,%d\r\n", date[i], p, p + 9, p - 8, p + 3, 1000 + (i * 13 + s) % 90000 > f
    }
    close(f)
    if (s % 3 == 0 && rows >= 10) {
      g = dir "/data_mh/" code ".csv"
      printf "%d,%s,2\r\n%s,1,2\r\n%s,1,100\r\n", code, name, date[int(rows / 3)], date[int(rows * 2 / 3)] > g
      close(g)
    }
  }
  print date[rows]
}'
