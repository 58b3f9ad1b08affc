#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in a folder of their own and runs each for a fixed number of runs from its seed corpus.
# Prints the runs and the time of every target; stops at the first crash, leaving the
# input that caused it in <build>/fuzz-work/<target>/artifacts/.
#
#   tests/fuzz/run_fuzz.sh [runs] [build folder]
#
# runs (default 20000) is for the targets that work in memory; the Jet targets start a
# reader process per run and get a twentieth of it. FUZZ_TARGETS="carrier export" picks
# targets; FUZZ_SEED changes the fixed seed; FUZZ_JOBS sets the build's parallelism.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-20000}
build=${2:-$top/build-fuzz}
seed=${FUZZ_SEED:-1}
targets=${FUZZ_TARGETS:-carrier scramble datetext export register jet_values jet_stream jet_conversion}

if [ ! -f "$build/build.ninja" ]; then
  # The "fuzz" preset, in the folder asked for.
  (cd "$top" && cmake --preset fuzz -B "$build" >/dev/null)
fi
cmake --build "$build" -j"${FUZZ_JOBS:-$(nproc)}" --target corvane_fuzz

# The reader process the Jet targets start is built with the sanitizers too; libmdb and
# glib keep their allocations to the end, which is not ours to report.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/tests/sanitizer/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8

printf '%-16s %10s %10s\n' target runs seconds
for target in $targets; do
  program=$build/tests/fuzz/fuzz_$target
  [ -x "$program" ] || { echo "$target: not built (is the legacy register there?)"; continue; }
  count=$runs
  case $target in jet_*) [ "$target" = jet_values ] || count=$(( runs / 20 > 0 ? runs / 20 : 1 ));; esac
  work=$build/fuzz-work/$target
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  start=$(date +%s.%N)
  if ! "$program" -runs="$count" -seed="$seed" -artifact_prefix="$work/artifacts/" \
      "$work/corpus" "$top/tests/fuzz/$target" >"$work/log" 2>&1; then
    tail -n 40 "$work/log"
    echo "$target: FAILED; the input is in $work/artifacts/"
    exit 1
  fi
  end=$(date +%s.%N)
  done=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$work/log" | tail -n 1)
  printf '%-16s %10s %10s\n' "$target" "${done:-$count}" "$(awk "BEGIN { printf \"%.1f\", $end - $start }")"
done
