#!/bin/sh
# Builds an older commit beside the working tree and runs one benchmark
# program of both, interleaved, printing each case's before/after ratio.
# usage: scripts/bench-compare.sh COMMIT [BENCH] [FILTER] [ROUNDS]
#   BENCH   benchmark program name (default bench_frames)
#   FILTER  --benchmark_filter regex (default: every case)
#   ROUNDS  alternations of old and new (default 3)
# Needs a display for GL benchmarks: run it through scripts/with-display.sh.
set -eu
cd "$(dirname "$0")/.."
commit=$1
bench=${2:-bench_frames}
filter=${3:-.}
rounds=${4:-3}
old=$(mktemp -d /tmp/qv-bench-old.XXXXXX)
trap 'git worktree remove --force "$old" >/dev/null 2>&1 || true' EXIT
git worktree add --detach "$old" "$commit" >/dev/null
# Only the benchmark program (and the plug-in it loads) in each tree.
build() {
    (cd "$1" && CCACHE_BASEDIR=$(pwd) cmake -S . -B build -G Ninja \
        -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null &&
        cmake --build build --target "$bench" >/dev/null)
}
build "$old"
build .
out=$(mktemp -d /tmp/qv-bench-out.XXXXXX)
for round in $(seq "$rounds"); do
    for side in old new; do
        dir=$([ "$side" = old ] && echo "$old/build" || echo build)
        # JSON, as the CSV writer stops at the first case whose counters
        # differ from the first case's.
        "$dir/bench/$bench" --benchmark_filter="$filter" --benchmark_format=json \
            >"$out/$side.$round.json" 2>/dev/null || true
    done
done
python3 - "$out" "$rounds" <<'PY'
import json, sys, statistics, glob
out, rounds = sys.argv[1], int(sys.argv[2])
def times(side):
    t = {}
    for f in sorted(glob.glob(f"{out}/{side}.*.json")):
        try:
            runs = json.load(open(f))["benchmarks"]
        except (ValueError, KeyError):
            continue  # a run that died: its cases count in no median
        for run in runs:
            if not run.get("error_occurred"):
                t.setdefault(run["name"], []).append(float(run["real_time"]))
    return t
old, new = times("old"), times("new")
print(f"{'case':60s} {'before':>10s} {'after':>10s} {'ratio':>7s}")
for name in old:
    if name in new:
        b, a = statistics.median(old[name]), statistics.median(new[name])
        print(f"{name:60s} {b:10.2f} {a:10.2f} {a / b:7.2f}")
PY
rm -rf "$out"
