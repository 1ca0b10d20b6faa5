# Writes the package behind fields.odp for make_odp_samples.sh: a slide-number
# field, an empty body placeholder, outline levels, runs of spaces and a tab,
# a line break, non-Latin text. Uses the writers of make_ppt_samples.py.
# Usage: make_odp_samples.py OUT.pptx
import sys
from make_ppt_samples import write, sp

def shape(id, name, ph, y, paragraphs_xml):
    idx = ' idx="1"' if ph == 'body' else ''
    phx = f'<p:nvPr><p:ph type="{ph}"{idx}/></p:nvPr>' if ph else '<p:nvPr/>'
    box = '' if ph else ' txBox="1"'
    body = f'<p:txBody><a:bodyPr/><a:lstStyle/>{paragraphs_xml}</p:txBody>' if paragraphs_xml is not None else ''
    return (f'<p:sp><p:nvSpPr><p:cNvPr id="{id}" name="{name}"/><p:cNvSpPr{box}/>{phx}</p:nvSpPr>'
            f'<p:spPr><a:xfrm><a:off x="457200" y="{y}"/><a:ext cx="6000000" cy="1000000"/></a:xfrm>'
            f'<a:prstGeom prst="rect"><a:avLst/></a:prstGeom></p:spPr>{body}</p:sp>')

def run(text):
    return f'<a:r><a:rPr lang="en-US"/><a:t xml:space="preserve">{text}</a:t></a:r>'

slide1 = [
    shape(2, 'Title', 'title', 274638,
          '<a:p>' + run('Slide ') + '<a:fld id="{B6F15528-21DE-4FAA-801E-634DDDAF4B2B}" type="slidenum">'
          '<a:rPr lang="en-US"/><a:t>1</a:t></a:fld>' + run(' of the deck') + '</a:p>'),
    shape(3, 'Body', 'body', 1600200,
          '<a:p><a:pPr lvl="0"/>' + run('Level one one@example.com') + '</a:p>'
          '<a:p><a:pPr lvl="1"/>' + run('Level two two@example.com') + '</a:p>'
          '<a:p><a:pPr lvl="2"/>' + run('Level three three@example.com') + '</a:p>'),
    shape(4, 'Box', None, 4000000,
          '<a:p>' + run('wide  spaces   here\tand@example.com') + '<a:br><a:rPr lang="en-US"/></a:br>'
          + run('después: josé@example.es') + '</a:p>'),
]
slide2 = [
    shape(2, 'Title', 'title', 274638, '<a:p>' + run('Second') + '</a:p>'),
    shape(3, 'Body', 'body', 1600200, '<a:p><a:endParaRPr lang="en-US"/></a:p>'),
]
write(sys.argv[1], [slide1, slide2])
