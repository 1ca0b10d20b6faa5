#include "extract/odf/OpenDocumentReader.h"

#include "base/SafeText.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/Uri.h"
#include "extract/common/XmlPart.h"
#include "extract/model/ZipPictures.h"
#include "extract/odf/Page.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace orv::odf {

namespace {

constexpr std::string_view kOfficeNamespace = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kMediaTypePrefix = "application/vnd.oasis.opendocument.";
// The file types of the two formats. The media types are also what a
// package's mimetype entry or manifest, or a flat file's office:mimetype,
// must declare.
constexpr std::string_view kPackageExtensions[] = {"odp", "otp"};
constexpr std::string_view kPackageMimeTypes[] = {"application/vnd.oasis.opendocument.presentation",
                                                  "application/vnd.oasis.opendocument.presentation-template"};
constexpr std::string_view kFlatExtensions[] = {"fodp"};
constexpr std::string_view kFlatMimeTypes[] = {"application/vnd.oasis.opendocument.presentation-flat-xml"};
constexpr std::string_view kContentPart = "content.xml";
constexpr std::string_view kStylesPart = "styles.xml";
constexpr std::string_view kChartType = "application/vnd.oasis.opendocument.chart";
// The sub-documents the "all text" mode reads as documents, and their templates.
constexpr std::string_view kDocumentKinds[] = {"spreadsheet", "text", "presentation", "graphics"};
// What no walk of the content reads: styles, fonts, scripts, settings,
// metadata, and the geometry of custom shapes; the master pages but in the
// "all text" mode; and the notes pages (the first element skipped) in the
// default mode, whose walk takes only the pages' shapes.
constexpr SkippedElement kSkip[] = {
    {Ns::OdfPresentation, "notes"}, {Ns::OdfOffice, "automatic-styles"}, {Ns::OdfOffice, "font-face-decls"},
    {Ns::OdfOffice, "scripts"},     {Ns::OdfOffice, "styles"},           {Ns::OdfOffice, "settings"},
    {Ns::OdfOffice, "meta"},        {Ns::OdfDraw, "enhanced-geometry"},  {Ns::OdfOffice, "master-styles"},
};
static_assert(kSkip[0].local == "notes" && kSkip[std::size(kSkip) - 1].local == "master-styles");
// Skipped elements are counted and checked as kept ones are, so a file read
// by one of these rules fails where it fails by the others.
const XmlRules kDefaultRules{ClassifyOpenDocument, false, {}, kSkip};
const XmlRules kRules{ClassifyOpenDocument, false, {}, std::span(kSkip).subspan(1)};
// The same keeping the master pages.
const XmlRules kMasterRules{
    ClassifyOpenDocument, false, {}, std::span(kSkip).subspan(1, std::size(kSkip) - 2)};
const XmlRules kManifestRules{ClassifyOpenDocument, false, {}, {}};
// How far into a file a flat document's root element may begin.
constexpr std::size_t kFlatSniffBytes = 64 << 10;
constexpr std::string_view kDoctypeRule = "which is refused in OpenDocument files";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Refuses every declared document type but a presentation or its template,
// naming text documents and spreadsheets as such.
void requirePresentationType(std::string_view declared) {
    const std::string_view type = trimmed(declared);
    if (type.empty())
        ThrowNotPresentation("it is an OpenDocument file that does not say what kind of document it holds");
    if (!type.starts_with(kMediaTypePrefix))
        ThrowNotPresentation("it is an OpenDocument file of the type \"" + FileText(type) + "\"");
    for (const auto types : {std::span<const std::string_view>(kPackageMimeTypes),
                             std::span<const std::string_view>(kFlatMimeTypes)})
        if (std::find(types.begin(), types.end(), type) != types.end())
            return;
    const std::string_view kind = type.substr(kMediaTypePrefix.size());
    if (kind.starts_with("text"))
        ThrowNotPresentation("it is a word-processing document");
    if (kind.starts_with("spreadsheet"))
        ThrowNotPresentation("it is a spreadsheet");
    if (kind.starts_with("graphics"))
        ThrowNotPresentation("it is a drawing");
    ThrowNotPresentation("it is an OpenDocument file of the type \"" + FileText(type) + "\"");
}

// What the manifest says: the package's declared type (its "/" entry),
// whether any file of it is encrypted, and with `objects` the types of its
// sub-documents (entries whose path ends in "/", such as "Object 1/").
struct Manifest {
    std::optional<std::string> mediaType;
    bool encrypted = false;
    std::unordered_map<std::string, std::string> objectTypes;
};

Manifest readManifest(const XmlPart& part, bool objects) {
    Manifest manifest;
    const XmlTree& xml = part.tree;
    const auto root = xml.root();
    RequireDeclarationsInLimit(xml, root);
    if (xml.ns(root) != Ns::OdfManifest || xml.local(root) != "manifest")
        ThrowDamaged("its manifest (" + FileText(part.name) + ") is not a manifest", part.name);
    for (auto entry = xml.firstChild(root); entry != XmlTree::kNone; entry = xml.nextSibling(entry)) {
        if (xml.isText(entry))
            continue;
        RequireDeclarationsInLimit(xml, entry);
        if (xml.ns(entry) != Ns::OdfManifest || xml.local(entry) != "file-entry")
            continue;
        const auto path = xml.attribute(entry, Ns::OdfManifest, "full-path");
        const auto type = xml.attribute(entry, Ns::OdfManifest, "media-type");
        if (path.found && type.found && path.text == "/" && !manifest.mediaType)
            manifest.mediaType = std::string(type.text);
        else if (objects && path.found && type.found && path.text.ends_with('/'))
            manifest.objectTypes.emplace(path.text, trimmed(type.text));
        if (ChildElement(xml, entry, Ns::OdfManifest, "encryption-data") != XmlTree::kNone)
            manifest.encrypted = true;
    }
    return manifest;
}

// True when a manifest's type is that of a document the "all text" mode
// reads when a deck embeds it.
bool isDocumentType(std::string_view type) {
    if (!type.starts_with(kMediaTypePrefix))
        return false;
    std::string_view kind = type.substr(kMediaTypePrefix.size());
    if (kind.ends_with("-template"))
        kind.remove_suffix(std::string_view("-template").size());
    return std::find(std::begin(kDocumentKinds), std::end(kDocumentKinds), kind) != std::end(kDocumentKinds);
}

// The folder or file of the package an object's xlink:href names ("./Object
// 1" gives "Object 1"): as written, then percent-decoded.
std::vector<std::string> objectPaths(std::string_view href) {
    std::string_view path = href;
    if (path.starts_with("./"))
        path.remove_prefix(2);
    while (path.ends_with('/'))
        path.remove_suffix(1);
    if (path.empty())
        return {};
    std::vector<std::string> paths{std::string(path)};
    if (auto decoded = PercentDecoded(path); decoded && *decoded != paths.front())
        paths.push_back(std::move(*decoded));
    return paths;
}

// The file of the package a picture's xlink:href names ("Pictures/1.png",
// "./Pictures/1.png"): as written, then percent-decoded; none for a picture
// outside the package (a URL, an absolute path, a path that climbs out).
std::vector<std::string> picturePaths(std::string_view href) {
    const auto colon = href.find(':');
    if ((colon != std::string_view::npos && colon < href.find('/')) || href.starts_with('/'))
        return {};
    std::vector<std::string> paths = objectPaths(href);
    std::erase_if(paths, [](const std::string& path) {
        return path.starts_with('/') || path == ".." || path.starts_with("../") ||
               path.find("/../") != std::string::npos || path.ends_with("/..");
    });
    return paths;
}

std::string entryText(ZipPackage& zip, std::uint64_t index, std::string_view name) {
    const PartBytes bytes = zip.read(index, name);
    return std::string(bytes.data.get(), bytes.size);
}

// An open OpenDocument presentation: the parsed content (content.xml, or the
// whole flat file) and its draw:page elements; in the "all text" mode also
// its master pages, and the package's charts for the pages' frames.
class OdfDocument final : public PresentationDocument, private EmbeddedObjects, private PagePictures {
public:
    OdfDocument(std::unique_ptr<ByteSource> source, std::unique_ptr<ZipPackage> zip, ReadOptions options)
        : m_source(std::move(source)), m_zip(std::move(zip)), m_options(options) {}

