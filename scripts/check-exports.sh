#!/bin/sh
# Fails unless the library's only exported (defined, dynamic) symbol is EntryPointFunc.
set -eu
exported=$(nm -D --defined-only "$1" | awk '{print $3}' | sort)
if [ "$exported" != "EntryPointFunc" ]; then
    echo "exported symbols of $1:"; echo "$exported"
    exit 1
fi
echo "only EntryPointFunc is exported"
