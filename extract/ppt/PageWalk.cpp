#include "extract/ppt/PageWalk.h"

#include "base/Utf8.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/Uri.h"
#include "extract/ppt/AllTextRecords.h"
#include "extract/ppt/PictureStore.h"

#include <algorithm>
#include <unordered_set>

namespace orv::ppt {

namespace {

// Shape flags of the drawing's shape record.
constexpr std::uint32_t kShapeGroup = 0x001;
constexpr std::uint32_t kShapePatriarch = 0x004;
constexpr std::uint32_t kShapeDeleted = 0x008;
constexpr std::uint32_t kShapeOle = 0x010;
constexpr std::uint32_t kShapeConnector = 0x100;
constexpr std::uint32_t kShapeBackground = 0x400;

// Shape types that never hold text: the straight line, the connectors and the
// picture frame (pictures and media).
constexpr std::uint16_t kTypeLine = 20;
constexpr std::uint16_t kTypeFirstConnector = 32;
constexpr std::uint16_t kTypeLastConnector = 40;
constexpr std::uint16_t kTypePictureFrame = 75;
constexpr std::uint16_t kTypeHostControl = 201;

// Sorted, each once.
void keepUnique(std::vector<std::uint32_t>& values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
}

// The text of a text atom. A slide-number field is stored as a "*" at the
// position its field record names; the text shows the slide's number there
// (on a slide, `slideNumber` above 0).
std::string decodeText(const Record& atom, std::vector<std::uint32_t> slideNumberAt, int slideNumber) {
    // Positions past the text or repeated are ignored below.
    const std::size_t unit = atom.header.type == kTextCharsAtom ? 2 : 1;
    const std::size_t count = atom.body.size() / unit;
    auto decode = [&](std::size_t from, std::size_t to) {
        const auto part = atom.body.subspan(from * unit, (to - from) * unit);
        return unit == 2 ? Utf16ToUtf8(part) : latin1ToUtf8(part);
    };
    if (slideNumber <= 0)
        slideNumberAt.clear();
    std::sort(slideNumberAt.begin(), slideNumberAt.end());
    std::string text;
    std::size_t from = 0;
    for (const std::uint32_t at : slideNumberAt) {
        if (at < from || at >= count)
            continue;
        const unsigned character =
            unit == 2 ? atom.body[2 * at] | (atom.body[2 * at + 1] << 8) : atom.body[at];
        if (character != '*')
            continue;
        text += decode(from, at);
        text += std::to_string(slideNumber);
        from = at + 1;
    }
    text += decode(from, count);
    return text;
}

bool canHoldText(std::uint16_t shapeType, std::uint32_t flags) {
    if (flags & (kShapeGroup | kShapeOle | kShapeConnector))
        return false;
    if (shapeType == kTypeLine || shapeType == kTypePictureFrame || shapeType == kTypeHostControl)
        return false;
    return shapeType < kTypeFirstConnector || shapeType > kTypeLastConnector;
}

// One shape; nullopt for records that are not shapes of the page (deleted
// shapes, a background shape). When it shows a text its page's list keeps,
// the hyperlinks of that text go to `outlineLinks`.
std::optional<ShapeContent> readShape(const Record& container, const PageEntry& page, int slideNumber,
                                      const std::vector<std::uint32_t>** outlineLinks) {
    std::optional<Record> fsp;
    std::optional<Record> textbox;
    for (const Record& r : childRecords(container.body)) {
        if (r.header.type == kFsp && !fsp)
            fsp = r;
        else if (r.header.type == kClientTextbox && !textbox)
            textbox = r;
    }
    const std::uint16_t shapeType = fsp ? fsp->header.instance : 0;
    const std::uint32_t flags = (fsp && fsp->body.size() >= 8) ? le32(fsp->body, 4) : 0;
    if (flags & (kShapeDeleted | kShapeBackground))
        return std::nullopt;

    ShapeContent shape;
    if (!textbox) {
        shape.hasTextFrame = fsp && canHoldText(shapeType, flags);
        return shape;
    }
    shape.hasTextFrame = true;
    std::optional<Record> own;
    std::optional<std::uint32_t> outlineRef;
    std::vector<std::uint32_t> slideNumbers;
    for (const Record& r : childRecords(textbox->body)) {
        if ((r.header.type == kTextCharsAtom || r.header.type == kTextBytesAtom) && !own)
            own = r;
        else if (r.header.type == kOutlineTextRefAtom && r.body.size() >= 4 && !outlineRef)
            outlineRef = le32(r.body, 0);
        else if (r.header.type == kSlideNumberMCAtom && r.body.size() >= 4)
            slideNumbers.push_back(le32(r.body, 0));
    }
    if (own) {
        shape.text = decodeText(*own, std::move(slideNumbers), slideNumber);
    } else if (outlineRef && *outlineRef < page.outline.size() && page.outline[*outlineRef]) {
        shape.text =
            decodeText(*page.outline[*outlineRef], page.outlineSlideNumbers[*outlineRef], slideNumber);
        *outlineLinks = &page.outlineLinks[*outlineRef];
    }
    return shape;
}

// The pictures a shape shows, read by text recognition: a shape without
// text of its own that has a picture becomes that picture (place Picture);
// the rest (a picture fill, the picture of a shape with text) are given back
// to stand right after the shape, as shapes of their own with its name.
std::vector<ShapeContent> readPictures(ShapeContent& shape, const ShapeProperties& properties,
                                       ShapeWalk& walk) {
    std::vector<ShapeContent> after;
    for (const bool own : {true, false}) {
        const std::optional<std::uint32_t> index = own ? properties.picture : properties.fillPicture;
        if (!index)
            continue;
        std::string text = walk.pictures->text(walk.slide, *index, walk.picturePart(*index));
        if (own && shape.text.empty()) {
            shape.hasTextFrame = true;
            shape.text = std::move(text);
            shape.place = TextPlace::Picture;
            continue;
        }
        after.emplace_back(true, std::move(text), shape.name).place = TextPlace::Picture;
    }
    return after;
}

// The shapes of a group's record (the drawing's root at depth 0). `inner` is
// where the texts of a nested group stand, `innerName` the name they carry.
void walkGroup(const Record& group, int groupDepth, TextPlace inner, const std::string& innerName,
               ShapeWalk& walk) {
    const bool topLevel = groupDepth == 0 && !walk.pagePlace;
    bool first = true;
    for (const Record& r : childRecords(group.body)) {
        if (first) {
            first = false;
            // The first entry of a group describes the group itself (here the
            // drawing's root), not a shape on the page.
            if (r.header.type == kSpContainer) {
                const auto fsp = findChild(r.body, kFsp);
                if (!fsp || fsp->body.size() < 8 || (le32(fsp->body, 4) & (kShapeGroup | kShapePatriarch)))
                    continue;
            }
        }
        std::optional<ShapeContent> shape;
        std::vector<ShapeContent> pictures; // shown right after the shape
        ShapeProperties properties;
        if (r.header.type == kSpgrContainer) {
            shape = ShapeContent{};
            const auto header = findChild(r.body, kSpContainer);
            properties = header ? ReadShapeProperties(*header) : ShapeProperties{};
            shape->name = properties.name;
            if (walk.allText) {
                // What a group holds is read in this mode only: a group past
                // the bound, or one whose shapes overrun a limit, is skipped.
                walk.piece("groups", [&] {
                    if (groupDepth >= limits::kMaxGroupDepth)
                        damaged("its " + walk.page + " nests groups more than " +
                                std::to_string(limits::kMaxGroupDepth) + " deep");
                    const bool table = inner != TextPlace::Table && properties.table;
                    walkGroup(r, groupDepth + 1,
                              table ? TextPlace::Table : (topLevel ? TextPlace::Group : inner),
                              table || topLevel ? properties.name : innerName, walk);
                });
            }
        } else if (r.header.type == kSpContainer) {
            const std::vector<std::uint32_t>* outlineLinks = nullptr;
            shape = readShape(r, walk.entry, walk.slideNumber, &outlineLinks);
            if (shape) {
                properties = ReadShapeProperties(r);
                shape->name = properties.name;
                if (walk.pictures && (topLevel || walk.allText))
                    pictures = readPictures(*shape, properties, walk);
                if (walk.allText) {
                    if (topLevel)
                        walk.placeShape(shape->name, shape->text, shape->place);
                    else if (shape->place == TextPlace::Picture)
                        walk.place(TextPlace::Picture, shape->name, shape->text);
                    else
                        walk.place(inner, inner == TextPlace::Group ? shape->name : innerName, shape->text);
                    for (const ShapeContent& picture : pictures) {
                        if (topLevel)
                            walk.placeShape(picture.name, picture.text, TextPlace::Picture);
                        else
                            walk.place(TextPlace::Picture, picture.name, picture.text);
                    }
                    // The shape's link records are read in this mode only:
                    // damaged ones cost the page's links, not the page.
                    walk.piece("links", [&] {
                        AppendLinkIds(r, walk.linkIds);
                        if (outlineLinks) {
                            walk.budget.spend(outlineLinks->size() * sizeof(std::uint32_t));
                            walk.linkIds.insert(walk.linkIds.end(), outlineLinks->begin(),
                                                outlineLinks->end());
                        }
                    });
                }
            }
        }
        if (!shape)
            continue;
        if (walk.allText)
            walk.piece("alternative text", [&] {
                walk.place(TextPlace::Alt, properties.name, std::move(properties.description));
            });
        walk.budget.spend(sizeof(ShapeContent) + shape->text.size());
        walk.shapes.countShape(topLevel, shape->text.size());
        if (topLevel)
            walk.slide.shapes.push_back(std::move(*shape));
        for (ShapeContent& picture : pictures) {
            walk.budget.spend(sizeof(ShapeContent) + picture.text.size());
            walk.shapes.countShape(topLevel, picture.text.size());
            if (topLevel)
                walk.slide.shapes.push_back(std::move(picture));
        }
    }
}

} // namespace

std::vector<PageEntry> ListEntries(std::span<const std::uint8_t> list) {
    std::vector<PageEntry> pages;
    if (list.size() < kHeaderSize)
        return pages;
    for (const Record& r : childRecords(list.subspan(kHeaderSize))) {
        if (r.header.type == kSlidePersistAtom) {
            pages.push_back(
                PageEntry{le32(r.body, 0), r.body.size() >= 16 ? le32(r.body, 12) : 0, {}, {}, {}});
            continue;
        }
        if (pages.empty())
            continue;
        PageEntry& page = pages.back();
        if (r.header.type == kTextHeaderAtom) {
            page.outline.emplace_back();
            page.outlineSlideNumbers.emplace_back();
            page.outlineLinks.emplace_back();
        } else if (page.outline.empty()) {
            continue;
        } else if (r.header.type == kTextCharsAtom || r.header.type == kTextBytesAtom) {
            page.outline.back() = r;
        } else if (r.header.type == kSlideNumberMCAtom && r.body.size() >= 4) {
            page.outlineSlideNumbers.back().push_back(le32(r.body, 0));
        } else if (r.header.type == kInteractiveInfo) {
            if (const auto id = InteractiveLinkId(r))
                page.outlineLinks.back().push_back(*id);
        }
    }
    // Only positions inside their text matter, and each link, each once: a
    // text referenced by many shapes then costs no more than the text itself.
    for (PageEntry& page : pages)
        for (std::size_t i = 0; i < page.outline.size(); ++i) {
            const std::size_t length =
                !page.outline[i]
                    ? 0
                    : page.outline[i]->body.size() / (page.outline[i]->header.type == kTextCharsAtom ? 2 : 1);
            auto& positions = page.outlineSlideNumbers[i];
            keepUnique(positions);
            positions.erase(std::lower_bound(positions.begin(), positions.end(), length), positions.end());
            keepUnique(page.outlineLinks[i]);
        }
    return pages;
}

void ShapeWalk::placeLinks(const std::unordered_map<std::uint32_t, std::string>& links) {
    std::unordered_set<std::uint32_t> done;
    for (const std::uint32_t id : linkIds) {
        const auto it = links.find(id);
        if (it == links.end() || !done.insert(id).second)
            continue;
        if (auto address = MailtoAddress(it->second))
            place(TextPlace::Link, {}, std::move(*address));
    }
}

void WalkDrawing(std::span<const std::uint8_t> pageBody, ShapeWalk& walk) {
    const auto drawing = findChild(pageBody, kDrawingContainer);
    const auto dg = drawing ? findChild(drawing->body, kDgContainer) : std::nullopt;
    const auto root = dg ? findChild(dg->body, kSpgrContainer) : std::nullopt;
    if (root)
        walkGroup(*root, 0, TextPlace::Group, {}, walk);
}

} // namespace orv::ppt