    void openPackage() {
        const auto mimetype = m_zip->findExact("mimetype");
        const auto manifestIndex = m_zip->findExact("META-INF/manifest.xml");
        Manifest manifest;
        if (manifestIndex) {
            XmlPart part;
            part.name = "META-INF/manifest.xml";
            part.bytes = m_zip->read(*manifestIndex, part.name);
            ParseXmlDocument(part, kManifestRules, {}, kDoctypeRule);
            manifest = readManifest(part, m_options.allText);
        }
        requirePresentationType(mimetype ? entryText(*m_zip, *mimetype, "mimetype")
                                         : manifest.mediaType.value_or(""));
        if (manifest.encrypted)
            throw Failure(FailureKind::Encrypted,
                          "The presentation is password-protected (encrypted) and cannot be read.");
        m_objectTypes = std::move(manifest.objectTypes);
        const auto content = m_zip->findExact(kContentPart);
        if (!content)
            ThrowDamaged("its content part " + std::string(kContentPart) + " is missing", contentPart());
        m_content = m_zip->read(*content, kContentPart);
        XmlRules rules = ContentRules(m_options.allText);
        if (m_options.embeddingDepth > 0) // all of an embedded deck is read for all text only
            rules = PartRules(rules, m_budget, m_options);
        findPages("the part " + std::string(kContentPart), "document-content", rules);
        if (m_options.pictureReader) {
            m_pictures.emplace(*m_zip, *m_options.pictureReader);
            m_options.pictureReader->expect(ZipPictures::CountUnder(*m_zip, "Pictures/", false));
        }
    }

