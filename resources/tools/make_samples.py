#!/usr/bin/env python3
"""Writes the raw example decks (conference contacts, a team list, a price
sheet) into the folder given; make_samples.sh turns them into the samples."""
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', '..', 'tests', 'data'))
from make_ppt_samples import sp as raw_sp, write  # noqa: E402
from xml.sax.saxutils import escape  # noqa: E402


def sp(id, name, ph, x, y, paras):
    return raw_sp(id, name, ph, x, y, [[None if r is None else escape(r) for r in p] for p in paras])


out = sys.argv[1]
write(os.path.join(out, 'Conference Speakers.pptx'), [
    [sp(2, 'Title', 'title', 457200, 274638, [['Northfield Design Conference']]),
     sp(3, 'Body', 'body', 457200, 1600200, [['Programme committee: committee@northfield-conf.example'],
                                             ['Press enquiries (press@northfield-conf.example)']])],
    [sp(2, 'Title', 'title', 457200, 274638, [['Speakers']]),
     sp(3, 'Body', 'body', 457200, 1600200, [['Ada Lindqvist <ada.lindqvist@studio-lind.example>'],
                                             ['Ravi Menon: ravi_menon@menon-labs.example'],
                                             ['Chloé Martin, chloe.martin@atelier-cm.example']])],
])
write(os.path.join(out, 'Team Directory.pptx'), [
    [sp(2, 'Title', 'title', 457200, 274638, [['Customer Success Team']]),
     sp(3, 'Body', 'body', 457200, 1600200, [['Support: support@harbor-tools.example; Sales: sales@harbor-tools.example'],
                                             ['Team lead', None, 'M.Okafor@harbor-tools.example']])],
    [sp(2, 'Box', None, 457200, 274638, [['Escalations go to escalation-desk@harbor-tools.example.'],
                                         ['(The full stop above keeps that address out: write it without one.)']]),
     sp(3, 'Box', None, 457200, 2600200, [['escalation-desk@harbor-tools.example']])],
])
write(os.path.join(out, 'Price Sheet.pptx'), [
    [sp(2, 'Title', 'title', 457200, 274638, [['Spring Price Sheet']]),
     sp(3, 'Body', 'body', 457200, 1600200, [['Orders: orders@meadow-supply.example'],
                                             ['Questions? SALES@meadow-supply.example']])],
])
