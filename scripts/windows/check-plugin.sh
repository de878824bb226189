#!/bin/sh
# Checks a Win64 Quorvel.aex: EntryPointFunc is its only export, it imports
# only DLLs that every Windows system has, and its PIPL resource 16000 holds
# exactly the bytes of the given .pipl (the one the Linux build makes).
# usage: scripts/windows/check-plugin.sh QUORVEL.AEX PIPL_FILE
set -eu
dll=$1; pipl=$2
here=$(dirname "$0")
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
status=0

exports=$(echo "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p')
if [ "$exports" != "EntryPointFunc" ]; then
    echo "FAIL exports of $dll: $(echo "$exports" | head -n 5 | tr '\n' ' ')($(echo "$exports" | wc -l) in all)"
    status=1
else
    echo "ok   only EntryPointFunc is exported"
fi

# Windows' own DLLs, as a 64-bit plug-in may import them.
system="ADVAPI32.DLL COMCTL32.DLL COMDLG32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL OLEAUT32.DLL
SHELL32.DLL SHLWAPI.DLL USER32.DLL WS2_32.DLL WINMM.DLL OPENGL32.DLL BCRYPT.DLL CRYPT32.DLL"
imports=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z')
foreign=""
for d in $imports; do
    case " $(echo $system) " in *" $d "*) ;; *) foreign="$foreign $d" ;; esac
done
if [ -n "$foreign" ] || [ -z "$imports" ]; then
    echo "FAIL $dll imports non-system DLLs:$foreign"
    status=1
else
    echo "ok   imports only system DLLs: $(echo $imports)"
fi

tmp=$(mktemp)
if python3 "$here/pe_resource.py" "$dll" PIPL 16000 "$tmp" && cmp -s "$tmp" "$pipl"; then
    echo "ok   PIPL 16000 equals $pipl ($(wc -c <"$pipl") bytes)"
else
    echo "FAIL PIPL 16000 of $dll differs from $pipl"
    status=1
fi
rm -f "$tmp"
exit $status
