#include "extract/OdfReader.h"

#include "extract/OdfSlide.h"
#include "extract/OoxmlXml.h"
#include "extract/ReadLimits.h"
#include "shell/Failure.h"
#include "shell/SafeText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

namespace {

constexpr std::string_view kOfficeNamespace = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kMediaTypePrefix = "application/vnd.oasis.opendocument.";
constexpr std::string_view kContentPart = "content.xml";
constexpr std::string_view kDoctypeRule = "which is refused in OpenDocument files";
// How far into a file the office namespace must be named for it to be taken
// for a flat document: its root element declares it, after the XML
// declaration and perhaps a comment.
constexpr std::size_t kFlatSniffBytes = 4096;

[[noreturn]] void throwDamaged(const std::string& why) {
    throw Failure("The presentation is damaged: " + why + ".");
}

[[noreturn]] void throwNotPresentation(const std::string& what) {
    throw Failure("The file is not a presentation: " + what + ".");
}

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
        throwNotPresentation("it is an OpenDocument file that does not say what kind of document it holds");
    if (!type.starts_with(kMediaTypePrefix))
        throwNotPresentation("it is an OpenDocument file of the type \"" + FileText(type) + "\"");
    const std::string_view kind = type.substr(kMediaTypePrefix.size());
    if (kind == "presentation" || kind == "presentation-template" || kind == "presentation-flat-xml")
        return;
    if (kind.starts_with("text"))
        throwNotPresentation("it is a word-processing document");
    if (kind.starts_with("spreadsheet"))
        throwNotPresentation("it is a spreadsheet");
    if (kind.starts_with("graphics"))
        throwNotPresentation("it is a drawing");
    throwNotPresentation("it is an OpenDocument file of the type \"" + FileText(type) + "\"");
}

// What the manifest says: the package's declared type (its "/" entry) and
// whether any file of it is encrypted.
struct Manifest {
    std::optional<std::string> mediaType;
    bool encrypted = false;
};

Manifest readManifest(const XmlPart& part) {
    Manifest manifest;
    const auto root = part.root();
    const NsScope rootScope(nullptr, root, ClassifyOpenDocument);
    std::string_view local;
    if (rootScope.nameOfSelf(root, local) != Ns::OdfManifest || local != "manifest")
        throwDamaged("its manifest (" + FileText(part.name) + ") is not a manifest");
    for (auto entry = root.first_child(); entry; entry = entry.next_sibling()) {
        if (entry.type() != pugi::node_element)
            continue;
        const NsScope scope(&rootScope, entry);
        if (scope.nameOfSelf(entry, local) != Ns::OdfManifest || local != "file-entry")
            continue;
        const char* path = scope.attribute(entry, Ns::OdfManifest, "full-path");
        const char* type = scope.attribute(entry, Ns::OdfManifest, "media-type");
        if (path != nullptr && type != nullptr && std::string_view(path) == "/" && !manifest.mediaType)
            manifest.mediaType = type;
        if (ChildElement(entry, scope, Ns::OdfManifest, "encryption-data"))
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
            ParseXmlDocument(part, "the part " + part.name, kDoctypeRule);
            manifest = readManifest(part);
        }
        requirePresentationType(mimetype ? entryText(*m_zip, *mimetype, "mimetype")
                                         : manifest.mediaType.value_or(""));
        if (manifest.encrypted)
            throw Failure("The presentation is password-protected (encrypted) and cannot be read.");
        const auto content = m_zip->findExact(kContentPart);
        if (!content)
            throwDamaged("its content part " + std::string(kContentPart) + " is missing");
        m_content = m_zip->read(*content, kContentPart);
        findPages("the part " + std::string(kContentPart), "document-content");
    }

    void openFlat() {
        const std::uint64_t size = m_source->size();
        if (size > limits::kMaxFlatDocumentSize)
            throw Failure("The presentation is too large to read safely: a flat OpenDocument file is read "
                          "whole, and this one is larger than " +
                          std::to_string(limits::kMaxFlatDocumentSize >> 20) + " MiB.");
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
        return ReadOdfPage(m_xml, page, m_budget, m_options.allText);
    }

