#include "extract/common/XmlTree.h"

#include "base/SafeText.h"
#include "base/Utf8.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <span>
#include <unordered_map>

namespace orv {

namespace {

enum CharClass : std::uint8_t {
    kSpace = 1,      // XML white space
    kNameStart = 2,  // may begin a name
    kName = 4,       // may continue a name
    kValuePlain = 8, // needs no thought in a quoted value: all but quotes, '<', '&', CR, NUL
    kNamePart = 16,  // may continue a name and is no colon
};

constexpr std::array<std::uint8_t, 256> makeClasses() {
    std::array<std::uint8_t, 256> table{};
    for (const char c : {' ', '\t', '\r', '\n'})
        table[static_cast<unsigned char>(c)] = kSpace;
    for (int c = 0; c < 256; ++c) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (letter || c == '_' || c == ':' || c >= 0x80)
            table[static_cast<std::size_t>(c)] = kNameStart | kName;
        if ((c >= '0' && c <= '9') || c == '-' || c == '.')
            table[static_cast<std::size_t>(c)] = kName;
    }
    for (int c = 0; c < 256; ++c)
        if ((table[static_cast<std::size_t>(c)] & kName) != 0 && c != ':')
            table[static_cast<std::size_t>(c)] |= kNamePart;
    for (int c = 0; c < 256; ++c)
        if (c != '"' && c != '\'' && c != '<' && c != '&' && c != '\r' && c != '\0')
            table[static_cast<std::size_t>(c)] |= kValuePlain;
    return table;
}

constexpr std::array<std::uint8_t, 256> kClasses = makeClasses();

bool is(char c, CharClass what) {
    return (kClasses[static_cast<unsigned char>(c)] & what) != 0;
}

// The first character from `p` on that is not of the class; the text must
// end with one that is not (the parser's sentinel).
template <CharClass what> char* skipWhile(char* p) {
    for (;; p += 4) {
        if (!is(p[0], what))
            return p;
        if (!is(p[1], what))
            return p + 1;
        if (!is(p[2], what))
            return p + 2;
        if (!is(p[3], what))
            return p + 3;
    }
}

// memcmp(a, b, length) == 0 for the short lengths of names, without a call:
// from 4 bytes on, two loads that may overlap (and a loop past 16).
[[gnu::always_inline]] inline bool sameBytes(const char* a, const char* b, std::size_t length) {
    if (length < 4) {
        for (; length > 0; --length)
            if (*a++ != *b++)
                return false;
        return true;
    }
    if (length <= 8) {
        std::uint32_t x[2];
        std::uint32_t y[2];
        std::memcpy(&x[0], a, 4);
        std::memcpy(&x[1], a + length - 4, 4);
        std::memcpy(&y[0], b, 4);
        std::memcpy(&y[1], b + length - 4, 4);
        return ((x[0] ^ y[0]) | (x[1] ^ y[1])) == 0;
    }
    std::uint64_t x;
    std::uint64_t y;
    for (; length > 16; length -= 8, a += 8, b += 8) {
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        if (x != y)
            return false;
    }
    std::uint64_t u;
    std::uint64_t v;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    std::memcpy(&u, a + length - 8, 8);
    std::memcpy(&v, b + length - 8, 8);
    return ((x ^ y) | (u ^ v)) == 0;
}

// The reference starting at `amp` ('&'), decoded into `out` (never longer than
// the reference). Returns the end of the reference read, or nullptr for a
// reference this parser does not decode (it is then kept as written).
const char* decodeReference(const char* amp, const char* end, char*& out) {
    const char* p = amp + 1;
    if (p < end && *p == '#') {
        ++p;
        const bool hex = p < end && *p == 'x';
        if (hex)
            ++p;
        // Any number of digits, leading zeros among them; a value past the
        // last code point stays past it however many digits follow.
        std::uint32_t cp = 0;
        const char* digits = p;
        for (; p < end; ++p) {
            const char c = *p;
            std::uint32_t digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<std::uint32_t>(c - '0');
            else if (hex && c >= 'a' && c <= 'f')
                digit = static_cast<std::uint32_t>(c - 'a' + 10);
            else if (hex && c >= 'A' && c <= 'F')
                digit = static_cast<std::uint32_t>(c - 'A' + 10);
            else
                break;
            cp = std::min<std::uint32_t>(cp * (hex ? 16 : 10) + digit, 0x110000);
        }
        if (p == digits || p >= end || *p != ';' || cp == 0 || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return nullptr;
        out = PutUtf8(out, cp);
        return p + 1;
    }
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"quot;", '"'}, {"apos;", '\''}};
    const std::string_view rest(p, static_cast<std::size_t>(end - p));
    for (const auto& [name, c] : kNamed) {
        if (rest.starts_with(name)) {
            *out++ = c;
            return p + name.size();
        }
    }
    return nullptr;
}

// Decodes the references in [begin, end) in place, and with `lineEnds` turns
// CR LF and lone CRs into LF; returns the new end.
char* decodeInPlace(char* begin, char* end, bool lineEnds) {
    char* out = begin;
    const char* in = begin;
    while (in < end) {
        const char c = *in;
        if (c == '&') {
            if (const char* next = decodeReference(in, end, out)) {
                in = next;
                continue;
            }
        } else if (c == '\r' && lineEnds) {
            *out++ = '\n';
            in += (in + 1 < end && in[1] == '\n') ? 2 : 1;
            continue;
        }
        *out++ = c;
        ++in;
    }
    return out;
}

enum class Utf16 { No, LittleEndian, BigEndian };

// UTF-16 as XML tells it: by a byte order mark (skipped), or by a first
// character whose other byte is zero, which UTF-8 text (holding no NUL)
// cannot have.
Utf16 utf16Form(const char* text, std::size_t size, std::size_t& skip) {
    const auto* b = reinterpret_cast<const unsigned char*>(text);
    skip = 0;
    if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        skip = 2;
        return Utf16::LittleEndian;
    }
    if (size >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        skip = 2;
        return Utf16::BigEndian;
    }
    if (size >= 2 && b[0] != 0 && b[1] == 0)
        return Utf16::LittleEndian;
    if (size >= 2 && b[0] == 0 && b[1] != 0)
        return Utf16::BigEndian;
    return Utf16::No;
}

