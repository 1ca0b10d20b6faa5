#include "extract/keynote/IwaMasters.h"

#include "base/Utf8.h"
#include "extract/common/ByteSource.h"
#include "extract/common/ReadFailure.h"
#include "extract/common/ZipPackage.h"
#include "extract/keynote/IwaArchive.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <system_error>
#include <tuple>

namespace orv::keynote {

namespace {

// Message types and fields of the objects that lead from the document to
// its theme's masters: the document (KN.DocumentArchive, field 2: the show),
// the show (field 2: the theme), the theme (field 2, repeated: slide nodes),
// a slide node (field 2: its slide) and the slide itself (field 10: a
// master's name).
constexpr std::uint32_t kDocumentType = 1;
constexpr std::uint32_t kShowType = 2;
constexpr std::uint32_t kSlideNodeType = 4;
constexpr std::uint32_t kSlideType = 5;
constexpr std::uint32_t kThemeType = 10;
constexpr std::uint32_t kSlideNameField = 10;

constexpr std::string_view kIndexFolder = "Index/";
constexpr std::string_view kMasterPrefixes[] = {"MasterSlide", "TemplateSlide"};
constexpr std::string_view kDocumentPart = "Index/Document.iwa";

// Where the .iwa parts of one deck come from: a zip, or a loose folder.
class IwaParts {
public:
    virtual ~IwaParts() = default;
    // The names of the parts, "Index/..." as a zip stores them.
    virtual std::vector<std::string> names() const = 0;
    // The bytes of a part; nullopt when there is no such part.
    virtual std::optional<PartBytes> read(const std::string& name) = 0;
};

class ZipParts final : public IwaParts {
public:
    explicit ZipParts(ZipPackage& package) : m_package(package) {}

    std::vector<std::string> names() const override {
        std::vector<std::string> out;
        for (std::uint64_t i = 0; i < m_package.entryCount(); ++i) {
            const std::string_view name = m_package.entryName(i);
            if (name.starts_with(kIndexFolder))
                out.emplace_back(name);
        }
        return out;
    }

    std::optional<PartBytes> read(const std::string& name) override {
        const auto index = m_package.findExact(name);
        if (!index)
            return std::nullopt;
        return m_package.read(*index, name);
    }

private:
    ZipPackage& m_package;
};

// The loose `Index/` folder of a package folder. Its files are held to the
// limits a zip's parts are held to.
class FolderParts final : public IwaParts {
public:
    explicit FolderParts(std::filesystem::path index) : m_index(std::move(index)) {
        std::error_code error;
        std::filesystem::directory_iterator it(m_index, error);
        if (error)
            throw Failure(FailureKind::InputOutput,
                          "Cannot list " + m_index.string() + ": " + error.message());
        for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
            if (error)
                throw Failure(FailureKind::InputOutput,
                              "Cannot list " + m_index.string() + ": " + error.message());
            if (m_names.size() == limits::kMaxZipEntries)
                ThrowOverLimit("its Index folder holds more than " + std::to_string(limits::kMaxZipEntries) +
                               " files");
            const std::string name = it->path().filename().string();
            // A name that is not UTF-8 is skipped, as the folder scans skip one.
            if (IsUtf8(name))
                m_names.push_back(std::string(kIndexFolder) + name);
        }
    }

    std::vector<std::string> names() const override { return m_names; }

