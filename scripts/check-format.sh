#!/usr/bin/env bash
# check-format.sh [--fix]: every C and C++ file git tracks (or, outside a
# checkout, every one outside the build folders) is laid out as
# .clang-format says.  Lists the files that are not and exits 1; with --fix,
# formats them in place instead (`make format`).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh

if in_checkout; then
    mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
else
    # Not a checkout (an unpacked release archive): every C and C++ file
    # outside the build and dist folders.
    mapfile -t files < <(find . \( -path './build*' -o -path ./dist \) -prune -o -type f \
        \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | LC_ALL=C sort)
fi
if [[ ${1:-} == --fix ]]; then
    clang-format -i "${files[@]}"
    exit 0
fi
unformatted=()
for file in "${files[@]}"; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [[ ${#unformatted[@]} -gt 0 ]]; then
    echo "format: not laid out as .clang-format says (make format fixes them):"
    printf '  %s\n' "${unformatted[@]}"
    exit 1
fi
echo "format: ${#files[@]} files laid out as .clang-format says"
