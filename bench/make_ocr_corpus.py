#!/usr/bin/env python3
"""Makes pictures that show e-mail addresses, for bench/run_ocr_accuracy.sh:
each shows one address among other words, in one of several fonts and sizes,
dark on light or light on dark, as PNG or JPEG, and a list of what each shows
(ANSWERS: picture<TAB>address<TAB>x-height class). "clear" pictures have an
x-height of 12 pixels or more; "small" ones less, where an address may be
missed but must never be misread.

    make_ocr_corpus.py OUT_DIR COUNT [SEED]
"""
import os
import random
import subprocess
import sys

FONTS = ["DejaVu-Sans", "DejaVu-Serif", "DejaVu-Sans-Mono", "DejaVu-Sans-Bold",
         "Liberation-Sans", "Liberation-Serif", "Liberation-Mono", "Liberation-Sans-Narrow",
         "Liberation-Sans-Bold", "Liberation-Serif-Italic"]
FIRST = ["anna", "j.smith", "sales", "m.odonnell", "kim_lee", "info", "r.patel", "team.lead",
         "olga", "h.mueller", "support", "wei.zhang", "jobs", "t.nguyen", "press", "l.garcia"]
DOMAINS = ["example.com", "example.org", "mail.example.net", "corp-example.co.uk",
           "example.io", "uni.example.edu", "shop.example.de", "example.fr"]
LEADS = ["Contact:", "Write to", "E-mail:", "Questions? Mail", "Reach us at", "Send CVs to", ""]
TAILS = ["today", "for details", "", "(office hours)", "or call 555 0100", ""]
LIGHT = [("white", "black"), ("#f4f0e0", "#202020"), ("#e8f0ff", "#102060"), ("#fff8d0", "#303030")]
DARK = [("#1f2a44", "white"), ("black", "#f0f0f0"), ("#204020", "#ffffc0"), ("#602020", "white")]


def main():
    out, count = sys.argv[1], int(sys.argv[2])
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 38)
    os.makedirs(out, exist_ok=True)
    answers = []
    for i in range(count):
        font = rng.choice(FONTS)
        small = i % 5 == 4  # one in five in small print
        # ImageMagick's point size is in pixels; these fonts' x-height is
        # about half of it.
        size = rng.randint(14, 20) if small else rng.randint(26, 44)
        back, ink = rng.choice(DARK if i % 3 == 1 else LIGHT)
        address = rng.choice(FIRST) + str(rng.choice(["", "", rng.randint(1, 99)])) + "@" + rng.choice(DOMAINS)
        line = " ".join(w for w in [rng.choice(LEADS), address, rng.choice(TAILS)] if w)
        width = int(len(line) * size * 0.68) + 40
        height = size * 3
        kind = "jpg" if i % 4 == 3 else "png"
        name = f"p{i:04d}.{kind}"
        args = ["convert", "-size", f"{width}x{height}", f"xc:{back}", "-font", font, "-pointsize",
                str(size), "-fill", ink, "-gravity", "West", "-annotate", "+20+0", line, "-strip"]
        if kind == "jpg":
            args += ["-quality", str(rng.choice([60, 75, 90]))]
        subprocess.run(args + [os.path.join(out, name)], check=True)
        answers.append(f"{name}\t{address}\t{'small' if small else 'clear'}")
    with open(os.path.join(out, "ANSWERS"), "w") as f:
        f.write("\n".join(answers) + "\n")


if __name__ == "__main__":
    main()
