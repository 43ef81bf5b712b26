#!/usr/bin/env bash
# Runs one Windows test program (or a test script that runs Windows programs)
# under Wine, in a fresh Wine prefix of its own, and removes it afterwards.
#
#   wine-test.sh --template DIR [--sim "QARN-SIM ARGS"] [--not-a-port] [--small-disk]
#                [--display] (--script FILE.sh | --) PROGRAM.exe [ARGS...]
#
# Wine makes no window without an X display. --display runs the whole Wine
# session on a display of its own, an Xvfb server of 1024 x 768 pixels
# (xvfb-run); without it Wine runs with no display at all. Xvfb runs no window
# manager, so the prefix has Wine draw every window's frame and title bar
# itself (unmanaged windows), with its own fonts (fonts-wine): the dialogs'
# "MS Sans Serif", and Marlett for the title bars' buttons.
#
# The serial ports. A new prefix maps com1 to /dev/ttyS0, which may be the
# system console, and Wine maps every /dev/ttyS*, ttyUSB* and ttyACM* it finds
# to a COM port each time it starts. So, before any test program runs:
#   - the prefix's registry (HKLM\Software\Wine\Ports) sets COM1..COM4 to
#     nothing, COM5 to the simulated device and COM6 to a file;
#   - Wine is started with a harmless command and the script waits until its
#     mount manager has made the ports (a session that makes none in 20 s is
#     started again, three times at most); every com link it made for a
#     device of this machine is removed, and the script checks that com1..com4
#     are gone and that com5 and com6 lead where they should, or stops; the
#     serial drivers' list (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, which the
#     port lists read) keeps only the ports that lead somewhere;
#   - only then does the test run, in that same Wine session.
# COM5 is qarn-sim's pseudo-terminal (--sim: qarn-sim runs natively, started
# with these arguments, --received RUN/received.s19 and its terminal linked
# into the prefix); COM6 is a regular file (--not-a-port).
#
# The test sees TOVRIK_TEST_RUN: the run's folder as Windows names it (Z:...),
# where qarn-sim writes received.s19. --small-disk mounts a full 256 KiB
# tmpfs there (needs root; TOVRIK_SMALL_DISK names it, holding old.s19).
set -euo pipefail

all_args=("$@")
template=""
sim_args=""
script=""
not_a_port=0
small_disk=0
display=0
while [ $# -gt 0 ]; do
  case "$1" in
    --template) template=$2; shift 2 ;;
    --sim) sim_args=$2; shift 2 ;;
    --not-a-port) not_a_port=1; shift ;;
    --small-disk) small_disk=1; shift ;;
    --display) display=1; shift ;;
    --script) script=$2; shift 2; break ;;
    --) shift; break ;;
    *) echo "wine-test.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[ -n "$template" ] || { echo "wine-test.sh: --template is required" >&2; exit 2; }

if [ "$display" = 1 ] && [ -z "${TOVRIK_WINE_DISPLAY:-}" ]; then
  # The same script again, inside xvfb-run, which picks a free display number.
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    env TOVRIK_WINE_DISPLAY=1 "$0" "${all_args[@]}"
fi

wine=${TOVRIK_WINE:-/usr/lib/wine/wine64}
wineserver=${TOVRIK_WINESERVER:-/usr/lib/wine/wineserver}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$display" = 0 ]; then
  export DISPLAY=""
fi
unset WAYLAND_DISPLAY

