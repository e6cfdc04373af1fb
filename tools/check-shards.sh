#!/bin/bash
# Runs the sharded demo of a build directory with `ctest -j2` and checks that
# every test of the unsharded demo ran exactly once, in one shard or another.
set -euo pipefail

build=${1:?usage: check-shards.sh <build-dir>}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every test of the unsharded demo, as Suite.name.
zelkor_tests_datadir="$source_dir/data" "$build/reference/zelkor-demo" --gtest_list_tests |
    awk '/^[^ ]/ { suite = $0 } /^  / { print suite substr($0, 3) }' | sort >"$work/listed"

ctest --test-dir "$build" -j2 -R '^zelkor-demo-shard-' --output-on-failure -V >"$work/log"
sed -n 's/^[0-9]*: \[ RUN      \] //p' "$work/log" | sort >"$work/ran"

listed=$(wc -l <"$work/listed")
ran=$(wc -l <"$work/ran")
if [ "$listed" -eq 0 ] || ! cmp -s "$work/listed" "$work/ran"; then
    echo "check-shards: $ran tests ran in the shards, $listed in the unsharded demo" >&2
    diff "$work/listed" "$work/ran" | head -20 >&2
    exit 1
fi
echo "check-shards: OK, $ran tests, each in exactly one shard"
