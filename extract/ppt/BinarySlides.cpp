#include "extract/ppt/BinarySlides.h"

#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"
#include "extract/ppt/AllTextRecords.h"
#include "extract/ppt/OleObjects.h"
#include "extract/ppt/PageWalk.h"
#include "extract/ppt/PictureStore.h"
#include "extract/ppt/Records.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <unordered_map>
#include <unordered_set>

namespace orv::ppt {

namespace {

constexpr std::uint32_t kTokenPlain = 0xE391C05F;
constexpr std::uint32_t kTokenEncrypted = 0xF3D1C4DF;
constexpr std::size_t kUserEditMinimum = 0x1C;
constexpr std::size_t kUserEditWithEncryption = 0x20;

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

} // namespace

bool IsOlderCurrentUser(const ByteSource& currentUser) {
    std::array<std::uint8_t, kHeaderSize> raw{};
    if (currentUser.size() < raw.size())
        return false;
    currentUser.read(0, raw);
    return parseHeader(raw.data()).type != kCurrentUserAtom && le32(raw, 0) + 4ull == currentUser.size();
}

namespace {

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
// always; for all text, the notes and master lists, the hyperlinks, the
// document atom (which names the notes and handout masters) and the
// document's own headers and footers. Only the slide list decides whether the
// document opens: what only all text reads is sought in later scans, each
// piece on its own, and a piece that cannot be read is left empty and named
// among `skipped`.
struct DocumentLists {
    std::vector<std::uint8_t> slides;
    std::vector<std::uint8_t> notes;
    std::vector<std::uint8_t> masters;
    std::vector<std::uint8_t> objects;
    std::vector<std::uint8_t> atom;
    std::vector<std::uint8_t> slideHeadersFooters; // for slides
    std::vector<std::uint8_t> notesHeadersFooters; // for notes pages and handouts
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
    // One piece: the first record of each wanted type (and instance), in one scan.
    struct Wanted {
        std::uint16_t type;
        std::optional<std::uint16_t> instance;
        const char* what;
        std::vector<std::uint8_t>& into;
    };
    const auto readPiece = [&](const char* part, std::initializer_list<Wanted> wanted) {
        ReadOrSkip(lists.skipped, part, [&] {
            scanDocument(stream, documentOffset, [&](const RecordHeader& h, std::uint64_t at) {
                for (const Wanted& w : wanted)
                    if (h.type == w.type && (!w.instance || h.instance == *w.instance) && w.into.empty())
                        w.into = readRecord(stream, at, w.type, w.what);
                return std::ranges::none_of(wanted, [](const Wanted& w) { return w.into.empty(); });
            });
        });
    };
    readPiece("notes list", {{kSlideListWithText, 2, "notes list", lists.notes}});
    readPiece("list of links", {{kExObjList, std::nullopt, "list of links and objects", lists.objects}});
    readPiece("master list", {{kSlideListWithText, 1, "master list", lists.masters}});
    readPiece("notes and handout masters", {{kDocumentAtom, std::nullopt, "document atom", lists.atom}});
    readPiece("headers and footers",
              {{kHeadersFooters, 3, "headers and footers", lists.slideHeadersFooters},
               {kHeadersFooters, 4, "headers and footers", lists.notesHeadersFooters}});
    return lists;
}

// Where the document record keeps its drawing group (which holds the
// picture store), if it has one that can be found.
std::optional<std::uint64_t> findDrawingGroup(const ByteSource& stream, std::uint32_t documentOffset) {
    std::optional<std::uint64_t> found;
    try {
        scanDocument(stream, documentOffset, [&](const RecordHeader& h, std::uint64_t at) {
            if (h.type == kDrawingGroup)
                found = at;
            return found.has_value();
        });
    } catch (const Failure& failure) {
        if (failure.kind() == FailureKind::Unexpected)
            throw;
    }
    return found;
}

// What all text adds after the slide's shapes: its notes page, comments and
// mailto: links.
struct SlideExtras {
    const ByteSource& stream;
    const DocumentIndex& index;
    const std::vector<PageEntry>& notes;
    const std::unordered_map<std::uint32_t, std::size_t>& notesById; // page id -> index in `notes`
    const std::unordered_map<std::uint32_t, std::string>& links;
};

// The notes page's texts, then the addresses of its mailto: links.
void readNotes(std::span<const std::uint8_t> slideBody, const SlideExtras& extras, ShapeWalk& walk) {
    // The slide atom names its notes page by the notes' page id.
    const auto atom = findChild(slideBody, kSlideAtom);
    const std::uint32_t notesId = atom && atom->body.size() >= 20 ? le32(atom->body, 16) : 0;
    if (notesId == 0)
        return;
    const auto byId = extras.notesById.find(notesId);
    if (byId == extras.notesById.end())
        return;
    const PageEntry& page = extras.notes[byId->second];
    const auto found = extras.index.persist.find(page.persistId);
    if (found == extras.index.persist.end())
        return;
    const auto bytes = readRecord(extras.stream, found->second, kNotesContainer, "notes page");
    walk.budget.spend(bytes.size());
    ShapeWalk notes{page,         walk.page, walk.slideNumber, walk.budget, walk.shapes,
                    walk.slide,   true,      TextPlace::Notes, {},          {true},
                    walk.pictures};
    WalkDrawing(std::span(bytes).subspan(kHeaderSize), notes);
    notes.placeLinks(extras.links);
}

SlideContent readSlide(const ByteSource& stream, std::uint32_t offset, const PageEntry& entry,
                       int slideNumber, Budget& budget, ShapeBudget& shapes, const SlideExtras* extras,
                       PictureStore* pictures) {
    SlideContent slide;
    const auto bytes = readRecord(stream, offset, kSlideContainer, "slide record");
    budget.spend(bytes.size());
    const std::span<const std::uint8_t> body = std::span(bytes).subspan(kHeaderSize);
    ShapeWalk walk{entry,
                   "slide " + std::to_string(slideNumber),
                   slideNumber,
                   budget,
                   shapes,
                   slide,
                   extras != nullptr,
                   std::nullopt,
                   {},
                   {},
                   pictures};
    WalkDrawing(body, walk);
    if (!extras)
        return slide;
    slide.allTextRead = true;
    // The footer (and date, header) set on this slide alone, in its own
    // headers and footers, after the shapes that show it.
    walk.piece("headers and footers", [&] {
        if (const auto own = findChild(body, kHeadersFooters))
            ForEachHeaderFooter(own->body,
                                [&](std::string text) { walk.place(TextPlace::Shape, {}, std::move(text)); });
    });
    walk.piece("notes page", [&] { readNotes(body, *extras, walk); });
    walk.piece("comments", [&] {
        ForEachComment(body, [&](std::string text) { walk.place(TextPlace::Comment, {}, std::move(text)); });
    });
    walk.piece("links", [&] { walk.placeLinks(extras->links); });
    return slide;
}

// A master the "all text" mode reads after the slides: a main or title
// master of the master list, the notes master or the handout master.
struct MasterPage {
    std::string name; // "master 2": what it is named after when skipped
    const char* what; // what a failure calls it
    std::uint32_t persistId = 0;
    std::uint16_t type = 0;                           // its record type
    std::uint16_t otherType = 0;                      // the other record type it may have (a title master's)
    std::optional<std::size_t> entry;                 // in the master list
    const std::vector<std::uint8_t>* shown = nullptr; // the document's headers and footers it shows
};

} // namespace

struct BinarySlides::State {
    const ByteSource& document;
    Budget budget;
    DocumentIndex index;
    DocumentLists lists; // the slide, notes and master entries' texts point into it
    std::vector<PageEntry> entries;
    ShapeBudget shapes;
    bool allText = false;
    std::vector<PageEntry> notes;
    std::unordered_map<std::uint32_t, std::size_t> notesById;
    std::unordered_map<std::uint32_t, std::string> links;
    std::vector<PageEntry> masterEntries;
    std::vector<MasterPage> masters;
    // The OLE objects, read as embedded documents after the masters when the
    // options give an embedded-document reader.
    std::shared_ptr<EmbeddedReader> embedded = {};
    int embeddingDepth = 0;
    std::vector<OleObject> objects = {};
    // The offsets of the storages read: one named twice is read once.
    std::unordered_set<std::uint32_t> storagesRead = {};
    std::uint64_t inflated = 0; // bytes of the compressed storages read
    // The pictures, when they are read by text recognition.
    std::unique_ptr<PictureStore> pictures = {};

