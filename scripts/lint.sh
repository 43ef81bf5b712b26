#!/usr/bin/env bash
# clang-tidy and cppcheck over every source of the project: the programs, the
# tests, the fuzz targets and the benchmarks. Exits non-zero on any finding.
# Expects the lint preset to be configured (./test.sh --lint does it).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/lint
# The Windows sources are compiled only by the Windows build (./test.sh
# --windows), with warnings as strict; this compile database has none of them.
mapfile -t sources < <(git ls-files '*.cpp' ':!:*/win32/*' ':!:gui-win32/*' ':!:tests/windows/*')

status=0
echo "clang-tidy: ${#sources[@]} files"
printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null || status=1

echo "cppcheck"
# Includes name paths from the repository's root; the version header is
# generated into the build.
includes=(-I . -I "$build/generated")
cppcheck --quiet --error-exitcode=1 --std=c++20 --language=c++ \
  --enable=warning,performance,portability --inline-suppr \
  --suppress=missingIncludeSystem --library=googletest --library=qt --library=posix \
  "${includes[@]}" "${sources[@]}" || status=1

echo "include layers"
./scripts/check-layers.sh || status=1

exit "$status"
