#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orv::test {

// A shape of a slide in a binary presentation written by BuildPpt.
struct PptShape {
    enum class Kind {
        TextBox,     // text in its own 16-bit or 8-bit text atom
        Placeholder, // text taken from the slide's outline text `outlineIndex`
        AutoShape,   // a rectangle without a text box record
        Group,       // nested shape group holding `children`
        Table,       // stored as a group of cell text boxes (`children`)
        Picture,
        Line,
    };
    Kind kind = Kind::TextBox;
    std::u16string text;
    bool eightBit = false; // every character must then be below 256
    std::uint32_t outlineIndex = 0;
    std::vector<PptShape> children;
    std::vector<std::uint32_t> slideNumberFields; // text positions of slide-number fields
    std::u16string name;                          // stored as the shape's name property when set
    std::uint32_t linkId = 0;                     // a click on the shape opens this hyperlink (0: none)
    bool linkOnText = false;                      // the link is on the text box's text instead
    std::u16string description;                   // the alternative text, stored when set
    std::uint32_t picture = 0;     // its picture: an index into PptDeck::pictures + 1 (0: none)
    std::uint32_t fillPicture = 0; // the same for a picture fill (0: none)

    static PptShape textBox(std::u16string text, bool eightBit = false) {
        return {Kind::TextBox, std::move(text), eightBit, 0, {}, {}, {}, 0, false, {}, 0, 0};
    }
    static PptShape placeholder(std::uint32_t outlineIndex) {
        return {Kind::Placeholder, {}, false, outlineIndex, {}, {}, {}, 0, false, {}, 0, 0};
    }
    static PptShape of(Kind kind, std::vector<PptShape> children = {}) {
        return {kind, {}, false, 0, std::move(children), {}, {}, 0, false, {}, 0, 0};
    }
    // A picture shape named `name` showing picture `index` (1-based).
    static PptShape pictureOf(std::uint32_t index, std::u16string name = {}) {
        return {Kind::Picture, {}, false, 0, {}, {}, std::move(name), 0, false, {}, index, 0};
    }
};

// A master of a binary presentation written by BuildPpt: a main master, a
// title master (kept in a slide record), the notes or the handout master.
struct PptMaster {
    std::vector<PptShape> shapes;
    std::vector<std::u16string> outline; // its entries in the master list (listed masters only)
    std::u16string footer;               // in its own headers and footers (none: no such record)
    bool title = false;
};

struct PptSlide {
    std::vector<PptShape> shapes;
    std::vector<std::u16string> outline; // the slide's entries in the document's slide list
    bool outlineEightBit = false;
    std::vector<std::vector<std::uint32_t>> outlineSlideNumberFields; // per outline entry
    std::vector<std::u16string> notes;    // text boxes of the slide's notes page (none: no notes page)
    std::vector<std::u16string> comments; // comment texts, kept in the slide's tags
    std::u16string footer;                // in its own headers and footers (none: no such record)
};

// An OLE object of the document's object list and the body of its storage
// record (ExOleObjStg), as stored: `instance` 1 marks a compressed one.
struct PptOleObject {
    std::uint32_t id = 0;
    std::u16string menuName = {};
    std::string body = {};
    std::uint16_t instance = 0;
    bool link = false; // a linked object (which keeps a copy) rather than an embedded one

    // `storage` stored as is, or compressed (its size stated, then zlib).
    static PptOleObject stored(std::uint32_t id, std::u16string menuName, const std::string& storage);
    static PptOleObject compressed(std::uint32_t id, std::u16string menuName, const std::string& storage);
};

// An entry of the document's picture store: a picture record of `type` and
// `instance` (an odd one keeps two ids) holding `bytes` after its ids and its
// tag (or, for a metafile, its header), kept in the Pictures stream or in the
// entry itself.
struct PptPicture {
    std::uint16_t type = 0xF01E; // PNG; 0xF01D JPEG, 0xF01F bitmap, 0xF01A EMF...
    std::string bytes = {};
    std::uint16_t instance = 0x6E0;
    bool inEntry = false;
    std::optional<std::uint32_t> statedPlace = {}; // the place the entry gives, when not the true one
};

struct PptDeck {
    std::vector<PptSlide> slides; // in presentation order
    // Store the slide records, and number their persist ids, in the reverse of
    // the presentation order.
    bool reversedStorage = false;
    // Slides replaced by a second, incremental save: the new slide records, a
    // new document record and a newer persist directory that overrides theirs.
    std::map<std::size_t, PptSlide> revised;
    bool encryptedEdit = false;                         // the newest edit names an encryption session
    bool encryptedToken = false;                        // the current-user record carries the encrypted token
    std::map<std::uint32_t, std::u16string> hyperlinks; // id -> target, in the document's object list
    // Written after the slides' and notes pages' records, each under the
    // persist id after the one before.
    std::vector<PptMaster> masters; // the master list, in order
    std::optional<PptMaster> notesMaster;
    std::optional<PptMaster> handoutMaster;
    std::u16string slideFooter; // the document's own headers and footers (none: no such record)
    std::u16string notesFooter;
    // More shapes of slide i's notes page, after the text boxes of its notes.
    std::map<std::size_t, std::vector<PptShape>> notesShapes;
    // (slide, outline entry) -> a hyperlink on that text, kept in the slide list.
    std::map<std::pair<std::size_t, std::size_t>, std::uint32_t> outlineLinks;
    // After the hyperlinks in the object list; their storages stored after
    // the masters, each under the persist id after the one before.
    std::vector<PptOleObject> oleObjects = {};
    // The picture store (in the document's drawing group) and the Pictures
    // stream; none: no drawing group.
    std::vector<PptPicture> pictures = {};
};

// The two streams of a binary presentation, and where the edits lie.
struct PptStreams {
    std::string currentUser;
    std::string document;
    std::vector<std::uint32_t> editOffsets; // oldest first
    std::vector<std::uint32_t> directoryOffsets;
    std::string pictures; // the Pictures stream
};

PptStreams BuildPptStreams(const PptDeck& deck);
// A complete .ppt file: the streams in a compound file (plus an empty
// "Pictures" stream, as real files have).
std::string BuildPpt(const PptDeck& deck);
std::string PackPpt(const PptStreams& streams);

} // namespace orv::test
