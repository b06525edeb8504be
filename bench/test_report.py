#!/usr/bin/env python3
"""test_report.py - report.py's targets from made-up measurements: ratios, verdicts, the missed list."""
import json
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
VX, BSD, INST = "vexo-archive extract", "bsdtar -xf (zip)", "installer --unattended"
WINE = "vexo-archive.exe extract (Wine)"
HEADER = "contender\tround\tseconds\tmax_rss_kb\tuser\tsys\tserver\n"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb" if isinstance(data, bytes) else "w") as f:
        f.write(data)


def times(rows):
    # rows: {contender: [seconds of each round]}; every round's server time is 0.5 s.
    return HEADER + "".join("%s\t%d\t%.4f\t6000\t0.10\t0.05\t0.50\n" % (n, i + 1, s)
                            for n, secs in rows.items() for i, s in enumerate(secs))


def report(first, second, wine_starts=None, wine_note=None):
    with tempfile.TemporaryDirectory() as w:
        write(os.path.join(w, "corpus", "a", "F0001.DAT"), b"x" * 4096)
        write(os.path.join(w, "corpus2", "F0001.DAT"), b"y" * 8192)
        for n in ("corpus.vxa", "corpus-key.vxa", "corpus.zip", "corpus.tar.gz", "corpus2.vxa",
                  "corpus2.zip"):
            write(os.path.join(w, n), b"z" * 1000)
        for n in ("load-start.txt", "load-end.txt", "checksums.txt", "open.tsv"):
            write(os.path.join(w, n), "-\n")
        write(os.path.join(w, "micro.json"), json.dumps({"benchmarks": []}))
        write(os.path.join(w, "times.tsv"), times(first))
        write(os.path.join(w, "times2.tsv"), times(second))
        if wine_starts:
            write(os.path.join(w, "wine-start.txt"), "".join("%.4f\n" % s for s in wine_starts))
        if wine_note:
            write(os.path.join(w, "wine-note.txt"), wine_note + "\n")
        contenders = "\n".join("%s|cmd %d OUT" % (n, i) for i, n in enumerate(first))
        contenders2 = "\n".join("%s|cmd %d OUT" % (n, i) for i, n in enumerate(second))
        return subprocess.run([sys.executable, os.path.join(HERE, "report.py"), "--work", w,
                               "--runs", "3", "--build", "b", "--contenders", contenders,
                               "--contenders2", contenders2],
                              check=True, capture_output=True, text=True).stdout


def targets(text):
    part = text.split("## Targets", 1)[1].split("\n## ", 1)[0]
    rows = {}
    for line in part.splitlines():
        cells = [c.strip() for c in line.strip("|").split("|")]
        if len(cells) == 3 and cells[0] not in ("target", "---"):
            rows[cells[0]] = (cells[1], cells[2])
    return rows


def missed(text):
    for line in text.splitlines():
        if line.startswith("- Missed in this run: "):
            return line[len("- Missed in this run: "):].split(". ")[0].split(", ")
    return []


class Targets(unittest.TestCase):
    def test_verdicts_per_corpus(self):
        B1, B2 = "extraction >= 2 x bsdtar (first corpus)", "extraction >= 2 x bsdtar (second corpus)"
        U1 = "unattended installer <= 1.15 x plain extraction (first corpus)"
        U2 = "unattended installer <= 1.15 x plain extraction (second corpus)"
        # (case, first corpus medians, second corpus medians, expected rows, expected misses)
        cases = [
            ("both met", {VX: 0.40, BSD: 1.00, INST: 0.44}, {VX: 0.20, BSD: 0.50, INST: 0.22},
             {B1: ("2.50 x", "yes"), U1: ("1.10 x", "yes"), B2: ("2.50 x", "yes"),
              U2: ("1.10 x", "yes")}, []),
            ("first missed, speed-up is bsdtar over ours", {VX: 0.60, BSD: 1.00, INST: 0.75},
             {VX: 0.20, BSD: 0.50, INST: 0.22},
             {B1: ("1.67 x", "no"), U1: ("1.25 x", "no"), B2: ("2.50 x", "yes")}, [B1, U1]),
            ("second missed only", {VX: 0.40, BSD: 1.00, INST: 0.44},
             {VX: 0.30, BSD: 0.50, INST: 0.36},
             {B1: ("2.50 x", "yes"), B2: ("1.67 x", "no"), U2: ("1.20 x", "no")}, [B2, U2]),
            # 0.1173 / 0.102 is 1.1500000000000001 and 0.2016 / 0.101 is 1.996: shown as the
            # limits, so met.
            ("at the limits as printed", {VX: 0.102, BSD: 0.204, INST: 0.1173},
             {VX: 0.101, BSD: 0.2016, INST: 0.1172},
             {B1: ("2.00 x", "yes"), U1: ("1.15 x", "yes"), B2: ("2.00 x", "yes"),
              U2: ("1.16 x", "no")}, [U2]),
            ("no installer rows", {VX: 0.40, BSD: 1.00}, {VX: 0.20, BSD: 0.50},
             {B1: ("2.50 x", "yes"), B2: ("2.50 x", "yes"), U1: None, U2: None}, []),
        ]
        for name, first, second, want, want_missed in cases:
            with self.subTest(name):
                # Three rounds each, the median in the middle.
                text = report({n: [s * 1.2, s, s * 0.9] for n, s in first.items()},
                              {n: [s, s * 1.1, s * 0.95] for n, s in second.items()})
                got = targets(text)
                for row, value in want.items():
                    self.assertEqual(got.get(row), value, row)
                self.assertEqual(missed(text), want_missed)
                self.assertNotIn("1.5 x bsdtar", text)
                self.assertNotIn("2 x bench/floor", text)

    def test_wine_ratio(self):
        row = "Windows build under Wine / Linux build (first corpus)"
        first = {VX: [0.40, 0.40, 0.40], BSD: [1.0, 1.0, 1.0], WINE: [1.2, 1.0, 1.4]}
        text = report(first, {VX: [0.2], BSD: [0.5]}, wine_starts=[0.20, 0.10, 0.30])
        self.assertEqual(targets(text)[row], ("3.00 x", "-"))
        # The start (median 0.20 s) comes off before the ratio of the extraction itself.
        self.assertIn("costs 0.20 s (median of 3 `--help` runs), so the extraction itself "
                      "takes about 1.00 s, 2.50 x", text)
        self.assertNotIn(WINE, missed(text))

        text = report({VX: [0.4], BSD: [1.0]}, {VX: [0.2], BSD: [0.5]},
                      wine_note="mingw-w64 is not installed")
        self.assertEqual(targets(text)[row], ("not run", "-"))
        self.assertIn("No Wine row in this run: mingw-w64 is not installed.", text)
        self.assertNotIn("WINOUT", text)


if __name__ == "__main__":
    unittest.main()
