#!/usr/bin/env bash
# Runs a command with an X display and SDL's dummy audio driver.
# When DISPLAY is unset, starts Xvfb (24-bit, -noreset, screen size from
# XVFB_SCREEN) on a free display number and stops it when the command ends.
set -euo pipefail

export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

if [[ -n "${DISPLAY:-}" ]]; then
  exec "$@"
fi

fdfile=$(mktemp)
# -displayfd makes Xvfb pick a free display number and report it once ready.
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$fdfile" \
  >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; rm -f "$fdfile"; }
trap cleanup EXIT

for _ in $(seq 100); do
  [[ -s "$fdfile" ]] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "with-display: Xvfb failed to start" >&2; exit 1; }
  sleep 0.1
done
[[ -s "$fdfile" ]] || { echo "with-display: Xvfb did not report a display" >&2; exit 1; }

export DISPLAY=":$(tr -d '\n' <"$fdfile")"
"$@"
