#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A venue of ROOMS rooms on one broker, on this machine: a mosquitto of its own on a free
# loopback port, one `mirelune-cli serve --mqtt` per room on a virtual amplifier with the USB
# timing model (each room is a box of its own, as in a venue), and the fleet command. Reports
#   list:   `fleet list` of every room (median of 5 runs; goal <= 1 s);
#   set:    `fleet set` of one master volume in every room until all acknowledged (goal <= 2 s);
#   push:   `fleet push` of one mode into one room and into every room (goal: every room
#           <= 10 x one room);
#   rest:   the broker's and the boxes' resident memory and CPU over 20 s left alone.
# A benchmark, not a test: it asserts nothing.   bench/fleet.sh [ROOMS]
set -uo pipefail
cd "$(dirname "$0")/.."
rooms=${1:-200}
cli=$PWD/build/bin/mirelune-cli
[ -x "$cli" ] || { echo "build first: cmake --build build --target mirelune-cli" >&2; exit 1; }
command -v mosquitto >/dev/null || [ -x /usr/sbin/mosquitto ] || { echo "fleet benchmark skipped: mosquitto is not installed"; exit 0; }
mosquitto=$(command -v mosquitto || echo /usr/sbin/mosquitto)
work=$(mktemp -d)
[ -n "${KEEP:-}" ] && echo "work folder: $work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
url=mqtt://127.0.0.1:$port
cat >"$work/mosquitto.conf" <<CONF
listener $port 127.0.0.1
allow_anonymous true
persistence false
max_packet_size 1048576
user $(id -un)
CONF
ulimit -n 4096 2>/dev/null
"$mosquitto" -c "$work/mosquitto.conf" >"$work/broker.log" 2>&1 &
broker=$!
pids+=("$broker")
sleep 0.5

export XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run LANG=C.UTF-8
mkdir -p -m 700 "$work/run"
now_ms() { date +%s%3N; }
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
# utime + stime of a process, in clock ticks.
ticks() { awk '{print $14 + $15}' /proc/"$1"/stat 2>/dev/null || echo 0; }
rss_kb() { awk '/^VmRSS/ {print $2}' /proc/"$1"/status 2>/dev/null || echo 0; }
fleet() { "$cli" fleet --broker "$url" "$@"; }
# CPU of every box together, in milliseconds.
boxes_ms() { local t=0; for p in "${boxes[@]}"; do t=$(( t + $(ticks "$p") )); done; echo $(( t * 1000 / $(getconf CLK_TCK) )); }
online() { fleet list --json 2>/dev/null | grep -c '"link": true'; }

echo "starting $rooms rooms..."
t0=$(now_ms)
boxes=()
for i in $(seq -w 1 "$rooms"); do
  # Each box keeps its own settings, as a box of its own would.
  HOME=$work/box$i XDG_CONFIG_HOME=$work/box$i/config \
    "$cli" --device "virtual:r$i" --faults usbtiming serve --listen 127.0.0.1:0 \
    --mqtt "$url" --site bench --room "r$i" >/dev/null 2>"$work/r$i.err" &
  boxes+=("$!")
  pids+=("$!")
done
for _ in $(seq 1 240); do
  [ "$(online)" -ge "$rooms" ] && break
  sleep 1
done
n=$(online)
echo "rooms online with their amplifier: $n of $rooms after $(( ($(now_ms) - t0) / 1000 )) s"
[ "$n" -ge "$rooms" ] || { echo "not every room came up; see $work/r*.err" >&2; }
sleep 3  # the boxes' start-up work settles

for _ in 1 2 3 4 5; do
  a=$(now_ms); fleet list >/dev/null; echo $(( $(now_ms) - a ))
done | median | xargs echo "fleet list, $rooms rooms (median of 5):" | sed 's/$/ ms/'

c=$(boxes_ms); a=$(now_ms)
fleet set 'bench/*' 音乐总音量=25 >"$work/set.out"
status=$?
echo "fleet set to $rooms rooms: $(( $(now_ms) - a )) ms, exit $status, $(grep -c $'\tok' "$work/set.out") acknowledged;" \
  "the boxes' CPU $(( ($(boxes_ms) - c) / rooms )) ms per room"

"$cli" defaults -o "$work/venue.sp"
for _ in 1 2 3; do
  a=$(now_ms); fleet push "$work/venue.sp" --mode 2 --rooms bench/r$(seq -w 1 "$rooms" | head -1) >/dev/null; echo $(( $(now_ms) - a ))
done | median >"$work/one"
c=$(boxes_ms); a=$(now_ms)
fleet push "$work/venue.sp" --mode 2 --rooms 'bench/*' >"$work/push.out"
status=$?
all=$(( $(now_ms) - a ))
cpu=$(( ($(boxes_ms) - c) / rooms ))
one=$(cat "$work/one")
echo "fleet push, one room: $one ms (median of 3); every room: $all ms, exit $status," \
  "$(grep -c $'\tok' "$work/push.out") ok; ratio $(awk -v a="$all" -v o="$one" 'BEGIN {printf "%.1f", a / o}');" \
  "the boxes' CPU $cpu ms per room"

echo "resting 20 s..."
sleep 2
hz=$(getconf CLK_TCK)
b0=$(ticks "$broker")
declare -A s0
for p in "${boxes[@]}"; do s0[$p]=$(ticks "$p"); done
sleep 20
b1=$(ticks "$broker")
total=0
for p in "${boxes[@]}"; do total=$(( total + $(ticks "$p") - ${s0[$p]} )); done
echo "broker at rest: $(rss_kb "$broker") kB resident, CPU $(awk -v t=$((b1 - b0)) -v hz="$hz" 'BEGIN {printf "%.2f", 100 * t / hz / 20}') %"
for p in "${boxes[@]}"; do rss_kb "$p"; done | median | xargs echo "one box at rest (median): resident kB"
echo "boxes at rest: CPU $(awk -v t="$total" -v hz="$hz" -v n="$rooms" 'BEGIN {printf "%.3f", 100 * t / hz / 20 / n}') % each on average" \
  "($(awk -v t="$total" -v hz="$hz" 'BEGIN {printf "%.1f", 100 * t / hz / 20}') % all together)"
