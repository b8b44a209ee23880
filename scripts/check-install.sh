#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a user gets: the
# programs, a manual page for each that renders without warnings, the X
# resources file, the desktop entry and the demo database, which the
# installed kadmer-dump reads.
#
#   bash scripts/check-install.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: check-install.sh BUILD_DIR}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "check-install: $*" >&2; exit 1; }

tools=(kadmer kadmer-dump kadmer-scan kadmer-import kadmer-plot kadmer-gen)
for t in "${tools[@]}"; do
  [ -x "$prefix/bin/$t" ] || fail "no bin/$t"
  page="$prefix/share/man/man1/$t.1"
  [ -f "$page" ] || fail "no manual page $t.1"
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man can not render $t.1"
  [ -z "$warnings" ] || fail "$t.1: $warnings"
  MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^NAME" || fail "$t.1 renders no NAME"
done
for f in share/X11/app-defaults/Kadmer share/applications/kadmer.desktop share/kadmer/sample/.kadmer \
         share/kadmer/sample/general/companys share/kadmer/sample/days/s261204; do
  [ -f "$prefix/$f" ] || fail "no $f"
done
grep -q '^!Kadmer.background: black$' "$prefix/share/X11/app-defaults/Kadmer" || fail "Kadmer lists no background"

# The installed binaries run: kadmer's usage on a bad option, the tools'
# help (and none of them asks for the X library itself: Debian's cairo,
# under kadmer-plot's PNG and PDF, brings it along, but no display is
# needed), kadmer-dump and kadmer-plot on the installed demo database.
status=0
"$prefix/bin/kadmer" -no-such-option 2>"$prefix/usage" || status=$?
[ "$status" -eq 1 ] && grep -q '^kadmer: \[-d name\] display' "$prefix/usage" || fail "kadmer's usage (status $status)"
for t in kadmer-dump kadmer-scan kadmer-import kadmer-plot; do
  "$prefix/bin/$t" --help | grep -q "^usage: $t" || fail "$t --help"
  ! readelf -d "$prefix/bin/$t" | grep NEEDED | grep -q libX11 || fail "$t links the X library"
done
rows=$(cd "$prefix/share/kadmer/sample" && "$prefix/bin/kadmer-dump" AN | wc -l)
[ "$rows" -gt 100 ] || fail "kadmer-dump read $rows lines from the installed demo database"
(cd "$prefix/share/kadmer/sample" && "$prefix/bin/kadmer-plot" --symbol AN) | tail -n 1 | grep -q '^</svg>$' ||
  fail "kadmer-plot drew no picture of the installed demo database"
echo "check-install: ${#tools[@]} programs, their manual pages, Kadmer, the desktop entry and the demo database"
