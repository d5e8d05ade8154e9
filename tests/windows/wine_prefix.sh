#!/bin/sh
# Makes the Wine prefix the Windows tests of one run share: removed and made again, so every
# run starts from a fresh prefix. The prefix uses Wine's null graphics driver: windows exist
# (hidden, nothing is drawn) and message boxes wait for an answer as they do for a user; the
# batch tests answer them with tarvo_clicker.
#
# Usage: wine_prefix.sh <prefix folder>
set -eu
prefix=$(realpath -m "$1")
export WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver

start=$(date +%s%N)
if [ -d "$prefix" ]; then
  "$server" -w  # a server of the last run ends a few seconds after its last program
  rm -rf "$prefix"
fi
mkdir -p "$prefix"
# The driver is chosen when the prefix's desktop starts, so it is set before the first program.
cat >"$prefix/user.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

#arch=win64

[Software\\Wine\\Drivers]
"Graphics"="null"
REG
"$wine" wineboot -i >/dev/null 2>&1
end=$(date +%s%N)
echo "wine prefix $prefix ready in $(( (end - start) / 1000000 )) ms"
