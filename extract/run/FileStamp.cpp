#include "extract/run/FileStamp.h"

#include "extract/PresentationFormats.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + static_cast<std::int64_t>(t.tv_nsec);
}

void addTimes(FileStamp& stamp, const struct stat& st) {
    stamp.modified = std::max(stamp.modified, nanoseconds(st.st_mtim));
    stamp.changed = std::max(stamp.changed, nanoseconds(st.st_ctim));
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// Adds what the folder open as `fd` holds (taking the descriptor); false when
// some of it cannot be seen or it passes the bounds. Entries are examined by
// descriptor and never through a link, so that nothing outside the package
// folder counts and a part swapped for a link meanwhile is not followed.
bool addFolder(int fd, int depth, FileStamp& stamp, std::size_t& entries) {
    const std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return false;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (!entry)
            return errno == 0;
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (++entries > kMaxStampEntries)
            return false;
        struct stat st {};
        if (::fstatat(dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        addTimes(stamp, st);
        if (S_ISREG(st.st_mode)) {
            stamp.size += static_cast<std::uint64_t>(st.st_size);
        } else if (S_ISDIR(st.st_mode)) {
            if (depth >= kMaxStampDepth)
                return false;
            const int child =
                ::openat(dirfd(dir.get()), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0 || !addFolder(child, depth + 1, stamp, entries))
                return false;
        }
    }
}

std::optional<FileStamp> packageFolderStamp(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    FileStamp stamp{0, 0, 0, static_cast<std::uint64_t>(st.st_ino), static_cast<std::uint64_t>(st.st_dev)};
    addTimes(stamp, st);
    std::size_t entries = 0;
    if (!addFolder(fd, 1, stamp, entries))
        return std::nullopt;
    return stamp;
}

} // namespace

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    if (S_ISDIR(st.st_mode) && PackageFolderFormat(path))
        return packageFolderStamp(path);
    return FileStamp{static_cast<std::uint64_t>(st.st_size), nanoseconds(st.st_mtim), nanoseconds(st.st_ctim),
                     static_cast<std::uint64_t>(st.st_ino), static_cast<std::uint64_t>(st.st_dev)};
}

} // namespace orv
