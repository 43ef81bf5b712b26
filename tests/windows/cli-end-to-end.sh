#!/usr/bin/env bash
# tovrik-cli.exe end to end under Wine, run by scripts/wine-test.sh: COM5 is
# qarn-sim (holding CONFIG, writing what it receives to received.s19), COM6 a
# regular file, COM200 nothing.
#   cli-end-to-end.sh TOVRIK-CLI.EXE CONFIG.s19
set -uo pipefail
cli=$1
config=$2
run=${TOVRIK_TEST_RUN#Z:}
failures=0
passed=0

# Runs tovrik-cli.exe; its output goes to $run/out and $run/err.
tovrik() {
  "$WINE" "$cli" "$@" >"$run/out" 2>"$run/err"
}

# What the last run printed, without Windows' carriage returns, indented.
said() {
  local stream
  for stream in out err; do
    echo "  its std$stream:"
    tr -d '\r' <"$run/$stream" | sed 's/^/    | /'
  done
}

check() {  # check DESCRIPTION EXPECTED-STATUS ACTUAL-STATUS [TEXT-IN-OUTPUT]
  local what=$1 want=$2 got=$3 text=${4:-}
  if [ "$got" != "$want" ]; then
    echo "FAIL: $what: exit status $got, expected $want" >&2
    said >&2
    failures=$((failures + 1))
  elif [ -n "$text" ] && ! grep -qF -- "$text" "$run/out" "$run/err"; then
    echo "FAIL: $what: no \"$text\" in its output" >&2
    said >&2
    failures=$((failures + 1))
  else
    echo "ok: $what"
    passed=$((passed + 1))
  fi
}

same() {  # same DESCRIPTION FILE EXPECTED
  if cmp -s "$2" "$3"; then
    echo "ok: $1"
    passed=$((passed + 1))
  else
    echo "FAIL: $1: $2 differs from $3" >&2
    failures=$((failures + 1))
  fi
}

tovrik --version
check "--version" 0 $? "tovrik-cli "

# The help speaks of Windows: its exit statuses and port names, in 80 columns.
tovrik --help
check "--help names Ctrl+Break's exit status" 0 $? "149 by Ctrl+Break"
check "--help names a Windows port" 0 0 '\\.\COM5'
tr -d '\r' <"$run/out" | awk 'length > 79 { print "FAIL: --help line over 79 columns: " $0; bad = 1 }
  /SIG[A-Z]|\/dev\// { print "FAIL: --help speaks of Linux: " $0; bad = 1 } END { exit bad }' >&2
check "--help fits in 80 columns and speaks of Windows only" 0 $?

# A download that qarn-sim receives byte for byte (a short configuration, so
# with --force).
tovrik download "Z:$config" --force --port '\\.\COM5' --baud 38400
check "download to COM5" 0 $? "Download finished."
for _ in $(seq 50); do
  [ -f "$run/received.s19" ] && break
  sleep 0.1
done
same "qarn-sim received the configuration" "$run/received.s19" "$config"

# The configuration is shorter than a whole one: the upload does not finish
# and writes nothing, and --force writes what was received, byte for byte.
tovrik upload "Z:$run/upload.s19" --port '\\.\COM5' --baud 38400
check "an upload that is not whole" 1 $? "Upload incomplete: "
[ ! -e "$run/upload.s19" ]
check "an upload that is not whole writes no file" 0 $?
tovrik upload "Z:$run/upload.s19" --port '\\.\COM5' --baud 38400 --force
check "upload from COM5 with --force" 1 $? "as --force asked"
same "the upload saved the configuration" "$run/upload.s19" "$config"

# COM1 through the profile, as the desktop program would have set it. COM1
# itself must never be opened: check the registry took the value first.
key='HKCU\Software\Local AppWizard-Generated Applications\Tovrik'
"$WINE" reg add "$key\\PORTS" /v COM1 /t REG_SZ /d '\\.\COM5' /f >/dev/null
"$WINE" reg add "$key\\INITALISATION" /v BRSEL /t REG_DWORD /d 6 /f >/dev/null
if "$WINE" reg query "$key\\PORTS" /v COM1 2>/dev/null | grep -qF '\\.\COM5'; then
  tovrik upload "Z:$run/profile.s19" --force
  check "upload from COM1 as the profile sets it" 1 $? "Upload incomplete: "
  check "stderr names the port and rate the profile gave" 0 0 \
    'using COM1 (\\.\COM5) at 38400 baud, from the profile'
  same "the upload through the profile saved the configuration" "$run/profile.s19" "$config"
else
  echo "FAIL: the profile's PORTS value was not written; COM1 is not tried" >&2
  failures=$((failures + 1))
fi

# The same exit statuses and hints as on Linux.
tovrik upload "Z:$run/none.s19" --port '\\.\COM200' --baud 38400
check "a port that does not exist" 1 $? "There is no such device: check the port setting."
tovrik upload "Z:$run/none.s19" --port '\\.\COM6' --baud 38400
check "a file given as the port" 1 $? "That device is not a serial port."
[ ! -e "$run/none.s19" ]
check "a failed upload writes no file" 0 $?
tovrik download "Z:$run/missing.s19" --port '\\.\COM5'
check "a download of a missing file" 2 $? "The system cannot find the file specified."
tovrik upload "Z:$run/no/such/folder/x.s19" --port '\\.\COM5'
check "an upload into a missing folder" 2 $? "Cannot save"
# The ports the serial drivers list, by the names `ports` prints.
tovrik ports
check "ports lists COM5" 0 $? '\\.\COM5'
tovrik upload "Z:$run/named.s19" --port com5 --baud 38400 --force
check "an upload from a port named as ports lists it" 1 $? "Upload incomplete: "
same "the upload from the named port saved the configuration" "$run/named.s19" "$config"
# Any other bare name is a device of that name, which is not there.
tovrik upload "Z:$run/x.s19" --port COM99
check "a port name that is not there" 1 $? 'Cannot open port \\.\COM99: The system cannot find'
[ ! -e "$run/x.s19" ]
check "an upload from a missing port writes no file" 0 $?
tovrik frobnicate
check "an unknown command" 2 $? "unknown command"

echo "$passed passed, $failures failed"
[ "$failures" = 0 ]
