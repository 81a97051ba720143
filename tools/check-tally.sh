# Sourced by the check scripts (cross-check.sh, deb-check.sh): the tally of
# checks passed and failed, and the time each part took.
#   pass TEXT, fail TEXT   print "ok: TEXT" or "FAILED: TEXT"; fail counts it
#   elapsed PART           prints the seconds since the last call (or since
#                          the script began) as PART's time
#   tally_end NAME         prints "NAME: N failed, S s in all" and returns 1
#                          when any check failed
started=$SECONDS
phase=$SECONDS
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
elapsed() { echo "  ($1: $((SECONDS - phase)) s)"; phase=$SECONDS; }
tally_end() {
    echo "$1: $failures failed, $((SECONDS - started)) s in all"
    [[ $failures == 0 ]]
}
