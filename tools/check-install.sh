#!/bin/bash
# Installs zelkor-tests into a temporary prefix and builds and runs a small
# consumer project against it, with zelkor_tests_datadir unset so that the
# compiled-in data directory is the one used.
# Usage: tools/check-install.sh [build-dir]
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
unset zelkor_tests_datadir

# A build directory of this tree may be given (CI passes its plain build):
# it is reconfigured for the temporary prefix, which recompiles only the files
# the prefix is compiled into. Otherwise a fresh, unoptimised build (type
# None): this checks the package, not the code.
if [ $# -gt 0 ]; then
    build=$(cd "$1" && pwd)
    cmake -S "$source_dir" -B "$build" -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
    cmake --build "$build" -j2 --target zelkor_tests
else
    build=$work/build
    cmake -S "$source_dir" -B "$build" -DCMAKE_INSTALL_PREFIX="$prefix" -DZELKOR_BUILD_REFERENCE=OFF \
          -DCMAKE_BUILD_TYPE=None >/dev/null
    cmake --build "$build" -j2
fi
cmake --install "$build" >/dev/null

for required in include/zelkor/tests/Paths_zelkor_tests.hpp share/zelkor-tests/Test/KAT_HMAC \
                share/zelkor-tests/Test/KAT_SHA_MONTE/SHA256Monte.rsp \
                share/zelkor-tests/Wycheproof/aes_gcm_test.json share/zelkor-tests/Wycheproof/LICENSE; do
    [ -e "$prefix/$required" ] || { echo "check-install: missing $prefix/$required" >&2; exit 1; }
done
if [ -z "$(find "$prefix" -name zelkor-testsConfig.cmake)" ]; then
    echo "check-install: no CMake package under $prefix" >&2
    exit 1
fi

cmake -S "$source_dir/tests/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer" -j2
out=$("$work/consumer/consumer")
echo "$out"
# The installed copy reads its installed vectors, though the source tree is there.
case "$out" in
"data dir $prefix/share/zelkor-tests:"*) ;;
*) echo "check-install: expected the vectors of $prefix/share/zelkor-tests" >&2; exit 1 ;;
esac
# The shipped zelkor_tests_add: 4 shards of a 3-test program, the last one empty.
ctest --test-dir "$work/consumer" -j2 --output-on-failure
echo "check-install: OK"
