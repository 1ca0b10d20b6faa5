# Writes the flat OpenDocument sources of the PDF samples for
# make_pdf_samples.sh, and the addresses each one's pages show, in page order,
# as rows of expected.tsv (file, then its addresses).
# Usage: make_pdf_samples.py OUTDIR
# The widths of the narrow frames are chosen so that the office suite's export
# (Liberation Sans, 18 pt) breaks each long address where its comment says.
import os
import sys

sys.dont_write_bytecode = True
from fodp_writer import comment, frame, group, link, para, presentation, table, text_document  # noqa: E402

SHY = '\u00ad'


def one_line():
    slide1 = [
        frame(1, 0.5, 26, 2, [para('Write to title@example.com')], cls='title'),
        frame(1, 3, 12, 2, [para('Office: box@example.org')]),
        table(1, 6, [['Desk', 'cell@example.net'], ['Phone', '555 0100']], col_width=7),
        group(frame(15, 3, 12, 1.5, [para('grouped@example.com')]),
              frame(15, 5, 12, 1.5, [para('In the group too')])),
    ]
    slide2 = [
        frame(1, 0.5, 26, 2, [para('Second slide')], cls='title'),
        frame(1, 3, 20, 4, [para('Grüße: müller@example.de'), para('Sales sales@example.co.uk today'),
                            # A soft hyphen where the line does not break: not drawn, but in the text.
                            para(f'Desk: front{SHY}desk@example.com')]),
    ]
    addresses = ['title@example.com', 'box@example.org', 'cell@example.net', 'grouped@example.com',
                 'müller@example.de', 'sales@example.co.uk', 'frontdesk@example.com']
    return presentation([slide1, slide2]), addresses


def broken():
    slides = [
        [  # mid-word: "maximilianschwarzenegg" / "er@example.com"
            frame(1, 1, 7.5, 3, [para('maximilianschwarzenegger@example.com')]),
            # mid-word in the domain: "ann@mail.verylongdepartment" / "name.example.com"
            frame(1, 7, 9.0, 3, [para('ann@mail.verylongdepartmentname.example.com')]),
        ],
        [  # after a dot: "support@department." / "example.com"
            frame(1, 1, 6.5, 3, [para('support@department.example.com')]),
            # several breaks: "firstname." / "lastname" / "@exampl" / "e.com"
            frame(1, 6, 3.0, 6, [para('firstname.lastname@example.com')]),
        ],
        [  # after a hyphen: "first-" / "last@example.com"
            frame(1, 1, 6.25, 3, [para('first-last@example.com')]),
            # after the second hyphen: "jean-baptiste-" / "lefebvre@example.com"
            frame(1, 5, 9.0, 3, [para('jean-baptiste-lefebvre@example.com')]),
            # at a soft hyphen, drawn as a hyphen: "registration" U+00AD / "office@example.com"
            frame(1, 9, 6.25, 3, [para(f'registration{SHY}office@example.com')]),
        ],
        [  # lines that are not one address
            frame(1, 1, 5.75, 3, [para('Contact bob@example.com')]),
            frame(1, 5, 5.75, 3, [para('ann@example.com carl@example.org')]),
            frame(1, 9, 6.0, 3, [para('dave@example.com Sales team')]),
        ],
    ]
    addresses = ['maximilianschwarzenegger@example.com', 'ann@mail.verylongdepartmentname.example.com',
                 'support@department.example.com', 'firstname.lastname@example.com',
                 'first-last@example.com', 'jean-baptiste-lefebvre@example.com',
                 'registrationoffice@example.com',
                 'bob@example.com', 'ann@example.com', 'carl@example.org', 'dave@example.com']
    return presentation(slides), addresses


def links():
    slide1 = [
        frame(1, 0.5, 26, 2, [para('Links')], cls='title'),
        frame(1, 3, 20, 2, [para('Mail ', ('xml', link('shown@example.com', 'mailto:hidden@example.org?subject=Slides')),
                                 ' or visit ', ('xml', link('our site', 'https://www.example.com/team')))]),
    ]
    slide2 = [
        frame(1, 0.5, 26, 2, [para('Comments')], cls='title'),
        frame(1, 3, 20, 2, [para('This slide has a comment.')]),
        comment(20, 1, 'Ask reviewer@example.net about this'),
    ]
    return presentation([slide1, slide2]), ['shown@example.com', 'hidden@example.org', 'reviewer@example.net']


def letter():
    doc = text_document([
        'Orchard Lane 4', '1234 Sampleton', '', 'Dear customer,',
        'thank you for your order of the printed slides. Should anything be missing, '
        'please write to letters@example.com and we answer within two working days.',
        'Kind regards,', 'The print shop'])
    return doc, ['letters@example.com']


def main():
    out = sys.argv[1]
    rows = []
    for name, make, ext in [('one_line', one_line, 'fodp'), ('broken', broken, 'fodp'),
                            ('links', links, 'fodp'), ('letter', letter, 'fodt')]:
        doc, addresses = make()
        with open(os.path.join(out, f'{name}.{ext}'), 'w', encoding='utf-8') as f:
            f.write(doc)
        rows.append([f'{name}.pdf'] + addresses)
        if name == 'one_line':
            rows.append(['owner_only.pdf'] + addresses)
            rows.append(['user_password.pdf', 'encrypted'])
            rows.append(['damaged.pdf', 'damaged'])
    with open(os.path.join(out, 'expected-rows.tsv'), 'w', encoding='utf-8') as f:
        for r in rows:
            f.write('\t'.join(r) + '\n')


if __name__ == '__main__':
    main()
