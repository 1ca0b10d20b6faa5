# Writes flat OpenDocument presentations and text documents by hand, for the
# office suite to export as PDF: frames of a given size (so that long text
# wraps where the test wants it), titles, tables, groups, hyperlinks and
# comments. Used by make_pdf_samples.py and bench/pdf_corpus.py.
from xml.sax.saxutils import escape, quoteattr

NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
      'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
      'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
      'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
      'xmlns:xlink="http://www.w3.org/1999/xlink" '
      'xmlns:dc="http://purl.org/dc/elements/1.1/" '
      'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" '
      'xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0" '
      'xmlns:officeooo="http://openoffice.org/2009/office" ')


def span(text):
    """Text of a paragraph: escaped, runs of spaces kept."""
    return escape(text).replace('  ', ' <text:s/>')


def link(text, href):
    return f'<text:a xlink:type="simple" xlink:href={quoteattr(href)}>{span(text)}</text:a>'


def para(*parts, style='P1'):
    """A paragraph of plain strings and already written markup (tuples ('xml', s))."""
    body = ''.join(p[1] if isinstance(p, tuple) else span(p) for p in parts)
    return f'<text:p text:style-name="{style}">{body}</text:p>'


def frame(x, y, w, h, paragraphs, cls=None, style='gr1'):
    """A text frame at (x, y) cm, w cm wide: its text wraps at that width."""
    c = f' presentation:class="{cls}"' if cls else ''
    s = 'pr1' if cls else style
    ps = ''.join(paragraphs)
    return (f'<draw:frame draw:style-name="{s}" svg:x="{x}cm" svg:y="{y}cm" svg:width="{w}cm" '
            f'svg:height="{h}cm"{c}><draw:text-box>{ps}</draw:text-box></draw:frame>')


def table(x, y, rows, col_width=5.0, row_height=1.0):
    cols = max(len(r) for r in rows)
    cells = ''.join('<table:table-row table:style-name="ro1">' + ''.join(
        f'<table:table-cell>{para(c)}</table:table-cell>' for c in r) + '</table:table-row>' for r in rows)
    return (f'<draw:frame svg:x="{x}cm" svg:y="{y}cm" svg:width="{cols * col_width}cm" '
            f'svg:height="{len(rows) * row_height}cm"><table:table>'
            + f'<table:table-column table:style-name="co1"/>' * cols + cells + '</table:table></draw:frame>')


def group(*shapes):
    return '<draw:g>' + ''.join(shapes) + '</draw:g>'


def comment(x, y, text, author='Reviewer'):
    return (f'<officeooo:annotation svg:x="{x}cm" svg:y="{y}cm" svg:width="0.6cm" svg:height="0.6cm">'
            f'<dc:creator>{escape(author)}</dc:creator><dc:date>2026-01-05T10:00:00</dc:date>'
            f'{para(text)}</officeooo:annotation>')


def presentation(slides, font_size=18):
    """slides: lists of shapes (markup from the functions above)."""
    pages = ''.join(f'<draw:page draw:name="page{i + 1}" draw:master-page-name="Default">{"".join(s)}</draw:page>'
                    for i, s in enumerate(slides))
    return f'''<?xml version="1.0" encoding="UTF-8"?>
<office:document {NS}office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
<office:font-face-decls><style:font-face style:name="Liberation Sans" svg:font-family="'Liberation Sans'" style:font-family-generic="swiss"/></office:font-face-decls>
<office:styles>
<style:default-style style:family="graphic"><style:graphic-properties draw:fill="none" draw:stroke="none"/>
<style:paragraph-properties fo:margin-top="0cm" fo:margin-bottom="0cm"/>
<style:text-properties style:font-name="Liberation Sans" fo:font-size="{font_size}pt" fo:hyphenate="false"/></style:default-style>
</office:styles>
<office:automatic-styles>
<style:page-layout style:name="PM1"><style:page-layout-properties fo:margin-top="0cm" fo:margin-bottom="0cm" fo:margin-left="0cm" fo:margin-right="0cm" fo:page-width="28cm" fo:page-height="15.75cm" style:print-orientation="landscape"/></style:page-layout>
<style:style style:name="gr1" style:family="graphic"><style:graphic-properties draw:stroke="none" draw:fill="none" draw:auto-grow-height="true" draw:auto-grow-width="false" fo:wrap-option="wrap" fo:min-height="1cm" fo:padding-top="0.1cm" fo:padding-bottom="0.1cm" fo:padding-left="0.1cm" fo:padding-right="0.1cm"/></style:style>
<style:style style:name="pr1" style:family="presentation"><style:graphic-properties draw:stroke="none" draw:fill="none" draw:auto-grow-height="true" fo:min-height="1cm"/></style:style>
<style:style style:name="co1" style:family="table-column"><style:table-column-properties style:column-width="5cm"/></style:style>
<style:style style:name="ro1" style:family="table-row"><style:table-row-properties style:row-height="1cm"/></style:style>
<style:style style:name="P1" style:family="paragraph"><style:text-properties style:font-name="Liberation Sans" fo:font-size="{font_size}pt" fo:hyphenate="false"/></style:style>
</office:automatic-styles>
<office:master-styles><style:master-page style:name="Default" style:page-layout-name="PM1"/></office:master-styles>
<office:body><office:presentation>{pages}</office:presentation></office:body>
</office:document>
'''


def text_document(paragraphs):
    """A one-page letter: paragraphs of plain text (a word processor's document)."""
    body = ''.join(f'<text:p text:style-name="Standard">{span(p)}</text:p>' for p in paragraphs)
    return f'''<?xml version="1.0" encoding="UTF-8"?>
<office:document {NS}office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:font-face-decls><style:font-face style:name="Liberation Serif" svg:font-family="'Liberation Serif'" style:font-family-generic="roman"/></office:font-face-decls>
<office:styles><style:style style:name="Standard" style:family="paragraph"><style:paragraph-properties fo:margin-bottom="0.3cm"/>
<style:text-properties style:font-name="Liberation Serif" fo:font-size="12pt"/></style:style></office:styles>
<office:automatic-styles><style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="2.5cm" fo:margin-bottom="2.5cm" fo:margin-left="2.5cm" fo:margin-right="2.5cm"/></style:page-layout></office:automatic-styles>
<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1"/></office:master-styles>
<office:body><office:text>{body}</office:text></office:body>
</office:document>
'''
