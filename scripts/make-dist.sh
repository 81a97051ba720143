#!/usr/bin/env bash
# make-dist.sh: writes dist/plim-VERSION.tar.gz, the source of the last
# commit as `git archive` gives it, in one folder plim-VERSION/.
#
# One commit gives the same bytes: every entry has the commit's time and no
# owner, in git's order, and gzip leaves out a name and a time of its own.
# git archive writes the commit's time into packaging/commit-time, so a
# package built from the unpacked source carries the same dates.  Changes
# not committed are not in the archive; the script says so when there are
# any.  `make run` and `make test` work in the unpacked folder.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh

if ! in_checkout; then
    echo "make-dist.sh: needs a git checkout (this is not one)" >&2
    exit 1
fi
version=$(plim_version)
archive=dist/plim-$version.tar.gz
mkdir -p dist
git archive --format=tar --prefix="plim-$version/" HEAD | gzip -9 -n >"$archive.tmp"
mv "$archive.tmp" "$archive"
echo "wrote $archive ($(stat -c %s "$archive") bytes, sha256 $(sha256sum "$archive" | cut -c1-16)...)" \
    "from commit $(git rev-parse --short HEAD)"
if [[ -n $(git status --porcelain --untracked-files=no) ]]; then
    echo "make-dist.sh: changes not committed are not in it" >&2
fi
