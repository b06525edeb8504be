#!/usr/bin/env python3
"""Writes the benchmark corpus: 2,000 files, about 200 MiB, the same bytes on every run.

Half of the bytes are structured binaries (fixed records of counters, amounts, codes and
padding), a fifth is incompressible, the rest is text: sources, CSV, INI, logs and XML.
Usage: corpus.py DIR [--files N] [--mib M]
"""
import argparse
import os
import random
import struct

WORDS = ("cuenta importe saldo asiento diario mayor balance empresa ejercicio factura cliente "
         "proveedor iva retencion nomina banco remesa recibo vencimiento modelo declaracion "
         "trimestre periodo total debe haber concepto documento serie fecha codigo nombre").split()


def structured(rng, size):
    # Records like a table file: id, date, amounts, flags, a short code, zero padding.
    out = bytearray()
    rec = struct.Struct("<IIqqHH8s4x")
    n = 0
    base = rng.randrange(1 << 20)
    amount = rng.randrange(10**6)
    while len(out) < size:
        n += 1
        amount += rng.randrange(-5000, 5000)
        code = WORDS[rng.randrange(len(WORDS))][:8].encode()
        out += rec.pack(base + n, 20240000 + (n % 365), amount, amount * 21 // 100,
                        rng.randrange(16), n % 7, code)
        if n % 64 == 0:
            out += rng.randbytes(16)
    return bytes(out[:size])


def text(rng, size):
    kind = rng.randrange(5)
    lines = []
    total = 0
    n = 0
    while total < size:
        n += 1
        w = [WORDS[rng.randrange(len(WORDS))] for _ in range(rng.randrange(3, 9))]
        if kind == 0:  # source
            line = "    %s = %s(%s, %d);  // %s\n" % (w[0], w[1], w[2], rng.randrange(1000),
                                                     " ".join(w[3:]))
        elif kind == 1:  # CSV
            line = "%d;%s;%d,%02d;%04d-%02d-%02d;%s\n" % (
                n, w[0].upper(), rng.randrange(100000), rng.randrange(100), 2024,
                rng.randrange(1, 13), rng.randrange(1, 29), w[1])
        elif kind == 2:  # INI
            line = ("[%s]\n" % w[0].upper()) if n % 12 == 1 else "%s=%s\n" % (
                w[1].capitalize(), rng.choice([str(rng.randrange(10**6)), "C:\\VEXO\\" + w[2]]))
        elif kind == 3:  # log
            line = "2024-%02d-%02d %02d:%02d:%02d.%03d [%s] %s\n" % (
                rng.randrange(1, 13), rng.randrange(1, 29), rng.randrange(24), rng.randrange(60),
                rng.randrange(60), rng.randrange(1000), rng.choice(["INFO", "WARN", "DEBUG"]),
                " ".join(w))
        else:  # XML
            line = '  <%s id="%d" %s="%s">%d</%s>\n' % (w[0], n, w[1], w[2], rng.randrange(10**5),
                                                      w[0])
        lines.append(line)
        total += len(line)
    return "".join(lines).encode("ascii")[:size]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("dir")
    ap.add_argument("--files", type=int, default=2000)
    ap.add_argument("--mib", type=int, default=200)
    a = ap.parse_args()
    rng = random.Random(20240611)
    raw = [min(max(rng.lognormvariate(10.5, 1.3), 512), 8 << 20) for _ in range(a.files)]
    scale = (a.mib << 20) / sum(raw)
    sizes = [max(1, int(s * scale)) for s in raw]
    dirs = ["modulo%02d/%s" % (i % 20, WORDS[i % len(WORDS)]) + ("/datos" if i % 3 == 0 else "")
            for i in range(100)]
    budget = {"bin": 0, "rand": 0, "text": 0}
    total = sum(sizes)
    for i, size in enumerate(sizes):
        # Kind by running share of bytes so the mix holds whatever the size draw.
        if budget["rand"] < 0.2 * total * (i + 1) / len(sizes):
            kind = "rand"
        elif budget["bin"] < 0.5 * total * (i + 1) / len(sizes):
            kind = "bin"
        else:
            kind = "text"
        budget[kind] += size
        frng = random.Random(i * 7919 + 1)
        if kind == "rand":
            data, ext = frng.randbytes(size), ".CAB"
        elif kind == "bin":
            data, ext = structured(frng, size), ".DAT"
        else:
            data, ext = text(frng, size), frng.choice([".PAS", ".CSV", ".INI", ".LOG", ".XML"])
        path = os.path.join(a.dir, dirs[i % len(dirs)], "F%04d%s" % (i, ext))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    print("%d files, %.1f MiB: %s" % (len(sizes), total / 1048576.0,
                                      ", ".join("%s %.0f%%" % (k, 100.0 * v / total)
                                                for k, v in budget.items())))


if __name__ == "__main__":
    main()
