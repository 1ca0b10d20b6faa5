#include "extract/common/ByteSource.h"

#include "extract/common/ReadFailure.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {
[[noreturn]] void throwTruncated(std::uint64_t offset) {
    ThrowDamagedFile("it ends before the data it describes", offset);
}

[[noreturn]] void throwCannot(const char* what, const std::string& path, int error) {
    throw Failure(FailureKind::InputOutput, std::string(what) + " " + path + ": " + std::strerror(error));
}
} // namespace

void MemoryByteSource::read(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset > m_bytes.size() || out.size() > m_bytes.size() - offset)
        throwTruncated(offset);
    if (!out.empty())
        std::memcpy(out.data(), m_bytes.data() + offset, out.size());
}

FileByteSource::FileByteSource(const std::string& path) : m_path(path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw Failure(FailureKind::InputOutput, "File not found: " + path);
        throwCannot("Cannot open", path, errno);
    }
    if (S_ISDIR(st.st_mode)) {
        // A deck stored as a folder that has been shut meanwhile is no longer
        // known as one: say why it cannot be read rather than what it is.
        if (::access(path.c_str(), R_OK | X_OK) != 0)
            throwCannot("Cannot open", path, errno);
        throw Failure(FailureKind::InputOutput, path + " is a folder, not a presentation file.");
    }
    if (!S_ISREG(st.st_mode))
        throw Failure(FailureKind::InputOutput, path + " is not a regular file.");
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        throwCannot("Cannot open", path, errno);
    m_size = static_cast<std::uint64_t>(st.st_size);
}

FileByteSource::~FileByteSource() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void FileByteSource::read(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset > m_size || out.size() > m_size - offset)
        throwTruncated(offset);
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n =
            ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwCannot("Cannot read", m_path, errno);
        }
        if (n == 0)
            throwTruncated(offset + done);
        done += static_cast<std::size_t>(n);
    }
}

} // namespace orv
