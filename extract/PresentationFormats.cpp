#include "extract/PresentationFormats.h"

#include "extract/keynote/KeynoteFormat.h"
#include "extract/odf/OpenDocumentReader.h"
#include "extract/ooxml/PackageReader.h"
#include "extract/pdf/PdfFormat.h"
#include "extract/ppt/BinaryReader.h"
#include "extract/sheet/WorkbookReader.h"
#include "extract/word/WordDocumentReader.h"

#include <algorithm>

namespace orv {

namespace {

constexpr const PresentationFormat* kFormats[] = {&ooxml::kFormat,   &ppt::kFormat,     &odf::kPackageFormat,
                                                  &odf::kFlatFormat, &keynote::kFormat, &pdf::kFormat};

constexpr const PresentationFormat* kEmbeddedOnly[] = {&sheet::kFormat, &word::kFormat};

void addOnce(std::vector<std::string>& list, std::string_view item) {
    if (std::find(list.begin(), list.end(), item) == list.end())
        list.emplace_back(item);
}

} // namespace

std::span<const PresentationFormat* const> PresentationFormats() {
    return kFormats;
}

const PresentationFormat* PackageFolderFormat(const std::string& path) {
    for (const auto* format : kFormats)
        if (format->isPackageFolder && format->isPackageFolder(path))
            return format;
    return nullptr;
}

std::span<const PresentationFormat* const> EmbeddedOnlyFormats() {
    return kEmbeddedOnly;
}

const std::vector<std::string>& PresentationExtensions() {
    static const std::vector<std::string> extensions = [] {
        std::vector<std::string> list;
        for (const auto* format : kFormats)
            if (!format->onRequest)
                for (const auto extension : format->extensions)
                    addOnce(list, extension);
        return list;
    }();
    return extensions;
}

std::vector<std::string> OnRequestExtensions() {
    std::vector<std::string> list;
    for (const auto* format : kFormats)
        if (format->onRequest)
            for (const auto extension : format->extensions)
                addOnce(list, extension);
    return list;
}

std::vector<std::string> PresentationMimeTypes() {
    std::vector<std::string> list;
    for (const auto* format : kFormats)
        if (!format->onRequest)
            for (const auto type : format->mimeTypes)
                addOnce(list, type);
    return list;
}

std::vector<std::string> PresentationFamilies(bool onRequest) {
    std::vector<std::string> list;
    for (const auto* format : kFormats)
        if (format->onRequest == onRequest)
            addOnce(list, format->family);
    return list;
}

std::vector<std::string> FamilyExtensions(std::string_view family) {
    std::vector<std::string> list;
    for (const auto* format : kFormats)
        if (format->family == family)
            for (const auto extension : format->extensions)
                addOnce(list, extension);
    return list;
}

} // namespace orv