# -- the template prefix, made once and shared read-only by every run --------
make_template() {
  local prefix=$template/prefix
  export DISPLAY=""  # the same template, whichever run makes it
  rm -rf "$prefix"
  mkdir -p "$template"
  WINEPREFIX=$prefix "$wine" wineboot --init >/dev/null 2>&1
  local ports='HKLM\Software\Wine\Ports'
  for n in 1 2 3 4; do
    WINEPREFIX=$prefix "$wine" reg add "$ports" /v "COM$n" /t REG_SZ /d "" /f >/dev/null
  done
  # Relative to dosdevices/, so that every copy of the prefix has its own.
  WINEPREFIX=$prefix "$wine" reg add "$ports" /v COM5 /t REG_SZ /d "../qarn-com5" /f >/dev/null
  WINEPREFIX=$prefix "$wine" reg add "$ports" /v COM6 /t REG_SZ /d "../qarn-com6" /f >/dev/null
  # Xvfb runs no window manager: Wine draws the windows' title bars and frames
  # itself, as Windows does, and shows a window without waiting for a manager
  # that never answers.
  WINEPREFIX=$prefix "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N \
    /f >/dev/null
  WINEPREFIX=$prefix "$wineserver" -w
  # Wine's own fonts (fonts-wine), where Windows keeps its fonts: the dialogs'
  # "MS Sans Serif", Tahoma, and Marlett for the title bars' buttons. Debian's
  # Wine does not look for them where the package puts them.
  if compgen -G '/usr/share/wine/fonts/*' >/dev/null; then
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
  fi
  rm -f "$prefix"/dosdevices/com* "$prefix"/dosdevices/lpt*
  echo "$stamp" >"$template/ready"
}
# A new Wine, or a new way of making the template, makes a new template.
stamp="$("$wine" --version) ports 1-4 none, 5 sim, 6 file; unmanaged windows, $(
  find /usr/share/wine/fonts -type f 2>/dev/null | wc -l) fonts of Wine's"
mkdir -p "$template"
template=$(cd "$template" && pwd)  # Wine wants an absolute prefix
(
  flock 9
  if [ ! -f "$template/ready" ] || [ "$(cat "$template/ready")" != "$stamp" ]; then
    make_template
  fi
) 9>"$template.lock"

