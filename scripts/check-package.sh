#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks it as a user's machine would
# see it: its files, the menu entry and metadata validated, lintian without errors, and
# the programs installed into a throw-away root answering without a display.
set -euo pipefail
build="${1:-build}"
src="$(cd "$(dirname "$0")/.." && pwd)"
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/minamo_*_amd64.deb | head -n1)"
failed=0
check() { # what, then the command
  local what="$1"; shift
  if "$@" >/tmp/check-package.$$ 2>&1; then echo "ok: $what"; else
    echo "FAILED: $what"; cat /tmp/check-package.$$; failed=$((failed + 1)); fi
  rm -f /tmp/check-package.$$
}
files="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for f in usr/bin/527 usr/bin/minamo usr/bin/minamo-hy3 usr/bin/minamo-in4 \
    usr/share/minamo/demo/1.hy3 usr/share/minamo/demo/1tp.csv usr/share/minamo/demo/start.script \
    usr/share/minamo/demo/sounds/chime.wav usr/share/minamo/demo/plugins/barcode.4SP \
    usr/share/applications/jp.minamo.fareboard.desktop \
    usr/share/metainfo/jp.minamo.fareboard.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/jp.minamo.fareboard.svg \
    usr/share/icons/hicolor/48x48/apps/jp.minamo.fareboard.png \
    usr/share/man/man1/527.1.gz usr/share/man/man1/minamo.1.gz \
    usr/share/man/man1/minamo-hy3.1.gz usr/share/man/man1/minamo-in4.1.gz \
    usr/share/doc/minamo/copyright usr/share/doc/minamo/changelog.gz; do
  check "the package holds /$f" grep -qx "./$f" <<<"$files"
done
check "the menu entry is valid" desktop-file-validate "$src/packaging/jp.minamo.fareboard.desktop"
check "the AppStream metadata is valid" appstreamcli validate --no-net \
  "$build/packaging/jp.minamo.fareboard.metainfo.xml"
check "lintian finds no error" lintian --fail-on error "$deb"
check "the demo script names the installed demo" \
  grep -q '^option FareDataFolder /usr/share/minamo/demo$' "$build/packaging/start.script"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$root/home")
check "the installed minamo prints its version without a display" \
  sh -c '"$@" | grep -q "^527 .* '"$(dpkg-deb -f "$deb" Version)"'$"' _ "${headless[@]}" "$root/usr/bin/minamo" --version
for t in 527 minamo-hy3 minamo-in4; do
  check "the installed $t answers --help" "${headless[@]}" "$root/usr/bin/$t" --help
done
# The manual page as a Japanese user reads it: every Japanese word whole.
man527() { LC_ALL=C.UTF-8 MANWIDTH=100 man -l "$root/usr/share/man/man1/527.1.gz" 2>/dev/null; }
check "man 527 shows 録画 and 表示倍率 in a UTF-8 locale" \
  sh -c "$(declare -f man527); root='$root'; "'out="$(man527)"; echo "$out" | grep -q 録画 &&
    echo "$out" | grep -q 表示倍率 && ! echo "$out" | grep -q "???"'
# No installed text carries the folder the package was built in.
check "no installed file names a build folder" sh -c '
  for f in $(find "$1" -type f); do
    case "$f" in *.gz) t="$(zcat "$f")" ;; *) grep -Iq . "$f" 2>/dev/null || continue; t="$(cat "$f")" ;; esac
    if printf "%s" "$t" | grep -qE "/tmp/|/build/|$2"; then echo "$f"; exit 1; fi
  done' _ "$root/usr/share" "$src"
check "a bad option exits 2" sh -c '"$@"; test $? -eq 2' _ "${headless[@]}" "$root/usr/bin/527" --no-such-option
echo "package checks: $failed failed"
exit $((failed > 0))
