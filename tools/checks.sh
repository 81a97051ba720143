# tools/checks.sh: sourced by the check scripts (cross-check.sh,
# web-check.sh): a line a check, a count of failures, timed phases and a
# scratch folder, $work, removed on exit.
started=$SECONDS
phase=$SECONDS
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
elapsed() { echo "  ($1: $((SECONDS - phase)) s)"; phase=$SECONDS; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