    void openFlat() {
        const std::uint64_t size = m_source->size();
        if (size > limits::kMaxFlatDocumentSize)
            ThrowOverLimit("a flat OpenDocument file is read whole, and this one is larger than " +
                           std::to_string(limits::kMaxFlatDocumentSize >> 20) + " MiB");
        m_content.size = static_cast<std::size_t>(size);
        m_content.data.reset(new char[m_content.size + 1]); // no zero fill: read over at once
        m_source->read(0, std::span(reinterpret_cast<std::uint8_t*>(m_content.data.get()), m_content.size));
        // The master pages are in the file: kept for the "all text" mode.
        findPages("the file", "document", m_options.allText ? kMasterRules : kDefaultRules);
    }

    std::size_t slideCount() const override { return m_pages.size(); }

    SlideContent readSlide(std::size_t index) override {
        const auto page = m_pages.at(index);
        m_budget.nextSlide();
        RequireDeclarationsInLimit(m_xml, page);
        const std::string part = contentPart();
        XmlTree::Id footer = XmlTree::kNone;
        if (m_options.allText)
            if (const auto name = m_xml.attribute(page, Ns::OdfPresentation, "use-footer-name"); name.found)
                if (const auto it = m_footers.find(name.text); it != m_footers.end())
                    footer = it->second;
        return ReadPage(m_xml, page, m_budget,
                        {m_options.allText,
                         (part.empty() ? "" : part + ", ") + "page " + std::to_string(index + 1),
                         std::nullopt, objects(), footer, pictures()});
    }

    // In the "all text" mode: every style:master-page of the master styles,
    // in document order, then the handout master. A package's styles.xml is
    // read and parsed once, on the first call, and kept for the walk; one
    // that cannot be read is the one master page, which gives it as a
    // skipped part.
    //
    // After them, the documents the slides and master pages embed (objects
    // of no chart), each once, in the order first referred to: the list grows
    // as the pages are read.
    std::size_t masterPageCount() const override {
        if (!m_options.allText)
            return 0;
        findMasters();
        return masterCount() + m_embedded.size();
    }

