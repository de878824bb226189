#!/bin/sh
# What only Windows does, checked under Wine with the Win64 qvhost.exe and
# Quorvel.aex in WINDOWS_BUILD:
# - the user folder comes from the known-folder API: with the roaming folder
#   moved to a path holding non-ASCII characters, global setup creates
#   Tessmar\Quorvel\test there;
# - the plug-in loads from a folder whose name holds non-ASCII characters, and
#   its PiPL file beside it is read through the same UTF-16 path;
# - file names given on the command line and written by the simulator keep
#   their non-ASCII characters (UTF-16 at every Windows call);
# - code and Lua scripts with CRLF line ends render as with LF.
# Run under a display (scripts/with-display.sh).
# usage: scripts/windows/windows-behaviour.sh WINDOWS_BUILD WORK_DIR
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd); work=$2
rm -rf "$work"; mkdir -p "$work"; work=$(cd "$work" && pwd)
export LANG=C.UTF-8 LC_ALL=C.UTF-8  # Wine converts arguments from the Unix locale
wine="$root/scripts/windows/wine-run.sh"
prefix=${WINEPREFIX:-$root/build-win/wineprefix}
status=0
check() {  # check WHAT COMMAND...
    what=$1; shift
    if "$@" >"$work/last.log" 2>&1; then echo "ok   $what"; else echo "FAIL $what"; sed 's/^/     /' "$work/last.log" | tail -n 5; status=1; fi
}

# The roaming folder of the prefix's user, moved to a non-ASCII path and back.
user_name='Jürgen Øster 日本'
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
shell_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
roaming="C:\\users\\$user_name\\AppData\\Roaming"
"$wine" reg add "$key" /v AppData /t REG_EXPAND_SZ /d "$roaming" /f >/dev/null 2>&1
"$wine" reg add "$shell_key" /v AppData /t REG_SZ /d "$roaming" /f >/dev/null 2>&1
probe="$prefix/drive_c/users/$user_name/AppData/Roaming/Tessmar/Quorvel/test"
rm -f "$probe"
check "global setup makes the user folder under a non-ASCII roaming path" \
    sh -c "cd '$build' && '$wine' ./qvhost.exe info | grep -q '^global setup: 0.\?\$' && test -f '$probe'"
"$wine" reg add "$key" /v AppData /t REG_EXPAND_SZ /d '%USERPROFILE%\AppData\Roaming' /f >/dev/null 2>&1
"$wine" reg delete "$shell_key" /v AppData /f >/dev/null 2>&1 || true

# The plug-in from a non-ASCII folder, rendering to a non-ASCII file name.
plugins="$work/Plug-ins Ärger 插件"
mkdir -p "$plugins"
cp "$build/Quorvel.aex" "$build/Quorvel.pipl" "$plugins/"
check "the plug-in loads from a non-ASCII folder" \
    sh -c "cd '$build' && '$wine' ./qvhost.exe info '$plugins/Quorvel.aex' | grep -q '^global setup: 0.\?\$'"
out="$work/frame ünï 图.png"
check "a frame renders to a non-ASCII file name" \
    sh -c "cd '$build' && '$wine' ./qvhost.exe render --plugin '$plugins/Quorvel.aex' --code '$root/examples/ripple.glsl' --size 64x48 --out '$out' && test -s '$out'"

# CRLF line ends in GLSL, Shadertoy and Lua code give the frames LF gives.
for code in ripple.glsl gradient.shadertoy.glsl params.lua; do
    case $code in *.shadertoy.glsl) language=shadertoy ;; *.glsl) language=glsl ;; *) language=lua ;; esac
    sed 's/$/\r/' "$root/examples/$code" >"$work/crlf-$code"
    for variant in "$root/examples/$code" "$work/crlf-$code"; do
        name=$(basename "$variant")
        (cd "$build" && "$wine" ./qvhost.exe render --code "$variant" --language $language --size 96x64 \
            --point 0=40,30 --slider 0=0.5 --out "$work/$name.png") >/dev/null 2>&1 || true
    done
    check "$code with CRLF line ends renders as with LF" \
        python3 "$root/scripts/windows/compare_images.py" "$work/$code.png" "$work/crlf-$code.png"
done
exit $status
