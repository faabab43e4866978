#!/usr/bin/env bash
# Starts the game from its data directory: scripts/run-demo.sh [BUILD_DIR]
# (run again as run-demo.sh BUILD_DIR --scripted under with-display.sh)
# With a display it simply runs the game in a window. Without one it says
# so, starts Xvfb, plays a short scripted session with xdotool (walk right,
# jump, shoot, walk left, Escape), saves screenshots to BUILD_DIR/screenshots
# and reports the game's exit status. Every wait is bounded.
# With RECORD=FILE the game records its inputs into FILE (an absolute path).
set -euo pipefail

build_dir=$(cd "${1:-build}" && pwd)
game="$build_dir/game/plateforme"
data="$build_dir/data"
[[ -x "$game" ]] || { echo "run-demo: $game is not built" >&2; exit 1; }
[[ -f "$data/dirod.map" ]] || { echo "run-demo: no game data in $data" >&2; exit 1; }

here=$(cd "$(dirname "$0")" && pwd)
if [[ "${2:-}" != --scripted ]]; then
  if [[ -n "${DISPLAY:-}" ]]; then
    cd "$data"
    [[ -n "${RECORD:-}" ]] && exec "$game" --record "$RECORD"
    exec "$game"
  fi
  echo "run-demo: no display (DISPLAY is not set): playing a scripted session under Xvfb;"
  echo "run-demo: screenshots go to $build_dir/screenshots"
  # A screen the size of the window, so the whole screen is the game.
  exec env XVFB_SCREEN=640x480x24 "$here/with-display.sh" "$here/run-demo.sh" "$build_dir" --scripted
fi

shots="$build_dir/screenshots"
rm -rf "$shots"
mkdir -p "$shots"
game_pid=""
cleanup() {
  [[ -n "$game_pid" ]] && kill "$game_pid" 2>/dev/null || true
}
trap cleanup EXIT
# No sound card here.
export SDL_AUDIODRIVER=dummy

record=()
[[ -n "${RECORD:-}" ]] && record=(--record "$RECORD")
(cd "$data" && exec "$game" "${record[@]}") >"$shots/game.log" 2>&1 &
game_pid=$!

window=$(timeout 10 xdotool search --sync --onlyvisible --pid "$game_pid" 2>/dev/null | head -n 1 || true)
if [[ -z "$window" ]]; then
  echo "run-demo: the game opened no window; its output:" >&2
  cat "$shots/game.log" >&2
  exit 1
fi
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"

shot() {
  import -window "$window" "$shots/$1.png" 2>/dev/null || echo "run-demo: screenshot $1 failed" >&2
}
hold() {  # hold KEY SECONDS
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}

sleep 1
shot 01-start
xdotool keydown Right
sleep 0.5
shot 02-walking-right
sleep 0.7
shot 03-further-right
xdotool keyup Right
sleep 0.3
hold Up 0.1
sleep 0.1
shot 04-jumping
sleep 0.8
xdotool keydown space
sleep 0.3
shot 05-shooting
sleep 0.5
xdotool keyup space
sleep 0.3
xdotool keydown Left
sleep 0.6
shot 06-walking-left
xdotool keyup Left
sleep 1.5
shot 07-flies
hold Escape 0.2

status=""
for _ in $(seq 50); do
  if ! kill -0 "$game_pid" 2>/dev/null; then
    set +e
    wait "$game_pid"
    status=$?
    set -e
    break
  fi
  sleep 0.1
done
if [[ -z "$status" ]]; then
  echo "run-demo: the game did not quit within 5 s of Escape; stopping it" >&2
  kill "$game_pid" 2>/dev/null || true
  wait "$game_pid" 2>/dev/null || true
  game_pid=""
  exit 1
fi
game_pid=""
echo "run-demo: the game exited with status $status; its output is in $shots/game.log"
echo "run-demo: screenshots:"
ls -1 "$shots"/*.png | sed 's/^/  /'
exit "$status"