    SlideContent readMasterPage(std::size_t index) override {
        if (!m_options.allText)
            return PresentationDocument::readMasterPage(index);
        findMasters();
        m_budget.nextSlide();
        SlideContent page;
        page.allTextRead = true;
        if (index >= masterCount()) {
            readEmbedded(m_embedded.at(index - masterCount()), page);
            return page;
        }
        if (m_masters.failure) {
            page.skipped.push_back(*m_masters.failure);
            return page;
        }
        const MasterPage& master = m_masters.pages.at(index);
        const XmlTree& xml = m_zip ? m_masters.styles.tree : m_xml;
        std::vector<SkippedPart> skipped;
        if (ReadOrSkip(skipped, master.where, [&] {
                page =
                    ReadPage(xml, master.element, m_budget,
                             {true, master.where, TextPlace::Master, objects(), XmlTree::kNone, pictures()});
            }))
            return page;
        page = {}; // what it read before the fault is dropped
        page.allTextRead = true;
        page.skipped = std::move(skipped);
        return page;
    }

private:
    // A document a page embeds: a sub-document of the package (its folder),
    // a package stored whole as a file of it, or a flat file's inline one.
    struct EmbeddedPage {
        enum class Kind { SubDocument, Package, Inline } kind;
        std::string name;                      // what its texts are named after: "Object 2"
        std::string part;                      // what a failure is named after: "Object 2/content.xml"
        XmlTree::Id document = XmlTree::kNone; // an inline one's office:document
    };

    std::size_t masterCount() const { return m_masters.failure ? 1 : m_masters.pages.size(); }

    bool readsEmbedded() const { return m_options.allText && m_options.embedded; }

    void noteEmbedded(EmbeddedPage page) {
        if (m_embeddedSeen.insert(page.part).second)
            m_embedded.push_back(std::move(page));
    }

    void noteObject(std::string_view href) override {
        if (!m_zip || !readsEmbedded())
            return;
        if (auto page = objectPage(href, {}))
            noteEmbedded(std::move(*page));
    }

    // The document an object's xlink:href names in the folder of the
    // document that shows it ("" for the deck's own, "Object 1" for a
    // sub-document's): a sub-document when the manifest gives its folder a
    // document's type (or, unlisted, when it has a content part), or a file
    // of the package; nothing for an object of another kind or none.
    std::optional<EmbeddedPage> objectPage(std::string_view href, std::string_view folder) const {
        const std::string base = folder.empty() ? std::string() : std::string(folder) + "/";
        for (const std::string& relative : objectPaths(href)) {
            const std::string path = base + relative;
            const std::string content = path + "/content.xml";
            const auto type = m_objectTypes.find(path + "/");
            if (type != m_objectTypes.end()) {
                if (isDocumentType(type->second))
                    return EmbeddedPage{EmbeddedPage::Kind::SubDocument, path, content};
                return std::nullopt;
            }
            if (m_zip->findExact(content))
                return EmbeddedPage{EmbeddedPage::Kind::SubDocument, path, content}; // its body tells
            if (m_zip->findExact(path))
                return EmbeddedPage{EmbeddedPage::Kind::Package, path, path};
        }
        return std::nullopt;
    }

    void noteInlineObject(XmlTree::Id document, std::string name) override {
        if (m_zip || !readsEmbedded())
            return;
        noteEmbedded({EmbeddedPage::Kind::Inline, std::move(name),
                      "inline object " + std::to_string(document), document});
    }

    // One embedded document, its texts placed in `page`; one that cannot be
    // read is skipped and named after its part. A package is read whole
    // (ReadOptions::embedded) when it is a zip; other payloads (OLE objects)
    // are left unread. A document nested deeper than documents are read, or
    // one past their count, is skipped.
    void readEmbedded(const EmbeddedPage& embedded, SlideContent& page) {
        readEmbeddedAt(embedded, m_options.embeddingDepth, m_xml, page);
    }

