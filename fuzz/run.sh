#!/bin/bash
# Builds the libFuzzer targets with clang++ and runs each for N seconds
# (default 60). -O1 with line tables: the sanitizers' reports keep their
# lines, and the build (the whole library, instrumented) costs less than at -O2.
# Usage: fuzz/run.sh [seconds] [build-dir]
set -euo pipefail

seconds=${1:-60}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${2:-$source_dir/build-fuzz}

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
      -DZELKOR_BUILD_FUZZ=ON -DZELKOR_BUILD_REFERENCE=OFF >/dev/null
cmake --build "$build_dir" -j2 --target fuzz_parse fuzz_hex fuzz_json

# Seeds: the head of a few installed vector files, each behind its record key
# (first byte: key length), and a few hex strings.
corpus=$build_dir/fuzz-corpus
mkdir -p "$corpus/parse" "$corpus/hex" "$corpus/json"
seed=0
for entry in KAT_AES:COUNT KAT_SHA:Len KAT_HMAC:Count KAT_TWOFISH:I; do
    family=${entry%%:*} key=${entry#*:}
    for file in $(find "$source_dir/data/Test/$family" -type f | head -n 3); do
        { printf "\\$(printf '%03o' ${#key})%s" "$key"; head -c 2048 "$file"; } > "$corpus/parse/seed$seed"
        seed=$((seed + 1))
    done
done
# The installed Wycheproof files, each behind the byte that picks its builder
# (even: AES-GCM, odd: HMAC-SHA256).
{ printf '\000'; cat "$source_dir/data/Wycheproof/aes_gcm_test.json"; } > "$corpus/json/aes_gcm"
{ printf '\001'; cat "$source_dir/data/Wycheproof/hmac_sha256_test.json"; } > "$corpus/json/hmac_sha256"
printf '0A1b2C' > "$corpus/hex/even"
printf '7z0x1f' > "$corpus/hex/lenient"
printf 'zz1' > "$corpus/hex/odd"

# The three run at once: on two cores each still gets most of one, and the
# run takes its seconds once rather than three times.
declare -A pids
for target in fuzz_parse fuzz_hex fuzz_json; do
    "$build_dir/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 \
        -artifact_prefix="$build_dir/$target-" "$corpus/${target#fuzz_}" >"$build_dir/$target.log" 2>&1 &
    pids[$target]=$!
done
status=0
for target in fuzz_parse fuzz_hex fuzz_json; do
    echo "== $target: ${seconds}s"
    log=$build_dir/$target.log
    if wait "${pids[$target]}"; then
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log" || true
    else
        tail -n 40 "$log"
        echo "$target FAILED (log: $log, artifacts: $build_dir/$target-*)"
        status=1
    fi
done
exit $status
