#!/usr/bin/env bash
# make soak: the real game under Xvfb for SOAK_MINUTES (default 10) with
# random input (walking, jumping, shooting, pauses) driven by xdotool, and
# beside it the network layer's own soak for the same time.
# Every 10 s it samples the game's resident memory, every minute a
# screenshot (kept in BUILD_DIR/soak/). Fails if the game dies, if two
# screenshots a minute apart are identical while keys were held, if its
# memory after the first minute grows by more than 1 MiB, or if the network
# soak fails. Prints the memory curve. SOAK_SEED repeats an input sequence.
#   scripts/soak.sh BUILD_DIR
set -euo pipefail

build_dir=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
if [[ "${2:-}" != --inside ]]; then
  exec env XVFB_SCREEN=640x480x24 "$here/with-display.sh" "$here/soak.sh" "$build_dir" --inside
fi

minutes=${SOAK_MINUTES:-10}
seed=${SOAK_SEED:-$$}
RANDOM=$seed
SAMPLE_S=10
SHOT_S=60
GROWTH_LIMIT_KB=1024
out="$build_dir/soak"
rm -rf "$out"
mkdir -p "$out"
export SDL_AUDIODRIVER=dummy
echo "soak: $minutes min, seed $seed, screenshots in $out"

"$build_dir/tests/net2_soak" "$minutes" >"$out/net2_soak.log" 2>&1 &
net_pid=$!
(cd "$build_dir/data" && exec "$build_dir/game/plateforme") >"$out/game.log" 2>&1 &
game_pid=$!
trap 'kill $game_pid $net_pid 2>/dev/null || true' EXIT

window=$(timeout 10 xdotool search --sync --onlyvisible --pid "$game_pid" 2>/dev/null | head -n 1 || true)
[[ -n "$window" ]] || { echo "soak: the game opened no window" >&2; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"

failure=""
rss() { awk '/^VmRSS:/ {print $2}' "/proc/$game_pid/status" 2>/dev/null || echo 0; }
alive() { kill -0 "$game_pid" 2>/dev/null; }

# One random move of about a second: a direction held, maybe a jump or a
# shot on the way, or a pause.
move() {
  local dir=Right
  ((RANDOM % 2)) && dir=Left
  case $((RANDOM % 5)) in
    0) sleep 0.5 ;;
    1) xdotool keydown "$dir"; sleep 0.8; xdotool keyup "$dir" ;;
    2) xdotool keydown "$dir" Up; sleep 0.3; xdotool keyup Up; sleep 0.5; xdotool keyup "$dir" ;;
    3) xdotool keydown "$dir" space; sleep 0.8; xdotool keyup space "$dir" ;;
    4) xdotool keydown space; sleep 0.4; xdotool keyup space ;;
  esac
}

# A screenshot taken while Right and space are held.
shot() {
  xdotool keydown Right space
  sleep 0.3
  import -window "$window" "$out/$1.png" 2>/dev/null || true
  xdotool keyup space Right
}

samples=()
start=$SECONDS
next_sample=$SAMPLE_S
next_shot=$SHOT_S
shots=0
while ((SECONDS - start < minutes * 60)); do
  alive || { failure="the game died"; break; }
  move
  elapsed=$((SECONDS - start))
  if ((elapsed >= next_sample)); then
    samples+=("$elapsed $(rss)")
    next_sample=$((next_sample + SAMPLE_S))
  fi
  if ((elapsed >= next_shot)); then
    shots=$((shots + 1))
    shot "$(printf 'minute-%03d' "$shots")"
    if ((shots > 1)); then
      previous=$(printf '%s/minute-%03d.png' "$out" $((shots - 1)))
      current=$(printf '%s/minute-%03d.png' "$out" "$shots")
      differing=$(compare -metric AE "$previous" "$current" null: 2>&1 || true)
      [[ "$differing" == 0 ]] && { failure="the game stopped drawing (minute $shots)"; break; }
    fi
    next_shot=$((next_shot + SHOT_S))
  fi
done

if [[ -z "$failure" ]]; then
  xdotool key Escape
  for _ in $(seq 50); do alive || break; sleep 0.1; done
  if alive; then
    failure="the game did not end on Escape"
  else
    status=0
    wait "$game_pid" || status=$?
    ((status == 0)) || failure="the game ended with status $status"
  fi
fi

echo "soak: resident memory (kB) every $SAMPLE_S s:"
baseline=""
growth=0
for s in "${samples[@]}"; do
  set -- $s
  echo "  $1 s  $2"
  if (($1 >= 60)); then
    [[ -n "$baseline" ]] || baseline=$2
    (($2 - baseline > growth)) && growth=$(($2 - baseline))
  fi
done
echo "soak: growth after the first minute: $growth kB (limit $GROWTH_LIMIT_KB)"
((growth <= GROWTH_LIMIT_KB)) || failure=${failure:-"memory grew by $growth kB"}

net_status=0
wait "$net_pid" || net_status=$?
cat "$out/net2_soak.log"
((net_status == 0)) || failure=${failure:-"the network soak failed"}

if [[ -n "$failure" ]]; then
  echo "soak: FAILED: $failure" >&2
  exit 1
fi
echo "soak: passed"
