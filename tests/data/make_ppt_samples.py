# Writes a small presentation package (title and body placeholders, text
# boxes, a table, a group, a line) for make_ppt_samples.sh to convert.
# Usage: make_ppt_samples.py placeholders|three_slides OUT.pptx
import sys, zipfile
P='xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main"'
R='http://schemas.openxmlformats.org/officeDocument/2006/relationships'
def rels(items):
    return '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">' + ''.join(
        f'<Relationship Id="{i}" Type="{R}/{t}" Target="{g}"/>' for i,t,g in items) + '</Relationships>'
def sp(id, name, ph, x, y, paras):
    phx = f'<p:nvPr><p:ph type="{ph}"/></p:nvPr>' if ph else '<p:nvPr/>'
    box = '' if ph else ' txBox="1"'
    ps = ''.join('<a:p>' + ''.join(('<a:br/>' if r is None else f'<a:r><a:t>{r}</a:t></a:r>') for r in p) + '</a:p>' for p in paras)
    return (f'<p:sp><p:nvSpPr><p:cNvPr id="{id}" name="{name}"/><p:cNvSpPr{box}/>{phx}</p:nvSpPr>'
            f'<p:spPr><a:xfrm><a:off x="{x}" y="{y}"/><a:ext cx="6000000" cy="1000000"/></a:xfrm><a:prstGeom prst="rect"><a:avLst/></a:prstGeom></p:spPr>'
            f'<p:txBody><a:bodyPr/><a:lstStyle/>{ps}</p:txBody></p:sp>')
def tree(shapes):
    return ('<p:cSld><p:spTree><p:nvGrpSpPr><p:cNvPr id="1" name=""/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr><p:grpSpPr/>'
            + ''.join(shapes) + '</p:spTree></p:cSld>')
def write(path, slides):
    z = zipfile.ZipFile(path, 'w')
    ct = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
          '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/>'
          '<Override PartName="/ppt/presentation.xml" ContentType="application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml"/>'
          '<Override PartName="/ppt/slideMasters/slideMaster1.xml" ContentType="application/vnd.openxmlformats-officedocument.presentationml.slideMaster+xml"/>'
          '<Override PartName="/ppt/slideLayouts/slideLayout1.xml" ContentType="application/vnd.openxmlformats-officedocument.presentationml.slideLayout+xml"/>'
          '<Override PartName="/ppt/theme/theme1.xml" ContentType="application/vnd.openxmlformats-officedocument.theme+xml"/>'
          + ''.join(f'<Override PartName="/ppt/slides/slide{i+1}.xml" ContentType="application/vnd.openxmlformats-officedocument.presentationml.slide+xml"/>' for i in range(len(slides)))
          + '</Types>')
    z.writestr('[Content_Types].xml', ct)
    z.writestr('_rels/.rels', rels([('rId1', 'officeDocument', 'ppt/presentation.xml')]))
    z.writestr('ppt/presentation.xml', f'<?xml version="1.0" encoding="UTF-8"?><p:presentation {P}><p:sldMasterIdLst><p:sldMasterId id="2147483648" r:id="rId1"/></p:sldMasterIdLst><p:sldIdLst>'
               + ''.join(f'<p:sldId id="{256+i}" r:id="rId{i+3}"/>' for i in range(len(slides)))
               + '</p:sldIdLst><p:sldSz cx="9144000" cy="6858000"/><p:notesSz cx="6858000" cy="9144000"/></p:presentation>')
    z.writestr('ppt/_rels/presentation.xml.rels', rels([('rId1','slideMaster','slideMasters/slideMaster1.xml'),('rId2','theme','theme/theme1.xml')]
               + [(f'rId{i+3}','slide',f'slides/slide{i+1}.xml') for i in range(len(slides))]))
    phs = [sp(2,'Title','title',457200,274638,[['Title']]), sp(3,'Body','body',457200,1600200,[['Body']])]
    z.writestr('ppt/slideMasters/slideMaster1.xml', f'<?xml version="1.0" encoding="UTF-8"?><p:sldMaster {P}>{tree(phs)}<p:clrMap bg1="lt1" tx1="dk1" bg2="lt2" tx2="dk2" accent1="accent1" accent2="accent2" accent3="accent3" accent4="accent4" accent5="accent5" accent6="accent6" hlink="hlink" folHlink="folHlink"/><p:sldLayoutIdLst><p:sldLayoutId id="2147483649" r:id="rId1"/></p:sldLayoutIdLst></p:sldMaster>')
    z.writestr('ppt/slideMasters/_rels/slideMaster1.xml.rels', rels([('rId1','slideLayout','../slideLayouts/slideLayout1.xml'),('rId2','theme','../theme/theme1.xml')]))
    z.writestr('ppt/slideLayouts/slideLayout1.xml', f'<?xml version="1.0" encoding="UTF-8"?><p:sldLayout {P} type="obj">{tree(phs)}</p:sldLayout>')
    z.writestr('ppt/slideLayouts/_rels/slideLayout1.xml.rels', rels([('rId1','slideMaster','../slideMasters/slideMaster1.xml')]))
    clr = ''.join(f'<a:{n}><a:srgbClr val="{v}"/></a:{n}>' for n,v in [('dk1','000000'),('lt1','FFFFFF'),('dk2','1F497D'),('lt2','EEECE1'),('accent1','4F81BD'),('accent2','C0504D'),('accent3','9BBB59'),('accent4','8064A2'),('accent5','4BACC6'),('accent6','F79646'),('hlink','0000FF'),('folHlink','800080')])
    font = '<a:latin typeface="Arial"/><a:ea typeface=""/><a:cs typeface=""/>'
    fill = '<a:solidFill><a:schemeClr val="phClr"/></a:solidFill>'
    z.writestr('ppt/theme/theme1.xml', f'<?xml version="1.0" encoding="UTF-8"?><a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" name="T"><a:themeElements><a:clrScheme name="C">{clr}</a:clrScheme><a:fontScheme name="F"><a:majorFont>{font}</a:majorFont><a:minorFont>{font}</a:minorFont></a:fontScheme><a:fmtScheme name="S"><a:fillStyleLst>{fill*3}</a:fillStyleLst><a:lnStyleLst>{("<a:ln>"+fill+"</a:ln>")*3}</a:lnStyleLst><a:effectStyleLst>{"<a:effectStyle><a:effectLst/></a:effectStyle>"*3}</a:effectStyleLst><a:bgFillStyleLst>{fill*3}</a:bgFillStyleLst></a:fmtScheme></a:themeElements></a:theme>')
    for i, shapes in enumerate(slides):
        z.writestr(f'ppt/slides/slide{i+1}.xml', f'<?xml version="1.0" encoding="UTF-8"?><p:sld {P}>{tree(shapes)}</p:sld>')
        z.writestr(f'ppt/slides/_rels/slide{i+1}.xml.rels', rels([('rId1','slideLayout','../slideLayouts/slideLayout1.xml')]))
    z.close()

