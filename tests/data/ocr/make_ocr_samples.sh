#!/usr/bin/env bash
# Makes the pictures the text recognition tests read (tests/extract/ocr/):
# an address in clear print as a slide's picture shows it, dark on light,
# light on dark, two lines, as a JPEG, and in small print. Made once with
# ImageMagick; the tests need only the pictures.
# scan.pdf, photo.jpg alone on a page without text (as a scan), was written
# with the test helpers' PdfBuilder (Page::jpeg, 600 x 80 pixels drawn at
# 6,50 to 606,130 on a page of 612 x 200 points).
#   tests/data/ocr/make_ocr_samples.sh
set -euo pipefail
cd "$(dirname "$0")"
# No time stamps or other chunks that change from run to run. The text keeps
# its smoothed edges, as a picture on a slide does (two colours would leave
# the engine unsure of it); the dark one in four colours, to stay small.
strip=(-strip -define png:exclude-chunks=date,time)

convert -size 600x80 xc:white -font DejaVu-Sans -pointsize 28 -fill black \
    -draw "text 10,50 'write to sales@example.com'" "${strip[@]}" light.png
convert -size 600x80 xc:'#1f2a44' -font DejaVu-Sans-Bold -pointsize 28 -fill white \
    -draw "text 10,50 'Contact: help@example.org'" "${strip[@]}" -colors 4 dark.png
convert -size 640x140 xc:white -font DejaVu-Serif -pointsize 26 -fill black \
    -draw "text 12,50 'Questions? Ask the team'" -draw "text 12,105 'at team.lead@example.net today'" \
    "${strip[@]}" lines.png
convert -size 600x80 xc:'#f4f0e0' -font DejaVu-Sans -pointsize 28 -fill '#202020' \
    -draw "text 10,50 'Mail jobs@example.com now'" -strip -quality 80 photo.jpg
# Small print (an x-height of about 6 pixels): read or not, never misread.
convert -size 300x30 xc:white -font DejaVu-Sans -pointsize 11 -fill black \
    -draw "text 5,20 'mail olga19@example.com'" "${strip[@]}" small.png
ls -l light.png dark.png lines.png photo.jpg small.png
