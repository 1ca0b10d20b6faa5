#!/usr/bin/env python3
"""Makes the Keynote samples of the tests from Apache Tika's test documents
(Apache License 2.0): each text named below is replaced by an address, or a
text holding one, of the same length in bytes, so that every length and
offset the deck stores stays valid. Pictures and previews are left out.

    make_keynote_samples.py TIKA_TEST_DOCUMENTS_FOLDER
"""
import gzip
import io
import sys
import zipfile

HERE = __file__.rsplit("/", 1)[0]


def varint(data, at):
    value = shift = 0
    while True:
        byte = data[at]
        at += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if byte < 0x80:
            return value, at


def unsnappy(data):
    size, at = varint(data, 0)
    out = bytearray()
    while at < len(data):
        tag = data[at]
        at += 1
        kind = tag & 3
        if kind == 0:
            length = tag >> 2
            if length >= 60:
                extra = length - 59
                length = int.from_bytes(data[at:at + extra], "little")
                at += extra
            length += 1
            out += data[at:at + length]
            at += length
            continue
        if kind == 1:
            length = ((tag >> 2) & 7) + 4
            offset = ((tag >> 5) << 8) | data[at]
            at += 1
        elif kind == 2:
            length = (tag >> 2) + 1
            offset = int.from_bytes(data[at:at + 2], "little")
            at += 2
        else:
            length = (tag >> 2) + 1
            offset = int.from_bytes(data[at:at + 4], "little")
            at += 4
        for _ in range(length):
            out.append(out[-offset])
    assert len(out) == size
    return bytes(out)


def snappy(data):
    """A valid snappy stream of literals only."""
    out = bytearray()
    size = len(data)
    while True:
        out.append((size & 0x7F) | (0x80 if size > 0x7F else 0))
        size >>= 7
        if not size:
            break
    for start in range(0, len(data), 65536):
        piece = data[start:start + 65536]
        length = len(piece) - 1
        if length < 60:
            out.append(length << 2)
        else:
            out.append(61 << 2)
            out += length.to_bytes(2, "little")
        out += piece
    return bytes(out)


def replace_in_iwa(part, replacements):
    found = set()
    out = bytearray()
    at = 0
    while at < len(part):
        assert part[at] == 0
        length = int.from_bytes(part[at + 1:at + 4], "little")
        data = unsnappy(part[at + 4:at + 4 + length])
        for old, new in replacements:
            if old in data:
                found.add(old)
                data = data.replace(old, new)
        packed = snappy(data)
        out += b"\0" + len(packed).to_bytes(3, "little") + packed
        at += 4 + length
    assert found == {old for old, _ in replacements}, replacements
    return bytes(out)


def same_length(pairs):
    out = []
    for old, new in pairs:
        old, new = old.encode(), new.encode()
        assert len(old) == len(new), (old, new)
        out.append((old, new))
    return out


def write_zip(path, entries):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            z.writestr(name, data)


def zip_bytes(entries):
    buffer = io.BytesIO()
    write_zip(buffer, entries)
    return buffer.getvalue()


def iwa_entries(source, per_part, keep):
    entries = []
    for name in source.namelist():
        if not keep(name):
            continue
        data = source.read(name)
        for part, pairs in per_part.items():
            if name.startswith(part):
                data = replace_in_iwa(data, same_length(pairs))
        entries.append((name, data))
    return entries


def main(folder):
    # The current format: a zip of Index/*.iwa.
    with zipfile.ZipFile(folder + "/testKeynote2013.key") as source:
        entries = iwa_entries(source, {
            "Index/Slide-2.iwa": [("A sample presentation", "title@eeeeeeeeeee.com")],
            "Index/Slide-1.iwa": [
                ("Some random text for the sake of testability.",
                 "write to body@eeeeeeeeeeeeeeeeeeeeeeeeeee.com"),
                ("A nice note", "n@note1.com"), ("A nice comment", "c@comment1.com")],
            "Index/Tables/DataList-8.iwa": [("Cell one", "t@ab.com")],
            "Index/MasterSlide-1.iwa": [("Title Text", "m@mast.com")],
        }, lambda name: name.startswith("Index/") and name.endswith(".iwa"))
        write_zip(HERE + "/planted2013.key", entries)
    # A package folder zipped whole: Presentation.key/Index.zip; its list
    # items end paragraphs.
    with zipfile.ZipFile(folder + "/testKeynote2018.key") as outer:
        inner = zipfile.ZipFile(io.BytesIO(outer.read("Presentation.key/Index.zip")))
        entries = iwa_entries(inner, {
            "Index/Slide-9628.iwa": [("Open in Libreoffice 6.2", "listitem@paragraphs.com")],
        }, lambda name: name.endswith(".iwa"))
        write_zip(HERE + "/planted2018.key", [("Presentation.key/Index.zip", zip_bytes(entries))])
    # Keynote '09: index.apxl, and a master slide with a table.
    for name, out, pairs in [
        ("testKeynote.key", "planted09.key", [
            ("A sample presentation", "title@eeeeeeeeeee.com"),
            ("Some random text for the sake of testability.", "write to body@eeeeeeeeeeeeeeeeeeeeeeeeeee.com"),
            ("A nice note", "n@note1.com"), ("A nice comment", "c@comment1.com"),
            ("Cell one", "t@ab.com")]),
        ("testMasterSlideTable.key", "master09.key", [("master row 1", "m@master.com")]),
    ]:
        with zipfile.ZipFile(folder + "/" + name) as source:
            apxl = source.read("index.apxl")
        for old, new in same_length(pairs):
            assert old in apxl, old
            apxl = apxl.replace(old, new)
        write_zip(HERE + "/" + out, [("index.apxl", apxl)])


if __name__ == "__main__":
    main(sys.argv[1])
