#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orv::test {

// A fresh scratch folder under the system's temporary folder, removed with
// everything in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string str() const { return m_path.string(); }
    // Writes `bytes` to a file below the folder (parents created) and returns its path.
    std::filesystem::path write(const std::string& relative, std::string_view bytes) const;

private:
    std::filesystem::path m_path;
};

std::string ReadFileBytes(const std::filesystem::path& path);

} // namespace orv::test
