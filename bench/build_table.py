#!/usr/bin/env python3
"""Turns the build timings of bench/run.sh (build-times.tsv) into a Markdown table on stdout.

Usage: build_table.py WORK CORES
Each row: median wall time of the timed rounds, how many times faster than `tar c | pigz -9`
and than `zip -9 -r` (their time over this one), and the size of what was written.
"""
import os
import statistics
import sys


def main():
    work, cores = sys.argv[1], sys.argv[2]
    times, sizes, order = {}, {}, []
    with open(os.path.join(work, "build-times.tsv")) as f:
        next(f)
        for line in f:
            name, _round, seconds, size = line.rstrip("\n").split("\t")
            if name not in times:
                order.append(name)
                times[name] = []
            times[name].append(float(seconds))
            sizes[name] = int(size)
    med = {n: statistics.median(t) for n, t in times.items()}
    pigz = next(n for n in order if n.startswith("tar c + pigz"))
    zipn = next(n for n in order if n.startswith("zip"))
    total = 0
    for d, _, names in os.walk(os.path.join(work, "corpus")):
        total += sum(os.path.getsize(os.path.join(d, n)) for n in names)
    print("## Building the package (%d rounds, %s cores)\n" % (len(times[pigz]), cores))
    print("Corpus: %.1f MiB. Speed-up is the other tool's median wall time over this one's "
          "(2.00 = twice as fast); size ratio is this size over zip's.\n" % (total / 1048576.0))
    print("| builder | wall s (median) | min–max s | speed-up vs pigz -9 | speed-up vs zip -9 "
          "| bytes written | size / zip |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    for n in order:
        print("| %s | %.2f | %.2f–%.2f | %.2f | %.2f | %d | %.4f |" % (
            n, med[n], min(times[n]), max(times[n]), med[pigz] / med[n], med[zipn] / med[n],
            sizes[n], sizes[n] / sizes[zipn]))
    print()


if __name__ == "__main__":
    main()
