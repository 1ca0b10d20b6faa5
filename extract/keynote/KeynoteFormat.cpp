#include "extract/keynote/KeynoteFormat.h"

#include "base/Failure.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ZipPackage.h"

#include <string_view>
#include <sys/stat.h>

namespace orv::keynote {

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

int bid(FormatProbe& probe) {
    ZipPackage* zip = probe.zip();
    if (!zip)
        return 0;
    switch (zipForm(*zip)) {
    case ZipForm::None:
        return 0;
    case ZipForm::IndexZip:
        // A package folder zipped whole: the Index.zip inside holds the parts.
        return 90;
    default:
        return 100;
    }
}

bool isKind(const std::string& path, bool folder) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (folder ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode));
}

std::unique_ptr<PresentationDocument> open(FormatProbe&, ReadOptions) {
    throw Failure(FailureKind::NotPresentation, "Keynote decks cannot be read yet.");
}

std::unique_ptr<PresentationDocument> openFolder(const std::string&, ReadOptions) {
    throw Failure(FailureKind::NotPresentation, "Keynote decks cannot be read yet.");
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
