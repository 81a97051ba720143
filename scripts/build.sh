#!/usr/bin/env bash
# build.sh DIR TARGET...: brings TARGETs up to date in DIR, the Release build
# that `make run`, `make build`, `make bench` and `make install` share.
#
# Every command configures DIR the same way (Release, no tests; the tools and
# the benchmarks built where their packages are found), so switching from one
# command to another builds only what is missing.  Configuring again only
# notices packages installed since.  Quiet but for a line; the logs are
# DIR.configure.log and DIR.build.log.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh

[[ $# -ge 2 ]] || { echo "usage: scripts/build.sh DIR TARGET..." >&2; exit 2; }
dir=$1
shift
echo "building $* in $dir/ (log: $dir.build.log)"
cmake_build "$dir" "$*" -DCMAKE_BUILD_TYPE=Release -DPLIM_TESTS=OFF -DPLIM_TOOLS=AUTO \
    -DPLIM_BENCH=AUTO -DPLIM_FUZZ=OFF -DPLIM_SANITIZE= -DPLIM_HANDHELD=OFF
