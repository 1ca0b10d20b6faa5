#include "support/PptBuilder.h"

#include "support/CompoundFileBuilder.h"

#include <zlib.h>

#include <algorithm>

namespace orv::test {

namespace {

std::string record(std::uint16_t version, std::uint16_t instance, std::uint16_t type,
                   const std::string& body) {
    std::string out;
    AppendLe16(out, static_cast<std::uint16_t>(version | (instance << 4)));
    AppendLe16(out, type);
    AppendLe32(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}
std::string container(std::uint16_t type, const std::string& body, std::uint16_t instance = 0) {
    return record(0xF, instance, type, body);
}
std::string atom(std::uint16_t type, const std::string& body, std::uint16_t instance = 0) {
    return record(0, instance, type, body);
}
std::string u32(std::uint32_t v) {
    std::string s;
    AppendLe32(s, v);
    return s;
}

std::string textAtom(const std::u16string& text, bool eightBit) {
    std::string body;
    for (const char16_t c : text) {
        if (eightBit)
            body.push_back(static_cast<char>(c & 0xFF));
        else
            AppendLe16(body, static_cast<std::uint16_t>(c));
    }
    return atom(eightBit ? 0x0FA8 : 0x0FA0, body);
}

// A slide-number field at each position: the text holds "*" there.
std::string slideNumberFields(const std::vector<std::uint32_t>& positions) {
    std::string out;
    for (const std::uint32_t at : positions)
        out += atom(0x0FD8, u32(at));
    return out;
}

std::uint32_t nextShapeId = 1024;

std::string fsp(std::uint16_t shapeType, std::uint32_t flags) {
    return record(2, shapeType, 0xF00A, u32(nextShapeId++) + u32(flags));
}

constexpr std::uint32_t kGroup = 0x001, kPatriarch = 0x004, kBackground = 0x400, kHaveAnchor = 0x200,
                        kHaveSpt = 0x800;

std::string utf16(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text)
        AppendLe16(out, static_cast<std::uint16_t>(c));
    return out;
}

// The shape's property tables: its name and description (complex
// properties, their data after the entries) in the main table, the table
// mark in the tertiary one.
std::string properties(const std::u16string& name, const std::u16string& description, bool table,
                       std::uint32_t picture = 0, std::uint32_t fillPicture = 0) {
    std::string out;
    std::string entries;
    std::string data;
    std::uint16_t count = 0;
    // A picture (pib), a picture fill: its kind, then its picture.
    for (const auto& [id, value] : {std::pair{0x4104, picture}, std::pair{0x0180, fillPicture ? 3u : 0u},
                                    std::pair{0x4186, fillPicture}}) {
        if (value == 0)
            continue;
        AppendLe16(entries, static_cast<std::uint16_t>(id));
        entries += u32(value);
        ++count;
    }
    for (const auto& [id, text] : {std::pair{0x8380, &name}, std::pair{0x8381, &description}}) {
        if (text->empty())
            continue;
        const std::string bytes = utf16(*text + u'\0');
        AppendLe16(entries, static_cast<std::uint16_t>(id));
        entries += u32(static_cast<std::uint32_t>(bytes.size()));
        data += bytes;
        ++count;
    }
    if (count > 0)
        out += record(3, count, 0xF00B, entries + data);
    if (table) {
        std::string entry;
        AppendLe16(entry, 0x03A0);
        out += record(3, 1, 0xF122, entry + u32(1));
    }
    return out;
}

std::string interactiveInfo(std::uint32_t linkId) {
    return container(0x0FF2, atom(0x0FF3, u32(0) + u32(linkId) + std::string(8, '\0')));
}

std::string linkData(std::uint32_t linkId) {
    if (linkId == 0)
        return {};
    return container(0xF011, interactiveInfo(linkId));
}

// A link on the characters `from` to `to` of the text before it.
std::string textLink(std::uint32_t linkId, std::uint32_t from, std::uint32_t to) {
    return interactiveInfo(linkId) + atom(0x0FDF, u32(from) + u32(to));
}

std::string groupHeader(bool top, const PptShape* group = nullptr) {
    const std::string fspgr = record(1, 0, 0xF009, std::string(16, '\0'));
    const std::string props =
        group ? properties(group->name, group->description, group->kind == PptShape::Kind::Table)
              : std::string();
    return container(0xF004, fspgr + fsp(0, top ? (kGroup | kPatriarch) : (kGroup | kHaveAnchor)) + props);
}

std::string shape(const PptShape& s) {
    const std::string anchor = atom(0xF010, std::string(8, '\0')) +
                               properties(s.name, s.description, false, s.picture, s.fillPicture) +
                               linkData(s.linkOnText ? 0 : s.linkId);
    switch (s.kind) {
    case PptShape::Kind::TextBox: {
        const std::string link =
            s.linkOnText ? textLink(s.linkId, 0, static_cast<std::uint32_t>(s.text.size())) : std::string();
        const std::string textbox = container(0xF00D, atom(0x0F9F, u32(4)) + textAtom(s.text, s.eightBit) +
                                                          slideNumberFields(s.slideNumberFields) + link);
        return container(0xF004, fsp(202, kHaveAnchor | kHaveSpt) + anchor + textbox);
    }
    case PptShape::Kind::Placeholder: {
        const std::string data = container(0xF011, atom(0x0BC3, std::string(8, '\0')));
        const std::string textbox = container(0xF00D, atom(0x0F9E, u32(s.outlineIndex)));
        return container(0xF004, fsp(1, kHaveAnchor | kHaveSpt) + anchor + data + textbox);
    }
    case PptShape::Kind::AutoShape:
        return container(0xF004, fsp(1, kHaveAnchor | kHaveSpt) + anchor);
    case PptShape::Kind::Picture:
        return container(0xF004, fsp(75, kHaveAnchor | kHaveSpt) + anchor);
    case PptShape::Kind::Line:
        return container(0xF004, fsp(20, kHaveAnchor | kHaveSpt) + anchor);
    case PptShape::Kind::Group:
    case PptShape::Kind::Table: {
        std::string body = groupHeader(false, &s);
        for (const PptShape& child : s.children)
            body += shape(child);
        return container(0xF003, body);
    }
    }
    return {};
}

std::string drawing(const std::vector<PptShape>& shapes) {
    std::string tree = groupHeader(true);
    for (const PptShape& s : shapes)
        tree += shape(s);
    const std::string background = container(0xF004, fsp(1, kBackground | kHaveSpt));
    const std::string dg =
        container(0xF002, atom(0xF008, u32(0) + u32(0)) + container(0xF003, tree) + background);
    return container(0x040C, dg);
}

// Comments live in the slide's tags, in a binary tag of the 2002 version.
std::string commentTags(const std::vector<std::u16string>& comments) {
    if (comments.empty())
        return {};
    std::string blob;
    for (const auto& text : comments)
        blob += container(0x2EE0, atom(0x0FBA, utf16(u"Author"), 0) + atom(0x0FBA, utf16(text), 1) +
                                      atom(0x2EE1, std::string(48, '\0')));
    const std::string tag = container(0x138A, atom(0x0FBA, utf16(u"___PPT10"), 0) + container(0x138B, blob));
    return container(0x1388, tag);
}

// A headers-and-footers record holding a footer (instance 0 on a page, 3 and
// 4 in the document record for slides and for notes pages).
std::string headersFooters(const std::u16string& footer, std::uint16_t instance) {
    if (footer.empty())
        return {};
    return container(0x0FD9, atom(0x0FDA, u32(0x20)) + atom(0x0FBA, utf16(footer), 2), instance);
}

// `notesId` is the slide id of the slide's notes page (0: none).
std::string slideRecord(const PptSlide& slide, std::uint32_t notesId) {
    const std::string slideAtom = atom(0x03EF, std::string(16, '\0') + u32(notesId) + u32(0));
    return container(0x03EE, slideAtom + drawing(slide.shapes) + headersFooters(slide.footer, 0) +
                                 commentTags(slide.comments));
}

std::string notesRecord(const PptSlide& slide, const std::vector<PptShape>& more) {
    std::vector<PptShape> boxes;
    for (const auto& text : slide.notes)
        boxes.push_back(PptShape::textBox(text));
    boxes.insert(boxes.end(), more.begin(), more.end());
    return container(0x03F0, atom(0x03F1, std::string(8, '\0')) + drawing(boxes));
}

// A main master, a title master (a slide record), the notes master or the
// handout master.
enum class MasterKind { Listed, Notes, Handout };
std::string masterRecord(const PptMaster& master, MasterKind kind) {
    const std::string body = drawing(master.shapes) + headersFooters(master.footer, 0);
    switch (kind) {
    case MasterKind::Listed:
        return container(master.title ? 0x03EE : 0x03F8, atom(0x03EF, std::string(24, '\0')) + body);
    case MasterKind::Notes:
        return container(0x03F0, atom(0x03F1, std::string(8, '\0')) + body);
    case MasterKind::Handout:
        return container(0x0FC9, body);
    }
    return {};
}

std::uint32_t notesIdOf(std::size_t slideIndex) {
    return 0x100 + 0x1000 + static_cast<std::uint32_t>(slideIndex);
}

// The hyperlinks, then the OLE objects, each naming its storage's persist id.
std::string objectList(const PptDeck& deck, const std::vector<std::uint32_t>& olePersistIds) {
    if (deck.hyperlinks.empty() && deck.oleObjects.empty())
        return {};
    std::string body = atom(0x040A, u32(static_cast<std::uint32_t>(deck.hyperlinks.size())));
    for (const auto& [id, target] : deck.hyperlinks)
        body += container(0x0FD7, atom(0x0FD3, u32(id)) + atom(0x0FBA, utf16(u"Link"), 0) +
                                      atom(0x0FBA, utf16(target), 1));
    for (std::size_t i = 0; i < deck.oleObjects.size(); ++i) {
        const PptOleObject& object = deck.oleObjects[i];
        // How it is drawn, its kind, its id, its sub-kind, its storage, unused.
        const std::string objectAtom = atom(0x0FC3, u32(1) + u32(object.link ? 1 : 0) + u32(object.id) +
                                                        u32(0) + u32(olePersistIds[i]) + u32(0));
        const std::string own =
            object.link ? atom(0x0FD1, u32(0) + u32(0) + u32(0)) : atom(0x0FCD, u32(0) + u32(0));
        body += container(object.link ? 0x0FCE : 0x0FCC,
                          objectAtom + own + atom(0x0FBA, utf16(object.menuName), 1));
    }
    return container(0x0409, body);
}

// A picture record: its ids, its tag or metafile header, its bytes.
std::string pictureRecord(const PptPicture& picture) {
    const bool metafile = picture.type >= 0xF01A && picture.type <= 0xF01C;
    const std::string head((picture.instance & 1 ? 32 : 16) + (metafile ? 34 : 1), '\x5A');
    return atom(picture.type, head + picture.bytes, picture.instance);
}

// The drawing group holding the picture store; the Pictures stream it
// refers to goes to `stream`.
std::string drawingGroup(const std::vector<PptPicture>& pictures, std::string& stream) {
    if (pictures.empty())
        return {};
    std::string store;
    for (const PptPicture& picture : pictures) {
        const std::string blip = pictureRecord(picture);
        const auto place = static_cast<std::uint32_t>(picture.inEntry ? 0 : stream.size());
        if (!picture.inEntry)
            stream += blip;
        // Kind for Windows and Mac, id, tag, size, uses, place, name length.
        std::string entry = std::string(2, '\x06') + std::string(16, '\x11') + std::string(2, '\0') +
                            u32(static_cast<std::uint32_t>(blip.size())) + u32(1) +
                            u32(picture.statedPlace.value_or(place)) + std::string(4, '\0');
        if (picture.inEntry)
            entry += blip;
        store += record(2, 6, 0xF007, entry);
    }
    const std::string dgg = atom(0xF006, u32(1024) + u32(2) + u32(1) + u32(1)) +
                            container(0xF001, store, static_cast<std::uint16_t>(pictures.size()));
    return container(0x040B, container(0xF000, dgg));
}

// What the document record holds besides its slides and notes pages.
struct DocumentExtras {
    const PptDeck& deck;
    std::vector<std::uint32_t> masterPersistIds; // of deck.masters
    std::uint32_t notesMaster = 0;               // persist ids, 0: none
    std::uint32_t handoutMaster = 0;
    std::vector<std::uint32_t> olePersistIds; // of deck.oleObjects' storages
    std::string drawingGroup = {};            // holding the picture store
};

// The master list: each master's entry, then its outline texts.
std::string masterList(const DocumentExtras& extras) {
    if (extras.deck.masters.empty())
        return {};
    std::string list;
    for (std::size_t i = 0; i < extras.deck.masters.size(); ++i) {
        const PptMaster& master = extras.deck.masters[i];
        list += atom(0x03F3, u32(extras.masterPersistIds[i]) + u32(0) + u32(0) +
                                 u32(0x80000000u + static_cast<std::uint32_t>(i)) + u32(0));
        for (const auto& text : master.outline)
            list += atom(0x0F9F, u32(0)) + textAtom(text, false);
    }
    return container(0x0FF0, list, 1);
}

// `notesPersistIds` holds, per slide, the persist id of its notes page (0: none).
std::string documentRecord(const std::vector<PptSlide>& slides, const std::vector<std::uint32_t>& persistIds,
                           const std::vector<std::uint32_t>& notesPersistIds, const DocumentExtras& extras) {
    std::string list;
    for (std::size_t i = 0; i < slides.size(); ++i) {
        const PptSlide& slide = slides[i];
        list +=
            atom(0x03F3, u32(persistIds[i]) + u32(0) + u32(static_cast<std::uint32_t>(slide.outline.size())) +
                             u32(256 + static_cast<std::uint32_t>(i)) + u32(0));
        for (std::size_t t = 0; t < slide.outline.size(); ++t) {
            list += atom(0x0F9F, u32(t == 0 ? 0 : 1));
            if (!slide.outline[t].empty())
                list += textAtom(slide.outline[t], slide.outlineEightBit);
            if (t < slide.outlineSlideNumberFields.size())
                list += slideNumberFields(slide.outlineSlideNumberFields[t]);
            if (const auto link = extras.deck.outlineLinks.find({i, t});
                link != extras.deck.outlineLinks.end())
                list += textLink(link->second, 0, static_cast<std::uint32_t>(slide.outline[t].size()));
        }
    }
    std::string notes;
    for (std::size_t i = 0; i < notesPersistIds.size(); ++i)
        if (notesPersistIds[i] != 0)
            notes += atom(0x03F3, u32(notesPersistIds[i]) + u32(0) + u32(0) + u32(notesIdOf(i)) + u32(0));
    // Sizes and zoom, then the persist ids of the notes and handout masters.
    const std::string documentAtom = atom(0x03E9,
                                          std::string(24, '\0') + u32(extras.notesMaster) +
                                              u32(extras.handoutMaster) + std::string(8, '\0'),
                                          1);
    return container(0x03E8, documentAtom + objectList(extras.deck, extras.olePersistIds) +
                                 extras.drawingGroup + masterList(extras) +
                                 headersFooters(extras.deck.slideFooter, 3) +
                                 headersFooters(extras.deck.notesFooter, 4) + container(0x0FF0, list, 0) +
                                 (notes.empty() ? std::string() : container(0x0FF0, notes, 2)));
}

std::string persistDirectory(std::map<std::uint32_t, std::uint32_t> entries) {
    // Consecutive ids share one run, as the format packs them.
    std::string body;
    auto it = entries.begin();
    while (it != entries.end()) {
        auto runEnd = it;
        std::uint32_t count = 0;
        while (runEnd != entries.end() && runEnd->first == it->first + count) {
            ++runEnd;
            ++count;
        }
        body += u32(it->first | (count << 20));
        for (; it != runEnd; ++it)
            body += u32(it->second);
    }
    return atom(0x1772, body);
}

std::string userEdit(std::uint32_t lastEdit, std::uint32_t directory, std::uint32_t seed, bool encrypted) {
    std::string body = u32(256) + std::string("\x00\x00\x00\x03", 4) + u32(lastEdit) + u32(directory) +
                       u32(1) + u32(seed) + std::string("\x01\x00\x00\x00", 4);
    if (encrypted)
        body += u32(seed - 1);
    return atom(0x0FF5, body);
}

} // namespace

PptOleObject PptOleObject::stored(std::uint32_t id, std::u16string menuName, const std::string& storage) {
    return {id, std::move(menuName), storage, 0, false};
}

PptOleObject PptOleObject::compressed(std::uint32_t id, std::u16string menuName, const std::string& storage) {
    uLongf size = compressBound(storage.size());
    std::string deflated(size, '\0');
    compress(reinterpret_cast<Bytef*>(deflated.data()), &size, reinterpret_cast<const Bytef*>(storage.data()),
             storage.size());
    deflated.resize(size);
    return {id, std::move(menuName), u32(static_cast<std::uint32_t>(storage.size())) + deflated, 1, false};
}

PptStreams BuildPptStreams(const PptDeck& deck) {
    PptStreams out;
    const auto n = static_cast<std::uint32_t>(deck.slides.size());
    std::vector<std::uint32_t> ids(n);
    for (std::uint32_t i = 0; i < n; ++i)
        ids[i] = deck.reversedStorage ? 2 + (n - 1 - i) : 2 + i;
    const std::uint32_t seed = n + 2 + (deck.encryptedEdit ? 1 : 0);

    std::map<std::uint32_t, std::uint32_t> directory;
    directory[1] = 0;
    // Notes pages take the persist ids after the slides' and the document's
    // seed, and are stored after the slides.
    std::vector<std::uint32_t> notesIds(n, 0);
    std::uint32_t nextId = seed + 1;
    const auto hasNotes = [&](std::uint32_t i) {
        return !deck.slides[i].notes.empty() || deck.notesShapes.contains(i);
    };
    for (std::uint32_t i = 0; i < n; ++i)
        if (hasNotes(i))
            notesIds[i] = nextId++;
    // The masters take the ids after the notes pages', and are stored after them.
    DocumentExtras extras{deck, {}, 0, 0, {}, drawingGroup(deck.pictures, out.pictures)};
    for (std::size_t i = 0; i < deck.masters.size(); ++i)
        extras.masterPersistIds.push_back(nextId++);
    if (deck.notesMaster)
        extras.notesMaster = nextId++;
    if (deck.handoutMaster)
        extras.handoutMaster = nextId++;
    for (std::size_t i = 0; i < deck.oleObjects.size(); ++i)
        extras.olePersistIds.push_back(nextId++);
    out.document = documentRecord(deck.slides, ids, notesIds, extras);
    std::vector<std::uint32_t> order(n);
    for (std::uint32_t i = 0; i < n; ++i)
        order[i] = deck.reversedStorage ? n - 1 - i : i;
    for (const std::uint32_t i : order) {
        directory[ids[i]] = static_cast<std::uint32_t>(out.document.size());
        out.document += slideRecord(deck.slides[i], notesIds[i] != 0 ? notesIdOf(i) : 0);
    }
    for (std::uint32_t i = 0; i < n; ++i)
        if (notesIds[i] != 0) {
            directory[notesIds[i]] = static_cast<std::uint32_t>(out.document.size());
            const auto more = deck.notesShapes.find(i);
            out.document += notesRecord(
                deck.slides[i], more == deck.notesShapes.end() ? std::vector<PptShape>{} : more->second);
        }
    const auto addMaster = [&](std::uint32_t id, const PptMaster& master, MasterKind kind) {
        directory[id] = static_cast<std::uint32_t>(out.document.size());
        out.document += masterRecord(master, kind);
    };
    for (std::size_t i = 0; i < deck.masters.size(); ++i)
        addMaster(extras.masterPersistIds[i], deck.masters[i], MasterKind::Listed);
    if (deck.notesMaster)
        addMaster(extras.notesMaster, *deck.notesMaster, MasterKind::Notes);
    if (deck.handoutMaster)
        addMaster(extras.handoutMaster, *deck.handoutMaster, MasterKind::Handout);
    for (std::size_t i = 0; i < deck.oleObjects.size(); ++i) {
        directory[extras.olePersistIds[i]] = static_cast<std::uint32_t>(out.document.size());
        out.document += atom(0x1011, deck.oleObjects[i].body, deck.oleObjects[i].instance);
    }
    const bool incremental = !deck.revised.empty();
    auto addEdit = [&](std::uint32_t lastEdit, const std::map<std::uint32_t, std::uint32_t>& dir,
                       bool newest) {
        const auto dirOffset = static_cast<std::uint32_t>(out.document.size());
        out.directoryOffsets.push_back(dirOffset);
        out.document += persistDirectory(dir);
        out.editOffsets.push_back(static_cast<std::uint32_t>(out.document.size()));
        out.document += userEdit(lastEdit, dirOffset, seed, newest && deck.encryptedEdit);
    };
    addEdit(0, directory, !incremental);

    if (incremental) {
        std::vector<PptSlide> slides = deck.slides;
        std::map<std::uint32_t, std::uint32_t> changed;
        for (const auto& [index, slide] : deck.revised) {
            slides.at(index) = slide;
            changed[ids[index]] = static_cast<std::uint32_t>(out.document.size());
            out.document += slideRecord(slide, 0);
        }
        changed[1] = static_cast<std::uint32_t>(out.document.size());
        out.document += documentRecord(slides, ids, {}, extras);
        addEdit(out.editOffsets.back(), changed, true);
    }

    const std::string user = "tester";
    std::string cu =
        u32(0x14) + u32(deck.encryptedToken ? 0xF3D1C4DF : 0xE391C05F) + u32(out.editOffsets.back());
    AppendLe16(cu, static_cast<std::uint16_t>(user.size()));
    AppendLe16(cu, 0x03F4);
    cu += std::string("\x03\x00\x00\x00", 4) + user + u32(8);
    out.currentUser = atom(0x0FF6, cu);
    return out;
}

std::string PackPpt(const PptStreams& streams) {
    CompoundFileBuilder builder;
    builder.addStream(u"Current User", streams.currentUser)
        .addStream(u"PowerPoint Document", streams.document)
        .addStream(u"Pictures", streams.pictures);
    return builder.build();
}

std::string BuildPpt(const PptDeck& deck) {
    return PackPpt(BuildPptStreams(deck));
}

} // namespace orv::test
