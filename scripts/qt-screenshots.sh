#!/usr/bin/env bash
# Makes docs/compare.png: the main window after Compare with Device found a
# byte the simulated device did not store, as the window test draws it
# offscreen (TOVRIK_SCREENSHOTS) on a screen of 1366 x 768, of which the main
# window takes half. Needs the plain build.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/plain
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
printf '{"screens": [{"name": "shot", "x": 0, "y": 0, "width": 1366, "height": 768}]}\n' \
  >"$shots/screen.json"
QT_QPA_PLATFORM="offscreen:configfile=$shots/screen.json" QARN_SIM="$build/sim/qarn-sim" \
  HOME="$shots" XDG_CONFIG_HOME="$shots/config" TOVRIK_SCREENSHOTS="$shots" \
  "$build/tests/gui/gui_tests" --gtest_filter='CompareTest.WithDevice*'
cp "$shots/compare.png" docs/compare.png
echo "Made docs/compare.png"
