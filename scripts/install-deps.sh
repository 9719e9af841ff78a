#!/usr/bin/env bash
# Installs the Debian packages the simulator needs to build, run and test.
# Only what is missing is installed, so a second run is quick.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config ccache libzip-dev
  qt6-base-dev qt6-translations-l10n qt6-websockets-dev python3-websockets
  chromium chromium-driver python3-selenium
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfluidsynth-dev libsndfile1-dev fluid-soundfont-gm sox zlib1g-dev
  open-jtalk open-jtalk-mecab-naist-jdic
  clang libclang-rt-14-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-dseg xfonts-ayu
  xvfb xauth openbox
  libzint-dev zbar-tools libpng-dev
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
  help2man librsvg2-bin dpkg-dev lintian desktop-file-utils appstream
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The Japanese voice for the announcements is in Debian's "contrib" component, which a
# fresh Debian 12 does not list. Fetch that one package through a temporary source list
# (the machine's own sources stay as they are) and install the downloaded file. Without
# it the simulator still runs; the announcement group then reads "音合使用不可".
VOICE=hts-voice-nitech-jp-atr503-m001
# The first URI of an entry for SUITE's main component, from the machine's own source
# lists (one-line and deb822 forms alike), read as apt reads them: no network needed.
debian_main_uri() {
  local suite="$1" f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -r "$f" ] || continue
    awk -v s="$suite" '$1 == "deb" { i = 2; if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
      if ($(i + 1) == s) for (j = i + 2; j <= NF; j++) if ($j == "main") { print $i; exit } }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -r "$f" ] || continue
    awk -v s="$suite" 'BEGIN { RS = ""; FS = "\n" }
      { uri = ""; okS = 0; okC = 0; deb = 0
        for (i = 1; i <= NF; i++) {
          split($i, kv, ":[ \t]*"); k = kv[1]; v = substr($i, length(k) + 2); gsub(/^[ \t]+/, "", v)
          if (k == "Types" && v ~ /(^| )deb( |$)/) deb = 1
          if (k == "URIs") { split(v, u, " "); uri = u[1] }
          if (k == "Suites" && (" " v " ") ~ (" " s " ")) okS = 1
          if (k == "Components" && (" " v " ") ~ / main /) okC = 1 }
        if (deb && okS && okC && uri != "") { print uri; exit } }' "$f"
  done | head -n1
}
if ! dpkg-query -W -f='${Status}' "$VOICE" 2>/dev/null | grep -q "install ok installed"; then
  echo "Fetching $VOICE from Debian's contrib component (temporary source list)"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  TMP="$(mktemp -d)"
  mkdir -p "$TMP/parts" "$TMP/lists/partial" "$TMP/archives/partial"
  # The archive this machine already uses for Debian's main component (a local mirror, a
  # caching proxy's address), so contrib comes from the same place; apt's own proxy
  # settings apply as they are. Only a machine with no such entry falls back to Debian's
  # own address.
  SUITE="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
  URI="$(debian_main_uri "$SUITE")"
  URI="${URI:-http://deb.debian.org/debian}"
  cat >"$TMP/parts/contrib.sources" <<SRC
Types: deb
URIs: $URI
Suites: $SUITE
Components: contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  APT_TMP=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$TMP/parts"
           -o Dir::State::Lists="$TMP/lists" -o Dir::Cache::Archives="$TMP/archives")
  if (cd "$TMP" && $SUDO apt-get "${APT_TMP[@]}" update -q >/dev/null 2>&1 &&
      $SUDO apt-get "${APT_TMP[@]}" download "$VOICE" >/dev/null 2>&1) &&
     DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "$TMP"/"$VOICE"_*.deb >/dev/null; then
    echo "Installed $VOICE"
  else
    echo "Could not fetch $VOICE: announcements stay off (see the README to add a voice by hand)"
  fi
  $SUDO rm -rf "$TMP"
fi
