#include "extract/word/WordDocumentReader.h"

#include "base/SafeText.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/XmlPart.h"
#include "extract/common/ZipPackage.h"
#include "extract/ooxml/PackageParts.h"
#include "extract/ooxml/TextBody.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

namespace orv::word {

namespace {

using ooxml::IsRelationshipType;
using ooxml::ReadXmlPart;
using ooxml::ResolvePartName;

constexpr std::string_view kExtensions[] = {"docx", "docm"};
constexpr std::string_view kMimeTypes[] = {
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document",
    "application/vnd.ms-word.document.macroEnabled.12",
};

// WordprocessingML, transitional and strict, beside the package
// vocabularies; the drawing vocabularies of later versions count as
// understood, so that the alternate content that shows a text box as a
// shape of theirs is the branch read.
Ns classifyDocumentPart(std::string_view uri) {
    static constexpr std::string_view understood[] = {
        "http://schemas.microsoft.com/office/word/2010/wordprocessingShape",
        "http://schemas.microsoft.com/office/word/2010/wordprocessingGroup",
        "http://schemas.microsoft.com/office/word/2010/wordprocessingCanvas",
        "http://schemas.microsoft.com/office/word/2012/wordml",
    };
    if (uri == "http://schemas.openxmlformats.org/wordprocessingml/2006/main" ||
        uri == "http://purl.oclc.org/ooxml/wordprocessingml/main")
        return Ns::WordProcessing;
    if (std::find(std::begin(understood), std::end(understood), uri) != std::end(understood))
        return Ns::Extension;
    return ClassifyOfficeOpenXml(uri);
}

// What no walk of a part reads: paragraph, run, table and section
// properties (tab stops among them), content controls' properties, deleted
// and moved-away text, and field instructions.
constexpr SkippedElement kSkipped[] = {
    {Ns::WordProcessing, "pPr"},          {Ns::WordProcessing, "rPr"},     {Ns::WordProcessing, "sectPr"},
    {Ns::WordProcessing, "tblPr"},        {Ns::WordProcessing, "tblGrid"}, {Ns::WordProcessing, "trPr"},
    {Ns::WordProcessing, "tcPr"},         {Ns::WordProcessing, "sdtPr"},   {Ns::WordProcessing, "del"},
    {Ns::WordProcessing, "moveFrom"},     {Ns::WordProcessing, "delText"}, {Ns::WordProcessing, "instrText"},
    {Ns::WordProcessing, "delInstrText"},
};

XmlRules documentRules() {
    XmlRules rules = PackagePartRules();
    rules.classify = classifyDocumentPart;
    rules.skip = kSkipped;
    return rules;
}

bool hasRoot(const XmlTree& xml, std::string_view local) {
    RequireDeclarationsInLimit(xml, xml.root());
    return xml.ns(xml.root()) == Ns::WordProcessing && xml.local(xml.root()) == local;
}

// A zip whose main document is declared a text document; or, declared as no
// other office format, whose main document's root is one.
int bid(FormatProbe& probe) {
    static constexpr std::string_view marks[] = {"wordprocessingml.document.main",
                                                 "ms-word.document.macroenabled.main"};
    return ooxml::BidByMainDocument(probe.zip(), marks, [](ZipPackage& zip, const std::string& main) {
        const auto document = ReadXmlPart(zip, main, documentRules());
        return document && hasRoot(document->tree, "document");
    });
}

// One walk over a part: a text per paragraph, placed in the order the
// paragraphs begin, and the link references met. The tree is walked in
// document order without recursion, so tables and text boxes nested however
// deep cost nothing more: each run's text goes to the innermost paragraph
// open, and a paragraph's text is placed once no paragraph holds it.
class ParagraphWalk {
public:
    ParagraphWalk(const XmlPart& part, SlideContent& slide, ShapeBudget& budget)
        : m_xml(part.tree), m_name(part.name), m_slide(slide), m_budget(budget) {}