// What refusals call the text.
std::string subjectOf(const XmlSubject& subject) {
    return subject.subject.empty() ? "the part " + FileText(subject.part) : subject.subject;
}

bool isUtf8Name(std::string_view encoding) {
    std::string lower(encoding);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return lower == "utf-8" || lower == "utf8";
}

} // namespace

// The room of the last tree a thread let go of, taken up by its next parse:
// trees of one size follow each other when a folder is read, and memory the
// process already holds costs no page faults. Kept only up to a size.
struct XmlTree::Storage {
    std::vector<Node> nodes;
    std::vector<Attribute> attributes;

    static constexpr std::size_t kMaxKeptBytes = 8u << 20;

    static Storage& spare() {
        thread_local Storage storage;
        return storage;
    }
};

XmlTree::~XmlTree() {
    Storage& spare = Storage::spare();
    if (m_nodes.capacity() * sizeof(Node) + m_attributes.capacity() * sizeof(Attribute) >
        Storage::kMaxKeptBytes)
        return;
    if (m_nodes.capacity() > spare.nodes.capacity()) {
        m_nodes.clear();
        spare.nodes.swap(m_nodes);
    }
    if (m_attributes.capacity() > spare.attributes.capacity()) {
        m_attributes.clear();
        spare.attributes.swap(m_attributes);
    }
}

// The room of a parser's working vector, kept for the thread's next parse
// while it is small: parts are parsed one after another, and each would
// otherwise allocate it anew.
template <typename T> class SpareRoom : public std::vector<T> {
public:
    explicit SpareRoom(std::size_t usual) {
        this->swap(spare());
        this->clear();
        this->reserve(usual);
    }
    ~SpareRoom() {
        if (this->capacity() <= kMostKept)
            spare().swap(*this);
    }
    SpareRoom(const SpareRoom&) = delete;
    SpareRoom& operator=(const SpareRoom&) = delete;

private:
    static constexpr std::size_t kMostKept = 1024;

    static std::vector<T>& spare() {
        thread_local std::vector<T> items;
        return items;
    }
};

// The prefixes in force while a text is parsed: for each prefix ever
// declared, its binding in force, each binding remembering the one it hides,
// so that resolving a prefix costs one look-up whatever the number of
// declarations in scope. The few prefixes of a real part are found by a
// scan; a part that declares many gets an index.
class PrefixTable {
public:
    // `textEnd`: the end of the text the prefixes stand in.
    // Room for the declarations of a usual document, which its root holds.
    PrefixTable(NsClassifier classify, const char* textEnd)
        : m_classify(classify), m_entries(kUsualDeclarations), m_bindings(kUsualDeclarations),
          m_textEnd(textEnd) {}

    void declare(std::string_view prefix, std::string_view uri) {
        forget();
        const std::uint32_t entry = entryOf(prefix, true);
        m_bindings.push_back({entry, m_entries[entry].current, m_classify(uri)});
        m_entries[entry].current = static_cast<std::int32_t>(m_bindings.size() - 1);
    }
    std::size_t mark() const { return m_bindings.size(); }
    // Takes out the bindings declared since `mark`.
    void release(std::size_t mark) {
        if (m_bindings.size() > mark)
            forget();
        while (m_bindings.size() > mark) {
            const Binding& binding = m_bindings.back();
            m_entries[binding.entry].current = binding.hidden;
            m_bindings.pop_back();
        }
    }

    Ns resolve(std::string_view prefix) {
        // The last two answers, good while no binding changes: neighbouring
        // elements mostly share one or two prefixes. A prefix of up to 7
        // bytes is compared as one number: its bytes and its length.
        std::uint64_t key = kNoKey;
        if (std::endian::native == std::endian::little && prefix.size() < 8 &&
            m_textEnd - prefix.data() >= 8) {
            std::memcpy(&key, prefix.data(), 8);
            key = (key & ((std::uint64_t{1} << (8 * prefix.size())) - 1)) | prefix.size() << 56;
            if (key == m_lastKey[0])
                return m_lastNs[0];
            if (key == m_lastKey[1]) {
                std::swap(m_lastKey[0], m_lastKey[1]);
                std::swap(m_lastNs[0], m_lastNs[1]);
                return m_lastNs[0];
            }
        }
        const Ns ns = lookUp(prefix);
        if (key != kNoKey) {
            m_lastKey[1] = m_lastKey[0];
            m_lastNs[1] = m_lastNs[0];
            m_lastKey[0] = key;
            m_lastNs[0] = ns;
        }
        return ns;
    }

private:
    // Recent answers of every prefix, good while no binding changes: an
    // element and its attributes use a handful over and over.
    Ns lookUp(std::string_view prefix) {
        std::size_t slot = prefix.size();
        if (!prefix.empty())
            slot += static_cast<unsigned char>(prefix.front()) * 7u +
                    static_cast<unsigned char>(prefix.back()) * 3u;
        Recent& recent = m_recent[slot % m_recent.size()];
        Ns ns;
        if (recent.generation == m_generation && recent.prefix.size() == prefix.size() &&
            sameBytes(recent.prefix.data(), prefix.data(), prefix.size())) {
            ns = recent.ns;
        } else {
            const std::uint32_t entry = entryOf(prefix, false);
            ns = entry == kNoEntry || m_entries[entry].current < 0
                     ? Ns::Other
                     : m_bindings[static_cast<std::size_t>(m_entries[entry].current)].ns;
            recent = {m_generation, prefix, ns};
        }
        return ns;
    }