    // The same for one embedded in a document at `depth`; an inline one
    // stands in `xml`. The documents it shows in turn are read right after
    // it, one level deeper, each a piece of its own.
    void readEmbeddedAt(const EmbeddedPage& embedded, int depth, const XmlTree& xml, SlideContent& page) {
        const std::string& skippedAs =
            embedded.kind == EmbeddedPage::Kind::Inline ? embedded.name : embedded.part;
        ReadAllTextPiece(page, FileText(skippedAs), [&] {
            if (embedded.kind == EmbeddedPage::Kind::Package) {
                readEmbeddedPackage(embedded, depth, page);
                return;
            }
            m_options.embedded->admit(embedded.part, depth);
            if (embedded.kind == EmbeddedPage::Kind::Inline) {
                readEmbeddedBody(xml, embedded.document, embedded.name, {}, depth, page);
                return;
            }
            const XmlPart content = readSubPart(embedded.part, pieceRules(kRules));
            readEmbeddedBody(content.tree, content.root(), embedded.name, embedded.name, depth, page);
            // The headers and footers of its master pages.
            const std::string stylesPart = embedded.name + "/" + std::string(kStylesPart);
            if (!m_zip->findExact(stylesPart))
                return;
            ReadAllTextPiece(page, FileText(stylesPart), [&] {
                const XmlPart styles = readSubPart(stylesPart, pieceRules(kMasterRules));
                const auto root = styles.root();
                RequireDeclarationsInLimit(styles.tree, root);
                const auto masterStyles =
                    styles.tree.ns(root) == Ns::OdfOffice
                        ? ChildElement(styles.tree, root, Ns::OdfOffice, "master-styles")
                        : XmlTree::kNone;
                if (masterStyles != XmlTree::kNone)
                    ReadEmbeddedParagraphs(styles.tree, masterStyles, embedded.name, page, m_budget);
            });
        });
    }

    // The paragraphs of an embedded document's body, if it is a document,
    // then the documents it shows. `folder` is a sub-document's, in which
    // its objects' names are resolved.
    void readEmbeddedBody(const XmlTree& xml, XmlTree::Id document, const std::string& name,
                          std::string_view folder, int depth, SlideContent& page) {
        const auto body = EmbeddedDocumentBody(xml, document);
        if (body == XmlTree::kNone)
            return;
        for (const NestedObject& object : ReadEmbeddedParagraphs(xml, body, name, page, m_budget)) {
            const std::string objectName = object.frame.empty() ? name + ", object" : object.frame;
            if (const auto inner = ChildElement(xml, object.object, Ns::OdfOffice, "document");
                inner != XmlTree::kNone) {
                if (EmbeddedDocumentBody(xml, inner) != XmlTree::kNone)
                    readEmbeddedAt({EmbeddedPage::Kind::Inline, objectName,
                                    "inline object " + std::to_string(inner), inner},
                                   depth + 1, xml, page);
                continue;
            }
            const auto href = xml.attribute(object.object, Ns::OdfXLink, "href");
            if (!m_zip || !href.found)
                continue;
            if (const auto nested = objectPage(href.text, folder))
                readEmbeddedAt(*nested, depth + 1, xml, page);
        }
    }

    void readEmbeddedPackage(const EmbeddedPage& embedded, int depth, SlideContent& page) {
        const auto index = m_zip->findExact(embedded.part);
        if (!index)
            ThrowDamaged("the part " + FileText(embedded.part) + " is missing", embedded.part);
        const PartBytes bytes = m_zip->read(*index, embedded.part);
        // A package, or a PDF document (read when PDF documents are): not an
        // OLE object or a picture.
        static constexpr char kZip[] = {'P', 'K', 3, 4};
        static constexpr char kPdf[] = {'%', 'P', 'D', 'F', '-'};
        const auto startsWith = [&](const char* signature, std::size_t size) {
            return bytes.size >= size && std::memcmp(bytes.data.get(), signature, size) == 0;
        };
        if (!startsWith(kZip, sizeof kZip) && !startsWith(kPdf, sizeof kPdf))
            return;
        m_options.embedded->read(embedded.part, bytes.bytes(), depth, page, m_budget);
    }

