#include "extract/ppt/AllTextRecords.h"

#include "base/Utf8.h"

namespace orv::ppt {

namespace {

constexpr std::uint16_t kPropertyName = 0x0380;            // the shape's name, a complex property
constexpr std::uint16_t kPropertyDescription = 0x0381;     // its alternative text, a complex property
constexpr std::uint16_t kPropertyTableProperties = 0x03A0; // set on the group that is a table
constexpr std::uint16_t kPropertyPicture = 0x0104;         // the picture of a picture shape
constexpr std::uint16_t kPropertyFillType = 0x0180;
constexpr std::uint16_t kPropertyFillPicture = 0x0186; // the picture a fill of that kind shows
constexpr std::uint32_t kFillPicture = 3;              // the fill type that stretches a picture
constexpr std::uint16_t kComplexFlag = 0x8000;
constexpr std::uint16_t kBlipIdFlag = 0x4000; // the value is an index into the picture store
constexpr std::uint16_t kIdMask = 0x3FFF;
constexpr std::size_t kPropertySize = 6;

// A property table (OfficeArtFOPT or its tertiary form): the record's
// instance counts the entries, each 6 bytes; the data of the complex ones
// follow the entries, in entry order.
void readPropertyTable(const Record& table, ShapeProperties& properties,
                       std::optional<std::uint32_t>& fillType, std::optional<std::uint32_t>& fillPicture) {
    const std::size_t count = table.header.instance;
    if (count * kPropertySize > table.body.size())
        return; // a short table names nothing reliably
    std::size_t complexAt = count * kPropertySize;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = i * kPropertySize;
        const auto opid = static_cast<std::uint16_t>(table.body[at] | (table.body[at + 1] << 8));
        const std::uint32_t value = le32(table.body, at + 2);
        const auto id = static_cast<std::uint16_t>(opid & kIdMask);
        if (id == kPropertyTableProperties)
            properties.table = true;
        if (!(opid & kComplexFlag)) {
            if (id == kPropertyPicture)
                properties.picture = value;
            else if (id == kPropertyFillType)
                fillType = value;
            else if (id == kPropertyFillPicture && (opid & kBlipIdFlag))
                fillPicture = value;
            continue;
        }
        const std::size_t left = table.body.size() - std::min(complexAt, table.body.size());
        const std::size_t size = std::min<std::size_t>(value, left);
        if (id == kPropertyName || id == kPropertyDescription) {
            auto text = Utf16ToUtf8(table.body.subspan(complexAt, size & ~std::size_t{1}));
            if (const auto end = text.find('\0'); end != std::string::npos)
                text.resize(end);
            (id == kPropertyName ? properties.name : properties.description) = std::move(text);
        }
        complexAt += size;
    }
}

std::string cStringText(const Record& r) {
    return Utf16ToUtf8(r.body.subspan(0, r.body.size() & ~std::size_t{1}));
}

void appendInteractiveLinks(std::span<const std::uint8_t> bytes, std::vector<std::uint32_t>& ids) {
    for (const Record& r : childRecords(bytes))
        if (r.header.type == kInteractiveInfo)
            if (const auto id = InteractiveLinkId(r))
                ids.push_back(*id);
}

} // namespace

std::optional<std::uint32_t> InteractiveLinkId(const Record& interactiveInfo) {
    // The atom: a sound id, then the hyperlink id.
    const auto atom = findChild(interactiveInfo.body, kInteractiveInfoAtom);
    if (!atom || atom->body.size() < 8)
        return std::nullopt;
    return le32(atom->body, 4);
}

ShapeProperties ReadShapeProperties(const Record& shapeContainer) {
    ShapeProperties properties;
    std::optional<std::uint32_t> fillType;
    std::optional<std::uint32_t> fillPicture;
    for (const Record& r : childRecords(shapeContainer.body))
        if (r.header.type == kFopt || r.header.type == kTertiaryFopt)
            readPropertyTable(r, properties, fillType, fillPicture);
    if (fillType == kFillPicture)
        properties.fillPicture = fillPicture;
    return properties;
}

void AppendLinkIds(const Record& shapeContainer, std::vector<std::uint32_t>& ids) {
    for (const Record& r : childRecords(shapeContainer.body))
        if (r.header.type == kClientData || r.header.type == kClientTextbox)
            appendInteractiveLinks(r.body, ids);
}

std::unordered_map<std::uint32_t, std::string> ReadHyperlinks(std::span<const std::uint8_t> exObjList) {
    std::unordered_map<std::uint32_t, std::string> links;
    for (const Record& r : childRecords(exObjList)) {
        if (r.header.type != kExHyperlink)
            continue;
        const auto atom = findChild(r.body, kExHyperlinkAtom);
        const auto target = findChild(r.body, kCString, 1);
        if (atom && atom->body.size() >= 4 && target)
            links.try_emplace(le32(atom->body, 0), cStringText(*target));
    }
    return links;
}

void ForEachComment(std::span<const std::uint8_t> slideBody, const std::function<void(std::string)>& add) {
    const auto tags = findChild(slideBody, kProgTags);
    if (!tags)
        return;
    for (const Record& tag : childRecords(tags->body)) {
        if (tag.header.type != kProgBinaryTag)
            continue;
        const auto data = findChild(tag.body, kBinaryTagData);
        if (!data)
            continue;
        for (const Record& comment : childRecords(data->body)) {
            if (comment.header.type != kComment10)
                continue;
            if (const auto text = findChild(comment.body, kCString, 1))
                add(cStringText(*text));
        }
    }
}

void ForEachHeaderFooter(std::span<const std::uint8_t> headersFooters,
                         const std::function<void(std::string)>& add) {
    for (const Record& r : childRecords(headersFooters))
        if (r.header.type == kCString)
            add(cStringText(r));
}

} // namespace orv::ppt
