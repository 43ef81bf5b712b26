#!/usr/bin/env bash
# The bash completion of tovrik-cli offers every subcommand that --help lists,
# each subcommand's options, and .s19 files.
#   bash_completion_test.sh COMPLETION TOVRIK_CLI
set -euo pipefail
completion=$1 cli=$2
source "$completion"
offer() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _tovrik_cli
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}
expect() {
  [ "$1" = "$2" ] || { echo "FAILED: $3: offered '$1', expected '$2'" >&2; exit 1; }
}

listed=$("$cli" --help | awk '/^Commands:/ { on = 1; next } /^$/ { on = 0 }
  on && /^  [a-z]/ { print $1 }' | sort -u | tr '\n' ' ')
expect "$(offer tovrik-cli "" | sed 's/--help --version //')" "$listed" "subcommands"
expect "$(offer tovrik-cli compare a.s19 -)" "-- --baud --device --port " "compare options"
expect "$(offer tovrik-cli download x.s19 --f)" "--force " "download options"

cd "$(mktemp -d)"
trap 'rm -rf "$PWD"' EXIT
touch backup.s19 notes.txt && mkdir old
expect "$(offer tovrik-cli verify "")" "backup.s19 old " ".s19 files and folders"
expect "$(offer tovrik-cli compare backup.s19 -- "")" "backup.s19 old " "file names after --"
echo PASSED