# -- this run's prefix: hard links to the template, its registry copied ------
run=$(mktemp -d "$template/../wine-run.XXXXXX")
run=$(cd "$run" && pwd)
export WINEPREFIX=$run/prefix
serialcomm='HKLM\HARDWARE\DEVICEMAP\SERIALCOMM'
# The serial drivers' list as "NAME PORT" lines.
serial_ports() {
  { "$wine" reg query "$serialcomm" 2>/dev/null || true; } | tr -d '\r' |
    awk '$2 == "REG_SZ" { print $1, $3 }'
}
stop_session() {
  "$wineserver" -k 2>/dev/null || true
  timeout 30 "$wineserver" -w 2>/dev/null || true
}
# What Wine made of the ports, for a run that went wrong.
show_ports() {
  echo "--- the prefix's devices:"
  ls -l "$WINEPREFIX/dosdevices" || true
  echo "--- the serial drivers' list:"
  serial_ports
}
sim_pid=""
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
  local status=$?
  stop_session
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  if mountpoint -q "$run/small" 2>/dev/null; then
    umount "$run/small" || true
  fi
  rm -rf "$run"
  exit "$status"
}
trap cleanup EXIT
cp -al "$template/prefix" "$WINEPREFIX"
for f in "$WINEPREFIX"/*.reg; do
  cp --remove-destination "$template/prefix/$(basename "$f")" "$f"
done
rm -rf "$WINEPREFIX/dosdevices"
mkdir "$WINEPREFIX/dosdevices"
ln -s ../drive_c "$WINEPREFIX/dosdevices/c:"
ln -s / "$WINEPREFIX/dosdevices/z:"
export TOVRIK_TEST_RUN="Z:$run"

if [ -n "$sim_args" ]; then
  sim=${QARN_SIM:?QARN_SIM names the native qarn-sim}
  # shellcheck disable=SC2086  # the arguments are split as given
  "$sim" $sim_args --received "$run/received.s19" --log "$run/sim.log" --link "$WINEPREFIX/qarn-com5" \
    >"$run/sim.out" 2>"$run/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do
    [ -L "$WINEPREFIX/qarn-com5" ] && break
    sleep 0.05
  done
  [ -L "$WINEPREFIX/qarn-com5" ] || { echo "qarn-sim did not start:" >&2; cat "$run/sim.err" >&2; exit 1; }
fi
if [ "$not_a_port" = 1 ]; then
  echo "a regular file, not a serial port" >"$run/not-a-port"
  ln -s "$run/not-a-port" "$WINEPREFIX/qarn-com6"
fi
if [ "$small_disk" = 1 ] && [ "$(id -u)" = 0 ]; then
  mkdir "$run/small"
  mount -t tmpfs -o size=256k tovrik-wine-test "$run/small"
  printf 'old configuration\r\n' >"$run/small/old.s19"
  head -c 1M /dev/zero >"$run/small/filler" 2>/dev/null || true
  export TOVRIK_SMALL_DISK="Z:$run/small"
fi

# -- start Wine, then take every real serial port away from it ---------------
# Wine's mount manager makes the com links and the serial drivers' list as a
# session starts; on a loaded machine a test once ran in a session that had
# made none. The session is ready once the links this run needs are there and
# the list has stopped growing.
session_ready() {
  local before now
  for _ in $(seq 40); do
    if { [ -z "$sim_args" ] || [ -L "$WINEPREFIX/dosdevices/com5" ]; } &&
      { [ "$not_a_port" = 0 ] || [ -L "$WINEPREFIX/dosdevices/com6" ]; } &&
      "$wine" reg query "$serialcomm" >/dev/null 2>&1; then
      before=$(serial_ports)
      sleep 0.3
      now=$(serial_ports)
      [ "$now" = "$before" ] && return 0
    else
      sleep 0.5
    fi
  done
  return 1
}
for attempt in 1 2 3; do
  "$wineserver" -p
  "$wine" cmd /c exit >/dev/null 2>&1
  session_ready && break
  echo "wine-test.sh: Wine session $attempt made no serial ports in 20 s" >&2
  show_ports >&2
  stop_session
  if [ "$attempt" = 3 ]; then
    exit 1
  fi
done
scrub() {
  local link name
  for link in "$WINEPREFIX"/dosdevices/com* "$WINEPREFIX"/dosdevices/lpt*; do
    [ -L "$link" ] || continue
    name=$(basename "$link")
    if [ "$name" != com5 ] && [ "$name" != com6 ]; then
      rm -f "$link"
    fi
  done
  for n in 1 2 3 4; do
    if [ -e "$WINEPREFIX/dosdevices/com$n" ] || [ -L "$WINEPREFIX/dosdevices/com$n" ]; then
      echo "wine-test.sh: com$n still exists; no test is run" >&2
      exit 1
    fi
  done
  for n in 5 6; do
    local target
    target=$(readlink "$WINEPREFIX/dosdevices/com$n" || true)
    if [ -n "$target" ] && [ "$target" != "../qarn-com$n" ]; then
      echo "wine-test.sh: com$n leads to $target; no test is run" >&2
      exit 1
    fi
  done
  # The serial drivers' list (what the port lists show) names only the ports
  # that lead somewhere.
  local value port
  while read -r value port; do
    if [ ! -e "$WINEPREFIX/dosdevices/${port,,}" ]; then
      "$wine" reg delete "$serialcomm" /v "$value" /f >/dev/null 2>&1
    fi
  done < <(serial_ports)
}
scrub

status=0
if [ -n "$script" ]; then
  WINE=$wine bash "$script" "$@" || status=$?
else
  "$wine" "$@" || status=$?
fi
if [ -n "$sim_pid" ] && [ "$status" != 0 ]; then
  echo "--- qarn-sim said:" >&2
  cat "$run/sim.err" >&2 || true
  echo "--- the last lines qarn-sim received, with their times:" >&2
  tail -n 30 "$run/sim.log" >&2 || true
fi
if [ "$status" != 0 ]; then
  show_ports >&2
fi
exit "$status"