    static constexpr std::uint32_t kNoEntry = ~std::uint32_t{0};
    static constexpr std::size_t kScanned = 16;           // prefixes found by a scan; more get an index
    static constexpr std::size_t kUsualDeclarations = 64; // an OpenDocument root declares 40 or more

    struct Entry {
        std::string_view prefix;
        std::int32_t current = -1; // binding in force, -1 for none
    };
    struct Recent {
        std::uint64_t generation = ~std::uint64_t{0};
        std::string_view prefix;
        Ns ns = Ns::Other;
    };

    void forget() {
        ++m_generation;
        m_lastKey = {kNoKey, kNoKey};
    }
    struct Binding {
        std::uint32_t entry;
        std::int32_t hidden; // the binding it hides
        Ns ns;
    };

    std::uint32_t entryOf(std::string_view prefix, bool add) {
        if (m_index.empty()) {
            for (std::size_t i = 0; i < m_entries.size(); ++i) {
                const std::string_view known = m_entries[i].prefix;
                if (known.size() == prefix.size() && sameBytes(known.data(), prefix.data(), prefix.size()))
                    return static_cast<std::uint32_t>(i);
            }
        } else if (const auto found = m_index.find(prefix); found != m_index.end()) {
            return found->second;
        }
        if (!add)
            return kNoEntry;
        const auto entry = static_cast<std::uint32_t>(m_entries.size());
        m_entries.push_back({prefix});
        if (!m_index.empty() || m_entries.size() > kScanned)
            for (std::size_t i = m_index.size(); i < m_entries.size(); ++i)
                m_index.emplace(m_entries[i].prefix, static_cast<std::uint32_t>(i));
        return entry;
    }

    NsClassifier m_classify;
    SpareRoom<Entry> m_entries;
    SpareRoom<Binding> m_bindings;
    std::unordered_map<std::string_view, std::uint32_t> m_index;
    std::array<Recent, 64> m_recent{};
    static constexpr std::uint64_t kNoKey = ~std::uint64_t{0}; // no prefix's key
    std::array<std::uint64_t, 2> m_lastKey{kNoKey, kNoKey};
    std::array<Ns, 2> m_lastNs{};
    const char* m_textEnd;
    std::uint64_t m_generation = 0;
};

class XmlTree::Parser {
public:
    // `fromUtf16`: the text was converted, and its declaration names the
    // encoding it had.
    Parser(XmlTree& xml, char* text, std::size_t size, const XmlRules& rules, const XmlSubject& subject,
           bool fromUtf16)
        : m_xml(xml), m_begin(text), m_p(text), m_end(text + size), m_rules(rules), m_subject(subject),
          m_prefixes(rules.classify, m_end), m_open(kUsualDepth), m_fromUtf16(fromUtf16) {
        // Each entry in the slot its name hashes to, or the next free one;
        // skipping only spares work, so entries past half the table are
        // simply not skipped.
        std::size_t used = 0;
        for (std::size_t i = 0; i < rules.skip.size(); ++i) {
            if (rules.skip[i].local.empty() || used == kSkipSlots / 2 || i >= 255)
                continue;
            std::size_t slot = skipSlot(rules.skip[i].local);
            while (m_skipTable[slot] != 0)
                slot = (slot + 1) % kSkipSlots;
            m_skipTable[slot] = static_cast<std::uint8_t>(i + 1);
            m_skipLengths |= std::uint64_t{1} << std::min<std::size_t>(rules.skip[i].local.size(), 63);
            ++used;
        }
    }

    void run() {
        Storage& spare = Storage::spare();
        if (spare.nodes.capacity() > m_xml.m_nodes.capacity())
            m_xml.m_nodes.swap(spare.nodes);
        if (spare.attributes.capacity() > m_xml.m_attributes.capacity())
            m_xml.m_attributes.swap(spare.attributes);
        m_xml.m_nodes.clear();
        m_xml.m_attributes.clear();
        m_xml.m_root = kNone;
        const auto size = static_cast<std::size_t>(m_end - m_begin);
        // Room for a node every four bytes, as many as short elements,
        // attributes or runs of text can make, up to the limit: pages never
        // written cost no memory, while a vector grown by copying takes its
        // old and new room at once, and the page faults of both, for each
        // large part of a file.
        const std::size_t expected = std::min(size / 4, m_rules.maxNodes);
        m_xml.m_nodes.reserve(expected);
        m_xml.m_attributes.reserve(expected);
        // XML holds no NUL character anywhere; the one at the end is the
        // sentinel every scan below stops at.
        if (const void* nul = std::memchr(m_begin, '\0', size))
            fail("NUL character", static_cast<const char*>(nul));
        *m_end = '\0';

        if (size >= 3 && std::memcmp(m_p, "\xEF\xBB\xBF", 3) == 0)
            m_p += 3;
        const char* const start = m_p;
        while (m_p < m_end) {
            if (*m_p != '<') { // most tags follow one another
                char* const textStart = m_p;
                if (!m_open.empty())
                    countNode();
                auto* lt = static_cast<char*>(std::memchr(m_p, '<', static_cast<std::size_t>(m_end - m_p)));
                m_p = lt != nullptr ? lt : m_end;
                if (!m_open.empty())
                    addText(textStart, m_p, false);
                if (m_p == m_end)
                    break;
            }
            ++m_p;
            if (*m_p == '/')
                endTag();
            else if (*m_p == '!')
                markup();
            else if (*m_p == '?')
                instruction(m_p - 1 == start);
            else
                startTag();
            if (m_skipDepth > 0)
                skipContent();
        }
        if (!m_open.empty())
            fail("Start-end tags mismatch", m_end);
        if (m_xml.m_root == kNone)
            fail("No document element found", m_end);
    }

private:
    static constexpr std::size_t kSkipSlots = 256;    // many times the entries any rules give
    static constexpr std::size_t kSkippedBefore = 32; // entries whose last elements are remembered
    static constexpr std::size_t kUsualDepth = 32;    // elements open at once, room made at the start

