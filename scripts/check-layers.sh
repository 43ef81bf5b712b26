#!/usr/bin/env bash
# Fails when a source includes a layer above its own, or when anything outside
# platform/ includes platform/posix or platform/win32. Includes name paths from
# the repository root; a bare name is a file of the including file's folder.
set -euo pipefail
cd "$(dirname "$0")/.."

# The layers each folder may include, besides its own folder.
allowed() {
  case "$1" in
    platform/common) echo "" ;;
    platform/posix|platform/win32) echo "platform/common" ;;
    core/data|core/serial) echo "platform/common" ;;
    core/transfer) echo "platform/common core/data core/serial" ;;
    settings) echo "platform/common core/data core/serial" ;;
    app) echo "platform/common core/data core/serial core/transfer settings" ;;
    gui|gui-win32|cli) echo "platform/common core/data core/serial core/transfer settings app res" ;;
    sim) echo "platform/common core/data core/serial res" ;;
    tests|fuzz|bench) echo "platform/common core/data core/serial core/transfer settings app gui gui-win32 cli sim res tests fuzz bench" ;;
  esac
}

# The layer a path belongs to.
layer_of() {
  case "$1" in
    platform/common/*) echo platform/common ;;
    platform/posix/*) echo platform/posix ;;
    platform/win32/*) echo platform/win32 ;;
    core/data/*) echo core/data ;;
    core/serial/*) echo core/serial ;;
    core/transfer/*) echo core/transfer ;;
    settings/*) echo settings ;;
    app/*) echo app ;;
    gui/*) echo gui ;;
    gui-win32/*) echo gui-win32 ;;
    cli/*) echo cli ;;
    sim/*) echo sim ;;
    res/*) echo res ;;
    tests/*) echo tests ;;
    fuzz/*) echo fuzz ;;
    bench/*) echo bench ;;
    *) echo unknown ;;
  esac
}

status=0
while IFS= read -r file; do
  own=$(layer_of "$file")
  ok=" $own $(allowed "$own") "
  while IFS= read -r included; do
    [[ "$included" == */* ]] || continue  # a file of the same folder
    target=$(layer_of "$included")
    if [[ "$ok" != *" $target "* ]]; then
      echo "$file: includes $included, of the layer $target above it" >&2
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files '*.cpp' '*.h')
[ "$status" -eq 0 ] && echo "layers: every include names its own layer or one below"
exit "$status"
