#!/usr/bin/env bash
# The installed layout, not only the build tree: unpacks the Debian package into a temporary
# root (dpkg -x) and installs the same build with `cmake --install --prefix` chosen only at
# install time, then runs the installed programs from there: --version, the local quote site on
# its installed data set, init and a one-stock collection against it, the desktop entry's path,
# the man pages in both languages, the English message catalogue, the copyright file, the
# desktop entry's validity and the package's declared dependencies.
# Usage: tests/package/installed_layout_test.sh PACKAGE.deb BUILD_DIR
set -euo pipefail
deb=$1
build=$2
work=$(mktemp -d)
site_pid=""
cleanup() {
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "installed layout: $*" >&2; exit 1; }

# Runs the installed programs below PREFIX: the site on its own data set, init, a collection.
# TARGET is the prefix the files were made for (the package's /usr is unpacked elsewhere here).
check_installed() {
  local prefix=$1 label=$2 target=$3
  "$prefix/bin/karigane" --version | grep -q "^karigane [0-9]" || fail "$label: karigane --version"
  "$prefix/bin/karigane-quote-site" --version | grep -q "^karigane-quote-site [0-9]" ||
    fail "$label: karigane-quote-site --version"
  local log="$work/$label-site.log"
  "$prefix/bin/karigane-quote-site" --port 0 --now 2013-02-20T16:00 >"$log" 2>&1 &
  site_pid=$!
  local port=""
  for _ in $(seq 1 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log" | head -n 1)
    [ -n "$port" ] && break
    sleep 0.1
  done
  [ -n "$port" ] || { cat "$log" >&2; fail "$label: the installed quote site did not start"; }
  # The data set is the installed one, found next to the program, not the source tree's.
  grep -q "^data set: $prefix/share/karigane/$" "$log" || { cat "$log" >&2; fail "$label: data set"; }
  local dir="$work/$label-kabu"
  "$prefix/bin/karigane" --dir "$dir" init --site "http://127.0.0.1:$port" >/dev/null ||
    fail "$label: init"
  KARIGANE_NOW=2013-02-20T16:00 "$prefix/bin/karigane" --dir "$dir" collect --code 7203 \
    --from 2013/01/04 --to 2013/01/10 >"$work/$label-collect.out" ||
    fail "$label: collect ended with $?"
  grep -q "収集処理を完了しました。" "$work/$label-collect.out" || fail "$label: no completion"
  head -c 5 "$dir/kabuka/data_m/7203.csv" | grep -q "^7203," || fail "$label: no price file"
  kill "$site_pid"
  wait "$site_pid" 2>/dev/null || true
  site_pid=""
  local entry="$prefix/share/applications/karigane.desktop"
  grep -qxF "TryExec=$target/bin/karigane" "$entry" && grep '^Exec=' "$entry" | grep -qF "$target/bin/karigane" ||
    { grep Exec "$entry" >&2; fail "$label: desktop entry"; }
  desktop-file-validate "$entry" || fail "$label: desktop-file-validate $entry"
  # Japanese by default (man1, ja/man1), English for an English locale (en/man1).
  for dir in man1 ja/man1 en/man1; do
    for page in karigane karigane-quote-site; do
      [ -s "$prefix/share/man/$dir/$page.1.gz" ] || fail "$label: man page $dir/$page"
    done
  done
  zcat "$prefix/share/man/man1/karigane.1.gz" | grep -q '^\.SH 名前' || fail "$label: man1 is not Japanese"
  zcat "$prefix/share/man/en/man1/karigane.1.gz" | grep -q '^\.SH NAME' || fail "$label: en/man1 is not English"
  # The quote site's Japanese page is written by hand: it names every option of its --help.
  local ja_page
  ja_page=$(zcat "$prefix/share/man/ja/man1/karigane-quote-site.1.gz" | sed 's/\\-/-/g')
  for option in $("$prefix/bin/karigane-quote-site" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "$option" <<<"$ja_page" || fail "$label: the Japanese quote site page lacks $option"
  done
  [ -s "$prefix/share/karigane/readme.txt" ] || fail "$label: usage text"
  [ -s "$prefix/share/doc/karigane/copyright" ] || fail "$label: copyright file"
  [ -s "$prefix/share/locale/en/LC_MESSAGES/karigane.mo" ] || fail "$label: English catalogue"
  # English where the locale asks for it, Japanese elsewhere, with or without that locale.
  LC_ALL= LC_MESSAGES= LANG=en_US.UTF-8 "$prefix/bin/karigane" --help | head -n 1 |
    grep -q "^Usage: karigane" || fail "$label: English --help"
  LC_ALL=C.UTF-8 "$prefix/bin/karigane" --help | head -n 1 | grep -q "^使用法: karigane" ||
    fail "$label: Japanese --help"
}

dpkg -x "$deb" "$work/root"
check_installed "$work/root/usr" package /usr
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6svg6 libcurl libgumbo fonts-noto-cjk xdg-utils; do
  [[ "$depends" == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
done

cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_installed "$work/prefix" prefix "$work/prefix"
echo "installed layout: the package and cmake --install --prefix both run from where they are installed"
