#include "extract/keynote/KeynoteFormat.h"

#include "base/Failure.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ReaderProcess.h"
#include "extract/common/Uri.h"
#include "extract/common/ZipPackage.h"
#include "extract/keynote/IwaMasters.h"

#include <string_view>
#include <sys/stat.h>

namespace orv::keynote {

const reader::ReaderProgram kReaderProgram{"orvandel-keynote", "ORVANDEL_KEYNOTE_READER", "Keynote reader",
                                           "Keynote deck"};

namespace {

constexpr std::string_view kExtensions[] = {"key"};
constexpr std::string_view kMimeTypes[] = {"application/vnd.apple.keynote",
                                           "application/x-iwork-keynote-sffkey"};

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size())
        return false;
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

// An entry of the current format's index: Index/NAME.iwa, below any folder
// the zip was made from.
bool isIndexPart(std::string_view name) {
    const std::size_t slash = name.rfind('/');
    if (slash == std::string_view::npos || !endsWithNoCase(name, ".iwa"))
        return false;
    const std::string_view folders = name.substr(0, slash);
    const std::size_t index = folders.rfind("Index");
    return index != std::string_view::npos && index + 5 == folders.size() &&
           (index == 0 || folders[index - 1] == '/');
}

std::string_view baseName(std::string_view name) {
    const std::size_t slash = name.rfind('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

// Whether the zip holds a Keynote document, and of which form.
enum class ZipForm { None, Index, IndexZip, Apxl };

ZipForm zipForm(const ZipPackage& zip) {
    ZipForm form = ZipForm::None;
    for (std::uint64_t i = 0; i < zip.entryCount(); ++i) {
        const std::string_view name = zip.entryName(i);
        if (isIndexPart(name))
            return ZipForm::Index;
        const std::string_view base = baseName(name);
        if (base == "index.apxl" || base == "index.apxl.gz")
            form = ZipForm::Apxl;
        else if (base == "Index.zip" && form == ZipForm::None)
            form = ZipForm::IndexZip;
    }
    return form;
}

// Whether the zip's Index.zip (a package folder zipped whole) holds the
// parts of the current format.
bool indexZipHoldsParts(ZipPackage& zip) {
    for (std::uint64_t i = 0; i < zip.entryCount(); ++i) {
        const std::string name(zip.entryName(i));
        if (baseName(name) != "Index.zip")
            continue;
        try {
            const PartBytes part = zip.read(i, name);
            const MemoryByteSource source(part.bytes());
            return zipForm(ZipPackage(source)) == ZipForm::Index;
        } catch (const Failure&) {
            return false;
        }
    }
    return false;
}

int bid(FormatProbe& probe) {
    ZipPackage* zip = probe.zip();
    if (!zip)
        return 0;
    switch (zipForm(*zip)) {
    case ZipForm::None:
        return 0;
    case ZipForm::IndexZip:
        return indexZipHoldsParts(*zip) ? 100 : 0;
    default:
        return 100;
    }
}

bool isKind(const std::string& path, bool folder) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (folder ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode));
}

// A deck read by the reader process. The master slides of the current
// format, which the library gives empty, are read here from the parts.
class KeynoteDocument final : public PresentationDocument {
public:
    KeynoteDocument(reader::ReaderProcess& reader, reader::Opened opened, const ReadOptions& options)
        : m_reader(reader), m_generation(reader.generation()), m_opened(opened), m_allText(options.allText) {}

    // The master slides' texts, read here rather than asked for, and the
    // master parts that could not be read.
    void setOwnMasters(MasterTexts masters) {
        m_ownMasters = std::move(masters);
        m_ownMastersRead = true;
    }

    std::size_t slideCount() const override { return m_opened.pages; }

    SlideContent readSlide(std::size_t index) override {
        if (index >= m_opened.pages)
            throw Failure("The slide index is out of range.");
        reader::PageAnswer answer = m_reader.page(m_generation, static_cast<std::uint32_t>(index));
        const std::string site = "slide " + std::to_string(index + 1);
        m_budget.nextSlide();
        SlideContent slide;
        slide.allTextRead = m_allText;
        for (reader::TextPiece& piece : answer.pieces) {
            const TextPlace where = placeOf(piece);
            if (where == TextPlace::Shape) {
                m_budget.addShape(piece.text.size(), FaultSite{site, std::nullopt});
                if (m_allText)
                    PlaceShapeText(slide, piece.name, piece.text);
                slide.shapes.emplace_back(true, std::move(piece.text), std::move(piece.name));
            } else if (m_allText) {
                place(slide, std::nullopt, where, std::move(piece));
            }
        }
        return slide;
    }

    std::size_t masterPageCount() const override {
        if (!m_allText)
            return 0;
        if (!m_ownMastersRead)
            return m_opened.masters;
        // What could not be read is named on the first master page.
        return std::max<std::size_t>(m_ownMasters.masters.size(), m_ownMasters.skipped.empty() ? 0 : 1);
    }

