#!/usr/bin/env bash
# source-date.sh: prints the time of the source, in seconds since 1970, that
# the release files (the Debian package, the port archive) carry, so that one
# commit gives the same bytes.
#
# SOURCE_DATE_EPOCH when it is set; else, in a checkout, the last commit's
# time; else (an unpacked `make dist` archive) the commit time that git
# archive wrote into packaging/commit-time; else 1980-01-01.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1

if [[ -n ${SOURCE_DATE_EPOCH:-} ]]; then
    echo "$SOURCE_DATE_EPOCH"
elif [[ $(git rev-parse --show-toplevel 2>/dev/null) == "$PWD" ]]; then
    git log -1 --format=%ct
elif [[ $(cat packaging/commit-time 2>/dev/null) =~ ^[0-9]+$ ]]; then
    cat packaging/commit-time
else
    echo 315532800
fi
