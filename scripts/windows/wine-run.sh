#!/bin/sh
# Runs a Windows program under Wine with this checkout's own prefix
# (build-win/wineprefix unless WINEPREFIX is set). Wine's 64-bit loader lives
# in the package's library folder, not on the PATH. Needs a display: call it
# through scripts/with-display.sh.
# usage: scripts/windows/wine-run.sh PROGRAM.exe [ARGS...]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build-win/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winedbg.exe=}"  # no Mono or Gecko prompts, no crash debugger
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader=$(dpkg -L wine64 | grep '/wine64$' | head -n1)
exec "$loader" "$@"
