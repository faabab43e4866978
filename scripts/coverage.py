#!/usr/bin/env python3
"""Summarises a gcovr JSON report: line and branch coverage per folder and in
total, and the error paths (a fatal message or an exit) that the run reached.

usage: coverage.py REPORT.json [ERROR_PATHS_OUT]
"""
import json
import re
import sys

FOLDERS = ["engine", "game", "net2src", "fsound", "tools"]
ERROR_PATH = re.compile(r"\bZEL_fatal(To)?\s*\(|\bexit\s*\(|\babort\s*\(")


def folder_of(name):
    top = name.split("/", 1)[0]
    return top if top in FOLDERS else None


def main():
    report = json.load(open(sys.argv[1]))
    totals = {f: [0, 0, 0, 0] for f in FOLDERS + ["total"]}
    reached = []
    for entry in report["files"]:
        name = entry["file"]
        folder = folder_of(name)
        if folder is None:
            continue
        try:
            source = open(name, encoding="utf-8", errors="replace").read().split("\n")
        except OSError:
            source = []
        for line in entry["lines"]:
            if line.get("gcovr/noncode"):
                continue
            hit = line["count"] > 0
            for key in (folder, "total"):
                totals[key][0] += hit
                totals[key][1] += 1
                totals[key][2] += sum(1 for b in line["branches"] if b["count"] > 0)
                totals[key][3] += len(line["branches"])
            number = line["line_number"]
            text = source[number - 1] if 0 < number <= len(source) else ""
            if hit and ERROR_PATH.search(text):
                reached.append(f"{name}:{number}: {text.strip()}")

    def percent(a, b):
        return 100.0 * a / b if b else 0.0

    print(f"{'folder':<10}{'lines':>22}{'branches':>24}")
    for key in FOLDERS + ["total"]:
        lh, lt, bh, bt = totals[key]
        print(f"{key:<10}{lh:>7}/{lt:<6}{percent(lh, lt):6.1f} %{bh:>9}/{bt:<6}{percent(bh, bt):6.1f} %")
    print(f"error paths reached: {len(reached)}")
    if len(sys.argv) > 2:
        with open(sys.argv[2], "w") as out:
            out.write("\n".join(sorted(reached)) + "\n")


main()
