#!/bin/bash
# Builds and runs the consumer project with zelkor-tests taken in through
# FetchContent from this clone (its committed HEAD), not installed and with
# zelkor_tests_datadir unset: the library must find the vectors of its own
# source tree, and build nothing but itself.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset zelkor_tests_datadir

commit=$(git -C "$source_dir" rev-parse HEAD)
if [ -n "$(git -C "$source_dir" status --porcelain --untracked-files=no)" ]; then
    echo "check-subproject: note: uncommitted changes are not part of the check (it fetches $commit)" >&2
fi
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

cmake -S "$source_dir/tests/consumer" -B "$work/consumer" "${launcher[@]}" \
      -DZELKOR_TESTS_GIT="$source_dir" -DZELKOR_TESTS_TAG="$commit" >/dev/null
cmake --build "$work/consumer" -j2

fetched=$work/consumer/_deps/zelkor-tests-src
for absent in reference tests bench; do
    if [ -e "$work/consumer/_deps/zelkor-tests-build/$absent" ]; then
        echo "check-subproject: the subproject configured its $absent/" >&2
        exit 1
    fi
done

out=$("$work/consumer/consumer")
echo "$out"
case "$out" in
"data dir $fetched/data:"*) ;;
*) echo "check-subproject: expected the vectors of $fetched/data" >&2; exit 1 ;;
esac
ctest --test-dir "$work/consumer" -j2 --output-on-failure
echo "check-subproject: OK"
