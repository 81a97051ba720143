#!/usr/bin/env bash
# debian-mirror.sh: prints the Debian mirror to fetch Debian 12 from, without
# a trailing slash: PLIM_DEBIAN_MIRROR when set, else the first one this
# machine's apt uses for Debian's main archive (a deb822 .sources file's
# URIs, or a sources.list line), else http://deb.debian.org/debian.
set -uo pipefail

mirror=${PLIM_DEBIAN_MIRROR:-}
[[ -n $mirror ]] || mirror=$(awk '$1 == "URIs:" { for (i = 2; i <= NF; i++) if ($i ~ /\/debian\/?$/) { print $i; exit } }' \
    /etc/apt/sources.list.d/*.sources 2>/dev/null)
[[ -n $mirror ]] || mirror=$(awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /\/debian\/?$/) { print $i; exit } }' \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null)
mirror=${mirror:-http://deb.debian.org/debian}
echo "${mirror%/}"
