#include "extract/ooxml/PackageParts.h"

#include "base/SafeText.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/Uri.h"

#include <algorithm>

namespace orv::ooxml {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

std::string_view attributeValue(const XmlTree& xml, XmlTree::Id element, std::string_view name) {
    return xml.attributeNamed(element, name).text;
}

} // namespace

std::optional<std::string> ResolvePartName(std::string_view sourcePart, std::string_view target) {
    target = target.substr(0, target.find('#'));
    // The segments joined so far, each a name without a slash: ".." drops
    // the last one back to its slash.
    std::string out;
    out.reserve(sourcePart.size() + target.size());
    const auto append = [&](std::string_view segment) {
        if (!out.empty())
            out += '/';
        out += segment;
    };
    const auto isSlash = [](char c) { return c == '/' || c == '\\'; };
    if (target.empty() || !isSlash(target.front())) {
        // Relative: start from the folder of the source part.
        const auto lastSlash = sourcePart.rfind('/');
        const std::string_view folder =
            sourcePart.substr(0, lastSlash == std::string_view::npos ? 0 : lastSlash);
        std::size_t start = 0;
        while (start < folder.size()) {
            const auto slash = folder.find('/', start);
            const auto end = slash == std::string_view::npos ? folder.size() : slash;
            if (end > start)
                append(folder.substr(start, end - start));
            start = end + 1;
        }
    }
    std::size_t start = 0;
    while (start <= target.size()) {
        std::size_t end = start;
        while (end < target.size() && !isSlash(target[end]))
            ++end;
        const std::string_view segment = target.substr(start, end - start);
        if (segment == "..") {
            if (out.empty())
                return std::nullopt;
            const auto slash = out.rfind('/');
            out.resize(slash == std::string::npos ? 0 : slash);
        } else if (!segment.empty() && segment != ".") {
            append(segment);
        }
        start = end + 1;
    }
    if (out.empty() || target.empty() || isSlash(target.back()))
        return std::nullopt;
    return out;
}

std::string RelationshipsPartName(std::string_view sourcePart) {
    const auto slash = sourcePart.rfind('/');
    if (slash == std::string_view::npos)
        return "_rels/" + std::string(sourcePart) + ".rels";
    return std::string(sourcePart.substr(0, slash)) + "/_rels/" + std::string(sourcePart.substr(slash + 1)) +
           ".rels";
}

std::vector<Relationship> ParseRelationships(const XmlPart& rels) {
    std::vector<Relationship> out;
    const XmlTree& xml = rels.tree;
    out.reserve(ChildCount(xml, xml.root(), 1024)); // room for a usual part's at once
    for (auto element = xml.firstChild(xml.root()); element != XmlTree::kNone;
         element = xml.nextSibling(element)) {
        if (xml.isText(element) || xml.local(element) != "Relationship")
            continue;
        if (out.size() == limits::kMaxRelationships)
            ThrowOverLimit("the part " + FileText(rels.name) + " holds more than " +
                               std::to_string(limits::kMaxRelationships) + " relationships",
                           rels.name);
        Relationship r;
        r.id = attributeValue(xml, element, "Id");
        r.type = attributeValue(xml, element, "Type");
        r.target = attributeValue(xml, element, "Target");
        r.external = attributeValue(xml, element, "TargetMode") == "External";
        if (!r.id.empty() && !r.target.empty())
            out.push_back(std::move(r));
    }
    return out;
}

bool IsRelationshipType(std::string_view type, std::string_view kind) {
    static constexpr std::string_view bases[] = {
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships/",
        "http://purl.oclc.org/ooxml/officeDocument/relationships/",
    };
    for (auto base : bases)
        if (type.size() == base.size() + kind.size() && type.substr(0, base.size()) == base &&
            type.substr(base.size()) == kind)
            return true;
    return false;
}

std::optional<std::string> ContentTypeOf(const XmlPart& types, std::string_view partName) {
    // Built by appending: GCC 12 warns wrongly (-Wrestrict) on "/" + string.
    std::string wanted(1, '/');
    wanted += partName;
    const auto dot = partName.rfind('.');
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view{} : partName.substr(dot + 1);
    std::optional<std::string> byExtension;
    const XmlTree& xml = types.tree;
    for (auto element = xml.firstChild(xml.root()); element != XmlTree::kNone;
         element = xml.nextSibling(element)) {
        if (xml.isText(element))
            continue;
        const auto local = xml.local(element);
        if (local == "Override" && equalsIgnoringCase(attributeValue(xml, element, "PartName"), wanted))
            return std::string(attributeValue(xml, element, "ContentType"));
        if (local == "Default" && !byExtension && !extension.empty() &&
            equalsIgnoringCase(attributeValue(xml, element, "Extension"), extension))
            byExtension = attributeValue(xml, element, "ContentType");
    }
    return byExtension;
}

std::optional<std::uint64_t> FindPart(const ZipPackage& zip, const std::string& name) {
    auto index = zip.find(name);
    if (!index) {
        if (const auto decoded = PercentDecoded(name))
            index = zip.find(*decoded);
    }
    return index;
}

std::optional<XmlPart> ReadXmlPart(ZipPackage& zip, const std::string& name, const XmlRules& rules) {
    const auto index = FindPart(zip, name);
    if (!index)
        return std::nullopt;
    std::optional<XmlPart> part(std::in_place);
    part->name = name;
    part->bytes = zip.read(*index, name);
    ParseXmlPart(*part, rules);
    return part;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return out;
}

std::optional<std::string> FindMainPart(ZipPackage& zip) {
    const auto rootRels = ReadXmlPart(zip, "_rels/.rels");
    if (!rootRels)
        return std::nullopt;
    for (const auto& r : ParseRelationships(*rootRels))
        if (!r.external && IsRelationshipType(r.type, "officeDocument"))
            return ResolvePartName("", r.target);
    return std::nullopt;
}

int BidByMainDocument(ZipPackage* zip, std::span<const std::string_view> marks,
                      bool (*isMain)(ZipPackage& zip, const std::string& mainPart)) {
    if (zip == nullptr)
        return 0;
    const auto main = FindMainPart(*zip);
    if (!main)
        return 0;
    if (const auto types = ReadXmlPart(*zip, "[Content_Types].xml")) {
        const std::string type = LowerAscii(ContentTypeOf(*types, *main).value_or(""));
        for (const std::string_view mark : marks)
            if (type.find(mark) != std::string::npos)
                return 2;
        for (const std::string_view office :
             {"presentationml", "ms-powerpoint", "wordprocessingml", "ms-word", "spreadsheetml", "ms-excel"})
            if (type.find(office) != std::string::npos)
                return 0;
    }
    return isMain(*zip, *main) ? 2 : 0;
}

PartRelations ParsePartRelations(const XmlPart& rels) {
    PartRelations relations;
    relations.list = ParseRelationships(rels);
    for (const auto& r : relations.list)
        relations.byId.emplace(r.id, &r);
    return relations;
}

PartRelations ReadPartRelations(ZipPackage& zip, const std::string& part) {
    const auto rels = ReadXmlPart(zip, RelationshipsPartName(part));
    return rels ? ParsePartRelations(*rels) : PartRelations{};
}

std::optional<std::string> MailtoLinkAddress(const PartRelations& relations, std::string_view id) {
    const auto it = relations.byId.find(id);
    if (it == relations.byId.end() || !IsRelationshipType(it->second->type, "hyperlink"))
        return std::nullopt;
    return MailtoAddress(it->second->target);
}

} // namespace orv::ooxml
