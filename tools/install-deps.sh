#!/bin/sh
# Installs the Debian packages that building and testing zelkor-tests needs,
# skipping those already present. Uses sudo when not run as root.
set -eu

packages="cmake make g++ clang libclang-rt-14-dev pkg-config libgtest-dev librapidcheck-dev
libssl-dev nettle-dev libgcrypt20-dev libsodium-dev libbenchmark-dev nlohmann-json3-dev valgrind"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"
echo "Installing:$missing"
$as_root apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing >/dev/null
