#!/usr/bin/env bash
# Prints the tests' share of the code: non-blank lines of .c, .cpp and .h
# files under tests/ and testkit/ (what the tests share with the benchmarks)
# against those of the engine, the game, the network
# layer, the sound layer and the tools. Warns above 33 %, fails above 40 %.
set -euo pipefail
cd "$(dirname "$0")/.."

WARN_PERCENT=33
FAIL_PERCENT=40

count() {
  find "$@" -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 cat | grep -cv '^[[:space:]]*$'
}

tests=$(count tests testkit)
code=$(count engine game net2src fsound tools)
share=$((100 * tests / code))
echo "test-share: tests ${tests} lines, code ${code} lines: ${share} %"
if ((100 * tests > FAIL_PERCENT * code)); then
  echo "test-share: tests are over ${FAIL_PERCENT} % of the code" >&2
  exit 1
fi
if ((100 * tests > WARN_PERCENT * code)); then
  echo "test-share: warning: tests are over ${WARN_PERCENT} % of the code" >&2
fi
