#!/usr/bin/env python3
"""Writes damaged variants of the seed decks, for comparing the command-line
tool's output (addresses and diagnostics) between two builds:

    bench/make_mutants.py OUT_DIR SEED_FILE... [--per-seed N]

For each seed, N variants (default 40), the same for the same arguments:
  - byte-level: cut short, bytes overwritten, a range zeroed;
  - for zip packages: one XML part changed inside an otherwise sound package
    (a range cut out or repeated, a stray '<' or '&', a tag renamed), so the
    readers' XML and content checks are reached rather than only the zip's.
"""
import io
import os
import random
import sys
import zipfile


def byte_mutant(data, rnd):
    kind = rnd.randrange(3)
    if kind == 0 or len(data) < 16:
        return data[: rnd.randrange(max(1, len(data)))]
    out = bytearray(data)
    if kind == 1:
        for _ in range(rnd.randint(1, 8)):
            out[rnd.randrange(len(out))] = rnd.randrange(256)
    else:
        start = rnd.randrange(len(out))
        length = rnd.randint(1, 64)
        out[start : start + length] = bytes(min(length, len(out) - start))
    return bytes(out)


def text_mutant(text, rnd):
    if not text:
        return b"<"
    kind = rnd.randrange(5)
    a = rnd.randrange(len(text))
    b = min(len(text), a + rnd.randint(1, 200))
    if kind == 0:
        return text[:a] + text[b:]
    if kind == 1:
        return text[:b] + text[a:b] + text[b:]
    if kind == 2:
        return text[:a] + rnd.choice([b"<", b"&", b"]]>", b"&#0;", b"\x00", b"\xff"]) + text[a:]
    if kind == 3:
        at = text.find(b"<", a)
        if at < 0:
            return text + b"<"
        return text[: at + 1] + b"x" + text[at + 1 :]
    return text[:a]


def zip_mutant(data, rnd):
    try:
        source = zipfile.ZipFile(io.BytesIO(data))
        entries = [(info, source.read(info)) for info in source.infolist()]
    except Exception:
        return None
    xml = [i for i, (info, body) in enumerate(entries) if body.lstrip()[:1] == b"<" or info.filename.endswith((".xml", ".rels"))]
    if not xml:
        return None
    target = rnd.choice(xml)
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as sink:
        for i, (info, body) in enumerate(entries):
            if i == target:
                body = text_mutant(body, rnd)
            sink.writestr(info, body)
    return out.getvalue()


def main(argv):
    per_seed = 40
    if "--per-seed" in argv:
        at = argv.index("--per-seed")
        per_seed = int(argv[at + 1])
        del argv[at : at + 2]
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    out_dir = argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for seed_path in sorted(argv[2:]):
        with open(seed_path, "rb") as f:
            data = f.read()
        base = os.path.basename(seed_path)
        rnd = random.Random(base)
        for n in range(per_seed):
            mutant = None
            if data[:2] == b"PK" and n % 2 == 0:
                mutant = zip_mutant(data, rnd)
            if mutant is None:
                mutant = byte_mutant(data, rnd)
            stem, ext = os.path.splitext(base)
            with open(os.path.join(out_dir, f"{stem}.m{n:03d}{ext}"), "wb") as f:
                f.write(mutant)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
