#!/usr/bin/env python3
"""Writes the decks of bench/run_pdf_bench.sh as flat OpenDocument
presentations, for the office suite to export as PDF, and lists the addresses
their slides show; then checks the exports and scores extractors.

    bench/pdf_corpus.py OUT_DIR [DECKS]      (60 decks of 5-20 slides)
    bench/pdf_corpus.py --check DIR          the laid-out lines against the
                                             text of DIR/*.pdf by pdftotext -layout
    bench/pdf_corpus.py --score DIR LABEL FOUND
                                             the addresses in the file FOUND (one
                                             a line, or records of --format jsonl,
                                             whose file and page are checked too)
                                             against DIR/shown.tsv

Each slide holds some of: a title, text boxes of realistic text, a table, a
group, and long addresses in narrow frames. The text is Liberation Sans at
18 pt, whose glyph widths are known, so the script lays out each narrow
frame's lines as the export does (break after spaces and hyphens; a word
wider than the line broken after its last fitting character) and sets the
frame's width to break the address once where it wants: mid-word in the
local part or the domain, right after a dot, right after a hyphen, or at a
soft hyphen; or several times, in a frame under half its width. Also
frames whose lines must stay apart: a word above an address, two
addresses, an address above a capitalised word.

OUT_DIR/shown.tsv gets one row per address: deck file, page, address,
"line" or "broken", what breaks it, and the lines its frame is laid out in
(joined by "|"), which the benchmark checks against pdftotext. Every address
is used once in the whole corpus. The output is the same for the same
arguments (fixed random seed)."""
import json
import os
import random
import sys

sys.dont_write_bytecode = True  # nothing left beside the samples' writer
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'data', 'pdf'))
from fodp_writer import frame, group, para, presentation, table  # noqa: E402

WORDS = ('quarterly revenue growth market customer strategy product launch team budget forecast review region '
         'sales partner support service plan roadmap results milestone project delivery quality risk target the '
         'and for with our new next year of to in we will improve expand measure cost share online').split()
NAMES = 'anna ben chloe david eva farid grace hiro ines jon karla liam mona nils olga pablo'.split()
LONG = ('maximilian alexandra konstantin christopher bartholomew gwendolyn evangeline '
        'sebastian wilhelmina theodora').split()
LAST = ('schwarzenegger vandersloot montgomery oyelaran kristiansen rautenberg castellanos '
        'fitzgerald lindqvist obermaier').split()
DOMAINS = ['example.com', 'mail.example.org', 'corp.example.net', 'uni.example.edu']
LONG_DOMAINS = ['communications.example.com', 'headquarters.example-group.org', 'international.example.net',
                'engineering.department.example.edu']
TAGS = ['ext', 'sales', 'team', 'office', 'emea']
SHY = '\u00ad'

# Advance widths of Liberation Sans (as Arial's), in thousandths of an em.
WIDTH = dict(zip('abcdefghijklmnopqrstuvwxyz', [556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833,
                                                556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500]))
WIDTH.update({d: 556 for d in '0123456789'})
WIDTH.update({'.': 278, '-': 333, '@': 1015, ' ': 278, '_': 556, SHY: 0})
WIDTH.update({c: 667 for c in 'ABCDEFGHIJKLMNOPQRSTUVWXYZ'})
FONT_PT = 18
CM_PER_UNIT = FONT_PT * 2.54 / 72 / 1000
PADDING = 0.2  # the frames' left and right padding together, cm
LINE_HEIGHT = 0.75  # cm, a line of 18 pt text


def width(text):
    """Width of text at 18 pt, cm (a soft hyphen drawn at a line end counts a hyphen)."""
    return sum(WIDTH.get(c, 600) for c in text) * CM_PER_UNIT


def lay_out(text, frame_width):
    """The lines a frame frame_width cm wide shows text in: breaks after spaces,
    hyphens and soft hyphens; a piece wider than a line broken after its last
    fitting character."""
    room = frame_width - PADDING
    pieces, piece = [], ''
    for c in text:
        piece += c
        if c in ' -' + SHY:
            pieces.append(piece)
            piece = ''
    if piece:
        pieces.append(piece)
    lines, line = [], ''
    for p in pieces:
        if width((line + p).rstrip(' ').replace(SHY, '-')) <= room:
            line += p
            continue
        if line:
            lines.append(line)
            line = ''
        while width(p.rstrip(' ').replace(SHY, '-')) > room:
            n = max(1, max(i for i in range(1, len(p) + 1) if width(p[:i]) <= room or i == 1))
            lines.append(p[:n])
            p = p[n:]
        line = p
    if line:
        lines.append(line)
    return [ln.rstrip(' ') for ln in lines]