    struct Open {
        Id element; // kNone for an element that is skipped
        Id lastChild;
        std::size_t prefixMark;
        const char* name;
        std::uint32_t nameLength;
        // For the package rules on white space: the element's first run of
        // character data was taken as its value, and it has had a child
        // since (an element, a CDATA section, or a later run).
        bool hasValue = false;
        bool hasChild = false;
    };

    // What refusals call the text.
    std::string subject() const { return subjectOf(m_subject); }

    [[noreturn, gnu::cold, gnu::noinline]] void fail(const char* what, const char* at) const {
        // The offset is known in the part's own bytes unless they were converted.
        const auto offset = static_cast<std::uint64_t>(at - m_begin);
        ThrowDamaged(subject() + " is not well-formed XML (" + what + " at byte " + std::to_string(offset) +
                         ")",
                     std::string(m_subject.part), m_fromUtf16 ? std::nullopt : std::optional(offset));
    }

    [[noreturn, gnu::cold, gnu::noinline]] void failEncoding(std::string_view declared) const {
        ThrowDamaged(subject() + " is not written in UTF-8 or UTF-16 (it declares the encoding \"" +
                         FileText(declared) + "\")",
                     std::string(m_subject.part));
    }

    // One node as the limit counts them: an element, an attribute, a run of
    // character data inside an element or a CDATA section, each as written,
    // whether it is kept, skipped or past the document element; counted at
    // the same byte on every path.
    void countNode() {
        if (++m_count > m_rules.maxNodes)
            tooManyNodes();
    }
    // Room for `count` more nodes.
    bool roomFor(std::size_t count) const { return count <= m_rules.maxNodes - m_count; }

    [[noreturn, gnu::cold, gnu::noinline]] void tooManyNodes() const {
        ThrowOverLimit(
            subject() + " holds more than " + std::to_string(m_rules.maxNodes) +
                " elements, attributes and runs of text",
            FaultSite{m_subject.part,
                      m_fromUtf16 ? std::nullopt : std::optional(static_cast<std::uint64_t>(m_p - m_begin))});
    }

    // Character data or an attribute value kept in the tree, as the rules'
    // textLimit counts them.
    void keepText(std::size_t bytes) {
        if (bytes > m_textLeft)
            tooMuchText();
        m_textLeft -= bytes;
    }

    [[noreturn, gnu::cold, gnu::noinline]] void tooMuchText() const {
        // A bound of whole mebibytes is a rule of its own; any other is what
        // is left of one.
        const std::size_t limit = m_rules.textLimit;
        ThrowOverLimit(
            subject() + (limit % (std::size_t{1} << 20) == 0
                             ? " holds more than " + std::to_string(limit >> 20) + " MiB of text"
                             : " holds more text than the " + std::to_string(limit) + " bytes left for it"),
            FaultSite{m_subject.part,
                      m_fromUtf16 ? std::nullopt : std::optional(static_cast<std::uint64_t>(m_p - m_begin))});
    }

    // A node linked as the last child of the open element (or the document
    // element when none is open), its fields left for the caller.
    Id newNode() {
        const auto id = static_cast<Id>(m_xml.m_nodes.size());
        m_xml.m_nodes.emplace_back();
        if (m_open.empty()) {
            m_xml.m_root = id;
            return id;
        }
        Open& parent = m_open.back();
        if (parent.lastChild == kNone)
            m_xml.m_nodes[parent.element].firstChild = id;
        else
            m_xml.m_nodes[parent.lastChild].nextSibling = id;
        parent.lastChild = id;
        return id;
    }

    void addText(char* begin, char* end, bool raw) {
        if (m_skipDepth > 0)
            return;
        if (m_rules.packageText) {
            // White space alone is kept only where it ends its element and
            // the element has had nothing but its first run of text.
            Open& parent = m_open.back();
            const char* p = begin;
            while (!raw && p < end && is(*p, kSpace))
                ++p;
            if (!raw && p == end && !(end[0] == '<' && end[1] == '/' && !parent.hasChild))
                return;
            if (raw || parent.hasValue)
                parent.hasChild = true;
            else
                parent.hasValue = true;
        }
        const auto length = static_cast<std::size_t>(end - begin);
        const bool lineEnds = m_rules.packageText && std::memchr(begin, '\r', length) != nullptr;
        if (lineEnds || (!raw && std::memchr(begin, '&', length) != nullptr))
            end = raw ? normaliseLineEnds(begin, end) : decodeInPlace(begin, end, lineEnds);
        if (end == begin)
            return;
        keepText(static_cast<std::size_t>(end - begin));
        Node& node = m_xml.m_nodes[newNode()];
        node.name = begin;
        node.nameLength = static_cast<std::uint32_t>(end - begin);
        node.attributeCount = kTextMark;
        node.end = static_cast<Id>(m_xml.m_nodes.size());
    }

    // CR LF and lone CRs as LF, in place; returns the new end.
    static char* normaliseLineEnds(char* begin, char* end) {
        char* out = begin;
        for (const char* in = begin; in < end; ++in) {
            if (*in == '\r') {
                *out++ = '\n';
                if (in + 1 < end && in[1] == '\n')
                    ++in;
            } else {
                *out++ = *in;
            }
        }
        return out;
    }

    void skipSpace() {
        char* p = m_p;
        while (is(*p, kSpace))
            ++p;
        m_p = p;
    }

    // Reads a name at m_p; returns the colon offset plus one (0 without one).
    std::uint32_t name(const char* error) {
        char* p = m_p;
        if (!is(*p, kNameStart))
            fail(error, p);
        const char* const start = p;
        std::uint32_t colon = 0;
        p = skipWhile<kNamePart>(p); // a name may begin with its colon
        if (*p == ':') {
            colon = static_cast<std::uint32_t>(p - start) + 1;
            p = skipWhile<kName>(p + 1);
        }
        m_p = p;
        return colon;
    }