    SlideContent readMasterPage(std::size_t index) override {
        if (index >= masterPageCount())
            throw Failure("The master page index is out of range.");
        m_budget.nextSlide();
        SlideContent page;
        page.allTextRead = true;
        if (m_ownMastersRead) {
            if (index == 0)
                page.skipped = m_ownMasters.skipped;
            if (index < m_ownMasters.masters.size()) {
                MasterText& master = m_ownMasters.masters[index];
                for (std::string& text : master.texts)
                    PlaceText(page, m_budget, TextPlace::Master, TextPlace::Shape, master.name,
                              std::move(text));
            }
        } else {
            ReadAllTextPiece(page, "master slide " + std::to_string(index + 1), [&] {
                reader::PageAnswer answer =
                    m_reader.page(m_generation, m_opened.pages + static_cast<std::uint32_t>(index));
                for (reader::TextPiece& piece : answer.pieces)
                    place(page, TextPlace::Master, placeOf(piece), std::move(piece));
            });
        }
        return page;
    }

private:
    // Where the reader says a text stands: one of the places a slide of a
    // Keynote deck has, or the answer is broken.
    static TextPlace placeOf(const reader::TextPiece& piece) {
        for (const TextPlace place : {TextPlace::Shape, TextPlace::Group, TextPlace::Table, TextPlace::Notes,
                                      TextPlace::Comment, TextPlace::Link})
            if (piece.place == static_cast<std::uint8_t>(place))
                return place;
        ThrowDamaged("the Keynote reader gave a text of no place");
    }

    // A text of the "all text" mode; a link's target gives its address.
    void place(SlideContent& slide, std::optional<TextPlace> pagePlace, TextPlace where,
               reader::TextPiece piece) {
        if (where == TextPlace::Link) {
            if (auto address = MailtoAddress(piece.text))
                PlaceText(slide, m_budget, pagePlace, TextPlace::Link, {}, std::move(*address));
            return;
        }
        PlaceText(slide, m_budget, pagePlace, where, std::move(piece.name), std::move(piece.text));
    }

    reader::ReaderProcess& m_reader;
    std::uint64_t m_generation;
    reader::Opened m_opened;
    bool m_allText;
    ShapeBudget m_budget;
    bool m_ownMastersRead = false;
    MasterTexts m_ownMasters;
};

[[noreturn]] void refuseEncrypted() {
    throw Failure(FailureKind::Encrypted,
                  "The presentation is password-protected (encrypted) and cannot be read.");
}

// A password-protected deck keeps a hint beside its encrypted parts.
void refuseEncrypted(const ZipPackage& zip) {
    for (std::uint64_t i = 0; i < zip.entryCount(); ++i)
        if (endsWithNoCase(zip.entryName(i), ".iwph"))
            refuseEncrypted();
}

// Opens the deck in the reader process. `ownMasters` are the current
// format's master slides, read here in the "all text" mode; none for Keynote
// '09, whose master slides the library gives.
std::unique_ptr<PresentationDocument> openWith(reader::OpenRequest request, const ReadOptions& options,
                                               std::optional<MasterTexts> ownMasters) {
    request.allText = options.allText;
    request.cpuSeconds = reader::kCpuSecondsPerDocument;
    reader::ReaderProcess& process = reader::ReaderProcess::ForThisThread(kReaderProgram);
    const reader::Opened opened = process.open(request);
    auto document = std::make_unique<KeynoteDocument>(process, opened, options);
    if (options.allText && ownMasters)
        document->setOwnMasters(std::move(*ownMasters));
    return document;
}

std::unique_ptr<PresentationDocument> open(FormatProbe& probe, ReadOptions options) {
    ZipPackage* zip = probe.zip();
    if (!zip)
        ThrowDamaged("it is no zip");
    refuseEncrypted(*zip);
    std::optional<MasterTexts> ownMasters;
    if (const ZipForm form = zipForm(*zip); form == ZipForm::Index || form == ZipForm::IndexZip)
        ownMasters = CheckIwaParts(*zip, options.allText);
    return openWith(reader::RequestFor(probe.source()), options, std::move(ownMasters));
}

std::unique_ptr<PresentationDocument> openFolder(const std::string& path, ReadOptions options) {
    const Storage storage = PackageFolderStorage(path);
    if (storage == Storage::IndexZip) {
        FileByteSource source(path + "/Index.zip");
        refuseEncrypted(ZipPackage(source));
    } else if (isKind(path + "/.iwph", false)) {
        refuseEncrypted();
    }
    std::optional<MasterTexts> ownMasters;
    if (storage != Storage::Apxl)
        ownMasters = CheckIwaPartsInFolder(path, options.allText);
    reader::OpenRequest request;
    request.path = path;
    return openWith(std::move(request), options, std::move(ownMasters));
}

bool isPackageFolder(const std::string& path) {
    return PackageFolderStorage(path) != Storage::None;
}

} // namespace

Storage PackageFolderStorage(const std::string& path) {
    std::string_view name = path;
    while (name.size() > 1 && name.back() == '/')
        name.remove_suffix(1);
    if (!endsWithNoCase(name, ".key") || !isKind(path, true))
        return Storage::None;
    const std::string folder = std::string(name) + "/";
    if (isKind(folder + "Index.zip", false))
        return Storage::IndexZip;
    if (isKind(folder + "Index", true))
        return Storage::IndexFolder;
    if (isKind(folder + "index.apxl.gz", false) || isKind(folder + "index.apxl", false))
        return Storage::Apxl;
    return Storage::None;
}

const PresentationFormat kFormat{"Keynote presentation",
                                 "Keynote presentation",
                                 kExtensions,
                                 kMimeTypes,
                                 bid,
                                 open,
                                 false,
                                 isPackageFolder,
                                 openFolder};

} // namespace orv::keynote
