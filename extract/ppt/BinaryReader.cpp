#include "extract/ppt/BinaryReader.h"

#include "extract/common/ReadFailure.h"
#include "extract/ppt/BinarySlides.h"
#include "extract/ppt/CompoundFile.h"

namespace orv::ppt {

namespace {

// A binary presentation held open: the compound file, its two streams (and,
// when pictures are read, its Pictures stream) and the slide reader over
// them, which reads each slide's record when asked.
class CompoundDocument final : public PresentationDocument {
public:
    CompoundDocument(std::unique_ptr<ByteSource> source, std::unique_ptr<CompoundFile> file,
                     std::unique_ptr<ByteSource> currentUser, std::unique_ptr<ByteSource> document,
                     std::unique_ptr<ByteSource> pictures, ReadOptions options)
        : m_source(std::move(source)), m_file(std::move(file)), m_currentUser(std::move(currentUser)),
          m_document(std::move(document)), m_pictures(std::move(pictures)),
          m_slides(*m_currentUser, *m_document, options, m_pictures.get()) {}

    std::size_t slideCount() const override { return m_slides.count(); }
    SlideContent readSlide(std::size_t index) override { return m_slides.read(index); }
    std::size_t masterPageCount() const override { return m_slides.masterCount(); }
    SlideContent readMasterPage(std::size_t index) override { return m_slides.readMaster(index); }

private:
    std::unique_ptr<ByteSource> m_source;
    std::unique_ptr<CompoundFile> m_file;
    std::unique_ptr<ByteSource> m_currentUser;
    std::unique_ptr<ByteSource> m_document;
    std::unique_ptr<ByteSource> m_pictures;
    ppt::BinarySlides m_slides;
};

constexpr std::string_view kExtensions[] = {"ppt", "pps", "pot"};
constexpr std::string_view kMimeTypes[] = {"application/vnd.ms-powerpoint"};

[[noreturn]] void notPresentation(const char* description) {
    throw Failure(FailureKind::NotPresentation, description);
}

int bid(FormatProbe& probe) {
    static constexpr std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    return probe.startsWith(signature) ? 1 : 0;
}

std::unique_ptr<PresentationDocument> open(FormatProbe& probe, ReadOptions options) {
    auto source = probe.takeSource();
    auto file = std::make_unique<CompoundFile>(*source);
    auto has = [&](std::u16string_view name) { return file->findRootEntry(name).has_value(); };

    // An encrypted Office Open XML file keeps its package in this stream; the
    // compound file around it is only the envelope of the encryption.
    if (has(u"EncryptedPackage"))
        throw Failure(FailureKind::Encrypted,
                      "The file is password-protected (encrypted) and cannot be read.");

    const auto document = file->findRootEntry(u"PowerPoint Document");
    if (document) {
        const auto currentUser = file->findRootEntry(u"Current User");
        if (!currentUser)
            notPresentation("The file is a presentation from PowerPoint 95 or an older version, "
                            "whose format cannot be read.");
        auto userStream = file->openStream(*currentUser);
        auto documentStream = file->openStream(*document);
        auto pictures = file->findRootEntry(u"Pictures");
        if (IsOlderCurrentUser(*userStream)) {
            // A file saved for both 95 and 97 keeps the newer streams in a
            // storage of their own, beside the older ones at the root.
            const auto dual = file->findRootEntry(u"PP97_DUALSTORAGE");
            const auto newerUser = dual ? file->findChild(*dual, u"Current User") : std::nullopt;
            const auto newerDocument = dual ? file->findChild(*dual, u"PowerPoint Document") : std::nullopt;
            if (!newerUser || !newerDocument)
                notPresentation("The file is a presentation from PowerPoint 95 or an older version, "
                                "whose format cannot be read.");
            userStream = file->openStream(*newerUser);
            documentStream = file->openStream(*newerDocument);
            if (const auto newerPictures = file->findChild(*dual, u"Pictures"))
                pictures = newerPictures;
        }
        // The pictures are read on request only: without it the stream is
        // never opened, so a damaged one changes nothing.
        std::unique_ptr<ByteSource> pictureStream;
        if (pictures && options.pictureReader &&
            file->entry(*pictures).type == CompoundFile::EntryType::Stream) {
            try {
                pictureStream = file->openStream(*pictures);
            } catch (const Failure& failure) {
                if (failure.kind() == FailureKind::Unexpected)
                    throw;
            }
        }
        return std::make_unique<CompoundDocument>(std::move(source), std::move(file), std::move(userStream),
                                                  std::move(documentStream), std::move(pictureStream),
                                                  options);
    }
    if (has(u"PP40"))
        notPresentation("The file is a presentation from PowerPoint 4 or an older version, "
                        "whose format cannot be read.");
    if (has(u"WordDocument"))
        notPresentation("The file is a Word document, not a presentation.");
    if (has(u"Workbook") || has(u"Book"))
        notPresentation("The file is an Excel workbook, not a presentation.");
    ThrowNotPresentation("it is a compound document that holds no presentation");
}

} // namespace

const PresentationFormat kFormat{
    "binary presentation", "binary presentation", kExtensions, kMimeTypes, bid, open};

} // namespace orv::ppt