    // The same where the colon is not wanted: a name runs to the first byte
    // that is no name character, colon or not.
    void nameOnly(const char* error) {
        if (!is(*m_p, kNameStart))
            fail(error, m_p);
        m_p = skipWhile<kName>(m_p);
    }

    void startTag() {
        char* const nameStart = m_p;
        if (!is(*m_p, kNameStart))
            fail("Could not determine tag type", m_p - 1);
        const std::uint32_t colon = name("Error parsing start element tag");
        const auto nameLength = static_cast<std::uint32_t>(m_p - nameStart);
        const std::string_view prefix(nameStart, colon == 0 ? 0 : colon - 1);
        // A second document element is not read, as nothing after the first
        // one is: it is skipped. Below the document element, an element
        // whose local name the rules skip is skipped when its namespace is
        // the one they name; its own declarations (rare) make it read after
        // all, its attributes read again and counted once.
        const bool afterRoot = m_open.empty() && m_xml.m_root != kNone;
        const SkippedElement* candidate =
            m_open.empty() ? nullptr
                           : skipCandidate({nameStart + colon, static_cast<std::size_t>(nameLength - colon)});
        if (candidate != nullptr && skipSeenBefore(*candidate, nameStart, prefix))
            return;
        const std::size_t countBefore = m_count;
        char* const attributesStart = m_p;
        bool skipped = afterRoot || candidate != nullptr;
        const auto firstAttribute = static_cast<std::uint32_t>(m_xml.m_attributes.size());
        std::size_t declarations = 0;
        bool empty = skipped ? attributes<false>(declarations) : attributes<true>(declarations);
        if (candidate != nullptr && (declarations > 0 || m_prefixes.resolve(prefix) != candidate->ns)) {
            skipped = false;
            m_p = attributesStart;
            m_count = countBefore;
            declarations = 0;
            empty = attributes<true>(declarations);
        }
        const auto attributeCount = static_cast<std::uint32_t>(m_xml.m_attributes.size()) - firstAttribute;
        countNode();
        if (skipped) {
            if (!m_open.empty())
                m_open.back().hasChild = true;
            if (candidate != nullptr)
                m_seenStart = {static_cast<std::size_t>(candidate - m_rules.skip.data()), nameStart,
                               countBefore};
            if (!empty) {
                m_open.push_back({kNone, kNone, m_prefixes.mark(), nameStart, nameLength});
                ++m_skipDepth;
            } else if (candidate != nullptr) {
                rememberSkipped();
            }
            return;
        }
        const std::size_t prefixMark = m_prefixes.mark();
        std::uint8_t flags = 0;
        if (declarations > limits::kMaxNamespaceDeclarations)
            flags = kTooManyDeclarations; // none of them in force
        else if (declarations > 0)
            declare(firstAttribute, attributeCount);
        if (declarations > 0) // each attribute was resolved as read, outside them
            resolveAttributes(firstAttribute, attributeCount);
        const Id id = newNode();
        if (!m_open.empty())
            m_open.back().hasChild = true;
        Node& node = m_xml.m_nodes[id];
        node.name = nameStart;
        node.nameLength = nameLength;
        node.colon = colon;
        node.firstAttribute = firstAttribute;
        node.attributeCount = attributeCount;
        node.ns = m_prefixes.resolve(prefix);
        node.flags = flags;
        if (empty) {
            node.end = id + 1;
            m_prefixes.release(prefixMark);
        } else {
            m_open.push_back({id, kNone, prefixMark, nameStart, nameLength});
        }
    }

    // The content of skipped elements up to the end tag of the outermost one,
    // or to the end of the text: checked as the main loop checks it, but
    // with nothing kept and no namespaces resolved.
    void skipContent() {
        while (m_skipDepth > 0) {
            if (*m_p != '<') {
                if (m_p == m_end)
                    return;
                countNode();
                auto* lt = static_cast<char*>(std::memchr(m_p, '<', static_cast<std::size_t>(m_end - m_p)));
                if (lt == nullptr) {
                    m_p = m_end;
                    return;
                }
                m_p = lt;
            }
            ++m_p;
            const char c = *m_p;
            if (c == '/')
                endTag();
            else if (c == '!')
                markup();
            else if (c == '?')
                instruction(false);
            else
                skippedStartTag();
        }
    }

