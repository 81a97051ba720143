#!/usr/bin/env bash
# tools/uninstall.sh BUILD PREFIX: removes what `cmake --install BUILD
# --prefix PREFIX` puts in place (under $DESTDIR when that is set).  The list
# comes from a staged install of the same build into a scratch folder, so
# nothing else under PREFIX is touched; folders are left, as they may be
# shared.
set -euo pipefail
[[ $# -eq 2 ]] || { echo "usage: tools/uninstall.sh BUILD PREFIX" >&2; exit 2; }
build=$1
prefix=$(realpath -m -- "$2")

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >/dev/null

removed=0
while IFS= read -r -d '' file; do
    target=${DESTDIR:-}${file#"$stage"}
    if [[ -e $target || -L $target ]]; then
        rm -f -- "$target"
        echo "removed $target"
        removed=$((removed + 1))
    fi
done < <(find "$stage" ! -type d -print0)
echo "uninstall: $removed files removed"
