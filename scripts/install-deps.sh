#!/usr/bin/env bash
# Installs the Debian packages the simulator needs to build, run and test.
# Only what is missing is installed, so a second run is quick.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
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
if ! dpkg-query -W -f='${Status}' "$VOICE" 2>/dev/null | grep -q "install ok installed"; then
  echo "Fetching $VOICE from Debian's contrib component (temporary source list)"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  TMP="$(mktemp -d)"
  mkdir -p "$TMP/parts" "$TMP/lists/partial" "$TMP/archives/partial"
  cat >"$TMP/parts/contrib.sources" <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm
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