    // A start tag inside a skipped element, as startTag reads it there.
    // Such tags repeat (a style's properties, a shape's geometry): one
    // written byte for byte as one of the last two long ones read with the
    // same first eight bytes is checked alike and counts alike, so only its
    // bytes are compared. The check of a tag depends on nothing but its
    // bytes, and a tag matching one up to that one's '>' ends there too.
    [[gnu::always_inline]] void skippedStartTag() {
        char* const nameStart = m_p;
        std::uint64_t key = 0; // none when fewer than eight bytes are left
        std::size_t slot = 0;
        if (m_end - m_p >= 8) {
            std::memcpy(&key, m_p, 8);
            slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> (64 - kSkippedTagBits)) * 2;
            for (std::size_t i = slot; i < slot + 2; ++i) {
                const SkippedTag& tag = m_skippedTags[i];
                if (m_skippedTagKeys[i] != key || static_cast<std::size_t>(m_end - m_p) < tag.length ||
                    !roomFor(tag.count) || std::memcmp(m_p, tag.start, tag.length) != 0)
                    continue;
                m_p += tag.length;
                m_count += tag.count;
                openSkipped(tag.empty, nameStart, tag.nameLength);
                return;
            }
        }
        if (!is(*m_p, kNameStart))
            fail("Could not determine tag type", m_p - 1);
        const std::size_t countBefore = m_count;
        nameOnly("Error parsing start element tag");
        const auto nameLength = static_cast<std::uint32_t>(m_p - nameStart);
        std::size_t declarations = 0;
        const bool empty = attributes<false>(declarations);
        countNode();
        if (key != 0 && m_p - nameStart >= kSkippedTagShortest) {
            m_skippedTagKeys[slot + 1] = m_skippedTagKeys[slot];
            m_skippedTags[slot + 1] = m_skippedTags[slot];
            m_skippedTagKeys[slot] = key;
            m_skippedTags[slot] = {nameStart, static_cast<std::size_t>(m_p - nameStart),
                                   m_count - countBefore, nameLength, empty};
        }
        openSkipped(empty, nameStart, nameLength);
    }

    void openSkipped(bool empty, char* nameStart, std::uint32_t nameLength) {
        m_open.back().hasChild = true;
        if (!empty) {
            m_open.push_back({kNone, kNone, m_prefixes.mark(), nameStart, nameLength});
            ++m_skipDepth;
        }
    }

    // The attributes of a start tag, up to its end; true for an empty element.
    template <bool record> [[gnu::always_inline]] bool attributes(std::size_t& declarations) {
        for (;;) {
            const char* const before = m_p;
            skipSpace();
            if (*m_p == '>') {
                ++m_p;
                return false;
            }
            if (*m_p == '/') {
                if (m_p[1] != '>')
                    fail("Error parsing start element tag", m_p);
                m_p += 2;
                return true;
            }
            if (m_p == before)
                fail("Error parsing start element tag", m_p);
            attribute<record>(declarations);
        }
    }

    // A skipped element is read alike wherever it stands: from its name to
    // the end of its end tag, the parser checks the same things, keeps
    // nothing and counts the same elements and attributes whatever came
    // before. So an element written byte for byte as one of the last two
    // skipped under the same rule (as the run and paragraph properties of a
    // slide mostly are) is passed over by comparing the bytes; the count grows as
    // reading it would make it grow, and nearing the limit it is read after all.
    // A comparison never costs more than the element's own bytes: text that
    // matches a recorded element up to the end of the element at hand is
    // that element, since both end where the same bytes close them.
    struct SkippedBefore {
        const char* name = nullptr; // in the text, which skipping never changes
        std::size_t length = 0;
        std::size_t count = 0; // elements and attributes it holds, itself included
    };
    // A start tag read inside skipped elements; its first eight bytes are kept apart.
    struct SkippedTag {
        const char* start;
        std::size_t length; // from the name to the '>'
        std::size_t count;  // itself and its attributes
        std::uint32_t nameLength;
        bool empty;
    };
    static constexpr unsigned kSkippedTagBits = 5;
    static constexpr std::ptrdiff_t kSkippedTagShortest = 32; // shorter ones are read as quickly as compared
    struct SkippingStart {
        std::size_t entry = 0; // in the rules' list
        const char* name = nullptr;
        std::size_t countBefore = 0;
    };

    bool skipSeenBefore(const SkippedElement& candidate, char* nameStart, std::string_view prefix) {
        const auto entry = static_cast<std::size_t>(&candidate - m_rules.skip.data());
        if (entry >= m_skippedBefore.size())
            return false;
        for (const SkippedBefore& before : m_skippedBefore[entry]) {
            if (before.name == nullptr || static_cast<std::size_t>(m_end - nameStart) < before.length ||
                !roomFor(before.count) || std::memcmp(nameStart, before.name, before.length) != 0)
                continue;
            if (m_prefixes.resolve(prefix) != candidate.ns)
                return false;
            m_count += before.count;
            m_p = nameStart + before.length;
            m_open.back().hasChild = true;
            return true;
        }
        return false;
    }

    // The skipped element that started at m_seenStart has just ended at m_p.
    void rememberSkipped() {
        if (m_seenStart.entry < m_skippedBefore.size()) {
            auto& last = m_skippedBefore[m_seenStart.entry];
            last[1] = last[0];
            last[0] = {m_seenStart.name, static_cast<std::size_t>(m_p - m_seenStart.name),
                       m_count - m_seenStart.countBefore};
        }
        m_seenStart.name = nullptr;
    }

    // The rules' entry for elements of this local name, if any: one slot of
    // a table mostly empty, or the few after it.
    const SkippedElement* skipCandidate(std::string_view local) const {
        if (((m_skipLengths >> std::min<std::size_t>(local.size(), 63)) & 1) == 0 || local.empty())
            return nullptr; // a length no rule's name has (that of most names met)
        for (std::size_t slot = skipSlot(local);; slot = (slot + 1) % kSkipSlots) {
            const std::uint8_t index = m_skipTable[slot];
            if (index == 0)
                return nullptr;
            const SkippedElement& entry = m_rules.skip[index - 1];
            if (entry.local.size() == local.size() &&
                sameBytes(entry.local.data(), local.data(), local.size()))
                return &entry;
        }
    }

    // A hash of the length and the first, middle and last letters, which
    // tell the names of a vocabulary apart (many end alike, in "Pr").
    static std::size_t skipSlot(std::string_view local) {
        const auto letter = [&](std::size_t at) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(local[at]));
        };
        const std::uint32_t key = static_cast<std::uint32_t>(local.size() & 0xFF) | letter(0) << 8 |
                                  letter(local.size() - 1) << 16 | letter(local.size() / 2) << 24;
        static_assert(kSkipSlots == 256);
        return (key * 0x9E3779B1u) >> 24;
    }

    // Inside a skipped element (`record` false) it is checked alike, but not
    // decoded or kept.
    template <bool record> [[gnu::always_inline]] void attribute(std::size_t& declarations) {
        countNode();
        const char* const attributeName = m_p;
        std::uint32_t colon = 0;
        if constexpr (record)
            colon = name("Error parsing element attribute");
        else
            nameOnly("Error parsing element attribute");
        const auto nameLength = static_cast<std::uint32_t>(m_p - attributeName);
        skipSpace();
        if (*m_p != '=')
            fail("Error parsing element attribute", m_p);
        ++m_p;
        skipSpace();
        const char quote = *m_p;
        if (quote != '"' && quote != '\'')
            fail("Error parsing element attribute", m_p);
        char* const value = m_p + 1;
        char* p = value;
        bool plain = true;
        for (;; ++p) {
            p = skipWhile<kValuePlain>(p);
            const char c = *p;
            if (c == quote)
                break;
            if (c == '<' || c == '\0')
                fail("Error parsing element attribute", p);
            if (c == '&' || c == '\r')
                plain = false;
        }
        m_p = p + 1;
        const bool declaration = isDeclaration(attributeName, nameLength);
        declarations += declaration ? 1 : 0;
        if constexpr (!record)
            return;
        char* const valueEnd = plain ? p : decodeInPlace(value, p, true);
        keepText(static_cast<std::size_t>(valueEnd - value));
        Attribute& a = m_xml.m_attributes.emplace_back();
        a.flags = declaration ? kDeclaration : 0;
        a.name = attributeName;
        a.value = value;
        a.nameLength = nameLength;
        a.valueLength = static_cast<std::uint32_t>(valueEnd - value);
        a.colon = colon;
        resolveAttribute(a); // in the scope outside the tag, which holds unless it declares a prefix
    }

    // "xmlns" or "xmlns:p".
    static bool isDeclaration(const char* name, std::uint32_t length) {
        return name[0] == 'x' && length >= 5 && std::memcmp(name, "xmlns", 5) == 0 &&
               (length == 5 || name[5] == ':');
    }

    // Puts the element's declarations in force; the last of one prefix wins.
    void declare(std::uint32_t firstAttribute, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const Attribute& a = m_xml.m_attributes[firstAttribute + i];
            if (!isDeclaration(a.name, a.nameLength))
                continue;
            const std::string_view prefix =
                a.nameLength == 5 ? std::string_view() : std::string_view(a.name + 6, a.nameLength - 6);
            m_prefixes.declare(prefix, {a.value, a.valueLength});
        }
    }

    // The vocabulary of each prefixed attribute, and what the rules' list of
    // prefixes names, in the element's own scope.
    void resolveAttributes(std::uint32_t firstAttribute, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i)
            resolveAttribute(m_xml.m_attributes[firstAttribute + i]);
    }

    void resolveAttribute(Attribute& a) {
        if (a.colon != 0) {
            if ((a.flags & kDeclaration) == 0)
                a.ns = m_prefixes.resolve({a.name, a.colon - 1});
        } else if (!m_rules.prefixListAttribute.empty() &&
                   std::string_view(a.name, a.nameLength) == m_rules.prefixListAttribute) {
            a.flags =
                allPrefixesKnown({a.value, a.valueLength}) ? kPrefixList | kPrefixListKnown : kPrefixList;
        }
    }

    bool allPrefixesKnown(std::string_view list) {
        std::size_t start = 0;
        while (start < list.size()) {
            const auto end = std::min(list.find_first_of(" \t\r\n", start), list.size());
            if (end > start && m_prefixes.resolve(list.substr(start, end - start)) == Ns::Other)
                return false;
            start = end + 1;
        }
        return true;
    }

    // After "</": the name must be the open element's, then '>'.
    void closeName(const char* openName, std::uint32_t length) {
        const char* const start = m_p;
        if (static_cast<std::size_t>(m_end - m_p) < length || !sameBytes(m_p, openName, length) ||
            is(m_p[length], kName))
            fail("Start-end tags mismatch", start);
        m_p += length;
        skipSpace();
        if (*m_p != '>')
            fail("Error parsing end element tag", m_p);
        ++m_p;
    }

    void endTag() {
        ++m_p;
        if (m_open.empty())
            fail("Start-end tags mismatch", m_p);
        const Open& open = m_open.back();
        closeName(open.name, open.nameLength);
        if (open.element == kNone) {
            if (--m_skipDepth == 0 && m_seenStart.name != nullptr)
                rememberSkipped();
        } else {
            m_xml.m_nodes[open.element].end = static_cast<Id>(m_xml.m_nodes.size());
            m_prefixes.release(open.prefixMark);
        }
        m_open.pop_back();
    }
    // "<!": a comment, a CDATA section, or a document type.
    void markup() {
        const std::string_view rest(m_p, static_cast<std::size_t>(m_end - m_p));
        if (rest.starts_with("!DOCTYPE"))
            ThrowDamaged(subject() + " declares a document type, " + std::string(m_subject.doctypeRule),
                         std::string(m_subject.part),
                         m_fromUtf16 ? std::nullopt
                                     : std::optional(static_cast<std::uint64_t>(m_p - 1 - m_begin)));
        if (rest.starts_with("![CDATA[")) {
            char* const content = m_p + 8;
            const auto close = rest.find("]]>", 8);
            if (close == std::string_view::npos)
                fail("Error parsing CDATA section", m_p - 1);
            if (!m_open.empty())
                countNode();
            m_p += close + 3;
            if (!m_open.empty())
                addText(content, m_p - 3, true);
            return;
        }
        skipMarkup();
    }

    // At '!' or '?': a comment or a processing instruction, skipped (markup
    // has taken CDATA sections and document types).
    void skipMarkup() {
        const std::string_view rest(m_p, static_cast<std::size_t>(m_end - m_p));
        if (rest.starts_with("!--")) {
            const auto close = rest.find("-->", 3);
            if (close == std::string_view::npos)
                fail("Error parsing comment", m_p - 1);
            m_p += close + 3;
        } else if (rest.starts_with("?")) {
            const auto close = rest.find("?>", 1);
            if (close == std::string_view::npos)
                fail("Error parsing document declaration/processing instruction", m_p - 1);
            m_p += close + 2;
        } else {
            fail("Could not determine tag type", m_p - 1);
        }
    }

    // "<?": a processing instruction; the first one may be the XML
    // declaration, whose encoding must be UTF-8.
    void instruction(bool first) {
        const char* const start = m_p;
        skipMarkup();
        const std::string_view pi(start, static_cast<std::size_t>(m_p - start));
        if (!first || m_fromUtf16 || !pi.starts_with("?xml") || !is(pi.size() > 4 ? pi[4] : '\0', kSpace))
            return;
        const auto at = pi.find("encoding");
        if (at == std::string_view::npos)
            return;
        auto rest = pi.substr(at + 8);
        rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(" \t\r\n=")));
        if (rest.empty() || (rest[0] != '"' && rest[0] != '\''))
            return;
        const auto close = rest.find(rest[0], 1);
        const std::string_view encoding = rest.substr(1, close == std::string_view::npos ? 0 : close - 1);
        if (!isUtf8Name(encoding))
            failEncoding(encoding);
    }

    XmlTree& m_xml;
    const char* const m_begin;
    char* m_p;
    char* const m_end;
    const XmlRules& m_rules;
    const XmlSubject& m_subject;
    PrefixTable m_prefixes;
    SpareRoom<Open> m_open;
    std::size_t m_skipDepth = 0;                        // skipped elements open
    std::array<std::uint8_t, kSkipSlots> m_skipTable{}; // an index in the rules' list plus one; 0 for none
    std::uint64_t m_skipLengths = 0; // bit n: an entry's local name has n bytes (63: or more)
    // The last two elements skipped under each of the rules' entries.
    std::array<std::array<SkippedBefore, 2>, kSkippedBefore> m_skippedBefore{};
    SkippingStart m_seenStart;
    // The last two long start tags read inside skipped elements for each
    // slot their first eight bytes hash to; a key of 0 (eight NULs) is none.
    std::array<std::uint64_t, std::size_t{2} << kSkippedTagBits> m_skippedTagKeys{};
    std::array<SkippedTag, std::size_t{2} << kSkippedTagBits> m_skippedTags;
    std::size_t m_count = 0;                    // nodes and attributes counted
    std::size_t m_textLeft = m_rules.textLimit; // of the text the rules let the tree keep
    bool m_fromUtf16;
};