    void run() {
        const auto root = m_xml.root();
        const auto end = m_xml.subtreeEnd(root);
        for (auto node = root;;) {
            while (!m_open.empty() && node >= m_open.back().end)
                close();
            if (node >= end)
                break;
            node = visit(node);
        }
    }

    // The relationship ids of the links, in the order met.
    const std::vector<std::string_view>& linkIds() const { return m_linkIds; }

private:
    struct Open {
        XmlTree::Id end;
        std::size_t text;
    };

    // The node to go on with after `node`: past an element whose content is
    // taken (a run's text) or not shown (an alternate branch not chosen),
    // else into it.
    XmlTree::Id visit(XmlTree::Id node) {
        if (m_xml.isText(node))
            return node + 1;
        RequireDeclarationsInLimit(m_xml, node);
        const auto local = m_xml.local(node);
        const Ns ns = m_xml.ns(node);
        if (ns == Ns::MarkupCompatibility) {
            if (local == "AlternateContent") {
                if (const auto branch = ooxml::SelectAlternateBranch(m_xml, node); branch != XmlTree::kNone)
                    m_shown.insert(branch);
            } else if ((local == "Choice" || local == "Fallback") && !m_shown.contains(node)) {
                return m_xml.subtreeEnd(node);
            }
            return node + 1;
        }
        if (ns != Ns::WordProcessing)
            return node + 1; // drawings and shapes may hold text boxes
        if (local == "p") {
            m_open.push_back({m_xml.subtreeEnd(node), m_texts.size()});
            m_texts.emplace_back();
        } else if (local == "hyperlink") {
            if (const auto id = m_xml.attribute(node, Ns::Relationships, "id"); id.found)
                m_linkIds.push_back(id.text);
        } else if (!m_open.empty()) {
            std::string& text = m_texts[m_open.back().text];
            const std::size_t before = text.size();
            if (local == "t")
                AppendText(m_xml, node, text);
            else if (local == "tab" || local == "ptab")
                text += '\t';
            else if (local == "br" || local == "cr")
                text += '\v';
            // Refused before it is all built: one paragraph can hold a
            // whole part's text.
            m_pending += text.size() - before;
            m_budget.checkText(m_pending, m_xml.site(node));
            if (local == "t")
                return m_xml.subtreeEnd(node);
        }
        return node + 1;
    }

    void close() {
        m_open.pop_back();
        if (!m_open.empty())
            return;
        for (auto& text : m_texts)
            PlaceText(m_slide, m_budget, std::nullopt, TextPlace::Shape, m_name, std::move(text));
        m_texts.clear();
        m_pending = 0;
    }

    const XmlTree& m_xml;
    const std::string& m_name;
    SlideContent& m_slide;
    ShapeBudget& m_budget;
    std::vector<Open> m_open;                // the paragraphs that hold the node walked, outermost first
    std::vector<std::string> m_texts;        // of the outermost open paragraph and those it holds
    std::size_t m_pending = 0;               // their bytes
    std::unordered_set<XmlTree::Id> m_shown; // the alternate branches chosen
    std::vector<std::string_view> m_linkIds;
};

// A part of the document, and how it is listed.
struct DocumentPart {
    std::string name;
    std::string_view root;
    std::string_view what; // "a header", for a part whose root is another
};

// The parts beside the main document that hold text, by relationship type,
// in the order they are read.
struct PartKind {
    std::string_view relationship;
    std::string_view root;
    std::string_view what;
};
constexpr PartKind kTextParts[] = {
    {"header", "hdr", "a header"},
    {"footer", "ftr", "a footer"},
    {"footnotes", "footnotes", "the footnotes"},
    {"endnotes", "endnotes", "the endnotes"},
    {"comments", "comments", "the comments"},
};

// A document held open: the list of parts is read when opening, each part is
// inflated, parsed, read and dropped when asked for (the main document,
// parsed when opening, is kept until then).
class WordDocument final : public PresentationDocument {
public:
    WordDocument(std::unique_ptr<ByteSource> source, std::unique_ptr<ZipPackage> zip, ReadOptions options)
        : m_source(std::move(source)), m_zip(std::move(zip)), m_options(std::move(options)) {
        const auto mainName = ooxml::FindMainPart(*m_zip);
        if (!mainName)
            ThrowNotPresentation("the package names no main document");
        m_main = ReadXmlPart(*m_zip, *mainName, documentRules());
        if (!m_main)
            ThrowDamaged("its main part " + FileText(*mainName) + " is missing", *mainName);
        if (!hasRoot(m_main->tree, "document"))
            ThrowNotPresentation("its main document is no text document");
        m_parts.push_back({*mainName, "document", "the main document"});
        listParts(*mainName);
    }

