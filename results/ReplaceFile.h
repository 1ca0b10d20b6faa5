#pragma once

#include <string>
#include <string_view>

namespace orv {

// Writes a file that replaces whatever the path held, in three steps that the
// save handler numbers separately. Normally a temporary file beside the
// target takes the bytes and is renamed over it at commit, so a failure on the
// way leaves the old file as it was. Where no file can be created beside the
// target (a folder the user may not write to) but the target itself is an
// existing, writable file, the target is rewritten in place instead, only once
// every byte is at hand; a device or pipe is always written in place. Either
// way the file keeps its permissions. Each step
// throws orv::Failure with the path and the system's reason.
class ReplaceFile {
public:
    explicit ReplaceFile(std::string path);
    ~ReplaceFile(); // a file never committed leaves no temporary file behind
    ReplaceFile(const ReplaceFile&) = delete;
    ReplaceFile& operator=(const ReplaceFile&) = delete;

    void open();
    void write(std::string_view bytes);
    void commit();

    // True when the target is rewritten in place (no temporary file).
    bool inPlace() const { return m_inPlace; }

private:
    void discard();

    std::string m_path;
    std::string m_tempPath;
    int m_fd = -1;
    bool m_inPlace = false;
};

} // namespace orv
