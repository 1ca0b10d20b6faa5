#include "extract/CompoundFileReader.h"

#include "extract/CompoundFile.h"
#include "extract/PptDocument.h"
#include "shell/Failure.h"

namespace orv {

namespace {

// A binary presentation held open: the compound file, its two streams and the
// slide reader over them, which reads each slide's record when asked.
class CompoundDocument final : public PresentationDocument {
public:
    CompoundDocument(std::unique_ptr<ByteSource> source, std::unique_ptr<CompoundFile> file,
                     std::unique_ptr<ByteSource> currentUser, std::unique_ptr<ByteSource> document,
                     ReadOptions options)
        : m_source(std::move(source)), m_file(std::move(file)), m_currentUser(std::move(currentUser)),
          m_document(std::move(document)), m_slides(*m_currentUser, *m_document, options) {}

    std::size_t slideCount() const override { return m_slides.count(); }
    SlideContent readSlide(std::size_t index) override { return m_slides.read(index); }

private:
    std::unique_ptr<ByteSource> m_source;
    std::unique_ptr<CompoundFile> m_file;
    std::unique_ptr<ByteSource> m_currentUser;
    std::unique_ptr<ByteSource> m_document;
    ppt::BinarySlides m_slides;
};

} // namespace

std::unique_ptr<PresentationDocument> OpenCompoundFilePresentation(std::unique_ptr<ByteSource> source,
                                                                   ReadOptions options) {
    auto file = std::make_unique<CompoundFile>(*source);
    auto has = [&](std::u16string_view name) { return file->findRootEntry(name).has_value(); };

    // An encrypted Office Open XML file keeps its package in this stream; the
    // compound file around it is only the envelope of the encryption.
    if (has(u"EncryptedPackage"))
        throw Failure("The file is password-protected (encrypted) and cannot be read.");

    const auto document = file->findRootEntry(u"PowerPoint Document");
    if (document) {
        const auto currentUser = file->findRootEntry(u"Current User");
        if (!currentUser)
            throw Failure("The file is a presentation from PowerPoint 95 or an older version, "
                          "whose format cannot be read.");
        auto userStream = file->openStream(*currentUser);
        auto documentStream = file->openStream(*document);
        return std::make_unique<CompoundDocument>(std::move(source), std::move(file), std::move(userStream),
                                                  std::move(documentStream), options);
    }
    if (has(u"PP40"))
        throw Failure("The file is a presentation from PowerPoint 4 or an older version, "
                      "whose format cannot be read.");
    if (has(u"WordDocument"))
        throw Failure("The file is a Word document, not a presentation.");
    if (has(u"Workbook") || has(u"Book"))
        throw Failure("The file is an Excel workbook, not a presentation.");
    throw Failure("The file is not a presentation: it is a compound document that holds no presentation.");
}

} // namespace orv