void XmlTree::parse(char* text, std::size_t size, const XmlRules& rules, const XmlSubject& subject) {
    m_part = subject.part;
    m_text = text;
    std::size_t skip = 0;
    const Utf16 form = utf16Form(text, size, skip);
    m_converted.reset();
    if (form == Utf16::No) {
        Parser(*this, text, size, rules, subject, false).run();
        return;
    }
    // The text is parsed as UTF-8, which may take half as much again as the
    // UTF-16 (three bytes for two): the bound on a part's size holds for
    // what the parser reads, before any of it is made.
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text) + skip, size - skip);
    const std::size_t utf8Size = Utf16AsUtf8Size(bytes, form == Utf16::BigEndian) + (bytes.size() % 2) * 3;
    if (utf8Size > limits::kMaxPartSize)
        ThrowOverLimit(subjectOf(subject) + " holds more than " + std::to_string(limits::kMaxPartSize >> 20) +
                           " MiB of XML once read as UTF-8",
                       std::string(subject.part));
    m_converted.reset(new char[utf8Size + 1]); // and the parser's sentinel
    char* out = PutUtf16AsUtf8(m_converted.get(), bytes, form == Utf16::BigEndian);
    if (bytes.size() % 2 != 0)
        out = PutUtf8(out, 0xFFFD); // an odd last byte
    const auto length = static_cast<std::size_t>(out - m_converted.get());
    m_text = m_converted.get();
    Parser(*this, m_converted.get(), length, rules, subject, true).run(); // the sentinel has room
}

