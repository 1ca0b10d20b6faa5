#include "results/ReplaceFile.h"

#include "base/Failure.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

Failure failure(const char* what, const std::string& path, int error) {
    return Failure(FailureKind::InputOutput,
                   std::string(what) + " " + path + ": " + std::strerror(error) + ".");
}

// No temporary file can be made here, though the folder exists.
bool refusedHere(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

void writeAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw failure("Cannot write", path, n < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

mode_t defaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

ReplaceFile::ReplaceFile(std::string path) : m_path(std::move(path)) {}

ReplaceFile::~ReplaceFile() {
    discard();
}

void ReplaceFile::discard() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
}

void ReplaceFile::open() {
    // A link is followed: the file it names is the one replaced.
    if (char* real = ::realpath(m_path.c_str(), nullptr)) {
        m_path = real;
        std::free(real);
    }
    struct stat target {};
    const bool exists = ::stat(m_path.c_str(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode))
        throw failure("Cannot create", m_path, EISDIR);
    if (exists && !S_ISREG(target.st_mode)) {
        // A device or pipe is written to, never replaced by a plain file.
        if (::access(m_path.c_str(), W_OK) != 0)
            throw failure("Cannot create", m_path, errno);
        m_inPlace = true;
        return;
    }

    std::string temp = m_path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd >= 0) {
        m_fd = fd;
        m_tempPath = temp;
        ::fchmod(m_fd, exists ? (target.st_mode & 07777) : defaultMode());
        return;
    }
    const int error = errno;
    if (refusedHere(error) && exists && S_ISREG(target.st_mode) && ::access(m_path.c_str(), W_OK) == 0) {
        m_inPlace = true; // opened, and so emptied, only once the bytes are ready
        return;
    }
    throw failure("Cannot create", m_path, error);
}

void ReplaceFile::write(std::string_view bytes) {
    if (m_inPlace && m_fd < 0) {
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (m_fd < 0)
            throw failure("Cannot write", m_path, errno);
    }
    if (m_fd < 0)
        throw failure("Cannot write", m_path, EBADF);
    writeAll(m_fd, bytes, m_path);
}

void ReplaceFile::commit() {
    if (m_fd < 0)
        throw failure("Cannot save", m_path, EBADF);
    const bool synced = ::fsync(m_fd) == 0 || errno == EINVAL; // some devices cannot sync
    const int syncError = errno;
    const bool closed = ::close(m_fd) == 0;
    const int closeError = errno;
    m_fd = -1;
    if (!synced || !closed) {
        discard();
        throw failure("Cannot save", m_path, !synced ? syncError : closeError);
    }
    if (m_inPlace)
        return;
    if (::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        discard();
        throw failure("Cannot save", m_path, error);
    }
    m_tempPath.clear();
}

} // namespace orv
