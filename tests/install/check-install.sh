#!/usr/bin/env bash
# Installs the build into a scratch prefix (DESTDIR staging, prefix /opt/kelvaspec) and checks
# what lands where, that the installed batch runner solves an installed example with the
# installed database, and that the installed desktop program's first start fills a fresh
# working directory from the installed data.
set -euo pipefail
build=$1
tmp=$(mktemp -d)
gui=""
cleanup() {
  [ -n "$gui" ] && kill "$gui" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$tmp/stage" cmake --install "$build" --prefix /opt/kelvaspec >/dev/null
root="$tmp/stage/opt/kelvaspec"
for f in bin/kelvaspec bin/kelvaspec-run share/kelvaspec/default.DBS \
  share/kelvaspec/examples/water.DAT share/kelvaspec/examples/soil.DAT \
  share/kelvaspec/examples/sweep.DAT share/kelvaspec/examples/multi.DAT \
  share/applications/kelvaspec.desktop share/icons/hicolor/scalable/apps/kelvaspec.svg \
  share/mime/packages/kelvaspec.xml share/doc/kelvaspec/README.md share/doc/kelvaspec/LICENSE; do
  [ -f "$root/$f" ] || fail "$f was not installed"
done
desktop="$root/share/applications/kelvaspec.desktop"
grep -qx 'Exec=kelvaspec %f' "$desktop" || fail "the desktop entry does not open a file with kelvaspec"
grep -qx 'Icon=kelvaspec' "$desktop" || fail "the desktop entry names no icon"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi

# The batch runner finds the database that the example names ("../default.DBS") beside it.
"$root/bin/kelvaspec-run" "$root/share/kelvaspec/examples/water.DAT" --out "$tmp/water.OUT" --quiet \
  || fail "the installed batch runner could not solve the installed water example"
grep -q '"RESULTS Prob. no. ",1' "$tmp/water.OUT" || fail "no result block in water.OUT"

# First start of the installed program with a fresh home: the working directory is made and
# filled from the installed data (the marker example exists nowhere else), a file the user
# has there is kept.
echo marker >"$root/share/kelvaspec/examples/zzmarker.DAT"
chmod 444 "$root/share/kelvaspec/default.DBS" # as in a read-only install
mkdir -p "$tmp/home/kelvaspec"
echo mine >"$tmp/home/kelvaspec/soil.DAT"
HOME="$tmp/home" QT_QPA_PLATFORM=offscreen "$root/bin/kelvaspec" >/dev/null 2>&1 &
gui=$!
work="$tmp/home/kelvaspec"
for _ in $(seq 1 150); do
  [ -f "$work/zzmarker.DAT" ] && break
  sleep 0.1
done
kill "$gui" 2>/dev/null || true
wait "$gui" 2>/dev/null || true
gui=""
for f in default.DBS water.DAT sweep.DAT multi.DAT zzmarker.DAT; do
  [ -f "$work/$f" ] || fail "the first start did not copy $f into the working directory"
done
[ "$(cat "$work/soil.DAT")" = mine ] || fail "the first start overwrote the user's soil.DAT"
cmp -s "$root/share/kelvaspec/default.DBS" "$work/default.DBS" || fail "default.DBS differs from the installed one"
[ $((0$(stat -c %a "$work/default.DBS") & 0200)) -ne 0 ] || fail "the copied database is not the user's to change"
echo "install layout: all checks passed"