    std::optional<PartBytes> read(const std::string& name) override {
        if (std::find(m_names.begin(), m_names.end(), name) == m_names.end())
            return std::nullopt;
        const FileByteSource source((m_index / name.substr(kIndexFolder.size())).string());
        if (source.size() > limits::kMaxPartSize)
            ThrowOverLimit("a part is larger than " + std::to_string(limits::kMaxPartSize >> 20) + " MiB",
                           name);
        if (source.size() > limits::kMaxTotalInflated - m_read)
            ThrowOverLimit(
                "its parts hold more than " + std::to_string(limits::kMaxTotalInflated >> 20) + " MiB", name);
        m_read += source.size();
        PartBytes part;
        part.size = static_cast<std::size_t>(source.size());
        part.data = std::make_unique<char[]>(part.size + 1);
        source.read(0, {reinterpret_cast<std::uint8_t*>(part.data.get()), part.size});
        return part;
    }

private:
    std::filesystem::path m_index;
    std::vector<std::string> m_names;
    std::uint64_t m_read = 0;
};

// The slides of the theme's masters in the theme's order, read from the
// document part; empty when any link of the chain is missing.
std::vector<std::uint64_t> themeOrder(IwaParts& parts, IwaBudget& budget) {
    const auto bytes = parts.read(std::string(kDocumentPart));
    if (!bytes)
        return {};
    const IwaArchive document(bytes->bytes(), std::string(kDocumentPart), budget);
    const auto follow = [&](const IwaMessage* from, std::uint32_t type) -> const IwaMessage* {
        if (from == nullptr)
            return nullptr;
        const auto id = ReferenceField(from->bytes, 2, kDocumentPart);
        const IwaMessage* to = id ? document.find(*id) : nullptr;
        return to != nullptr && to->type == type ? to : nullptr;
    };
    const IwaMessage* root = document.find(1);
    if (root == nullptr || root->type != kDocumentType)
        return {};
    const IwaMessage* theme = follow(follow(root, kShowType), kThemeType);
    if (theme == nullptr)
        return {};
    std::vector<std::uint64_t> slides;
    for (const std::uint64_t node : ReferenceFields(theme->bytes, 2, kDocumentPart)) {
        // The slide lives in its own part: the node's reference is all there is here.
        const IwaMessage* nodeMessage = document.find(node);
        if (nodeMessage == nullptr || nodeMessage->type != kSlideNodeType)
            continue;
        if (const auto slide = ReferenceField(nodeMessage->bytes, 2, kDocumentPart))
            slides.push_back(*slide);
    }
    return slides;
}

// The number in a master part's name ("MasterSlide-12.iwa": 12), 0 for none.
std::uint64_t partNumber(std::string_view name) {
    const auto digit = name.find_first_of("0123456789");
    std::uint64_t number = 0;
    for (std::size_t i = digit;
         i != std::string_view::npos && i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
        if (number > (std::numeric_limits<std::uint64_t>::max() - 9) / 10)
            return std::numeric_limits<std::uint64_t>::max();
        number = number * 10 + static_cast<std::uint64_t>(name[i] - '0');
    }
    return number;
}

struct ReadMaster {
    MasterText text;
    std::optional<std::uint64_t> slide; // the master's slide object
};

ReadMaster readMaster(IwaParts& parts, const std::string& name, IwaBudget& budget) {
    const auto bytes = parts.read(name);
    if (!bytes)
        ThrowDamaged("a listed part cannot be found", name);
    const IwaArchive archive(bytes->bytes(), name, budget);
    ReadMaster master;
    master.text.part = name;
    const auto slide = std::find_if(archive.messages().begin(), archive.messages().end(),
                                    [](const IwaMessage& message) { return message.type == kSlideType; });
    if (slide != archive.messages().end()) {
        master.slide = slide->id;
        if (const auto stored = BytesField(slide->bytes, kSlideNameField, name))
            master.text.name =
                MapStorageText({reinterpret_cast<const char*>(stored->data()), stored->size()});
    }
    master.text.texts = StorageTexts(archive, budget);
    return master;
}

MasterTexts readMasters(IwaParts& parts) {
    std::vector<std::string> names;
    for (std::string& name : parts.names())
        if (IsMasterPart(name))
            names.push_back(std::move(name));
    MasterTexts result;
    if (names.empty())
        return result;
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::make_tuple(partNumber(a), std::string_view(a)) <
               std::make_tuple(partNumber(b), std::string_view(b));
    });

    IwaBudget budget;
    std::vector<std::uint64_t> order;
    try {
        order = themeOrder(parts, budget);
    } catch (const Failure&) {
        // The masters are still read, in the order of their names.
    }

    std::vector<ReadMaster> masters;
    for (const std::string& name : names) {
        try {
            masters.push_back(readMaster(parts, name, budget));
        } catch (const Failure& failure) {
            result.skipped.push_back({name, failure.description(), failure.kind()});
        }
    }
    const auto rank = [&](const ReadMaster& master) {
        const auto at = master.slide ? std::find(order.begin(), order.end(), *master.slide) : order.end();
        return static_cast<std::size_t>(at - order.begin());
    };
    // Stable: masters the theme does not list keep the order of their names.
    std::stable_sort(masters.begin(), masters.end(),
                     [&](const ReadMaster& a, const ReadMaster& b) { return rank(a) < rank(b); });
    for (ReadMaster& master : masters)
        result.masters.push_back(std::move(master.text));
    return result;
}

