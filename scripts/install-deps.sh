#!/usr/bin/env bash
# Installs what the build needs when it is missing. Only Debian's archive is used.
# With the argument "fuzz" it adds clang and its runtime (libFuzzer), which
# only `make fuzz` needs.
set -euo pipefail
need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
pkgs=(cmake g++ ninja-build libgtest-dev libbenchmark-dev libsqlite3-dev nlohmann-json3-dev libcrypt-dev diffutils python3 mandoc neovim ccache)
[ "${1:-}" = fuzz ] && pkgs+=(clang libclang-rt-dev)
for p in "${pkgs[@]}"; do
  have_pkg "$p" || need+=("$p")
done
[ ${#need[@]} -eq 0 ] && exit 0
if ! command -v apt-get >/dev/null 2>&1; then
  echo "missing packages: ${need[*]} (install them with your package manager)" >&2; exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${need[*]}; run as root or: sudo apt-get install ${need[*]}" >&2; exit 1
fi
echo "installing: ${need[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