class Corpus:
    def __init__(self, seed):
        self.random = random.Random(seed)
        self.used = set()
        self.count = 0

    def pick(self, items):
        return self.random.choice(items)

    def unique(self, make):
        while True:
            a = make()
            if a not in self.used:
                self.used.add(a)
                return a

    def address(self):
        self.count += 1
        n = self.count
        return self.unique(lambda: f'{self.pick(NAMES)}.{self.pick(NAMES)}{n}@{self.pick(DOMAINS)}')

    def long_address(self, kind):
        """A long address for a frame of kind: a long local part before a
        short domain to break in the local part, a long domain to break in,
        a hyphen late in the local part."""
        self.count += 1
        n = self.count
        domains = DOMAINS if kind in ('local', 'hyphen', 'soft-hyphen') else LONG_DOMAINS
        tail = f'-{self.pick(TAGS)}{n}' if kind == 'hyphen' else str(n)
        sep = self.pick(['.', '', '_'])
        return self.unique(lambda: f'{self.pick(LONG)}{sep}{self.pick(LAST)}{tail}@{self.pick(domains)}')

    def sentence(self, low=4, high=10):
        return ' '.join(self.pick(WORDS) for _ in range(self.random.randint(low, high)))


def broken_frame(c, kind):
    """A narrow frame's width and text, breaking a long address as kind says:
    (width, text, address, lines). One break, both lines fitting the frame,
    except for "several": a frame under half as wide as the address."""
    while True:
        address = c.long_address(kind)
        local = address.split('@')[0]
        at = len(local)
        shown = address

        def late(i):  # the part from i on is no wider than the part before
            return width(address[i:]) <= width(address[:i])

        def letters(i):
            return address[i - 1].isalpha() and address[i].isalpha()

        if kind == 'local':
            cuts = [i for i in range(3, at - 1) if letters(i) and late(i)]
        elif kind == 'domain':
            cuts = [i for i in range(at + 3, len(address) - 2) if letters(i) and late(i)]
        elif kind == 'dot':
            cuts = [i + 1 for i in range(at, len(address)) if address[i] == '.' and late(i + 1)]
        elif kind == 'hyphen':
            cuts = [address.index('-') + 1]
        elif kind == 'soft-hyphen':
            cuts = [i for i in range(3, at - 2) if letters(i)]
        else:
            cuts = [i for i in range(len(address) // 3, len(address) * 4 // 10) if letters(i)]
        if not cuts:
            continue
        cut = c.pick(cuts)
        if kind == 'soft-hyphen':
            shown = address[:cut] + SHY + address[cut:]
            cut += 1
        first, rest = shown[:cut].replace(SHY, '-'), shown[cut:]
        if kind in ('hyphen', 'soft-hyphen'):
            # Breaks where the line may break: room for both parts.
            w = max(width(first), width(rest)) + 0.1 + PADDING
        else:
            # Broken where the line is full: room for the first part and a
            # third of the next character.
            w = width(first) + WIDTH.get(shown[cut], 600) * CM_PER_UNIT / 3 + PADDING
        lines = lay_out(shown, w)
        if lines[0] == shown[:cut] and (kind == 'several' or len(lines) == 2):
            return round(w, 3), shown, address, lines


def slide(c, page, rows):
    """One slide's shapes; appends (page, address, class, kind, lines) to rows."""
    shapes = []

    def add(address, cls, kind, lines):
        rows.append((page, address, cls, kind, '|'.join(l.replace(SHY, '<SHY>') for l in lines)))

    a = c.address()
    shapes.append(frame(1, 0.3, 26, 1.6, [para(f'{c.sentence(2, 3).capitalize()} {a}')], cls='title'))
    add(a, 'line', 'title', [a])
    y = 2.3
    for _ in range(c.random.randint(1, 2)):
        a = shown = c.address()
        kind = 'text'
        if c.random.randint(0, 7) == 0:  # a soft hyphen, unseen unless the line breaks there
            # Between two letters: the export breaks at no other soft hyphen.
            cut = c.pick([i for i in range(3, a.index('@') - 1) if a[i - 1].isalpha() and a[i].isalpha()])
            shown, kind = a[:cut] + SHY + a[cut:], 'text-soft-hyphen'
        while True:
            # Text whose lines break alike in frames a little narrower and
            # wider: the glyph widths here are near the export's, not equal.
            text = f'{c.sentence().capitalize()} contact {shown} {c.sentence(2, 5)}'
            lines = lay_out(text, 26)
            if lay_out(text, 25.6) == lines == lay_out(text, 26.4):
                break
        shapes.append(frame(1, y, 26, 1.2, [para(text)]))
        add(a, 'line' if any(shown in l for l in lines) else 'broken', kind, lines)
        y += 1.3 * len(lines)
    choice = c.random.randint(0, 5)
    if choice == 0:
        a, b = c.address(), c.address()
        shapes.append(table(1, y, [['Owner', a], ['Deputy', b]], col_width=13))
        add(a, 'line', 'table', [a])
        add(b, 'line', 'table', [b])
    elif choice == 1:
        a = c.address()
        shapes.append(group(frame(1, y, 12, 1.2, [para(a)]), frame(14, y, 12, 1.2, [para(c.sentence(2, 4))])))
        add(a, 'line', 'group', [a])
    else:
        # Narrow frames, side by side where the page has room: the export's
        # lines of one frame must not be read across to the next one.
        x, below = 1, y
        for _ in range(2):
            kind = c.pick(['local', 'domain', 'dot', 'hyphen', 'soft-hyphen', 'several', 'apart'])
            if kind == 'apart':
                a, b = c.address(), c.address()
                text, second = c.pick([(f'Contact {a}', None), (f'{a} {b}', b), (f'{a} Sales team', None)])
                w = round(max(width(a), width(b) if second else 0, width('Sales team')) + 0.4 + PADDING, 3)
                lines = lay_out(text, w)
                add(a, 'line', 'apart', lines)
                if second:
                    add(b, 'line', 'apart', lines)
            else:
                w, text, a, lines = broken_frame(c, kind)
                add(a, 'broken' if len(lines) > 1 else 'line', kind, lines)
            if x + w > 27:
                x, y = 1, below
            shapes.append(frame(x, y, w, 1, [para(text)]))
            x += w + 1.5
            below = max(below, y + LINE_HEIGHT * len(lines) + 0.5)
    return shapes


def shown_rows(folder):
    with open(os.path.join(folder, 'shown.tsv'), encoding='utf-8') as f:
        return [line.rstrip('\n').split('\t') for line in f]


def printable(text):
    """Text from an extractor, safe for a terminal."""
    return ''.join(c if c.isprintable() and c != '\\' else f'\\x{ord(c):02x}' if ord(c) < 256
                   else f'\\u{ord(c):04x}' for c in text)


def check(folder):
    """Whether each address is whole on one line of pdftotext -layout's text
    of its page exactly when the corpus lays it out on one line, and whether
    the laid-out lines show there."""
    import subprocess
    pages, same_class, same_lines, total = {}, 0, 0, 0
    wrong = []
    for deck, page, address, cls, kind, lines in shown_rows(folder):
        if (deck, page) not in pages:
            text = subprocess.run(['pdftotext', '-layout', '-f', page, '-l', page, os.path.join(folder, deck), '-'],
                                  capture_output=True, text=True, errors='replace').stdout
            pages[deck, page] = text.replace(SHY, '<SHY>').split('\n')
        text = pages[deck, page]
        total += 1
        if (cls == 'line') == any(address in line.replace('<SHY>', '') for line in text):
            same_class += 1
        elif len(wrong) < 5:
            wrong.append(f'{deck} page {page}: {address} ({cls}, {kind})')
        same_lines += all(any(part in line for line in text) for part in lines.split('|'))
    print(f'layout check: {same_class} of {total} addresses on one line or broken as laid out '
          f'(pdftotext -layout), {same_lines} with every laid-out line shown')
    for w in wrong:
        print(f'  differs: {w}')


def score(folder, label, found_file):
    rows = shown_rows(folder)
    found, placed, misplaced = set(), 0, 0
    shown = {r[2].lower(): r for r in rows}
    with open(found_file, encoding='utf-8', errors='replace') as f:
        for line in f:
            line = line.strip()
            if not line.startswith('{'):
                if line:
                    found.add(line.lower())
                continue
            # A record of --format jsonl: its page is checked too.
            try:
                record = json.loads(line)
                address = str(record['address']).lower()
            except (ValueError, KeyError, TypeError):
                found.add(line.lower())
                continue
            found.add(address)
            row = shown.get(address)
            if row and 'file' in record and 'slide' in record:
                right = os.path.basename(str(record['file'])) == row[0] and str(record['slide']) == row[1]
                placed += right
                misplaced += not right
    counts = {}
    for deck, page, address, cls, kind, lines in rows:
        for key in (cls, f'{cls}/{kind}'):
            c = counts.setdefault(key, [0, 0])
            c[0] += address.lower() in found
            c[1] += 1
    extra = sorted(found - set(shown))
    def of(cls):
        c = counts.get(cls, [0, 0])
        kinds = ', '.join(f'{k.split("/")[1]} {v[0]}/{v[1]}' for k, v in sorted(counts.items())
                          if k.startswith(cls + '/'))
        return f'{c[0]}/{c[1]} ({kinds})'

    print(f'{label}:\n  on one line {of("line")}\n  broken {of("broken")}\n  shown by no slide: {len(extra)}')
    if extra:
        print('    for example: ' + ' '.join(printable(e) for e in extra[:4]))
    if placed or misplaced:
        print(f'  records naming the file and page that show the address: {placed} of {placed + misplaced}')


def main():
    if sys.argv[1] == '--check':
        return check(sys.argv[2])
    if sys.argv[1] == '--score':
        return score(*sys.argv[2:5])
    out = sys.argv[1]
    decks = int(sys.argv[2]) if len(sys.argv) > 2 else 60
    os.makedirs(out, exist_ok=True)
    c = Corpus(20260105)
    with open(os.path.join(out, 'shown.tsv'), 'w', encoding='utf-8') as table_out:
        for d in range(decks):
            name = f'deck{d:04d}'
            rows, slides = [], []
            for page in range(1, c.random.randint(5, 20) + 1):
                slides.append(slide(c, page, rows))
            with open(os.path.join(out, name + '.fodp'), 'w', encoding='utf-8') as f:
                f.write(presentation(slides, FONT_PT))
            for row in rows:
                table_out.write('\t'.join([name + '.pdf'] + [str(v) for v in row]) + '\n')


if __name__ == '__main__':
    main()
