#!/bin/sh
# Renders every example and the Shadertoy gradient with the Linux qvhost and
# plug-in and with the Win64 ones under Wine, at 8 and 16 bits (PNG) and 32
# bits (OpenEXR float), and compares the decoded pixels. Prints one line per
# case: "exact", or how far the two differ. Fails when a render fails or a
# case differs by more than ALLOW steps at 16 and 32 bits (default 0; 16-bit
# units, float 2^-23) or ALLOW8 at 8 bits (default 0).
# Run under a display (scripts/with-display.sh).
# usage: scripts/windows/golden.sh LINUX_BUILD WINDOWS_BUILD OUT_DIR
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
linux=$(cd "$1" && pwd); windows=$(cd "$2" && pwd); out=$3
mkdir -p "$out"; out=$(cd "$out" && pwd)
allow=${ALLOW:-0}; allow8=${ALLOW8:-0}
status=0

language_of() {
    case $1 in *.shadertoy.glsl) echo shadertoy ;; *.glsl) echo glsl ;; *.lua) echo lua ;; esac
}

for code in "$root"/examples/*.glsl "$root"/examples/*.lua; do
    name=$(basename "$code"); language=$(language_of "$name")
    opts="--code $code --language $language --size 320x180 --time 1.25 --point 0=120,80 --slider 0=0.5 --color 0=0.2,0.6,1"
    for depth in 8 16 32; do
        ext=png; [ "$depth" = 32 ] && ext=exr
        a=$out/$name-$depth-linux.$ext; b=$out/$name-$depth-win64.$ext
        # shellcheck disable=SC2086
        "$linux/qvhost" render $opts --depth $depth --out "$a" >/dev/null 2>&1 || { echo "FAIL $name $depth: Linux render"; status=1; continue; }
        # shellcheck disable=SC2086
        (cd "$windows" && "$root/scripts/windows/wine-run.sh" ./qvhost.exe render $opts --depth $depth --out "$b") >/dev/null 2>&1 \
            || { echo "FAIL $name $depth: Windows render"; status=1; continue; }
        steps=$allow; [ "$depth" = 8 ] && steps=$allow8
        if result=$(python3 "$root/scripts/windows/compare_images.py" --allow "$steps" "$a" "$b"); then
            [ "$result" = same ] && result=exact
            printf 'ok   %-26s %2s bits: %s\n' "$name" "$depth" "$result"
        else
            printf 'FAIL %-26s %2s bits: %s\n' "$name" "$depth" "$result"
            status=1
        fi
    done
done
exit $status
