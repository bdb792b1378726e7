#!/usr/bin/env python3
"""Sums a gcovr JSON summary per folder of src/ and prints line and branch coverage."""
import json
import re
import sys
from collections import defaultdict


def folder_of(path):
    # Headers are compiled through the libraries' include links: build/<preset>/include/<root>/<folder>/X.h.
    linked = re.match(r"build/[^/]+/include/[^/]+/(.*)", path)
    if linked:
        path = "src/" + linked.group(1)
    parts = path.split("/")
    if parts[0] != "src" or len(parts) < 3:
        return None
    # src/table/model/X.cpp -> table/model; src/net/X.cpp -> net
    return "/".join(parts[1:3]) if parts[1] in ("table", "app") and len(parts) > 3 else parts[1]


def main(summary_path):
    with open(summary_path) as f:
        summary = json.load(f)
    totals = defaultdict(lambda: [0, 0, 0, 0])
    for entry in summary["files"]:
        folder = folder_of(entry["filename"])
        if folder is None:
            continue
        t = totals[folder]
        t[0] += entry["line_covered"]
        t[1] += entry["line_total"]
        t[2] += entry["branch_covered"]
        t[3] += entry["branch_total"]
    print(f"{'folder':<14}{'lines':>16}{'line %':>9}{'branches':>16}{'branch %':>10}")
    for folder in sorted(totals):
        lc, lt, bc, bt = totals[folder]
        line_pct = 100.0 * lc / lt if lt else 0.0
        branch_pct = 100.0 * bc / bt if bt else 0.0
        print(f"{folder:<14}{lc:>7} / {lt:<6}{line_pct:>8.1f}%{bc:>7} / {bt:<6}{branch_pct:>9.1f}%")


if __name__ == "__main__":
    main(sys.argv[1])