private:
    // Parses the content and lists the slides. `rootName` is the root element
    // the content must have: office:document-content in a package,
    // office:document (which declares its own type) in a flat file.
    void findPages(const std::string& subject, std::string_view rootName) {
        m_xml.parse(m_content.data.get(), m_content.size, subject, kDoctypeRule);
        const auto root = m_xml.root();
        RequireDeclarationsInLimit(m_xml, root);
        if (m_xml.ns(root) != Ns::OdfOffice || m_xml.local(root) != rootName) {
            if (!m_zip)
                throwNotPresentation("it is an XML file but no OpenDocument document");
            throwDamaged(subject + " holds no OpenDocument content");
        }
        if (!m_zip) {
            const auto type = m_xml.attribute(root, Ns::OdfOffice, "mimetype");
            requirePresentationType(type.text);
        }
        const auto body = childElement(root, "body");
        if (body == OdfXml::kNone)
            throwDamaged(subject + " has no document body");
        const auto presentation = childElement(body, "presentation");
        if (presentation == OdfXml::kNone)
            throwDamaged(subject + " holds no presentation");
        for (auto child = m_xml.firstChild(presentation); child != OdfXml::kNone;
             child = m_xml.nextSibling(child)) {
            if (m_xml.isText(child) || m_xml.local(child) != "page" || m_xml.ns(child) != Ns::OdfDraw)
                continue;
            if (m_pages.size() == limits::kMaxSlides)
                throw Failure("The presentation is too large to read safely: it holds more than " +
                              std::to_string(limits::kMaxSlides) + " slides.");
            m_pages.push_back(child);
        }
    }

    // The first child of `parent` that is office:`local`.
    OdfXml::Id childElement(OdfXml::Id parent, std::string_view local) const {
        for (auto child = m_xml.firstChild(parent); child != OdfXml::kNone;
             child = m_xml.nextSibling(child)) {
            if (m_xml.isText(child) || m_xml.local(child) != local)
                continue;
            RequireDeclarationsInLimit(m_xml, child);
            if (m_xml.ns(child) == Ns::OdfOffice)
                return child;
        }
        return OdfXml::kNone;
    }

    std::unique_ptr<ByteSource> m_source;
    std::unique_ptr<ZipPackage> m_zip; // none for a flat file
    ReadOptions m_options;
    PartBytes m_content;
    OdfXml m_xml; // points into m_content
    std::vector<OdfXml::Id> m_pages;
    ShapeBudget m_budget;
};

} // namespace

bool IsOpenDocumentPackage(const ZipPackage& zip) {
    return zip.findExact("mimetype") || zip.findExact("META-INF/manifest.xml");
}

std::unique_ptr<PresentationDocument> OpenOdfPackage(std::unique_ptr<ByteSource> source,
                                                     std::unique_ptr<ZipPackage> zip, ReadOptions options) {
    auto document = std::make_unique<OdfDocument>(std::move(source), std::move(zip), options);
    document->openPackage();
    return document;
}

bool LooksLikeFlatOpenDocument(const ByteSource& source) {
    std::array<std::uint8_t, kFlatSniffBytes> head{};
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(head.size(), source.size()));
    source.read(0, std::span(head.data(), n));
    std::string_view text(reinterpret_cast<const char*>(head.data()), n);
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    text = text.substr(std::min(text.size(), text.find_first_not_of(" \t\r\n")));
    return text.starts_with('<') && text.find(kOfficeNamespace) != std::string_view::npos;
}

std::unique_ptr<PresentationDocument> OpenFlatOdf(std::unique_ptr<ByteSource> source, ReadOptions options) {
    auto document = std::make_unique<OdfDocument>(std::move(source), nullptr, options);
    document->openFlat();
    return document;
}

} // namespace orv