std::string XmlTree::Utf8Head(std::span<const std::uint8_t> bytes) {
    std::size_t skip = 0;
    const Utf16 form = utf16Form(reinterpret_cast<const char*>(bytes.data()), bytes.size(), skip);
    if (form != Utf16::No)
        return Utf16ToUtf8(bytes.subspan(skip), form == Utf16::BigEndian);
    std::string head(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (head.starts_with("\xEF\xBB\xBF"))
        head.erase(0, 3);
    return head;
}

XmlTree::Value XmlTree::attribute(Id element, Ns ns, std::string_view local) const {
    const Node& node = m_nodes[element];
    for (std::uint32_t i = 0; i < node.attributeCount; ++i) {
        const Attribute& a = m_attributes[node.firstAttribute + i];
        if (a.ns == ns && a.colon != 0 && (a.flags & kDeclaration) == 0 &&
            std::string_view(a.name + a.colon, a.nameLength - a.colon) == local)
            return {true, {a.value, a.valueLength}};
    }
    return {};
}

XmlTree::Value XmlTree::attributeNamed(Id element, std::string_view name) const {
    const Node& node = m_nodes[element];
    for (std::uint32_t i = 0; i < node.attributeCount; ++i) {
        const Attribute& a = m_attributes[node.firstAttribute + i];
        if (std::string_view(a.name, a.nameLength) == name)
            return {true, {a.value, a.valueLength}};
    }
    return {};
}

XmlTree::PrefixList XmlTree::prefixList(Id element) const {
    const Node& node = m_nodes[element];
    for (std::uint32_t i = 0; i < node.attributeCount; ++i) {
        const Attribute& a = m_attributes[node.firstAttribute + i];
        if ((a.flags & kPrefixList) != 0)
            return {true, (a.flags & kPrefixListKnown) != 0};
    }
    return {};
}

XmlTree::AttributeView XmlTree::attributeAt(Id element, std::uint32_t index) const {
    const Attribute& a = m_attributes[m_nodes[element].firstAttribute + index];
    return {{a.name + a.colon, a.nameLength - a.colon}, a.ns, {a.value, a.valueLength}};
}

void RequireDeclarationsInLimit(const XmlTree& xml, XmlTree::Id element) {
    if (!xml.declaresTooMany(element))
        return;
    const FaultSite site = xml.site(element);
    ThrowDamaged("an element declares more than " + std::to_string(limits::kMaxNamespaceDeclarations) +
                     " namespace prefixes",
                 std::string(site.part), site.offset);
}

} // namespace orv