    // The document's own pieces that could not be read are named once, with
    // the first page read.
    void nameSkippedLists(SlideContent& page) {
        page.skipped.insert(page.skipped.begin(), lists.skipped.begin(), lists.skipped.end());
        lists.skipped.clear();
    }
    void readMasterLists();
    void readObject(const OleObject& object, SlideContent& page);
};

// Every master once, in the order the document lists them: the master list,
// then the notes master and the handout master. The document's headers and
// footers for slides are shown through the first master listed, those for
// notes pages and handouts through the notes master (or, without one, the
// handout master).
void BinarySlides::State::readMasterLists() {
    std::unordered_set<std::uint32_t> seen;
    const auto add = [&](MasterPage page) {
        if (page.persistId != 0 && seen.insert(page.persistId).second)
            masters.push_back(std::move(page));
    };
    ReadOrSkip(lists.skipped, "master list", [&] {
        budget.spend(lists.masters.size());
        auto entries = ListEntries(lists.masters);
        if (entries.size() > limits::kMaxSlides)
            ThrowOverLimit("its master list names more than " + std::to_string(limits::kMaxSlides) +
                           " masters");
        masterEntries = std::move(entries);
    });
    for (std::size_t i = 0; i < masterEntries.size(); ++i)
        add({"master " + std::to_string(i + 1), "master", masterEntries[i].persistId, kMainMasterContainer,
             kSlideContainer, i, masters.empty() ? &lists.slideHeadersFooters : nullptr});
    // The document atom: sizes and zoom (24 bytes), then the persist ids of
    // the notes master and of the handout master.
    const std::span<const std::uint8_t> atom = lists.atom;
    const std::uint32_t notesMaster = atom.size() >= kHeaderSize + 28 ? le32(atom, kHeaderSize + 24) : 0;
    const std::uint32_t handoutMaster = atom.size() >= kHeaderSize + 32 ? le32(atom, kHeaderSize + 28) : 0;
    const std::size_t listed = masters.size();
    add({"notes master", "notes master", notesMaster, kNotesContainer, kNotesContainer, std::nullopt,
         &lists.notesHeadersFooters});
    add({"handout master", "handout master", handoutMaster, kHandoutContainer, kHandoutContainer,
         std::nullopt, masters.size() == listed ? &lists.notesHeadersFooters : nullptr});
}

BinarySlides::BinarySlides(const ByteSource& currentUser, const ByteSource& document, ReadOptions options,
                           const ByteSource* pictures) {
    const std::uint32_t currentEdit = readCurrentEditOffset(currentUser);
    Budget budget(document.size());
    DocumentIndex index = readEdits(document, currentEdit, budget);
    auto lists = readDocumentLists(document, locate(index, index.documentPersistId, "document record"),
                                   options.allText);
    auto entries = ListEntries(lists.slides);
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
                            {},
                            {},
                            {},
                            options.embedded,
                            options.embeddingDepth,
                            {},
                            {},
                            0,
                            {}});
    State& state = *m_state;
    if (options.pictureReader) {
        state.pictures = std::make_unique<PictureStore>(
            document,
            findDrawingGroup(document, locate(state.index, state.index.documentPersistId, "document record")),
            pictures, options.pictureReader);
        options.pictureReader->expect(state.pictures->size());
    }
    if (!options.allText)
        return;
    const auto readList = [&](const char* part, const std::vector<std::uint8_t>& list, auto&& read) {
        ReadOrSkip(state.lists.skipped, part, [&] {
            state.budget.spend(list.size());
            read();
        });
    };
    readList("notes list", state.lists.notes, [&] {
        auto notes = ListEntries(state.lists.notes);
        if (notes.size() > limits::kMaxSlides)
            ThrowOverLimit("its notes list names more than " + std::to_string(limits::kMaxSlides) + " pages");
        // The first page with an id wins, as a look-up from the front would find.
        for (std::size_t i = 0; i < notes.size(); ++i)
            state.notesById.try_emplace(notes[i].pageId, i);
        state.notes = std::move(notes);
    });
    const std::span<const std::uint8_t> objects = state.lists.objects;
    const bool listed = ReadOrSkip(state.lists.skipped, "list of links", [&] {
        state.budget.spend(objects.size());
        if (objects.size() >= kHeaderSize)
            state.links = ReadHyperlinks(objects.subspan(kHeaderSize));
    });
    // A list too damaged for its links is named once, under their name.
    if (listed && state.embedded && objects.size() >= kHeaderSize)
        ReadOrSkip(state.lists.skipped, "list of embedded objects",
                   [&] { state.objects = ReadOleObjects(objects.subspan(kHeaderSize)); });
    state.readMasterLists();
}

