#!/usr/bin/env python3
"""Counts, per file, the addresses planted in it that `orvandel-cli --all-text`
finds: the planted ones are every address of the given domain written
anywhere in the file's bytes, looked for without any knowledge of the format
(inside zip members and zips within them, as UTF-8 and as UTF-16, with
%40 and XML character references decoded).

    bench/planted_addresses.py ORVANDEL_CLI FILE...   [--domain example.com]

Prints one line per file (found/planted and the missed ones) and a total per
extension. Exit status 0."""
import html
import io
import re
import subprocess
import sys
import urllib.parse
import zipfile


def texts_of(data, depth=0):
    """Every decoding of the bytes worth searching, members of zips included."""
    if data[:4] == b"PK\x03\x04" and depth < 4:
        try:
            with zipfile.ZipFile(io.BytesIO(data)) as z:
                for info in z.infolist():
                    yield from texts_of(z.read(info), depth + 1)
            return
        except (zipfile.BadZipFile, NotImplementedError, RuntimeError):
            pass
    yield data.decode("utf-8", "replace")
    yield data.decode("latin-1")
    for start in (0, 1):
        yield data[start:].decode("utf-16-le", "replace")


def planted(path, domain):
    with open(path, "rb") as f:
        data = f.read()
    pattern = re.compile(r"[A-Za-z0-9._+-]+@" + re.escape(domain), re.IGNORECASE)
    found = set()
    for text in texts_of(data):
        text = html.unescape(urllib.parse.unquote(text))
        found.update(a.lower() for a in pattern.findall(text))
    return found


def main():
    args = sys.argv[1:]
    domain = "example.com"
    if "--domain" in args:
        i = args.index("--domain")
        domain = args[i + 1]
        del args[i:i + 2]
    cli, files = args[0], args[1:]
    totals = {}
    for path in files:
        want = planted(path, domain)
        out = subprocess.run([cli, "--all-text", path], capture_output=True).stdout.decode("utf-8", "replace")
        got = {line.strip().lower() for line in out.splitlines() if line.strip()}
        hit = want & got
        missed = sorted(want - got)
        ext = path.rsplit(".", 1)[-1].lower()
        t = totals.setdefault(ext, [0, 0])
        t[0] += len(hit)
        t[1] += len(want)
        print(f"{path}: {len(hit)}/{len(want)}" + (f" missed {' '.join(missed)}" if missed else ""))
    for ext, (hit, want) in sorted(totals.items()):
        print(f"total .{ext}: {hit} of {want} planted addresses found")


if __name__ == "__main__":
    main()
