#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace orv {

// Random-access bytes of one file, read on demand, so that a reader touches
// only the parts it needs (never a presentation's pictures) and memory does not
// grow with the file's size. Reads past the end throw orv::Failure.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Fills exactly `out.size()` bytes from `offset`, or throws.
    virtual void read(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint64_t size() const override { return m_bytes.size(); }
    void read(std::uint64_t offset, std::span<std::uint8_t> out) const override;
    std::span<const std::uint8_t> bytes() const { return m_bytes; }

private:
    std::span<const std::uint8_t> m_bytes;
};

// Opens the file read-only. Throws orv::Failure with a plain description when
// the path does not exist, is a folder, or cannot be opened.
class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(const std::string& path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    std::uint64_t size() const override { return m_size; }
    void read(std::uint64_t offset, std::span<std::uint8_t> out) const override;
    int descriptor() const { return m_fd; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

} // namespace orv
