#!/usr/bin/env bash
# Prints make bench's report (what, figure, baseline, ratio: tab-separated)
# as one Markdown table, with the date and the machine.
set -euo pipefail
report=$1
echo
echo "Benchmarks, $(date -u '+%Y-%m-%d'), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'):"
echo
echo "| what | ours | baseline (same run) | ratio |"
echo "|---|---|---|---|"
while IFS=$'\t' read -r what ours baseline ratio; do
  echo "| $what | $ours | $baseline | $ratio |"
done <"$report"
