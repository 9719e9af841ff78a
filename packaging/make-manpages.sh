#!/bin/sh
# Manual pages from the programs' own help and version (help2man), the installed names
# in place of the build's, and the package's changelog; all compressed as Debian wants.
set -eu
out="$1" sim="$2" hy3="$3" in4="$4" version="$5"
mkdir -p "$out/man" "$out/h2m"
# The tools answer under the names they are installed by.
for t in hy3 in4; do
  eval "bin=\$$t"
  cat >"$out/h2m/minamo-$t" <<W
#!/bin/sh
"$bin" "\$@" | sed -e 's/^$t /minamo-$t /' -e 's/^  $t /  minamo-$t /' -e 's/^$t: /minamo-$t: /'
W
  chmod +x "$out/h2m/minamo-$t"
done
# The simulator answers as "527", never under the build's own path, in a UTF-8 locale so
# its Japanese words reach the page whole.
cat >"$out/h2m/527" <<W
#!/bin/bash
export LC_ALL=C.UTF-8
exec -a 527 "$sim" "\$@"
W
chmod +x "$out/h2m/527"
{ echo "[SCRIPT COMMANDS]"; "$sim" --help-script | sed -e 's/^  \([^ ]\)/.TP\n\1/' -e 's/^      //'; } \
  >"$out/h2m/527.h2m"
help2man -N -L C.UTF-8 -n "fare board simulator of a Japanese route bus" -i "$out/h2m/527.h2m" \
  -o "$out/man/527.1" "$out/h2m/527"
help2man -N -L C.UTF-8 -n "convert and check fare data files of the fare board simulator" \
  -o "$out/man/minamo-hy3.1" "$out/h2m/minamo-hy3"
help2man -N -L C.UTF-8 -n "read and write settings files of the fare board simulator" \
  -o "$out/man/minamo-in4.1" "$out/h2m/minamo-in4"
echo ".so man1/527.1" >"$out/man/minamo.1"
for p in 527 minamo-hy3 minamo-in4 minamo; do gzip -9nf "$out/man/$p.1"; done
cat >"$out/changelog" <<C
minamo ($version) unstable; urgency=medium

  * The fare board simulator, packaged.

 -- Minamo developers <developers@minamo.invalid>  Wed, 09 Dec 2026 00:00:00 +0000
C
gzip -9nf "$out/changelog"
