#!/usr/bin/env python3
"""Times programs from start to their first paint, taking turns: each round runs every program once, so a
change in the machine's load during the measurement reaches all of them alike (run one after
another, as a block each, a slow minute lands on one program only). The order within a round
is shuffled (fixed seed): a program runs faster or slower after some programs than after
others, and a fixed order would hand that to one of them every time.

    interleave.py [--warmup N] [--runs N] [--json FILE] NAME=PROGRAM ...

Each program prints "painted SECONDS" on its monotonic clock when its window has painted;
the time is taken from the start to that moment, so the program's shutdown is not counted.
Prints the median of each; --json writes {"results": [{"command": NAME, "times": [s, ...]}]}."""

import argparse
import json
import random
import statistics
import subprocess
import sys
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--warmup", type=int, default=3)
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--json")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()
    programs = [p.split("=", 1) for p in args.programs]
    times = {name: [] for name, _ in programs}
    shuffle = random.Random(20261207)
    for round_ in range(args.warmup + args.runs):
        order = list(programs)
        shuffle.shuffle(order)
        for name, program in order:
            start = time.monotonic()
            done = subprocess.run([program], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True)
            if done.returncode != 0:
                sys.exit(f"{name} ended with {done.returncode}")
            painted = [line.split()[1] for line in done.stdout.splitlines()
                       if line.startswith("painted ")]
            if not painted:
                sys.exit(f"{name} did not say when it painted")
            elapsed = float(painted[-1]) - start
            if round_ >= args.warmup:
                times[name].append(elapsed)
    for name, _ in programs:
        print(f"{name:>14}: {statistics.median(times[name]) * 1000:7.1f} ms (median of "
              f"{args.runs})")
    if args.json:
        with open(args.json, "w") as out:
            json.dump({"results": [{"command": n, "times": times[n]} for n, _ in programs]}, out)


if __name__ == "__main__":
    main()
