#!/usr/bin/env bash
# Builds everything and runs every test suite:
#   native (g++), native under AddressSanitizer + UndefinedBehaviorSanitizer, the libFuzzer
#   target for a bounded time, and the Windows builds (x86-64, x86) under Wine on a virtual display.
# Environment: QUORVEL_FUZZ_SECONDS (default 60), QUORVEL_SKIP_DEPS=1 to skip the package check.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

step() { printf '\n==> %s\n' "$*"; }

if [ "${QUORVEL_SKIP_DEPS:-}" != 1 ]; then
  step "checking packages"
  bash scripts/install-deps.sh
fi

build() {
  local preset="$1"
  step "configuring and building: $preset"
  mkdir -p build
  cmake --preset "$preset" >"build/configure-$preset.log" 2>&1 || { cat "build/configure-$preset.log"; exit 1; }
  shift
  cmake --build --preset "$preset" "$@"
}

# Every suite runs even when an earlier one failed; the run fails at the end.
failed_suites=()
passed_total=0
failed_total=0
suite() {
  local name="$1"
  shift
  local log
  log="$(mktemp)"
  if ctest "$@" 2>&1 | tee "$log"; [ "${PIPESTATUS[0]}" -ne 0 ]; then
    failed_suites+=("$name")
  fi
  local line
  line="$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)"
  if [ -n "$line" ]; then
    local failed total
    failed="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")"
    total="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")"
    passed_total=$((passed_total + total - failed))
    failed_total=$((failed_total + failed))
  fi
  rm -f "$log"
}

build native
build sanitize
build fuzz --target probe_fuzzer
build win64
build win32

step "native tests"
suite native --preset native

step "the native probe on the Windows executables just built: x86-64 ones 64, x86 ones 32"
# A small check of its own, outside CTest: it needs all three builds.
for pair in "64 win64" "32 win32"; do
  set -- $pair
  mapfile -t exes < <(find "build/$2" -name '*.exe' -not -path '*/CMakeFiles/*' | sort)
  if build/native/cli/quorvel-probe --require "$1" "${exes[@]}" >"build/probe-$2.txt"; then
    echo "${#exes[@]} executables in build/$2 answer $1"
    passed_total=$((passed_total + 1))
  else
    grep -v "^$1	" "build/probe-$2.txt" || true
    failed_suites+=("probe-$2")
    failed_total=$((failed_total + 1))
  fi
done

step "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
suite sanitize --preset sanitize

step "fuzzing the probe for ${QUORVEL_FUZZ_SECONDS:-60} s"
mkdir -p build/fuzz/corpus
# Two seeds, a PE32 and a PE32+ header, so that the fuzzer starts past the signatures.
for magic in '\x0b\x01' '\x0b\x02'; do
  { printf 'MZ'; head -c 58 /dev/zero; printf '\x40\0\0\0PE\0\0'; head -c 20 /dev/zero
    printf "$magic"; head -c 222 /dev/zero; } >"build/fuzz/corpus/seed-${magic//\\/}"
done
build/fuzz/tests/fuzz/probe_fuzzer -dict=tests/fuzz/probe.dict -max_total_time="${QUORVEL_FUZZ_SECONDS:-60}" -print_final_stats=1 \
  build/fuzz/corpus 2>build/fuzz/fuzz.log || { tail -50 build/fuzz/fuzz.log; exit 1; }
grep -E '^stat::number_of_executed_units' build/fuzz/fuzz.log || true

step "Windows tests under Wine"
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start "$root/build/wine"
suite win64 --preset win64
if [ "$QUORVEL_WINE32" = 1 ]; then
  suite win32 --preset win32
else
  echo "The x86 Windows build was compiled, but its tests cannot run here: this kernel cannot run"
  echo "32-bit programs, and Wine needs that for 32-bit Windows programs."
fi

echo
if [ "${#failed_suites[@]}" -ne 0 ]; then
  echo "failing suites: ${failed_suites[*]}"
fi
echo "total: $passed_total passed, $failed_total failed"
[ "${#failed_suites[@]}" -eq 0 ]
