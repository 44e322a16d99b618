#!/usr/bin/env bash
# Builds Quorvel and starts it. On Linux it runs under Wine: on your display when DISPLAY is set,
# otherwise on a private virtual display, where a screenshot is saved instead.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
step() { printf '\n==> %s\n' "$*"; }

if [ "${QUORVEL_SKIP_DEPS:-}" != 1 ]; then
  step "checking packages"
  bash scripts/install-deps.sh
fi

for preset in native win64 win32; do
  step "building: $preset"
  mkdir -p build
  cmake --preset "$preset" >"build/configure-$preset.log" 2>&1 || { cat "build/configure-$preset.log"; exit 1; }
  cmake --build --preset "$preset"
done

step "the command-line probe on the executables just built"
build/native/cli/quorvel-probe build/win64/cli/quorvel-probe.exe build/win32/cli/quorvel-probe.exe \
  build/native/cli/quorvel-probe
