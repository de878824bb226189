#!/bin/sh
# Downloads Debian source packages into DIR through a private apt set-up (a
# deb-src copy of the system's Debian entries), leaving the system's apt
# configuration, lists and cache untouched, and checks every downloaded file
# against the SHA-256 sums its .dsc lists. Already verified downloads are kept.
# usage: scripts/windows/fetch-sources.sh DIR PACKAGE...
set -eu
dir=$1; shift
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
apt_dir=$dir/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"

# Every Debian entry of the system, as deb-src.
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    grep -q 'debian' "$f" || continue
    sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
done
: >"$apt_dir/sources.list"
if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' /etc/apt/sources.list >"$apt_dir/sources.list"
fi

apt_opts="-o Dir::Etc::SourceList=$apt_dir/sources.list -o Dir::Etc::SourceParts=$apt_dir/sources.list.d
 -o Dir::State::Lists=$apt_dir/lists -o Dir::Cache=$apt_dir/cache -o Dir::State::status=/var/lib/dpkg/status
 -o Debug::NoLocking=1 -o APT::Sandbox::User=root"

# Checks one package's files against its .dsc; prints nothing, fails on a mismatch.
verify() {
    dsc=$(ls "$dir"/"$1"_*.dsc 2>/dev/null | head -n1)
    [ -n "$dsc" ] || return 1
    sums=$(awk '/^Checksums-Sha256:/{on=1;next} /^[^ ]/{on=0} on && NF==3 {print $1"  "$3}' "$dsc")
    [ -n "$sums" ] || return 1
    (cd "$dir" && echo "$sums" | sha256sum --check --quiet --strict)
}

need=""
for p in "$@"; do
    verify "$p" 2>/dev/null || need="$need $p"
done
[ -z "$need" ] && exit 0

# shellcheck disable=SC2086
apt-get -q $apt_opts update >/dev/null
for p in $need; do
    rm -f "$dir"/"$p"_*
    # shellcheck disable=SC2086
    (cd "$dir" && apt-get -q $apt_opts source --download-only "$p" >/dev/null)
    if ! verify "$p"; then
        echo "fetch-sources: $p does not match the SHA-256 sums of its .dsc" >&2
        exit 1
    fi
done
