#include "extract/CompoundFileReader.h"

#include "extract/CompoundFile.h"
#include "extract/PptDocument.h"
#include "shell/Failure.h"

namespace orv {

PresentationContent ReadCompoundFilePresentation(const ByteSource& source) {
    const CompoundFile file(source);
    auto has = [&](std::u16string_view name) { return file.findRootEntry(name).has_value(); };

    // An encrypted Office Open XML file keeps its package in this stream; the
    // compound file around it is only the envelope of the encryption.
    if (has(u"EncryptedPackage"))
        throw Failure("The file is password-protected (encrypted) and cannot be read.");

    const auto document = file.findRootEntry(u"PowerPoint Document");
    if (document) {
        const auto currentUser = file.findRootEntry(u"Current User");
        if (!currentUser)
            throw Failure("The file is a presentation from PowerPoint 95 or an older version, "
                          "whose format cannot be read.");
        const auto userStream = file.openStream(*currentUser);
        const auto documentStream = file.openStream(*document);
        return ppt::readBinaryPresentation(*userStream, *documentStream);
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