    std::size_t slideCount() const override { return m_parts.size(); }

    SlideContent readSlide(std::size_t index) override {
        const DocumentPart& listed = m_parts.at(index);
        m_budget.nextSlide();
        std::optional<XmlPart> part;
        if (index == 0 && m_main)
            part.swap(m_main);
        else // its text bounded, while it is parsed, by what its page has room for
            part = ReadXmlPart(*m_zip, listed.name, PartRules(documentRules(), m_budget, m_options));
        if (!part)
            ThrowDamaged("the part " + FileText(listed.name) + " is missing", listed.name);
        if (!hasRoot(part->tree, listed.root))
            ThrowDamaged("the part " + FileText(listed.name) + ", listed as " + std::string(listed.what) +
                             ", is not one",
                         listed.name);
        SlideContent slide;
        slide.allTextRead = true;
        ParagraphWalk walk(*part, slide, m_budget);
        walk.run();
        if (!walk.linkIds().empty())
            ReadAllTextPiece(slide, listed.name + ", links",
                             [&] { placeLinks(*part, walk.linkIds(), slide); });
        return slide;
    }

private:
    // The headers and footers in the order of the main document's
    // relationships, then the notes and the comments; each part once.
    void listParts(const std::string& mainName) {
        const auto relationships = ooxml::ReadPartRelations(*m_zip, mainName).list;
        std::unordered_set<std::string> seen{ooxml::LowerAscii(mainName)};
        for (const PartKind& kind : kTextParts)
            for (const auto& r : relationships) {
                if (r.external || !IsRelationshipType(r.type, kind.relationship))
                    continue;
                auto name = ResolvePartName(mainName, r.target);
                if (name && seen.insert(ooxml::LowerAscii(*name)).second)
                    m_parts.push_back({std::move(*name), kind.root, kind.what});
            }
    }

    // The addresses of the part's mailto: links, each link once.
    void placeLinks(const XmlPart& part, const std::vector<std::string_view>& ids, SlideContent& slide) {
        const auto relations = ooxml::ReadPartRelations(*m_zip, part.name);
        std::unordered_set<std::string_view> done;
        for (const auto id : ids)
            if (done.insert(id).second)
                if (auto address = ooxml::MailtoLinkAddress(relations, id))
                    PlaceText(slide, m_budget, std::nullopt, TextPlace::Link, part.name, std::move(*address));
    }

    std::unique_ptr<ByteSource> m_source;
    std::unique_ptr<ZipPackage> m_zip;
    std::optional<XmlPart> m_main; // until it is read
    std::vector<DocumentPart> m_parts;
    ShapeBudget m_budget;
    ReadOptions m_options; // the embedding page's budget bounds each part's text
};

std::unique_ptr<PresentationDocument> open(FormatProbe& probe, ReadOptions options) {
    auto zip = probe.takeZip();
    if (!zip)
        ThrowNotPresentation("it is no zip archive");
    return std::make_unique<WordDocument>(probe.takeSource(), std::move(zip), std::move(options));
}

} // namespace

const PresentationFormat kFormat{
    "word-processing document", "word-processing document", kExtensions, kMimeTypes, bid, open};

} // namespace orv::word