BinarySlides::~BinarySlides() = default;

std::size_t BinarySlides::count() const {
    return m_state->entries.size();
}

SlideContent BinarySlides::read(std::size_t index) {
    State& s = *m_state;
    const PageEntry& entry = s.entries.at(index);
    s.budget.spend(sizeof(SlideContent));
    s.shapes.nextSlide();
    const SlideExtras extras{s.document, s.index, s.notes, s.notesById, s.links};
    SlideContent slide =
        readSlide(s.document, locate(s.index, entry.persistId, "slide"), entry, static_cast<int>(index) + 1,
                  s.budget, s.shapes, s.allText ? &extras : nullptr, s.pictures.get());
    s.nameSkippedLists(slide);
    return slide;
}

std::size_t BinarySlides::masterCount() const {
    return m_state->masters.size() + m_state->objects.size();
}

// An OLE object's storage, inflated if need be; the document it holds, if
// of a kind read, placed as embedded. One that cannot be read is named and
// skipped.
void BinarySlides::State::readObject(const OleObject& object, SlideContent& page) {
    ReadAllTextPiece(page, object.name, [&] {
        budget.spend(sizeof(SlideContent));
        const std::uint32_t offset = locate(index, object.persistId, "storage of an embedded object");
        if (!storagesRead.insert(offset).second)
            return;
        if (const RecordHeader header = readHeader(document, offset); header.type == kExOleObjStg)
            CheckOleStorageSize(header.length); // before it is read
        auto bytes = readRecord(document, offset, kExOleObjStg, "storage of an embedded object");
        budget.spend(bytes.size());
        // Each storage is read once, so only inflating can make more of the
        // stream than it holds: bounded for the whole file.
        const bool compressed = parseHeader(bytes.data()).instance != 0;
        const auto storage = OleStorage(std::move(bytes));
        if (compressed && (inflated += storage.size()) > limits::kMaxTotalInflated)
            ThrowOverLimit("its embedded objects would inflate to more than " +
                           std::to_string(limits::kMaxTotalInflated >> 20) + " MiB in all");
        if (const auto payload = OlePayload(storage))
            embedded->read(object.name, *payload, embeddingDepth, page, shapes);
    });
}

