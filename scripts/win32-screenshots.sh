#!/usr/bin/env bash
# Makes the pictures of tovrik.exe in docs/ under Wine, as the window tests
# take them (TOVRIK_SCREENSHOTS): the main window with a configuration, the
# main window after a compare with a file, pointing at a difference on the
# strip, the transfer dialog during an upload, and the About box. Needs the Windows build
# (./test.sh --windows) and ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/.."
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
TOVRIK_SCREENSHOTS="Z:$shots" ctest --test-dir build/windows -R '^win32_gui_tests$' \
  --output-on-failure
for name in main-window compare upload about; do
  convert "$shots/$name.bmp" -alpha off -strip "docs/win32-$name.png"
done
echo "Made docs/win32-main-window.png, docs/win32-compare.png, docs/win32-upload.png and" \
  "docs/win32-about.png"
