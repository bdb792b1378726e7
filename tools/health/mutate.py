#!/usr/bin/env python3
"""Mutation spot-check of the portable core.

Picks small mutations (a flipped comparison, an off-by-one, a dropped statement) at random, with a fixed
seed, from src/net, src/query and src/table/model; builds the native test suite with each one applied and
runs it. A mutant is caught when the suite fails or times out. Mutants that do not compile are skipped
and replaced by the next pick. The source tree is restored after every mutant.

    tools/health/mutate.py [--count 30] [--seed 7] [--build build/mutation] [--list]
"""
import argparse
import random
import re
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
FOLDERS = ["src/net", "src/query", "src/table/model"]

COMPARISON_FLIPS = {" < ": " >= ", " >= ": " < ", " > ": " <= ", " <= ": " > ", " == ": " != ", " != ": " == "}
OFF_BY_ONE = {" + 1": " + 2", " - 1": " - 2", " + 1;": ";", "++": "--"}
STATEMENT = re.compile(r"^(\s+)(?!return\b|case\b|default\b|break\b|continue\b|throw\b)"
                       r"[A-Za-z_][\w:.\->\[\]]*(\(.*\)|\s*[-+*/|&]?=\s*[^=].*);\s*$")


def source_files():
    for folder in FOLDERS:
        for path in sorted((ROOT / folder).glob("*.cpp")):
            if not path.name.endswith("Win32.cpp"):
                yield path


def is_code(line):
    stripped = line.strip()
    return stripped and not stripped.startswith(("//", "#", "*", "/*", "static_assert", "template"))


def candidates():
    """Every (file, line number, kind, old text, new text) the operators can make."""
    found = []
    for path in source_files():
        rel = path.relative_to(ROOT).as_posix()
        for number, line in enumerate(path.read_text().splitlines(), 1):
            if not is_code(line):
                continue
            for old, new in COMPARISON_FLIPS.items():
                if old in line:
                    found.append((rel, number, "comparison", old, new))
            for old, new in OFF_BY_ONE.items():
                if old in line:
                    found.append((rel, number, "off-by-one", old, new))
            if STATEMENT.match(line):
                found.append((rel, number, "dropped statement", line.strip(), ";"))
    return found


def apply(mutant):
    rel, number, kind, old, new = mutant
    path = ROOT / rel
    original = path.read_text()
    lines = original.splitlines(keepends=True)
    line = lines[number - 1]
    if kind == "dropped statement":
        indent = line[: len(line) - len(line.lstrip())]
        lines[number - 1] = indent + ";\n"
    else:
        lines[number - 1] = line.replace(old, new, 1)
    path.write_text("".join(lines))
    return path, original


def run(cmd, timeout):
    try:
        return subprocess.run(cmd, cwd=ROOT, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--count", type=int, default=30)
    parser.add_argument("--seed", type=int, default=7)
    parser.add_argument("--build", default="build/mutation")
    parser.add_argument("--list", action="store_true", help="print the picked mutants and stop")
    args = parser.parse_args()

    pool = candidates()
    random.Random(args.seed).shuffle(pool)
    build = args.build
    if run(["cmake", "-S", ".", "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug"], 600) != 0:
        sys.exit("configure failed")
    if run(["cmake", "--build", build], 3600) != 0:
        sys.exit("the unmutated tree does not build")

    caught, tried, survivors = 0, 0, []
    for mutant in pool:
        if tried == args.count:
            break
        if args.list:
            print(*mutant[:3], sep=":")
            tried += 1
            continue
        path, original = apply(mutant)
        try:
            if run(["cmake", "--build", build], 1200) != 0:
                continue  # not viable: does not compile
            tried += 1
            started = time.monotonic()
            result = run(["ctest", "--test-dir", build, "-j2", "--timeout", "120", "--stop-on-failure"], 1800)
            killed = result != 0
            caught += killed
            if not killed:
                survivors.append(mutant)
            print(f"[{tried:2}/{args.count}] {'caught  ' if killed else 'SURVIVED'} {mutant[0]}:{mutant[1]} "
                  f"{mutant[2]} ({time.monotonic() - started:.0f} s)", flush=True)
        finally:
            path.write_text(original)
    run(["cmake", "--build", build], 3600)
    if args.list:
        return
    print(f"\nmutation score: {caught} of {tried} caught (seed {args.seed})")
    for rel, number, kind, old, new in survivors:
        print(f"  survived: {rel}:{number} {kind}: {old!r} -> {new!r}")


if __name__ == "__main__":
    main()
