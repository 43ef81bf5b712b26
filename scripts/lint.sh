#!/usr/bin/env bash
# clang-tidy and cppcheck over the project's own sources. Exits non-zero on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/lint
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null

mapfile -t sources < <(git ls-files 'platform/*.cpp' 'core/*.cpp' 'settings/*.cpp' 'gui/*.cpp' 'cli/*.cpp' 'sim/*.cpp')

status=0
echo "clang-tidy: ${#sources[@]} files"
printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null || status=1

echo "cppcheck"
cppcheck --quiet --error-exitcode=1 --std=c++20 --language=c++ \
  --enable=warning,performance,portability --inline-suppr \
  --suppress=missingIncludeSystem -I . "${sources[@]}" || status=1

exit "$status"
