#!/usr/bin/env bash
# Builds Tovrik in Release and starts it. Arguments go on to Tovrik (./run.sh backup.s19).
# ./run.sh --demo starts a simulated QARN device and maps COM1 to it for this run only.
set -euo pipefail
cd "$(dirname "$0")"

demo=0
if [ "${1:-}" = "--demo" ]; then
  demo=1
  shift
fi

./scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DTOVRIK_BUILD_TESTS=OFF -DTOVRIK_BUILD_BENCH=OFF >/dev/null
cmake --build build/release -j"$(nproc)" >/dev/null

if [ "$demo" -eq 0 ]; then
  exec build/release/gui/tovrik "$@"
fi

workdir=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT INT TERM

build/release/sim/qarn-sim --config res/sample.s19 --received "$workdir/received.s19" \
  --baud 38400 --link "$workdir/qarn" >"$workdir/sim.out" 2>"$workdir/sim.err" &
sim_pid=$!
for _ in $(seq 50); do
  [ -e "$workdir/qarn" ] && break
  sleep 0.1
done
if [ ! -e "$workdir/qarn" ]; then
  echo "The simulated device did not start:" >&2
  cat "$workdir/sim.err" >&2
  exit 1
fi
echo "Simulated QARN device on $(head -n 1 "$workdir/sim.out"), mapped to COM1 for this run."
echo "What Tovrik downloads to it is written to $workdir/received.s19 while Tovrik runs."
TOVRIK_COM1="$workdir/qarn" build/release/gui/tovrik "$@"