    // The rules of a part only the "all text" mode reads: it is stopped while
    // it is parsed once it holds more text than the page has room for.
    XmlRules pieceRules(XmlRules rules) const { return PartRules(rules, m_budget, m_options); }

    // A part of the package parsed on its own; `what` names it when missing.
    XmlPart readSubPart(const std::string& name, const XmlRules& rules,
                        std::string_view what = "the part ") const {
        XmlPart part;
        part.name = name;
        const auto index = m_zip->findExact(name);
        if (!index)
            ThrowDamaged(std::string(what) + FileText(name) + " is missing", name);
        part.bytes = m_zip->read(*index, name);
        ParseXmlDocument(part, rules, {}, kDoctypeRule);
        return part;
    }

    struct MasterPage {
        XmlTree::Id element;
        std::string where; // "styles.xml, master page Default"
    };
    struct MasterPages {
        bool found = false;
        XmlPart styles; // a package's styles.xml; a flat file's are in its content
        std::vector<MasterPage> pages;
        std::optional<SkippedPart> failure;
    };

    void findMasters() const {
        if (m_masters.found)
            return;
        m_masters.found = true;
        std::vector<SkippedPart> skipped;
        if (!ReadOrSkip(skipped, m_zip ? std::string(kStylesPart) : "master pages", [&] { listMasters(); })) {
            m_masters.styles = {};
            m_masters.pages.clear();
            m_masters.failure = std::move(skipped.front());
        }
    }

    void listMasters() const {
        const XmlTree* xml = &m_xml;
        std::string prefix;
        if (m_zip) {
            if (!m_zip->findExact(kStylesPart))
                return;
            XmlPart& styles = m_masters.styles;
            // Every master page's text is in it: bounded by what the file's may be.
            XmlRules rules = kMasterRules;
            rules.textLimit = limits::kMaxTextPerFile;
            styles = readSubPart(std::string(kStylesPart), rules);
            xml = &styles.tree;
            RequireDeclarationsInLimit(*xml, xml->root());
            if (xml->ns(xml->root()) != Ns::OdfOffice || xml->local(xml->root()) != "document-styles")
                ThrowDamaged("the part " + styles.name + " holds no OpenDocument styles", styles.name);
            prefix = styles.name + ", ";
        }
        const auto masterStyles = ChildElement(*xml, xml->root(), Ns::OdfOffice, "master-styles");
        if (masterStyles == XmlTree::kNone)
            return;
        XmlTree::Id handout = XmlTree::kNone;
        for (auto child = xml->firstChild(masterStyles); child != XmlTree::kNone;
             child = xml->nextSibling(child)) {
            if (xml->isText(child))
                continue;
            RequireDeclarationsInLimit(*xml, child);
            if (xml->ns(child) != Ns::OdfStyle)
                continue;
            if (xml->local(child) == "handout-master" && handout == XmlTree::kNone) {
                handout = child;
            } else if (xml->local(child) == "master-page") {
                if (m_masters.pages.size() == limits::kMaxSlides)
                    ThrowOverLimit("it holds more than " + std::to_string(limits::kMaxSlides) +
                                       " master pages",
                                   FaultSite{m_masters.styles.name, std::nullopt});
                const std::string_view name = xml->attribute(child, Ns::OdfStyle, "name").text;
                m_masters.pages.push_back(
                    {child,
                     prefix + "master page " +
                         (name.empty() ? std::to_string(m_masters.pages.size() + 1) : FileText(name))});
            }
        }
        if (handout != XmlTree::kNone)
            m_masters.pages.push_back({handout, prefix + "handout master"});
    }

    // A flat file's objects are inline: it has no parts, but documents to note.
    EmbeddedObjects* objects() { return (m_zip || readsEmbedded()) && m_options.allText ? this : nullptr; }

