#include "extract/ppt/BinarySlides.h"

#include "base/Utf8.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/common/Uri.h"
#include "extract/ppt/AllTextRecords.h"
#include "extract/ppt/Records.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <unordered_set>

namespace orv::ppt {

namespace {

constexpr std::uint32_t kTokenPlain = 0xE391C05F;
constexpr std::uint32_t kTokenEncrypted = 0xF3D1C4DF;
constexpr std::size_t kUserEditMinimum = 0x1C;
constexpr std::size_t kUserEditWithEncryption = 0x20;

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

[[noreturn]] void olderVersion() {
    throw Failure(FailureKind::NotPresentation, "The file is a presentation from PowerPoint 95 or an older "
                                                "version, whose format cannot be read.");
}

[[noreturn]] void passwordProtected() {
    throw Failure(FailureKind::Encrypted,
                  "The presentation is password-protected (encrypted) and cannot be read.");
}

[[noreturn]] void damagedCurrentUser() {
    damaged("its Current User stream, which says where the document begins, is damaged");
}

std::uint32_t readCurrentEditOffset(const ByteSource& currentUser) {
    // The 97-and-later form: header, size, token, edit offset, user-name
    // length, file version 0x03F4 and major version 3. A stream that does not
    // even hold that record with a known token is damaged; a well-formed one
    // of another version comes from an older program.
    std::array<std::uint8_t, 26> raw{};
    if (currentUser.size() < raw.size())
        damagedCurrentUser();
    currentUser.read(0, raw);
    const RecordHeader h = parseHeader(raw.data());
    if (h.type != kCurrentUserAtom)
        damagedCurrentUser();
    const std::uint32_t token = le32(raw, 12);
    if (token == kTokenEncrypted)
        passwordProtected();
    if (token != kTokenPlain)
        damagedCurrentUser();
    const auto fileVersion = static_cast<std::uint16_t>(raw[22] | (raw[23] << 8));
    if (token != kTokenPlain || fileVersion != 0x03F4 || raw[24] != 3)
        olderVersion();
    return le32(raw, 16);
}

// Bounds the work a hostile file can cause by naming the same slide or text
// many times over: every byte read for a slide and every byte delivered counts.
class Budget {
public:
    explicit Budget(std::uint64_t streamSize) : m_left((64ull << 20) + 8 * streamSize) {}
    void spend(std::uint64_t amount) {
        if (amount > m_left)
            damaged("it repeats its slides or texts far more often than a real presentation can");
        m_left -= amount;
    }

private:
    std::uint64_t m_left;
};

struct DocumentIndex {
    std::unordered_map<std::uint32_t, std::uint32_t> persist; // persist id -> stream offset
    std::uint32_t documentPersistId = 0;
};

void mergePersistDirectory(const ByteSource& stream, std::uint32_t offset, DocumentIndex& index,
                           Budget& budget) {
    // Read first, then counted: a length past the stream's end is damage,
    // not repetition.
    const auto bytes = readRecord(stream, offset, kPersistDirectoryAtom, "persist directory");
    budget.spend(bytes.size());
    const std::span<const std::uint8_t> body = std::span(bytes).subspan(kHeaderSize);
    std::size_t at = 0;
    while (body.size() - at >= 4) {
        const std::uint32_t entry = le32(body, at);
        const std::uint32_t first = entry & 0xFFFFF;
        const std::uint32_t count = entry >> 20;
        at += 4;
        for (std::uint32_t k = 0; k < count; ++k, at += 4) {
            // Edits are visited newest first, so an id already known keeps
            // its newer location.
            index.persist.try_emplace(first + k, le32(body, at));
        }
    }
}

DocumentIndex readEdits(const ByteSource& stream, std::uint32_t currentEdit, Budget& budget) {
    DocumentIndex index;
    std::unordered_set<std::uint32_t> editsSeen;
    std::unordered_set<std::uint32_t> directoriesSeen;
    std::uint32_t offset = currentEdit;
    for (bool newest = true;; newest = false) {
        if (!editsSeen.insert(offset).second)
            damaged("its chain of saved edits loops back on itself");
        const auto bytes = readRecord(stream, offset, kUserEditAtom, "record of an edit");
        budget.spend(bytes.size());
        const std::span<const std::uint8_t> body = std::span(bytes).subspan(kHeaderSize);
        if (body.size() < kUserEditMinimum)
            damaged("the record of an edit is too short");
        if (newest) {
            if (body.size() >= kUserEditWithEncryption && le32(body, 28) != 0)
                passwordProtected();
            index.documentPersistId = le32(body, 16);
        }
        const std::uint32_t directory = le32(body, 12);
        if (directoriesSeen.insert(directory).second)
            mergePersistDirectory(stream, directory, index, budget);
        const std::uint32_t older = le32(body, 8);
        if (older == 0)
            break;
        offset = older;
    }
    return index;
}

std::uint32_t locate(const DocumentIndex& index, std::uint32_t persistId, const char* what) {
    const auto it = index.persist.find(persistId);
    if (it == index.persist.end())
        damaged(std::string("the ") + what + " is missing from the document's directory");
    return it->second;
}

// The lists of the document container, read on their own so that the rest of
// the container (and everything after it) is never loaded: the slide list
// always, the notes list and the hyperlinks only for all text. Only the slide
// list decides whether the document opens: the lists only all text reads are
// sought in a second scan, each on its own, and one that cannot be read is
// left empty and named among `skipped`.
struct DocumentLists {
    std::vector<std::uint8_t> slides;
    std::vector<std::uint8_t> notes;
    std::vector<std::uint8_t> objects;
    std::vector<SkippedPart> skipped;
};

// Calls `found` for each record of the document container until it says it
// is done.
template <class Found>
void scanDocument(const ByteSource& stream, std::uint32_t documentOffset, Found&& found) {
    const RecordHeader doc = readHeader(stream, documentOffset);
    if (doc.type != kDocumentContainer)
        damaged("the document record is not where the document says it is");
    const std::uint64_t end = static_cast<std::uint64_t>(documentOffset) + kHeaderSize + doc.length;
    if (end > stream.size())
        damaged("the document record reaches past the end of the document stream");
    std::uint64_t at = documentOffset + kHeaderSize;
    while (end - at >= kHeaderSize) {
        const RecordHeader h = readHeader(stream, at);
        if (h.length > end - at - kHeaderSize)
            damaged("a record is longer than the document record that holds it");
        if (found(h, at))
            return;
        at += kHeaderSize + h.length;
    }
}

DocumentLists readDocumentLists(const ByteSource& stream, std::uint32_t documentOffset, bool allText) {
    DocumentLists lists;
    scanDocument(stream, documentOffset, [&](const RecordHeader& h, std::uint64_t at) {
        if (h.type != kSlideListWithText || h.instance != 0)
            return false;
        lists.slides = readRecord(stream, at, kSlideListWithText, "slide list");
        return true;
    });
    if (!allText)
        return lists;
    const auto readList = [&](const char* part, std::uint16_t type, std::optional<std::uint16_t> instance,
                              const char* what, std::vector<std::uint8_t>& into) {
        ReadOrSkip(lists.skipped, part, [&] {
            scanDocument(stream, documentOffset, [&](const RecordHeader& h, std::uint64_t at) {
                if (h.type != type || (instance && h.instance != *instance))
                    return false;
                into = readRecord(stream, at, type, what);
                return true;
            });
        });
    };
    readList("notes list", kSlideListWithText, 2, "notes list", lists.notes);
    readList("list of links", kExObjList, std::nullopt, "list of links and objects", lists.objects);
    return lists;
}

struct SlideEntry {
    std::uint32_t persistId = 0;
    std::uint32_t slideId = 0;                                   // what a slide's notes reference names
    std::vector<std::optional<Record>> outline;                  // text atom of each outline text, if any
    std::vector<std::vector<std::uint32_t>> outlineSlideNumbers; // slide-number field positions of each
};

std::vector<SlideEntry> slideEntries(std::span<const std::uint8_t> slideList) {
    std::vector<SlideEntry> slides;
    if (slideList.size() < kHeaderSize)
        return slides;
    for (const Record& r : childRecords(slideList.subspan(kHeaderSize))) {
        if (r.header.type == kSlidePersistAtom) {
            slides.push_back(SlideEntry{le32(r.body, 0), r.body.size() >= 16 ? le32(r.body, 12) : 0, {}, {}});
        } else if (slides.empty()) {
            continue;
        } else if (r.header.type == kTextHeaderAtom) {
            slides.back().outline.emplace_back();
            slides.back().outlineSlideNumbers.emplace_back();
        } else if ((r.header.type == kTextCharsAtom || r.header.type == kTextBytesAtom) &&
                   !slides.back().outline.empty()) {
            slides.back().outline.back() = r;
        } else if (r.header.type == kSlideNumberMCAtom && r.body.size() >= 4 &&
                   !slides.back().outline.empty()) {
            slides.back().outlineSlideNumbers.back().push_back(le32(r.body, 0));
        }
    }
    // Only positions inside their text matter, each once: a text referenced by
    // many shapes then costs no more than the text itself.
    for (SlideEntry& slide : slides)
        for (std::size_t i = 0; i < slide.outline.size(); ++i) {
            auto& positions = slide.outlineSlideNumbers[i];
            const std::size_t length = !slide.outline[i]
                                           ? 0
                                           : slide.outline[i]->body.size() /
                                                 (slide.outline[i]->header.type == kTextCharsAtom ? 2 : 1);
            std::sort(positions.begin(), positions.end());
            positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
            positions.erase(std::lower_bound(positions.begin(), positions.end(), length), positions.end());
        }
    return slides;
}

// The text of a text atom. A slide-number field is stored as a "*" at the
// position its field record names; the text shows the slide's number there.
std::string decodeText(const Record& atom, std::vector<std::uint32_t> slideNumberAt, int slideNumber) {
    // Positions past the text or repeated are ignored below.
    const std::size_t unit = atom.header.type == kTextCharsAtom ? 2 : 1;
    const std::size_t count = atom.body.size() / unit;
    auto decode = [&](std::size_t from, std::size_t to) {
        const auto part = atom.body.subspan(from * unit, (to - from) * unit);
        return unit == 2 ? Utf16ToUtf8(part) : latin1ToUtf8(part);
    };
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

// One top-level shape; nullopt for records that are not shapes of the slide
// (deleted shapes, a background shape).
std::optional<ShapeContent> readShape(const Record& container, const SlideEntry& slide, int slideNumber) {
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
    if (own)
        shape.text = decodeText(*own, std::move(slideNumbers), slideNumber);
    else if (outlineRef && *outlineRef < slide.outline.size() && slide.outline[*outlineRef])
        shape.text =
            decodeText(*slide.outline[*outlineRef], slide.outlineSlideNumbers[*outlineRef], slideNumber);
    return shape;
}

// One walk over a drawing's shapes. The top-level shapes of a slide always
// become its shapes; in the "all text" mode every text also goes, in z-order,
// to the slide's texts, groups (and the groups that are tables) entered where
// they stand, and the hyperlinks the shapes use are noted.
struct ShapeWalk {
    const SlideEntry& entry;
    int slideNumber;
    Budget& budget;
    ShapeBudget& shapes;
    SlideContent& slide;
    bool allText = false;
    bool notesPage = false;
    std::vector<std::uint32_t> linkIds;
    AllTextPieces pieces;

    void place(TextPlace where, std::string name, std::string text) {
        if (!text.empty())
            budget.spend(sizeof(PlacedText) + name.size() + text.size());
        PlaceText(slide, shapes, notesPage, where, std::move(name), std::move(text));
    }
    // A piece of the slide only this mode reads, named "slide 3, notes page":
    // when it fails, its texts and the links its shapes use are dropped. A
    // piece inside one is part of it.
    template <class Read> void piece(std::string_view what, Read&& read) {
        const std::size_t links = linkIds.size();
        if (!pieces.read(slide, "slide " + std::to_string(slideNumber) + ", " + std::string(what),
                         std::forward<Read>(read)))
            linkIds.resize(links);
    }
};

// The shapes of a group's record (the drawing's root at depth 0). `inner` is
// where the texts of a nested group stand, `innerName` the name they carry.
void walkGroup(const Record& group, int groupDepth, TextPlace inner, const std::string& innerName,
               ShapeWalk& walk) {
    const bool topLevel = groupDepth == 0 && !walk.notesPage;
    bool first = true;
    for (const Record& r : childRecords(group.body)) {
        if (first) {
            first = false;
            // The first entry of a group describes the group itself (here the
            // drawing's root), not a shape on the slide.
            if (r.header.type == kSpContainer) {
                const auto fsp = findChild(r.body, kFsp);
                if (!fsp || fsp->body.size() < 8 || (le32(fsp->body, 4) & (kShapeGroup | kShapePatriarch)))
                    continue;
            }
        }
        std::optional<ShapeContent> shape;
        if (r.header.type == kSpgrContainer) {
            shape = ShapeContent{};
            const auto header = findChild(r.body, kSpContainer);
            const ShapeProperties properties = header ? ReadShapeProperties(*header) : ShapeProperties{};
            shape->name = properties.name;
            if (walk.allText) {
                // What a group holds is read in this mode only: a group past
                // the bound, or one whose shapes overrun a limit, is skipped.
                walk.piece("groups", [&] {
                    if (groupDepth >= limits::kMaxGroupDepth)
                        damaged("its slide " + std::to_string(walk.slideNumber) + " nests groups more than " +
                                std::to_string(limits::kMaxGroupDepth) + " deep");
                    const bool table = inner != TextPlace::Table && properties.table;
                    walkGroup(r, groupDepth + 1,
                              table ? TextPlace::Table : (topLevel ? TextPlace::Group : inner),
                              table || topLevel ? properties.name : innerName, walk);
                });
            }
        } else if (r.header.type == kSpContainer) {
            shape = readShape(r, walk.entry, walk.slideNumber);
            if (shape) {
                shape->name = ReadShapeProperties(r).name;
                if (walk.allText) {
                    walk.place(topLevel ? TextPlace::Shape : inner,
                               topLevel || inner == TextPlace::Group ? shape->name : innerName, shape->text);
                    AppendLinkIds(r, walk.linkIds);
                }
            }
        }
        if (!shape)
            continue;
        walk.budget.spend(sizeof(ShapeContent) + shape->text.size());
        walk.shapes.addShape(shape->text.size());
        if (topLevel)
            walk.slide.shapes.push_back(std::move(*shape));
    }
}

// The shape tree of a slide's or notes page's drawing.
void walkDrawing(std::span<const std::uint8_t> body, ShapeWalk& walk) {
    const auto drawing = findChild(body, kDrawingContainer);
    const auto dg = drawing ? findChild(drawing->body, kDgContainer) : std::nullopt;
    const auto root = dg ? findChild(dg->body, kSpgrContainer) : std::nullopt;
    if (root)
        walkGroup(*root, 0, TextPlace::Group, {}, walk);
}

// What all text adds after the slide's shapes: its notes page, comments and
// mailto: links.
struct SlideExtras {
    const ByteSource& stream;
    const DocumentIndex& index;
    const std::vector<SlideEntry>& notes;
    const std::unordered_map<std::uint32_t, std::size_t>& notesById; // slide id -> index in `notes`
    const std::unordered_map<std::uint32_t, std::string>& links;
};

void readNotes(std::span<const std::uint8_t> slideBody, const SlideExtras& extras, ShapeWalk& walk) {
    // The slide atom names its notes page by the notes' slide id.
    const auto atom = findChild(slideBody, kSlideAtom);
    const std::uint32_t notesId = atom && atom->body.size() >= 20 ? le32(atom->body, 16) : 0;
    if (notesId == 0)
        return;
    const auto byId = extras.notesById.find(notesId);
    if (byId == extras.notesById.end())
        return;
    const SlideEntry& page = extras.notes[byId->second];
    const auto found = extras.index.persist.find(page.persistId);
    if (found == extras.index.persist.end())
        return;
    const auto bytes = readRecord(extras.stream, found->second, kNotesContainer, "notes page");
    walk.budget.spend(bytes.size());
    ShapeWalk notes{page, walk.slideNumber, walk.budget, walk.shapes, walk.slide, true, true, {}, {true}};
    walkDrawing(std::span(bytes).subspan(kHeaderSize), notes);
}

SlideContent readSlide(const ByteSource& stream, std::uint32_t offset, const SlideEntry& entry,
                       int slideNumber, Budget& budget, ShapeBudget& shapes, const SlideExtras* extras) {
    SlideContent slide;
    const auto bytes = readRecord(stream, offset, kSlideContainer, "slide record");
    budget.spend(bytes.size());
    const std::span<const std::uint8_t> body = std::span(bytes).subspan(kHeaderSize);
    ShapeWalk walk{entry, slideNumber, budget, shapes, slide, extras != nullptr, false, {}, {}};
    walkDrawing(body, walk);
    if (!extras)
        return slide;
    slide.allTextRead = true;
    walk.piece("notes page", [&] { readNotes(body, *extras, walk); });
    walk.piece("comments", [&] {
        ForEachComment(body, [&](std::string text) { walk.place(TextPlace::Comment, {}, std::move(text)); });
    });
    walk.piece("links", [&] {
        std::unordered_set<std::uint32_t> done;
        for (const std::uint32_t id : walk.linkIds) {
            const auto it = extras->links.find(id);
            if (it == extras->links.end() || !done.insert(id).second)
                continue;
            if (auto address = MailtoAddress(it->second))
                walk.place(TextPlace::Link, {}, std::move(*address));
        }
    });
    return slide;
}

} // namespace

struct BinarySlides::State {
    const ByteSource& document;
    Budget budget;
    DocumentIndex index;
    DocumentLists lists; // the slide and notes entries' texts point into it
    std::vector<SlideEntry> entries;
    ShapeBudget shapes;
    bool allText = false;
    std::vector<SlideEntry> notes;
    std::unordered_map<std::uint32_t, std::size_t> notesById;
    std::unordered_map<std::uint32_t, std::string> links;
};

BinarySlides::BinarySlides(const ByteSource& currentUser, const ByteSource& document, ReadOptions options) {
    const std::uint32_t currentEdit = readCurrentEditOffset(currentUser);
    Budget budget(document.size());
    DocumentIndex index = readEdits(document, currentEdit, budget);
    auto lists = readDocumentLists(document, locate(index, index.documentPersistId, "document record"),
                                   options.allText);
    auto entries = slideEntries(lists.slides);
    if (entries.size() > limits::kMaxSlides)
        ThrowOverLimit("its slide list names more than " + std::to_string(limits::kMaxSlides) + " slides");
    m_state.reset(new State{document,
                            budget,
                            std::move(index),
                            std::move(lists),
                            std::move(entries),
                            {},
                            options.allText,
                            {},
                            {},
                            {}});
    if (!options.allText)
        return;
    State& state = *m_state;
    const auto readList = [&](const char* part, const std::vector<std::uint8_t>& list, auto&& read) {
        ReadOrSkip(state.lists.skipped, part, [&] {
            state.budget.spend(list.size());
            read();
        });
    };
    readList("notes list", state.lists.notes, [&] {
        auto notes = slideEntries(state.lists.notes);
        if (notes.size() > limits::kMaxSlides)
            ThrowOverLimit("its notes list names more than " + std::to_string(limits::kMaxSlides) + " pages");
        // The first page with an id wins, as a look-up from the front would find.
        for (std::size_t i = 0; i < notes.size(); ++i)
            state.notesById.try_emplace(notes[i].slideId, i);
        state.notes = std::move(notes);
    });
    readList("list of links", state.lists.objects, [&] {
        if (state.lists.objects.size() >= kHeaderSize)
            state.links = ReadHyperlinks(std::span(state.lists.objects).subspan(kHeaderSize));
    });
}

BinarySlides::~BinarySlides() = default;

std::size_t BinarySlides::count() const {
    return m_state->entries.size();
}

SlideContent BinarySlides::read(std::size_t index) {
    State& s = *m_state;
    const SlideEntry& entry = s.entries.at(index);
    s.budget.spend(sizeof(SlideContent));
    s.shapes.nextSlide();
    const SlideExtras extras{s.document, s.index, s.notes, s.notesById, s.links};
    SlideContent slide =
        readSlide(s.document, locate(s.index, entry.persistId, "slide"), entry, static_cast<int>(index) + 1,
                  s.budget, s.shapes, s.allText ? &extras : nullptr);
    // The document's own lists that could not be read are named once, with
    // the first slide read.
    if (!s.lists.skipped.empty()) {
        slide.skipped.insert(slide.skipped.begin(), s.lists.skipped.begin(), s.lists.skipped.end());
        s.lists.skipped.clear();
    }
    return slide;
}

} // namespace orv::ppt
