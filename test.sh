#!/usr/bin/env bash
# Builds Tovrik and runs its tests. Exits non-zero on any failure.
#   ./test.sh             every test
#   ./test.sh --sanitize  every test, built with AddressSanitizer and UndefinedBehaviorSanitizer
#   ./test.sh --tsan      the tests that run threads, built with ThreadSanitizer
#   ./test.sh --lint      clang-tidy and cppcheck over every source of the project
#   ./test.sh --windows   tovrik.exe, tovrik-cli.exe and the core's tests cross-built for
#                         Windows (MinGW-w64), the tests run under Wine (the windows'
#                         on an Xvfb display); then the .zip
# Each mode is a preset of CMakePresets.json and builds in its own folder under build/.
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-plain}
case "$mode" in
  plain) preset=plain ;;
  --sanitize) preset=asan ;;
  --tsan) preset=tsan ;;
  --lint) preset=lint ;;
  --windows) preset=windows ;;
  *)
    echo "usage: ./test.sh [--sanitize | --tsan | --lint | --windows]" >&2
    exit 2
    ;;
esac

extra=()
[ "$mode" = --lint ] && extra=(clang-tidy cppcheck)
[ "$mode" = --windows ] && extra=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64 googletest
  xvfb xauth fonts-wine)
./scripts/install-deps.sh "${extra[@]}"

# Repeated builds (CI runs five of them) reuse what ccache compiled before.
export CMAKE_CXX_COMPILER_LAUNCHER=ccache
if [ "$preset" = windows ]; then
  # qarn-sim is a POSIX program: the tests under Wine use one built for this
  # machine, beside the Windows build.
  cmake --preset windows-sim >/dev/null
  cmake --build --preset windows-sim -j"$(nproc)"
fi
cmake --preset "$preset" >/dev/null
if [ "$preset" = lint ]; then
  exec ./scripts/lint.sh
fi
cmake --build --preset "$preset" -j"$(nproc)"
ctest --preset "$preset"
if [ "$preset" = windows ]; then
  (cd build/windows && cpack -G ZIP >/dev/null)
  zip=build/windows/tovrik-$(sed -n 's/^project(Tovrik VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-win64.zip
  contents=$(cmake -E tar tf "$zip")
  for file in bin/tovrik.exe bin/tovrik-cli.exe README.txt; do
    grep -q "/$file\$" <<<"$contents" || { echo "$zip holds no $file" >&2; exit 1; }
  done
  # Nothing of the Linux package: no manual pages, no Debian documents.
  if grep -E '\.gz$|changelog|copyright|README\.md' <<<"$contents"; then
    echo "$zip holds files of the Linux package" >&2
    exit 1
  fi
  echo "Built $zip"
fi
