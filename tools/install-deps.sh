#!/usr/bin/env bash
# Installs, with apt-get, whatever PLIM's build, tests and tools need and this
# machine lacks.  Uses sudo when not run as root.
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    libsdl2-dev libpng-dev
    libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev
    man-db desktop-file-utils
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
