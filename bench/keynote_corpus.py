#!/usr/bin/env python3
"""Writes a corpus of Keynote decks for bench/run_keynote_bench.sh: DECKS
copies of the test samples (tests/data/keynote/, both formats, every
place), each with its planted addresses changed to ones of the same length
that name the copy, and expected.tsv listing every address of the corpus
with its file, slide and place (the all-text walk).

    bench/keynote_corpus.py OUT_DIR [DECKS]
"""
import io
import os
import sys
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "data", "keynote"))
import make_keynote_samples as samples  # noqa: E402

# Each sample's planted addresses, with the slide and place they stand in.
PLANTED = {
    "planted2013.key": [("title@eeeeeeeeeee.com", 1, "shape"),
                        ("body@eeeeeeeeeeeeeeeeeeeeeeeeeee.com", 2, "shape"),
                        ("n@note1.com", 2, "notes"), ("c@comment1.com", 2, "comment"),
                        ("t@ab.com", 3, "table"), ("m@mast.com", 0, "master")],
    "planted09.key": [("title@eeeeeeeeeee.com", 1, "shape"),
                      ("body@eeeeeeeeeeeeeeeeeeeeeeeeeee.com", 2, "shape"),
                      ("n@note1.com", 2, "notes"), ("c@comment1.com", 2, "comment"),
                      ("t@ab.com", 3, "table")],
    "master09.key": [("m@master.com", 0, "master")],
    "planted2018.key": [("listitem@paragraphs.com", 2, "shape")],
}


def variant(address, number):
    """The address with the copy's number written over the end of its
    domain's first label, keeping its length."""
    local, domain = address.split("@")
    label, rest = domain.split(".", 1)
    tag = "%d" % number
    if len(tag) >= len(label):
        tag = tag[-(len(label) - 1):]
    return local + "@" + label[: len(label) - len(tag)] + tag + "." + rest


def copy_deck(data, pairs):
    """The deck with each (old, new) of the same length replaced in every
    part: inside the snappy chunks of .iwa parts, and in zips within."""
    source = zipfile.ZipFile(io.BytesIO(data))
    entries = []
    for name in source.namelist():
        part = source.read(name)
        if name.endswith(".iwa"):
            present = [(o, n) for o, n in pairs if o in b"".join(chunks(part))]
            if present:
                part = samples.replace_in_iwa(part, present)
        elif name.endswith(".zip"):
            part = copy_deck(part, pairs)
        else:
            for old, new in pairs:
                part = part.replace(old, new)
        entries.append((name, part))
    return samples.zip_bytes(entries)


def chunks(part):
    at = 0
    while at < len(part):
        length = int.from_bytes(part[at + 1:at + 4], "little")
        yield samples.unsnappy(part[at + 4:at + 4 + length])
        at += 4 + length


def main(out, decks):
    os.makedirs(out, exist_ok=True)
    names = sorted(PLANTED)
    originals = {name: open(os.path.join(ROOT, "tests", "data", "keynote", name), "rb").read()
                 for name in names}
    with open(os.path.join(out, "expected.tsv"), "w") as expected:
        for number in range(decks):
            name = names[number % len(names)]
            pairs = [(a, variant(a, number)) for a, _, _ in PLANTED[name]]
            path = os.path.join(out, "deck%04d-%s" % (number, name))
            with open(path, "wb") as deck:
                deck.write(copy_deck(originals[name], [(o.encode(), n.encode()) for o, n in pairs]))
            for (_, slide, place), (_, new) in zip(PLANTED[name], pairs):
                expected.write("%s\t%s\t%d\t%s\n" % (os.path.basename(path), new, slide, place))


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 200)
