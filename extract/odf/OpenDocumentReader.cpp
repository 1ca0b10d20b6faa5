#include "extract/odf/OpenDocumentReader.h"

#include "base/SafeText.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/XmlPart.h"
#include "extract/odf/Page.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
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
// What no walk of the content reads: styles, fonts, scripts, settings,
// metadata, and the geometry of custom shapes.
constexpr SkippedElement kSkip[] = {
    {Ns::OdfOffice, "automatic-styles"},
    {Ns::OdfOffice, "font-face-decls"},
    {Ns::OdfOffice, "scripts"},
    {Ns::OdfOffice, "styles"},
    {Ns::OdfOffice, "master-styles"},
    {Ns::OdfOffice, "settings"},
    {Ns::OdfOffice, "meta"},
    {Ns::OdfDraw, "enhanced-geometry"},
};
const XmlRules kRules{ClassifyOpenDocument, false, {}, kSkip};
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

// What the manifest says: the package's declared type (its "/" entry) and
// whether any file of it is encrypted.
struct Manifest {
    std::optional<std::string> mediaType;
    bool encrypted = false;
};

Manifest readManifest(const XmlPart& part) {
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
        if (ChildElement(xml, entry, Ns::OdfManifest, "encryption-data") != XmlTree::kNone)
            manifest.encrypted = true;
    }
    return manifest;
}

std::string entryText(ZipPackage& zip, std::uint64_t index, std::string_view name) {
    const PartBytes bytes = zip.read(index, name);
    return std::string(bytes.data.get(), bytes.size);
}

// An open OpenDocument presentation: the parsed content (content.xml, or the
// whole flat file) and its draw:page elements.
class OdfDocument final : public PresentationDocument {
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
            ParseXmlDocument(part, kManifestRules, "the part " + part.name, kDoctypeRule);
            manifest = readManifest(part);
        }
        requirePresentationType(mimetype ? entryText(*m_zip, *mimetype, "mimetype")
                                         : manifest.mediaType.value_or(""));
        if (manifest.encrypted)
            throw Failure(FailureKind::Encrypted,
                          "The presentation is password-protected (encrypted) and cannot be read.");
        const auto content = m_zip->findExact(kContentPart);
        if (!content)
            ThrowDamaged("its content part " + std::string(kContentPart) + " is missing", contentPart());
        m_content = m_zip->read(*content, kContentPart);
        findPages("the part " + std::string(kContentPart), "document-content");
    }

    void openFlat() {
        const std::uint64_t size = m_source->size();
        if (size > limits::kMaxFlatDocumentSize)
            ThrowOverLimit("a flat OpenDocument file is read whole, and this one is larger than " +
                           std::to_string(limits::kMaxFlatDocumentSize >> 20) + " MiB");
        m_content.size = static_cast<std::size_t>(size);
        m_content.data.reset(new char[m_content.size + 1]); // no zero fill: read over at once
        m_source->read(0, std::span(reinterpret_cast<std::uint8_t*>(m_content.data.get()), m_content.size));
        findPages("the file", "document");
    }

    std::size_t slideCount() const override { return m_pages.size(); }

    SlideContent readSlide(std::size_t index) override {
        const auto page = m_pages.at(index);
        m_budget.nextSlide();
        RequireDeclarationsInLimit(m_xml, page);
        const std::string part = contentPart();
        return ReadPage(m_xml, page, m_budget, m_options.allText,
                        (part.empty() ? "" : part + ", ") + "page " + std::to_string(index + 1));
    }

private:
    // Parses the content and lists the slides. `rootName` is the root element
    // the content must have: office:document-content in a package,
    // office:document (which declares its own type) in a flat file.
    void findPages(const std::string& subject, std::string_view rootName) {
        m_xml.parse(m_content.data.get(), m_content.size, kRules, {subject, kDoctypeRule, contentPart()});
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
            if (m_xml.isText(child) || m_xml.local(child) != "page" || m_xml.ns(child) != Ns::OdfDraw)
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
    ShapeBudget m_budget;
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

} // namespace orv::odf
