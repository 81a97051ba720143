#!/usr/bin/env bash
# run-bench.sh PROGRAM [ARG...]: `make bench`'s last step.  Says what the
# benchmark's columns mean, then runs PROGRAM (plim_bench) with the ARGs.
set -euo pipefail
[[ $# -ge 1 ]] || { echo "usage: scripts/run-bench.sh PROGRAM [ARG...]" >&2; exit 2; }

cat <<'LEGEND'
What the columns say:
  BM_callback_idle     the audio callback with nothing to play
  BM_callback_busy/N   every cell lit, wobble 2, echo 3, space 3, under instrument N (named on the right)
  BM_*Frame            one frame of each screen drawn by SDL's software renderer at 640 x 480
  Time, CPU            per iteration, as Google Benchmark counts it: for the callback rows, the engine's
                       time for one buffer of 512 stereo frames (CPU adds, in the busy rows, the plain
                       transcription timed beside it); for the screens, one frame
  engine_ns, ns_per_frame
                       the engine's thread CPU time per stereo frame, in nanoseconds
  plain_ns             the same frame from the plain, line-by-line transcription of the engine that the
                       tests compare it with (its reference), timed the same way
  speedup              plain_ns / engine_ns: how many times faster the engine is than its transcription
  real_time_x          how many times faster than real time: a frame lasts 20833 ns at 48 kHz, so the
                       engine needs 1/real_time_x of one core (a "k" means thousands)
  frame_pct            one drawn frame, in wall-clock time, as a percentage of a 60 Hz frame (16.7 ms)
Google Benchmark may print "Library was built as DEBUG": that is Debian's build of the benchmark
library itself, not of PLIM's code, which is built Release here (-O3, no assertions).  It does not
change these figures: the callback rows time only the engine's own calls with the thread's CPU
clock, and a screen's frame takes far longer than the library's bookkeeping between iterations.

LEGEND
exec "$@"