grp = ('<p:grpSp><p:nvGrpSpPr><p:cNvPr id="10" name="Group"/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr><p:grpSpPr/>'
       + sp(11,'In group',None,100000,4000000,[['grouped@example.com']]) + sp(12,'In group 2',None,100000,5000000,[['Also grouped']]) + '</p:grpSp>')
tbl = ('<p:graphicFrame><p:nvGraphicFramePr><p:cNvPr id="20" name="Table"/><p:cNvGraphicFramePr/><p:nvPr/></p:nvGraphicFramePr>'
       '<p:xfrm><a:off x="100000" y="100000"/><a:ext cx="4000000" cy="740000"/></p:xfrm><a:graphic><a:graphicData uri="http://schemas.openxmlformats.org/drawingml/2006/table">'
       '<a:tbl><a:tblGrid><a:gridCol w="2000000"/><a:gridCol w="2000000"/></a:tblGrid><a:tr h="370000">'
       '<a:tc><a:txBody><a:bodyPr/><a:lstStyle/><a:p><a:r><a:t>cell@example.com</a:t></a:r></a:p></a:txBody><a:tcPr/></a:tc>'
       '<a:tc><a:txBody><a:bodyPr/><a:lstStyle/><a:p><a:r><a:t>B1</a:t></a:r></a:p></a:txBody><a:tcPr/></a:tc></a:tr></a:tbl></a:graphicData></a:graphic></p:graphicFrame>')
line = ('<p:cxnSp><p:nvCxnSpPr><p:cNvPr id="30" name="Line"/><p:cNvCxnSpPr/><p:nvPr/></p:nvCxnSpPr><p:spPr><a:xfrm><a:off x="100000" y="6000000"/><a:ext cx="3000000" cy="0"/></a:xfrm><a:prstGeom prst="line"><a:avLst/></a:prstGeom></p:spPr></p:cxnSp>')
if __name__ != '__main__':
    pass  # imported for its writers
elif sys.argv[1] == 'placeholders':
    write(sys.argv[2], [
        [sp(2,'Title','title',457200,274638,[['Contact title@example.com']]),
         sp(3,'Body','body',457200,1600200,[['First body@example.org'],['Second second@example.net']]),
         sp(4,'Box',None,457200,5000000,[['Box ', None, 'box@example.com']])],
        [tbl, grp, line, sp(5,'Box',None,457200,6000000,[['Grüße: müller@example.de']])]])
else:
    write(sys.argv[2], [
        [sp(2,'Box',None,457200,274638,[['alpha@example.com']])],
        [],
        [sp(2,'Box',None,457200,274638,[['Привет gamma@example.com']])]])