// The parts of a nested `Index.zip`, within what is left of the outer
// limits' total, handed to `use`.
template <class Use> auto withIndexZip(const ByteSource& source, std::uint64_t alreadyRead, Use&& use) {
    ZipLimits limits;
    limits.maxTotalInflated =
        alreadyRead < limits.maxTotalInflated ? limits.maxTotalInflated - alreadyRead : 0;
    ZipPackage index(source, limits);
    ZipParts parts(index);
    return use(parts);
}

// Every part but the masters', read as an archive: the first that is
// damaged or over a limit fails the deck. Then, when asked, the masters.
auto checkThenRead(bool masters) {
    return [masters](IwaParts& parts) {
        IwaBudget budget;
        for (const std::string& name : parts.names()) {
            if (!name.ends_with(".iwa") || IsMasterPart(name))
                continue;
            if (const auto bytes = parts.read(name))
                IwaArchive(bytes->bytes(), name, budget);
        }
        return masters ? readMasters(parts) : MasterTexts{};
    };
}

bool isIndexZip(std::string_view name) {
    if (name == "Index.zip")
        return true;
    const auto slash = name.find('/');
    return slash != std::string_view::npos && slash > 0 && name.substr(slash + 1) == "Index.zip";
}

} // namespace

bool IsMasterPart(std::string_view name) {
    if (!name.starts_with(kIndexFolder) || !name.ends_with(".iwa"))
        return false;
    const std::string_view base = name.substr(kIndexFolder.size());
    if (base.find('/') != std::string_view::npos)
        return false;
    return std::any_of(std::begin(kMasterPrefixes), std::end(kMasterPrefixes),
                       [&](std::string_view prefix) { return base.starts_with(prefix); });
}

namespace {

// The deck's parts, from the zip or the Index.zip it holds, handed to `use`;
// `none` when it holds neither.
template <class Use, class Result> Result withZipParts(ZipPackage& package, Use&& use, Result none) {
    ZipParts parts(package);
    const auto names = parts.names();
    if (std::any_of(names.begin(), names.end(),
                    [](const std::string& name) { return name.ends_with(".iwa"); }))
        return use(parts);
    for (std::uint64_t i = 0; i < package.entryCount(); ++i) {
        const std::string name(package.entryName(i));
        if (!isIndexZip(name))
            continue;
        const PartBytes index = package.read(i, name);
        const MemoryByteSource source(index.bytes());
        return withIndexZip(source, index.size, use);
    }
    return none;
}

// The same for a package folder: its Index.zip, or its loose Index/ folder.
template <class Use, class Result> Result withFolderParts(const std::string& folder, Use&& use, Result none) {
    const std::filesystem::path root(folder);
    std::error_code error;
    if (std::filesystem::is_regular_file(root / "Index.zip", error)) {
        const FileByteSource source((root / "Index.zip").string());
        return withIndexZip(source, 0, use);
    }
    if (std::filesystem::is_directory(root / "Index", error)) {
        FolderParts parts(root / "Index");
        return use(parts);
    }
    return none;
}

} // namespace

MasterTexts ReadMasterTexts(ZipPackage& package) {
    return withZipParts(package, readMasters, MasterTexts{});
}

MasterTexts ReadMasterTextsInFolder(const std::string& folder) {
    return withFolderParts(folder, readMasters, MasterTexts{});
}

MasterTexts CheckIwaParts(ZipPackage& package, bool masters) {
    return withZipParts(package, checkThenRead(masters), MasterTexts{});
}

MasterTexts CheckIwaPartsInFolder(const std::string& folder, bool masters) {
    return withFolderParts(folder, checkThenRead(masters), MasterTexts{});
}
} // namespace orv::keynote
