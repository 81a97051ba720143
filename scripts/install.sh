#!/usr/bin/env bash
# install.sh install|uninstall BUILD PREFIX: puts what the build folder BUILD
# installs under PREFIX (under $DESTDIR when that is set), or removes it again.
#
# What goes where comes from a staged install of BUILD into a scratch folder;
# BUILD is not built again (`make install` builds first, `make uninstall`
# does not).  install notes in BUILD/installed-directories each folder it had
# to make.  uninstall removes exactly the files the staged install lists, then
# each noted folder that is now empty, deepest first: a folder that was there
# before the install, or that holds anything else, stays.
set -euo pipefail

usage() { echo "usage: scripts/install.sh install|uninstall BUILD PREFIX" >&2; exit 2; }
[[ $# -eq 3 && ($1 == install || $1 == uninstall) ]] || usage
mode=$1
build=$2
prefix=$(realpath -m -- "$3")
record=$build/installed-directories
destdir=${DESTDIR:-}

if [[ ! -f $build/cmake_install.cmake ]]; then
    echo "$mode: $build holds no configured build of PLIM; run \`make build\` first" >&2
    exit 1
fi
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
if ! staged=$(DESTDIR=$stage cmake --install "$build" --prefix "$prefix" 2>&1); then
    echo "$staged" >&2
    echo "$mode: $build does not hold a complete build of PLIM; run \`make build\` first" >&2
    exit 1
fi

# The folders of the staged install, as paths under DESTDIR, parents first.
staged_directories() {
    local dir
    while IFS= read -r -d '' dir; do
        echo "$destdir${dir#"$stage"}"
    done < <(find "$stage" -mindepth 1 -type d -print0 | sort -z)
}

if [[ $mode == install ]]; then
    made=()
    while IFS= read -r dir; do
        [[ -d $dir ]] || made+=("$dir")
    done < <(staged_directories)
    cmake --install "$build" --prefix "$prefix"
    if [[ ${#made[@]} -gt 0 ]]; then
        { cat "$record" 2>/dev/null || true; printf '%s\n' "${made[@]}"; } | sort -u >"$record.new"
        mv "$record.new" "$record"
    fi
    exit 0
fi

removed=0
while IFS= read -r -d '' file; do
    target=$destdir${file#"$stage"}
    if [[ -e $target || -L $target ]]; then
        rm -f -- "$target"
        echo "removed $target"
        removed=$((removed + 1))
    fi
done < <(find "$stage" ! -type d -print0)

folders=0
if [[ -f $record ]]; then
    while IFS= read -r dir; do
        if grep -qxF -- "$dir" "$record" && rmdir -- "$dir" 2>/dev/null; then
            echo "removed $dir/"
            folders=$((folders + 1))
        fi
    done < <(staged_directories | sort -r)
    # Forget the folders that are gone.
    while IFS= read -r dir; do
        [[ -d $dir ]] && echo "$dir"
    done <"$record" >"$record.new" || true
    mv "$record.new" "$record"
    [[ -s $record ]] || rm -f "$record"
fi
echo "uninstall: $removed files and $folders folders removed"