    std::optional<std::string> chartPart(std::string_view href) const override {
        if (!m_zip)
            return std::nullopt;
        for (const std::string& folder : objectPaths(href)) {
            const std::string part = folder + "/content.xml";
            const auto type = m_objectTypes.find(folder + "/");
            if (type != m_objectTypes.end())
                return type->second == kChartType ? std::optional(part) : std::nullopt;
            if (m_zip->findExact(part))
                return part; // a chart when its body says so
        }
        return std::nullopt;
    }

    PagePictures* pictures() { return m_pictures ? this : nullptr; }

    std::string pictureText(std::string_view href, const std::string& where, SlideContent& page) override {
        for (const std::string& path : picturePaths(href))
            if (const auto index = m_zip->findExact(path))
                return m_pictures->read(page, where, *index, path);
        return {};
    }

    XmlPart readPart(const std::string& name) override {
        return readSubPart(name, pieceRules(kRules), "its chart part ");
    }

    // Parses the content and lists the slides. `rootName` is the root element
    // the content must have: office:document-content in a package,
    // office:document (which declares its own type) in a flat file.
    void findPages(const std::string& subject, std::string_view rootName, const XmlRules& rules) {
        m_xml.parse(m_content.data.get(), m_content.size, rules, {subject, kDoctypeRule, contentPart()});
        if (m_xml.readFromCopy())
            m_content = {}; // UTF-16 content: the tree holds its own UTF-8 copy
        const auto root = m_xml.root();
        RequireDeclarationsInLimit(m_xml, root);
        if (m_xml.ns(root) != Ns::OdfOffice || m_xml.local(root) != rootName) {
            if (!m_zip)
                ThrowNotPresentation("it is an XML file but no OpenDocument document");
            ThrowDamaged(subject + " holds no OpenDocument content", contentPart());
        }
        if (!m_zip) {
            const auto type = m_xml.attribute(root, Ns::OdfOffice, "mimetype");
            requirePresentationType(type.text);
        }
        const auto body = childElement(root, "body");
        if (body == XmlTree::kNone)
            ThrowDamaged(subject + " has no document body", contentPart());
        const auto presentation = childElement(body, "presentation");
        if (presentation == XmlTree::kNone)
            ThrowDamaged(subject + " holds no presentation", contentPart());
        for (auto child = m_xml.firstChild(presentation); child != XmlTree::kNone;
             child = m_xml.nextSibling(child)) {
            if (m_xml.isText(child))
                continue;
            if (m_options.allText && m_xml.local(child) == "footer-decl" &&
                m_xml.ns(child) == Ns::OdfPresentation) {
                // The first declaration of a name is the one a page shows;
                // no deck shows more footers than it has slides.
                if (m_footers.size() < limits::kMaxSlides)
                    m_footers.emplace(m_xml.attribute(child, Ns::OdfPresentation, "name").text, child);
                continue;
            }
            if (m_xml.local(child) != "page" || m_xml.ns(child) != Ns::OdfDraw)
                continue;
            if (m_pages.size() == limits::kMaxSlides)
                ThrowOverLimit("it holds more than " + std::to_string(limits::kMaxSlides) + " slides",
                               contentPart());
            m_pages.push_back(child);
        }
    }

    // The part the content was read from, as failures name it: none for a
    // flat file, which is all content.
    std::string contentPart() const { return m_zip ? std::string(kContentPart) : std::string(); }

    // The first child of `parent` that is office:`local`.
    XmlTree::Id childElement(XmlTree::Id parent, std::string_view local) const {
        for (auto child = m_xml.firstChild(parent); child != XmlTree::kNone;
             child = m_xml.nextSibling(child)) {
            if (m_xml.isText(child) || m_xml.local(child) != local)
                continue;
            RequireDeclarationsInLimit(m_xml, child);
            if (m_xml.ns(child) == Ns::OdfOffice)
                return child;
        }
        return XmlTree::kNone;
    }

