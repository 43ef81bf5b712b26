#!/usr/bin/env bash
# Builds Tovrik and runs every test. Exits non-zero on any failure.
#   ./test.sh             the whole suite
#   ./test.sh --sanitize  the whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer
#   ./test.sh --tsan      the transfer tests built with ThreadSanitizer
#   ./test.sh --lint      clang-tidy and cppcheck over the project's sources
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-plain}
case "$mode" in
  plain | --sanitize | --tsan | --lint) ;;
  *)
    echo "usage: ./test.sh [--sanitize | --tsan | --lint]" >&2
    exit 2
    ;;
esac

extra=()
[ "$mode" = --lint ] && extra=(clang-tidy cppcheck)
./scripts/install-deps.sh "${extra[@]}"

jobs=$(nproc)
configure() {
  cmake -S . -B "$1" "${@:2}" >/dev/null
  cmake --build "$1" -j"$jobs"
}

export QT_QPA_PLATFORM=offscreen
case "$mode" in
  plain)
    configure build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cd build/test && ctest --output-on-failure -j2 --timeout 120
    ;;
  --sanitize)
    configure build/asan -DCMAKE_BUILD_TYPE=Debug -DTOVRIK_SANITIZE=address,undefined -DTOVRIK_BUILD_BENCH=OFF
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
    export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    cd build/asan && ctest --output-on-failure -j2 --timeout 300
    ;;
  --tsan)
    configure build/tsan -DCMAKE_BUILD_TYPE=Debug -DTOVRIK_SANITIZE=thread -DTOVRIK_BUILD_BENCH=OFF
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp
    cd build/tsan && ctest --output-on-failure -j2 --timeout 300 -R 'transfer|Transfer|Upload|Download|Worker|Cli|Scenario|Cancel'
    ;;
  --lint)
    exec ./scripts/lint.sh
    ;;
esac