SlideContent BinarySlides::readMaster(std::size_t index) {
    State& s = *m_state;
    SlideContent page;
    page.allTextRead = true;
    s.shapes.nextSlide();
    if (index >= s.masters.size()) {
        s.readObject(s.objects.at(index - s.masters.size()), page);
        s.nameSkippedLists(page);
        return page;
    }
    const MasterPage& master = s.masters.at(index);
    // A master that cannot be read is named and skipped with what it placed;
    // a piece of it (its groups, its links) on its own.
    ReadAllTextPiece(page, master.name, [&] {
        s.budget.spend(sizeof(SlideContent));
        const std::uint32_t offset = locate(s.index, master.persistId, master.what);
        const std::uint16_t type = readHeader(s.document, offset).type;
        const auto bytes =
            readRecord(s.document, offset, type == master.otherType ? type : master.type, master.what);
        s.budget.spend(bytes.size());
        const std::span<const std::uint8_t> body = std::span(bytes).subspan(kHeaderSize);
        const PageEntry none{};
        ShapeWalk walk{master.entry ? s.masterEntries[*master.entry] : none,
                       master.name,
                       0,
                       s.budget,
                       s.shapes,
                       page,
                       true,
                       TextPlace::Master,
                       {},
                       {},
                       s.pictures.get()};
        WalkDrawing(body, walk);
        const auto place = [&](std::string text) { walk.place(TextPlace::Master, {}, std::move(text)); };
        if (const auto own = findChild(body, kHeadersFooters))
            ForEachHeaderFooter(own->body, place);
        if (master.shown && master.shown->size() >= kHeaderSize)
            ForEachHeaderFooter(std::span(*master.shown).subspan(kHeaderSize), place);
        walk.piece("links", [&] { walk.placeLinks(s.links); });
    });
    s.nameSkippedLists(page);
    return page;
}

} // namespace orv::ppt
