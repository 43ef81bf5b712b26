#!/usr/bin/env bash
# Builds Tovrik and runs its tests. Exits non-zero on any failure.
#   ./test.sh             every test
#   ./test.sh --sanitize  every test, built with AddressSanitizer and UndefinedBehaviorSanitizer
#   ./test.sh --tsan      the tests that run threads, built with ThreadSanitizer
#   ./test.sh --lint      clang-tidy and cppcheck over every source of the project
# Each mode is a preset of CMakePresets.json and builds in its own folder under build/.
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-plain}
case "$mode" in
  plain) preset=plain ;;
  --sanitize) preset=asan ;;
  --tsan) preset=tsan ;;
  --lint) preset=lint ;;
  *)
    echo "usage: ./test.sh [--sanitize | --tsan | --lint]" >&2
    exit 2
    ;;
esac

extra=()
[ "$mode" = --lint ] && extra=(clang-tidy cppcheck)
./scripts/install-deps.sh "${extra[@]}"

# Repeated builds (CI runs four of them) reuse what ccache compiled before.
export CMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake --preset "$preset" >/dev/null
if [ "$preset" = lint ]; then
  exec ./scripts/lint.sh
fi
cmake --build --preset "$preset" -j"$(nproc)"
ctest --preset "$preset"