    std::unique_ptr<ByteSource> m_source;
    std::unique_ptr<ZipPackage> m_zip; // none for a flat file
    ReadOptions m_options;
    PartBytes m_content;
    XmlTree m_xml; // points into m_content
    std::vector<XmlTree::Id> m_pages;
    std::unordered_map<std::string_view, XmlTree::Id> m_footers; // footer-decl elements by name
    ShapeBudget m_budget;
    std::unordered_map<std::string, std::string> m_objectTypes; // the manifest's, "Object 1/" to its type
    mutable MasterPages m_masters;                              // found on the first look
    std::vector<EmbeddedPage> m_embedded;                       // as the pages refer to them
    std::unordered_set<std::string> m_embeddedSeen;             // their parts
    std::optional<ZipPictures> m_pictures;                      // a package's, when pictures are read
};

bool isOpenDocumentPackage(const ZipPackage& zip) {
    return zip.findExact("mimetype") || zip.findExact("META-INF/manifest.xml");
}

int bidPackage(FormatProbe& probe) {
    const ZipPackage* zip = probe.zip();
    return zip != nullptr && isOpenDocumentPackage(*zip) ? 2 : 0;
}

std::unique_ptr<PresentationDocument> openPackage(FormatProbe& probe, ReadOptions options) {
    auto zip = probe.takeZip();
    auto document = std::make_unique<OdfDocument>(probe.takeSource(), std::move(zip), options);
    document->openPackage();
    return document;
}

// A flat document's root element declares the office namespace. Before it
// may stand the XML declaration, comments, processing instructions (and a
// document type, which the parser then refuses); they are looked past within
// the first kFlatSniffBytes of the file, in UTF-8 or UTF-16.
int bidFlat(FormatProbe& probe) {
    // Most files are told apart by their first character: a zip container or
    // a binary file never begins with '<' after white space.
    const std::string start =
        XmlTree::Utf8Head(probe.head().first(std::min<std::size_t>(probe.head().size(), 64)));
    const auto first = start.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && start[first] != '<')
        return 0;
    const ByteSource& source = probe.source();
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::min<std::uint64_t>(kFlatSniffBytes, source.size())));
    source.read(0, bytes);
    const std::string head = XmlTree::Utf8Head(bytes);
    std::string_view text = head;
    for (;;) {
        text.remove_prefix(std::min(text.size(), text.find_first_not_of(" \t\r\n")));
        std::string_view close;
        std::size_t from = 2;
        if (text.starts_with("<?")) {
            close = "?>";
        } else if (text.starts_with("<!--")) {
            close = "-->";
        } else if (text.starts_with("<!DOCTYPE")) {
            // Looked past so that the parser names it: documents may not have one.
            close = ">";
            const auto subset = text.find('[');
            if (subset != std::string_view::npos && subset < text.find('>'))
                from = text.find(']', subset);
        } else {
            break;
        }
        const auto end = from == std::string_view::npos ? from : text.find(close, from);
        if (end == std::string_view::npos)
            return 0;
        text.remove_prefix(end + close.size());
    }
    if (!text.starts_with('<'))
        return 0;
    const std::string_view rootTag = text.substr(0, text.find('>'));
    return rootTag.find(kOfficeNamespace) != std::string_view::npos ? 1 : 0;
}

std::unique_ptr<PresentationDocument> openFlat(FormatProbe& probe, ReadOptions options) {
    auto document = std::make_unique<OdfDocument>(probe.takeSource(), nullptr, options);
    document->openFlat();
    return document;
}

} // namespace

const PresentationFormat kPackageFormat{"OpenDocument presentation",
                                        "OpenDocument presentation",
                                        kPackageExtensions,
                                        kPackageMimeTypes,
                                        bidPackage,
                                        openPackage};
const PresentationFormat kFlatFormat{"flat OpenDocument presentation",
                                     "OpenDocument presentation",
                                     kFlatExtensions,
                                     kFlatMimeTypes,
                                     bidFlat,
                                     openFlat};

const XmlRules& ContentRules(bool allText) {
    return allText ? kRules : kDefaultRules;
}

} // namespace orv::odf
